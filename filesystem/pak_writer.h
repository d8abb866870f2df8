// Writing pak archives (the orvel-pak tool and tests).
#pragma once

#include <string>
#include <vector>

struct PakSource {
  std::string name;         // entry name, '/' between folders
  std::string native_path;  // the file whose bytes become the entry
};

// Called after each entry with the count done so far and the total.
typedef void (*PakProgress)(size_t done, size_t total, const std::string& name);

// Writes an archive: the header, the entries' data in order, then the directory. The two unused
// values of every entry are 0. False with a message in error when something cannot be read or
// written; a failed archive is removed.
bool OVFS_WritePak(const std::string& archive_path, const std::vector<PakSource>& sources, std::string* error,
                   PakProgress progress = nullptr);
// The files of a folder, recursively, named relative to it with '/' (sorted, so archives are
// reproducible).
bool OVFS_CollectPakSources(const std::string& folder, std::vector<PakSource>* sources, std::string* error);
