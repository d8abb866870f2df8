// Virtual paths: prefixes and their base folders, name validation, and the conversions between
// virtual and native paths.
#pragma once

#include <stddef.h>

enum { OVFS_PATH_SIZE = 512, OVFS_FOLDER_SIZE = 260 };

// Sets the base folders of res://, user://, logs://, docs:// and cache:// from the executable's
// folder, the user's folders and the developer and program names (ugc:// stays as it is).
void OVFS_SetupBasePaths(const char* developer_name, const char* program_name);
// Replaces one base folder ("res", "user", "ugc", ...); false for an unknown prefix.
bool OVFS_SetBaseFolder(const char* prefix, const char* folder);
const char* OVFS_BaseFolder(const char* prefix);  // null for an unknown prefix

// The prefix of a name ("res" for res://x) into out (16 bytes); false without a known prefix.
bool OVFS_Prefix(const char* name, char* out);
bool OVFS_IsKnownPrefix(const char* prefix);
bool OVFS_HasPrefixSeparator(const char* name);  // "://" within the first 16 bytes
bool OVFS_IsValidName(const char* name);
// Names the file system does not report on: everything before core initialisation has finished,
// and the engine's own log files.
bool OVFS_IsQuietName(const char* name);

// res://a/b -> "<res folder>/a/b"; http:// and ms-appdata:// resolve to the bare prefix name.
bool OVFS_Resolve(const char* name, char* out, size_t out_size);
// The inverse: the first base folder found in the native path becomes its prefix.
bool OVFS_Virtualise(const char* native, char* out, size_t out_size);
