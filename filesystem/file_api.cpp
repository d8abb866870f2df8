#include "filesystem/file_api.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/log.h"
#include "core/text.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "data/data_base.h"
#include "filesystem/files.h"
#include "filesystem/paths.h"
#include "platform/ov_os.h"

namespace {

std::vector<ovFileOpener*> openers;  // pak, plain file, HTTP: asked in this order
ovFileOpenerPak* pak_opener;
std::mutex open_files_lock;
std::vector<FileHandle*> open_files;
int open_count;
std::vector<std::string> search_paths;
// Names of recently closed handles, so that closing one again is reported by its name without
// touching the freed record.
struct ClosedHandle {
  const void* handle;
  std::string name;
};
ClosedHandle recently_closed[64];
int next_closed;

ovFile* Inner(FileHandle* handle) { return static_cast<ovFile*>(handle->file); }

ovFile* OpenThroughOpeners(const char* name, const char* mode) {
  if (OVFS_HasPrefixSeparator(name)) {
    for (ovFileOpener* opener : openers)
      if (ovFile* file = opener->Open(name, mode)) return file;
    return nullptr;
  }
  if (strcmp(mode, "rb") != 0) return nullptr;  // a relative name never creates a file
  for (const std::string& path : search_paths) {
    std::string candidate = path + name;
    for (ovFileOpener* opener : openers) {
      if (!opener->AcceptsSearchedNames()) continue;
      if (ovFile* file = opener->Open(candidate.c_str(), mode)) return file;
    }
  }
  return nullptr;
}

std::string NormaliseSearchPath(const char* path) {
  std::string normal(path, strnlen(path, 510));
  std::replace(normal.begin(), normal.end(), '\\', '/');
  if (normal.empty() || normal.back() != '/') normal += '/';
  return normal;
}

// '*' stands for any run of bytes; everything else matches itself.
bool WildcardMatch(const char* pattern, const char* name) {
  if (*pattern == 0) return *name == 0;
  if (*pattern == '*') {
    for (const char* rest = name;; ++rest) {
      if (WildcardMatch(pattern + 1, rest)) return true;
      if (*rest == 0) return false;
    }
  }
  return *pattern == *name && WildcardMatch(pattern + 1, name + 1);
}

bool PatternMatches(const std::string& pattern, const std::string& name) {
  if (pattern == "*" || pattern == "*.*") return true;
  if (pattern.size() > 2 && pattern.compare(0, 2, "*.") == 0 && pattern.find('*', 1) == std::string::npos) {
    std::string ending = pattern.substr(1);
    return name.size() > ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
  }
  return WildcardMatch(pattern.c_str(), name.c_str());
}

struct Listing {
  std::vector<std::string> patterns;
  std::vector<std::string> names;
  bool recursive;
  bool Matches(const std::string& name) const {
    std::string base = name.substr(name.rfind('/') == std::string::npos ? 0 : name.rfind('/') + 1);
    for (const std::string& pattern : patterns)
      if (PatternMatches(pattern, base)) return true;
    return false;
  }
  void Add(const std::string& name) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
};

struct WalkContext {
  Listing* listing;
  std::string native;
  std::string relative;  // "" or "sub/"
  std::vector<std::string> folders;
};

void Walk(Listing& listing, const std::string& native, const std::string& relative) {
  WalkContext context{&listing, native, relative, {}};
  OVOS_ListFolder(
      native.c_str(),
      [](const char* name, bool is_folder, void* raw) {
        WalkContext* c = static_cast<WalkContext*>(raw);
        if (is_folder) {
          if (name[0] != '.') c->folders.push_back(name);
        } else if (c->listing->Matches(name)) {
          c->listing->Add(c->relative + name);
        }
      },
      &context);
  if (!listing.recursive) return;
  for (const std::string& folder : context.folders) Walk(listing, native + "/" + folder, relative + folder + "/");
}

std::vector<DataManager*> manifests;

// The manifest of a search path: docs://dlc/pack/ has docs://manifest-dlc-pack.xml.
void AddManifestOf(const std::string& path) {
  if (path == "res://") return;
  std::string text = path.substr(0, path.size() - 1) + ".xml";
  size_t separator = text.find("://");
  if (separator == std::string::npos) return;
  std::string rest = text.substr(separator + 3);
  std::replace(rest.begin(), rest.end(), '/', '-');
  OVFS_AddManifest((text.substr(0, separator) + "://manifest-" + rest).c_str());
}

}  // namespace

