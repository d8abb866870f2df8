#include "filesystem/files.h"

#include <ctype.h>
#include <string.h>
#include <sys/stat.h>

#include "core/byte_buffer.h"
#include "core/log.h"
#include "core/core_state.h"
#include "core/service_table.h"
#include "filesystem/file_api.h"
#include "filesystem/paths.h"
#include "platform/ov_os.h"

const unsigned char kPakMagic[8] = {'P', 'A', 'K', 0, 'V', '1', '1', 0};

ovFile::~ovFile() = default;
ovFileOpener::~ovFileOpener() = default;

// Plain files.

ovFilePosix* ovFilePosix::Open(const char* virtual_name, const char* native_path, const char* mode) {
  // A folder is not a file, although some C libraries open one for reading.
  struct stat info;
  if (stat(native_path, &info) == 0 && (info.st_mode & S_IFMT) == S_IFDIR) return nullptr;
  FILE* stream = fopen(native_path, mode);
  if (!stream) return nullptr;
  ovFilePosix* file = new ovFilePosix;
  file->name_ = virtual_name;
  file->native_path_ = native_path;
  file->stream_ = stream;
  fseek(stream, 0, SEEK_END);
  long size = ftell(stream);
  file->size_ = size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size);
  if (strcmp(mode, "ab") != 0) fseek(stream, 0, SEEK_SET);
  return file;
}

