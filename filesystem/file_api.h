// The file API of the service table: opening and closing with bookkeeping, the per-file
// operations, search paths, directories and file listing.
#pragma once

#include "core/orvel.h"

#include <vector>

class DataManager;
class DataNode;
class ovFileOpenerPak;

// Creates and starts the openers (pak, plain file, HTTP); false when one does not start.
bool OVFS_Start();
void OVFS_Stop();
// Creates the user folder chain and cache://.
void OVFS_CreateUserFolders(const char* developer_name, const char* program_name);
ovFileOpenerPak* OVFS_PakOpener();

int OVFS_OpenFileCount();
// The names of the open files (the log's closing summary).
int OVFS_OpenFileNames(const char** names, int capacity);
// The first search path where a relative name opens for reading (or, without probe, could be
// created); the result stays valid for the next 31 calls. Null when none.
const char* OVFS_FindInSearchPaths(const char* name, bool probe);
void OVFS_ClearSearchPaths();  // and the manifests
// The manifests found beside search paths, as data bases, in the order they were added.
const std::vector<DataManager*>& OVFS_Manifests();
// Loads a manifest data base unless it is known already or does not open.
void OVFS_AddManifest(const char* path);
// The node of a file name in the first array of a manifest, trying ".png", ".jpg", ".tga" and
// ".bms" after a name without extension; null when no manifest has it.
const DataNode* OVFS_FindInManifests(const char* name);

// Replaces the file `to` by `from` (both virtual paths with a folder behind their prefix).
bool OVFS_RenameFile(const char* from, const char* to);

ov_bool OV_CALL OV_CreateDirectory(const char* path);
ov_bool OV_CALL OV_RemoveDirectory(const char* path, ov_bool with_contents);
void OV_CALL OV_AddSearchPath(const char* path, ov_bool high_priority);
void OV_CALL OV_RemoveSearchPath(const char* path);
const char* OV_CALL OV_GetSearchPath(int index);
int OV_CALL OV_GetSearchPathCount(void);
ov_bool OV_CALL OV_DeleteFile(const char* path);
FileHandle* OV_CALL OV_OpenFile(const char* name, const char* mode);
int OV_CALL OV_CloseFile(FileHandle* file);
int OV_CALL OV_ReadFile(void* buffer, int byte_count, FileHandle* file);
int OV_CALL OV_WriteFile(const void* buffer, int byte_count, FileHandle* file);
int OV_CALL OV_FlushFile(FileHandle* file);
int OV_CALL OV_TellFile(FileHandle* file);
ov_bool OV_CALL OV_SeekFile(FileHandle* file, int offset, int origin);
unsigned char OV_CALL OV_ReadFileByte(FileHandle* file);
int OV_CALL OV_ReadFileElements(void* buffer, int element_size, int element_count, FileHandle* file);
int OV_CALL OV_WriteFileElements(const void* buffer, int element_size, int element_count, FileHandle* file);
FileList* OV_CALL OV_FindFiles(const char* directory, const char* patterns, ov_bool recursive);
void OV_CALL OV_FreeFileList(FileList* list);