const std::vector<DataManager*>& OVFS_Manifests() { return manifests; }

void OVFS_AddManifest(const char* path) {
  if (!path) return;
  for (DataManager* manifest : manifests)
    if (manifest->name.Is(path)) return;
  FileHandle* file = OV_OpenFile(path, "rb");
  if (!file) return;
  OV_CloseFile(file);
  manifests.push_back(OVD_GetDataBase(&service_table, path));
  OV_Log("Added manifest '%s'.", path);
}

const DataNode* OVFS_FindInManifests(const char* name) {
  if (!name) return nullptr;
  const char* slash = strrchr(name, '/');
  bool has_extension = strchr(slash ? slash : name, '.') != nullptr;
  static const char* const extensions[] = {".png", ".jpg", ".tga", ".bms"};
  for (DataManager* manifest : manifests) {
    if (manifest->arrays.empty()) continue;
    const DataArray& files = *manifest->arrays.front();
    if (has_extension) {
      if (DataNode* node = files.FindNode(name)) return node;
      continue;
    }
    for (const char* extension : extensions)
      if (DataNode* node = files.FindNode((std::string(name) + extension).c_str())) return node;
  }
  return nullptr;
}

bool OVFS_Start() {
  static ovFileOpenerPak pak;
  static ovFileOpenerPosix plain;
  static ovFileOpenerHTTP http;
  pak_opener = &pak;
  openers = {&pak, &plain, &http};
  for (ovFileOpener* opener : openers)
    if (!opener->Start()) return false;
  return true;
}

void OVFS_Stop() {
  for (ovFileOpener* opener : openers) opener->Stop();
  openers.clear();
  pak_opener = nullptr;
}

ovFileOpenerPak* OVFS_PakOpener() { return pak_opener; }

void OVFS_CreateUserFolders(const char* developer_name, const char* program_name) {
  char app_data[OVFS_FOLDER_SIZE];
  if (OVOS_GetUserFolder(OVOS_FOLDER_APP_DATA, app_data, sizeof app_data)) {
    std::string developer = std::string(app_data) + "/" + developer_name;
    OVOS_CreateFolder(developer.c_str());
    OVOS_CreateFolder((developer + "/" + program_name).c_str());
  }
  OV_CreateDirectory("cache://");
}

int OVFS_OpenFileCount() {
  std::lock_guard<std::mutex> lock(open_files_lock);
  return open_count;
}

int OVFS_OpenFileNames(const char** names, int capacity) {
  std::lock_guard<std::mutex> lock(open_files_lock);
  int count = 0;
  for (FileHandle* handle : open_files)
    if (count < capacity) names[count++] = handle->name;
  return count;
}

FileHandle* OV_CALL OV_OpenFile(const char* name, const char* mode) {
  if (!name) return nullptr;
  bool quiet = OVFS_IsQuietName(name);
  if (!OVFS_IsValidName(name)) {
    if (!quiet)
      OV_Report(LOG_WARNING,
                "ov->OpenFile: Illegal file name '%s'.\nValid name can start with either res://, user://, cache://or "
                "relative path like ('ui/'). No double slashes (//) allowed after that. Name must not contain other "
                "characters than alphanumerocal and / - _ characters.",
                name);
    return nullptr;
  }
  const char* wanted = mode ? mode : "";
  if (strcmp(wanted, "r") == 0) wanted = "rb";
  else if (strcmp(wanted, "w") == 0) wanted = "wb";
  else if (strcmp(wanted, "a") == 0) wanted = "ab";
  if (strcmp(wanted, "rb") != 0 && strcmp(wanted, "wb") != 0 && strcmp(wanted, "ab") != 0) {
    if (!quiet)
      OV_Report(LOG_WARNING,
                "ov->OpenFile: Illegal mode '%s' while opening file '%s'\nValid modes are read (\"r\"), write (\"w\"), "
                "and append (\"a\").",
                mode ? mode : "(null)", name);
    return nullptr;
  }
  ovFile* file = OpenThroughOpeners(name, wanted);
  FileHandle* handle = nullptr;
  int count;
  {
    std::lock_guard<std::mutex> lock(open_files_lock);
    if (file) {
      handle = static_cast<FileHandle*>(malloc(sizeof(FileHandle)));
      handle->name = file->Name();
      handle->size = file->Size();
      handle->file = file;
      open_files.push_back(handle);
      ++open_count;
    }
    count = open_count;
  }
  if (count >= 16) {
    const char* text = "OV_OpenFile: suspiciously many (%d) files opened without closing. Last file opened '%s'.";
    if (!quiet) OV_LogLevel(LOG_WARNING, text, count, name);
    OV_Report(LOG_WARNING, text, count, name);
  }
  return handle;
}

