// Open files and the openers that make them: plain files of the operating system, read-only
// entries of pak archives, and http:// files downloaded into cache://.
#pragma once

#include <stdio.h>

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/orvel.h"

class ovFile {
 public:
  virtual ~ovFile();
  virtual bool Seek(int offset, int origin) = 0;
  virtual int Tell() = 0;
  virtual int Size() = 0;
  virtual const char* Name() = 0;
  virtual void Flush() = 0;
  virtual int Read(void* buffer, int count) = 0;
  virtual int Write(const void* buffer, int count) = 0;
  virtual void Close() = 0;  // closes the file and destroys the object
};

class ovFilePosix : public ovFile {
 public:
  // Opens a native path in a C-library mode; null when it cannot be opened.
  static ovFilePosix* Open(const char* virtual_name, const char* native_path, const char* mode);
  bool Seek(int offset, int origin) override;
  int Tell() override;
  int Size() override { return size_; }
  const char* Name() override { return name_.c_str(); }
  void Flush() override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  void Close() override;

 private:
  ovFilePosix() = default;
  std::string name_;
  std::string native_path_;
  int size_ = 0;
  FILE* stream_ = nullptr;
  bool written_ = false;
};

class ovFilePakFile : public ovFile {
 public:
  ovFilePakFile(const std::string& entry_name, const std::string& archive, int size, int offset, FileHandle* container);
  bool Seek(int offset, int origin) override;
  int Tell() override;
  int Size() override { return size_; }
  const char* Name() override { return name_.c_str(); }
  void Flush() override {}
  int Read(void* buffer, int count) override;
  int Write(const void*, int) override { return 0; }
  void Close() override;
  FileHandle* Container() { return container_; }

 private:
  std::string name_;
  std::string archive_;
  int size_;
  int offset_;
  FileHandle* container_;
};

class ovFileOpener {
 public:
  virtual ~ovFileOpener();
  virtual ovFile* Open(const char* name, const char* mode) = 0;
  virtual bool Start() { return true; }
  virtual void Stop() {}
  virtual bool AcceptsSearchedNames() { return true; }
};

struct PakEntry {
  std::string name;
  unsigned offset;
  unsigned size;
  unsigned unused[2];
};

struct PakDirectory {
  // Entry positions by lower-case name (the first entry of each name), for case-free lookup.
  std::unordered_map<std::string, size_t> index;
  std::string archive;
  unsigned archive_size;
  unsigned directory_offset;
  std::vector<PakEntry> entries;
  FileHandle* handle;  // stays open until the pak opener stops
};

class ovFileOpenerPak : public ovFileOpener {
 public:
  ovFile* Open(const char* name, const char* mode) override;
  void Stop() override;
  // The directory of an archive ("res://data.pak"), loaded on first use; null when the archive is
  // missing or bad (remembered either way).
  const PakDirectory* Directory(const std::string& archive);

 private:
  std::map<std::string, PakDirectory*> directories_;
};

class ovFileOpenerPosix : public ovFileOpener {
 public:
  ovFile* Open(const char* name, const char* mode) override;
};

class ovFileOpenerHTTP : public ovFileOpener {
 public:
  ovFile* Open(const char* name, const char* mode) override;
  bool AcceptsSearchedNames() override { return false; }
};

// The pak archive format.
extern const unsigned char kPakMagic[8];
// Reads a directory through a byte reader; refuses entries that lie outside the archive.
// read(buffer, count) returns the bytes read; seek(offset) goes to an absolute offset.
struct PakReader {
  virtual ~PakReader() = default;
  virtual int Read(void* buffer, int count) = 0;
  virtual bool Seek(unsigned offset) = 0;
};
// problem (may be null) receives what is wrong.
bool OVFS_ReadPakDirectory(PakReader& reader, unsigned actual_size, PakDirectory* out, std::string* problem);
