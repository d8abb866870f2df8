// Resource packages: the configured package lists mounted as search paths under res://, with
// their conditions, and the choice of the graphics package closest to the screen height.
#pragma once

// "WxH" into width and height; "*" for either side gives -1 when wildcards are allowed.
bool OVI_ParseSize(const char* text, int* width, int* height, bool allow_wildcards);

// Whether an entry condition (the text between '@' and ':') holds for the active record.
bool OVI_PackageConditionHolds(const char* condition);

// Mounts res://name for each entry of a comma-separated list (at most 32) whose condition holds.
void OVI_MountPackageList(const char* list, bool high_priority);
// Removes res://name of every entry, whatever its condition.
void OVI_UnmountPackageList(const char* list);

void OVI_SelectGraphicsPackage();
// Every list once the video parameters are settled: packages, addons, the audio data
// packages, the developer packages and the graphics package.
void OVI_AddPackages();