int OV_CALL OV_CloseFile(FileHandle* handle) {
  if (!handle) return 0;
  bool found = false;
  int count;
  {
    std::lock_guard<std::mutex> lock(open_files_lock);
    auto at = std::find(open_files.begin(), open_files.end(), handle);
    if (at != open_files.end()) {
      open_files.erase(at);
      --open_count;
      found = true;
    }
    count = open_count;
    if (open_count < 0) open_count = 0;
  }
  // A handle that is not in the list is not touched: it may already be freed.
  if (!found) {
    std::string name = "?";
    {
      std::lock_guard<std::mutex> lock(open_files_lock);
      for (const ClosedHandle& closed : recently_closed)
        if (closed.handle == handle) name = closed.name;
    }
    if (!OVFS_IsQuietName(name.c_str()))
      OV_Report(LOG_WARNING, "CloseFile closing file '%s' which was never opened or was already closed.", name.c_str());
    return 0;
  }
  const char* name = handle->name ? handle->name : "";
  {
    std::lock_guard<std::mutex> lock(open_files_lock);
    recently_closed[next_closed] = ClosedHandle{handle, name};
    next_closed = (next_closed + 1) % 64;
  }
  bool log_file = strstr(name, "orvel-") && strstr(name, ".log");
  if (count < 0 && !log_file)
    OV_Report(LOG_WARNING,
              "CloseFile closing too many file handles (count %d) after file '%s' (might not be the source of problem "
              "though).",
              0, name);
  if (handle->file) Inner(handle)->Close();
  else OV_LogLevel(LOG_WARNING, "CloseFile: inner file should always exist!\n");
  free(handle);
  return 0;
}

int OV_CALL OV_ReadFile(void* buffer, int byte_count, FileHandle* file) {
  return file ? Inner(file)->Read(buffer, byte_count) : 0;
}
int OV_CALL OV_WriteFile(const void* buffer, int byte_count, FileHandle* file) {
  return file ? Inner(file)->Write(buffer, byte_count) : 0;
}
int OV_CALL OV_FlushFile(FileHandle* file) {
  if (file) Inner(file)->Flush();
  return 0;
}
int OV_CALL OV_TellFile(FileHandle* file) { return file ? Inner(file)->Tell() : -1; }
ov_bool OV_CALL OV_SeekFile(FileHandle* file, int offset, int origin) {
  return file && Inner(file)->Seek(offset, origin);
}
unsigned char OV_CALL OV_ReadFileByte(FileHandle* file) {
  unsigned char byte = 0;
  OV_ReadFile(&byte, 1, file);
  return byte;
}
int OV_CALL OV_ReadFileElements(void* buffer, int element_size, int element_count, FileHandle* file) {
  long long total = static_cast<long long>(element_size) * element_count;
  if (total <= 0 || total > 0x7fffffff) return 0;
  return OV_ReadFile(buffer, static_cast<int>(total), file);
}
int OV_CALL OV_WriteFileElements(const void* buffer, int element_size, int element_count, FileHandle* file) {
  long long total = static_cast<long long>(element_size) * element_count;
  if (total <= 0 || total > 0x7fffffff) return 0;
  return OV_WriteFile(buffer, static_cast<int>(total), file);
}