bool ovFilePosix::Seek(int offset, int origin) {
  static const int origins[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (origin < 0 || origin > 2) return false;
  return fseek(stream_, offset, origins[origin]) == 0;
}

int ovFilePosix::Tell() { return static_cast<int>(ftell(stream_)); }
void ovFilePosix::Flush() { fflush(stream_); }

int ovFilePosix::Read(void* buffer, int count) {
  if (count <= 0 || !buffer) return 0;
  return static_cast<int>(fread(buffer, 1, static_cast<size_t>(count), stream_));
}

int ovFilePosix::Write(const void* buffer, int count) {
  if (count <= 0 || !buffer) return 0;
  written_ = true;
  return static_cast<int>(fwrite(buffer, 1, static_cast<size_t>(count), stream_));
}

void ovFilePosix::Close() {
  if (written_) fflush(stream_);
  fclose(stream_);
  delete this;
}

// Pak entries: a read-only window onto the archive, through a container handle of their own.

ovFilePakFile::ovFilePakFile(const std::string& entry_name, const std::string& archive, int size, int offset,
                             FileHandle* container)
    : name_(entry_name), archive_(archive), size_(size), offset_(offset), container_(container) {}

bool ovFilePakFile::Seek(int offset, int origin) {
  if (origin == 0) return OV_SeekFile(container_, offset_ + offset, 0);
  if (origin == 2) return OV_SeekFile(container_, offset_ + size_ + offset, 0);
  return OV_SeekFile(container_, offset, origin);
}

int ovFilePakFile::Tell() { return OV_TellFile(container_) - offset_; }
int ovFilePakFile::Read(void* buffer, int count) { return OV_ReadFile(buffer, count, container_); }

void ovFilePakFile::Close() {
  OV_CloseFile(container_);
  delete this;
}

// The pak directory format.

namespace {

bool ReadUint32(PakReader& reader, unsigned* value) {
  unsigned char bytes[4];
  if (reader.Read(bytes, 4) != 4) return false;
  *value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<unsigned>(bytes[3]) << 24;
  return true;
}

struct HandleReader : PakReader {
  FileHandle* handle;
  explicit HandleReader(FileHandle* h) : handle(h) {}
  int Read(void* buffer, int count) override { return OV_ReadFile(buffer, count, handle); }
  bool Seek(unsigned offset) override {
    return offset <= 0x7fffffffu && OV_SeekFile(handle, static_cast<int>(offset), 0);
  }
};

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

bool OVFS_ReadPakDirectory(PakReader& reader, unsigned actual_size, PakDirectory* out, std::string* problem) {
  std::string ignored;
  std::string& why = problem ? *problem : ignored;
  unsigned char magic[8];
  if (actual_size < 16 || reader.Read(magic, 8) != 8 || memcmp(magic, kPakMagic, 8) != 0) {
    why = "not a pak archive (wrong magic)";
    return false;
  }
  unsigned directory_offset, recorded_size, count;
  if (!ReadUint32(reader, &directory_offset) || !ReadUint32(reader, &recorded_size)) {
    why = "truncated header";
    return false;
  }
  if (recorded_size != actual_size) {
    why = "recorded size " + std::to_string(recorded_size) + " differs from the file size " + std::to_string(actual_size);
    return false;
  }
  if (directory_offset > actual_size - 4 || !reader.Seek(directory_offset) || !ReadUint32(reader, &count)) {
    why = "directory offset " + std::to_string(directory_offset) + " lies outside the file";
    return false;
  }
  // Every entry takes at least 17 bytes, so a count that cannot fit is refused before reserving.
  if (count > (actual_size - directory_offset) / 17) {
    why = "entry count " + std::to_string(count) + " does not fit the directory";
    return false;
  }
  out->directory_offset = directory_offset;
  out->archive_size = actual_size;
  out->entries.clear();
  out->entries.reserve(count);
  for (unsigned i = 0; i < count; ++i) {
    PakEntry entry;
    char c = 1;
    while (reader.Read(&c, 1) == 1 && c != 0) {
      if (entry.name.size() >= 510) {
        why = "entry " + std::to_string(i) + " has a name longer than 510 bytes";
        return false;
      }
      entry.name += c;
    }
    if (c != 0 || !ReadUint32(reader, &entry.offset) || !ReadUint32(reader, &entry.size) ||
        !ReadUint32(reader, &entry.unused[0]) || !ReadUint32(reader, &entry.unused[1])) {
      why = "directory truncated at entry " + std::to_string(i);
      return false;
    }
    // An entry must lie inside the archive.
    if (entry.offset > actual_size || entry.size > actual_size - entry.offset) {
      why = "entry '" + entry.name + "' lies outside the file";
      return false;
    }
    out->entries.push_back(entry);
  }
  return true;
}

const PakDirectory* ovFileOpenerPak::Directory(const std::string& archive) {
  auto known = directories_.find(archive);
  if (known != directories_.end()) return known->second;
  PakDirectory* directory = nullptr;
  FileHandle* handle = OV_OpenFile(archive.c_str(), "rb");
  if (handle) {
    directory = new PakDirectory;
    directory->archive = archive;
    directory->handle = handle;
    HandleReader reader(handle);
    if (handle->size < 0 || !OVFS_ReadPakDirectory(reader, static_cast<unsigned>(handle->size), directory, nullptr)) {
      OV_CloseFile(handle);
      delete directory;
      directory = nullptr;
    } else {
      for (size_t i = 0; i < directory->entries.size(); ++i) directory->index.emplace(Lower(directory->entries[i].name), i);
      OV_Log("Opening new pak '%s'.\n", archive.c_str());
    }
  }
  directories_[archive] = directory;
  return directory;
}

ovFile* ovFileOpenerPak::Open(const char* name, const char* mode) {
  if (strcmp(mode, "rb") != 0 || strncmp(name, "http://", 7) == 0 || strncmp(name, "user://", 7) == 0) return nullptr;
  const char* separator = strstr(name, "://");
  if (!separator) return nullptr;
  const char* folder = separator + 3;
  const char* slash = strchr(folder, '/');
  if (!slash) return nullptr;
  std::string archive = std::string(name, static_cast<size_t>(slash - name)) + ".pak";
  if (archive.size() - static_cast<size_t>(folder - name) >= 512) return nullptr;
  const PakDirectory* directory = Directory(archive);
  if (!directory) return nullptr;
  auto found = directory->index.find(Lower(slash + 1));
  if (found == directory->index.end()) return nullptr;
  const PakEntry& entry = directory->entries[found->second];
  FileHandle* container = OV_OpenFile(archive.c_str(), "rb");
  if (!container) return nullptr;
  ovFilePakFile* file =
      new ovFilePakFile(entry.name, archive, static_cast<int>(entry.size), static_cast<int>(entry.offset), container);
  file->Seek(0, 0);
  return file;
}

void ovFileOpenerPak::Stop() {
  for (auto& known : directories_) {
    if (!known.second) continue;
    OV_CloseFile(known.second->handle);
    delete known.second;
  }
  directories_.clear();
}

ovFile* ovFileOpenerPosix::Open(const char* name, const char* mode) {
  // http:// and ms-appdata:// resolve to their bare prefix name: there is no folder behind them.
  char prefix[16];
  if (!OVFS_Prefix(name, prefix) || !OVFS_BaseFolder(prefix)) return nullptr;
  char native[OVFS_PATH_SIZE];
  if (!OVFS_Resolve(name, native, sizeof native)) return nullptr;
  return ovFilePosix::Open(name, native, mode);
}

// http:// files: downloaded once into cache:// and served from there.
ovFile* ovFileOpenerHTTP::Open(const char* name, const char* mode) {
  if (strcmp(mode, "rb") != 0 || !core.core_ready || strncmp(name, "http://", 7) != 0) return nullptr;
  OV_Log("HTTP trying open '%s'..", name);
  OV_CreateDirectory("cache://");
  std::string cache_name = "cache://";
  for (const char* c = name; *c; ++c) {
    bool keep = isalnum(static_cast<unsigned char>(*c)) || *c == '.' || *c == '-' || *c == '_';
    cache_name += keep ? *c : '_';
  }
  if (cache_name.size() > 259) return nullptr;
  char native[OVFS_PATH_SIZE];
  if (!OVFS_Resolve(cache_name.c_str(), native, sizeof native)) return nullptr;

  ovFilePosix* cached = ovFilePosix::Open(cache_name.c_str(), native, "rb");
  if (cached && cached->Size() != 0) return cached;
  if (cached) cached->Close();

  OV_Log("Doesn't exist in cache, starting download..");
  ByteBuffer* response = nullptr;
  int status = service_table.OV_WebRequest(2, name, "application/octet-stream", "", 0, &response, nullptr);
  if (status != 200) {
    OV_Log("Failed to open '%s': return code %d", name, status);
    if (response) OV_FreeBuffer(response);
    return nullptr;
  }
  int received = response ? response->size : 0;
  int announced = response ? response->capacity : 0;
  if (announced > 0 && received < announced) {
    OV_LogLevel(LOG_WARNING, "Download for '%s' not complete (%d%% of %.1fKB done). Not saving.\n", name,
                static_cast<int>(received * 100LL / announced), announced / 1024.0);
    OV_FreeBuffer(response);
    return nullptr;
  }
  OV_Log("Done downloading %d bytes for '%s'. Writing file to local cache.", received, name);
  // Written under a temporary name and renamed when whole, so an interrupted write never leaves a
  // cache file that a later run would take as complete.
  std::string partial = std::string(native) + ".part";
  ovFilePosix* out = ovFilePosix::Open((cache_name + ".part").c_str(), partial.c_str(), "wb");
  bool saved = false;
  if (out) {
    saved = out->Write(response ? response->data : nullptr, received) == received || received == 0;
    out->Close();
    saved = saved && OVOS_RenameFile(partial.c_str(), native);
    if (!saved) OVOS_DeleteFile(partial.c_str());
  }
  if (response) OV_FreeBuffer(response);
  ovFilePosix* file = saved ? ovFilePosix::Open(cache_name.c_str(), native, "rb") : nullptr;
  if (!file) OV_Log("Unable to open saved cachefile '%s'.\n", cache_name.c_str());
  return file;
}