bool OVFS_RenameFile(const char* from, const char* to) {
  char native_from[OVFS_PATH_SIZE], native_to[OVFS_PATH_SIZE];
  if (!from || !to || !OVFS_Resolve(from, native_from, sizeof native_from) ||
      !OVFS_Resolve(to, native_to, sizeof native_to))
    return false;
  return OVOS_RenameFile(native_from, native_to);
}

ov_bool OV_CALL OV_DeleteFile(const char* path) {
  char native[OVFS_PATH_SIZE];
  if (!path || !OVFS_Resolve(path, native, sizeof native)) return 0;
  return OVOS_DeleteFile(native);
}

ov_bool OV_CALL OV_CreateDirectory(const char* path) {
  OV_LogLevel(LOG_SYSTEM, "Creating Directory: '%s'...", path ? path : "");
  char native[OVFS_PATH_SIZE];
  if (!path || !OVFS_Resolve(path, native, sizeof native)) return 0;
  std::string folder = std::string(native) + "/";
  OVI_Lock(MUTEX_CREATE_DIR);
  for (size_t at = 6; at < folder.size(); ++at)
    if (folder[at] == '/') OVOS_CreateFolder(folder.substr(0, at).c_str());
  OVI_Unlock(MUTEX_CREATE_DIR);
  return 0;
}

ov_bool OV_CALL OV_RemoveDirectory(const char* path, ov_bool with_contents) {
  char text[OVFS_PATH_SIZE + 128];
  if (with_contents) {
    snprintf(text, sizeof text, "RemoveDirectory: '%s' failed because not allowing removing directories with files in them.",
             path ? path : "");
    OVI_ShowPopup(1, text);
    return 0;
  }
  OV_LogLevel(LOG_SYSTEM, "Removing Directory: '%s'...", path ? path : "");
  char native[OVFS_PATH_SIZE];
  if (!path || !OVFS_Resolve(path, native, sizeof native)) return 0;
  return OVOS_RemoveFolder(native);
}

void OV_CALL OV_AddSearchPath(const char* path, ov_bool high_priority) {
  if (!path) return;
  if (strncmp(path, "res://", 6) != 0 && strncmp(path, "ugc://", 6) != 0 && strncmp(path, "docs://", 7) != 0) {
    OV_Report(LOG_WARNING, "ov->AddSearchPath ('%s'): path name needs to start with prefix such as res://.", path);
    return;
  }
  std::string normal = NormaliseSearchPath(path);
  auto duplicate = std::find(search_paths.begin(), search_paths.end(), normal);
  if (duplicate != search_paths.end()) {
    OV_LogLevel(LOG_WARNING, "Duplicate search path, removing the old one: '%s'", normal.c_str());
    search_paths.erase(duplicate);
  }
  OV_Log("Adding search path '%s'.", normal.c_str());
  if (search_paths.size() > 128)
    OV_Report(LOG_WARNING, "%d search paths registered. Seems very high!", static_cast<int>(search_paths.size()));
  if (high_priority) search_paths.insert(search_paths.begin(), normal);
  else search_paths.push_back(normal);
  for (size_t i = 0; i < search_paths.size(); ++i)
    OV_Log("Search path priority #%d: '%s'.", static_cast<int>(i + 1), search_paths[i].c_str());
  AddManifestOf(normal);
}

void OV_CALL OV_RemoveSearchPath(const char* path) {
  if (!path || !*path) return;
  std::string normal = NormaliseSearchPath(path);
  for (size_t i = 0; i < search_paths.size(); ++i) {
    if (search_paths[i] != normal) continue;
    search_paths.erase(search_paths.begin() + static_cast<long>(i));
    OV_Log("Removing search path #%d: '%s'", static_cast<int>(i), path);
    return;
  }
}

const char* OV_CALL OV_GetSearchPath(int index) {
  if (index < 0 || index >= static_cast<int>(search_paths.size())) return nullptr;
  return search_paths[static_cast<size_t>(index)].c_str();
}

int OV_CALL OV_GetSearchPathCount(void) { return static_cast<int>(search_paths.size()); }

void OVFS_ClearSearchPaths() {
  search_paths.clear();
  manifests.clear();
}

const char* OVFS_FindInSearchPaths(const char* name, bool probe) {
  static char ring[32][260];
  static int next;
  if (!name) return nullptr;
  const char* result = nullptr;
  OVI_Lock(MUTEX_GET_PATH);
  for (const std::string& path : search_paths) {
    std::string candidate = path + name;
    if (candidate.size() >= sizeof ring[0]) continue;
    bool found = false;
    if (FileHandle* file = OV_OpenFile(candidate.c_str(), "rb")) {
      OV_CloseFile(file);
      found = true;
    } else if (!probe) {
      if (FileHandle* created = OV_OpenFile(candidate.c_str(), "wb")) {
        OV_CloseFile(created);
        OV_DeleteFile(candidate.c_str());
        found = true;
      }
    }
    if (!found) continue;
    char* slot = ring[next];
    next = (next + 1) % 32;
    memcpy(slot, candidate.c_str(), candidate.size() + 1);
    result = slot;
    break;
  }
  OVI_Unlock(MUTEX_GET_PATH);
  return result;
}

FileList* OV_CALL OV_FindFiles(const char* directory, const char* patterns, ov_bool recursive) {
  FileList* list = static_cast<FileList*>(calloc(1, sizeof(FileList)));
  std::string folder = directory ? directory : "";
  char prefix[16] = "";
  bool prefixed = OVFS_HasPrefixSeparator(folder.c_str());
  if (prefixed) {
    size_t length = folder.find("://");
    snprintf(prefix, sizeof prefix, "%.*s", static_cast<int>(length), folder.c_str());
    if (strcmp(prefix, "res") != 0 && strcmp(prefix, "docs") != 0) {
      OV_Report(LOG_WARNING,
                "OVFS_FindFiles should be passed only res:// or docs:// paths or paths without prefix. '%s://' not "
                "permitted. Returning 0 files.",
                prefix);
      return list;
    }
  }
  Listing listing;
  listing.recursive = recursive;
  std::string text = patterns ? patterns : "";
  for (size_t start = 0;;) {
    size_t end = text.find(';', start);
    std::string pattern = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!pattern.empty()) listing.patterns.push_back(pattern);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  char native[OVFS_PATH_SIZE];
  if (prefixed) {
    if (OVFS_Resolve(folder.c_str(), native, sizeof native)) {
      std::string walked = native;
      while (walked.size() > 1 && walked.back() == '/') walked.pop_back();
      Walk(listing, walked, "");
    }
  } else {
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    for (const std::string& path : search_paths) {
      // Entries of the search path's archive come first.
      std::string archive = path.substr(0, path.size() - 1) + ".pak";
      const PakDirectory* pak = pak_opener ? pak_opener->Directory(archive) : nullptr;
      if (pak) {
        std::string start = folder.empty() ? "" : folder + "/";
        for (const PakEntry& entry : pak->entries) {
          if (entry.name.size() <= start.size() || entry.name.compare(0, start.size(), start) != 0) continue;
          std::string rest = entry.name.substr(start.size());
          if (!recursive && rest.find('/') != std::string::npos) continue;
          if (listing.Matches(rest)) listing.Add(rest);
        }
      }
      std::string searched = path + folder;
      if (OVFS_Resolve(searched.c_str(), native, sizeof native)) Walk(listing, native, "");
    }
  }
  list->count = static_cast<int>(listing.names.size());
  list->names = static_cast<char**>(calloc(static_cast<size_t>(list->count) + 1, sizeof(char*)));
  for (int i = 0; i < list->count; ++i) list->names[i] = OVI_DuplicateText(listing.names[static_cast<size_t>(i)].c_str());
  return list;
}

void OV_CALL OV_FreeFileList(FileList* list) {
  if (!list) return;
  for (int i = 0; i < list->count; ++i) free(list->names[i]);
  free(list->names);
  free(list);
}
