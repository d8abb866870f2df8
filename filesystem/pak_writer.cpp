#include "filesystem/pak_writer.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "filesystem/files.h"
#include "platform/ov_os.h"

namespace {

void PutUint32(std::string& out, unsigned value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

bool WriteAll(FILE* out, const void* data, size_t size) { return fwrite(data, 1, size, out) == size; }

struct Collector {
  std::vector<PakSource>* sources;
  std::string native;
  std::string relative;
  std::vector<std::string> folders;
};

bool Collect(const std::string& native, const std::string& relative, std::vector<PakSource>* sources) {
  Collector collector{sources, native, relative, {}};
  bool listed = OVOS_ListFolder(
      native.c_str(),
      [](const char* name, bool is_folder, void* raw) {
        Collector* c = static_cast<Collector*>(raw);
        if (is_folder) c->folders.push_back(name);
        else c->sources->push_back(PakSource{c->relative + name, c->native + "/" + name});
      },
      &collector);
  if (!listed) return false;
  for (const std::string& folder : collector.folders)
    if (!Collect(native + "/" + folder, relative + folder + "/", sources)) return false;
  return true;
}

}  // namespace

bool OVFS_CollectPakSources(const std::string& folder, std::vector<PakSource>* sources, std::string* error) {
  sources->clear();
  if (!Collect(folder, "", sources)) {
    *error = "cannot read the folder '" + folder + "'";
    return false;
  }
  std::sort(sources->begin(), sources->end(), [](const PakSource& a, const PakSource& b) { return a.name < b.name; });
  return true;
}

bool OVFS_WritePak(const std::string& archive_path, const std::vector<PakSource>& sources, std::string* error,
                   PakProgress progress) {
  FILE* out = fopen(archive_path.c_str(), "wb");
  if (!out) {
    *error = "cannot create '" + archive_path + "'";
    return false;
  }
  auto fail = [&](const std::string& message) {
    *error = message;
    fclose(out);
    OVOS_DeleteFile(archive_path.c_str());
    return false;
  };
  std::string header(16, '\0');
  if (!WriteAll(out, header.data(), header.size())) return fail("cannot write '" + archive_path + "'");
  unsigned long long offset = 16;
  std::string directory;
  PutUint32(directory, static_cast<unsigned>(sources.size()));
  std::vector<char> chunk(1 << 16);
  for (size_t i = 0; i < sources.size(); ++i) {
    const PakSource& source = sources[i];
    if (source.name.empty() || source.name.size() > 510) return fail("entry name '" + source.name + "' is empty or too long");
    FILE* in = fopen(source.native_path.c_str(), "rb");
    if (!in) return fail("cannot read '" + source.native_path + "'");
    unsigned long long size = 0;
    for (size_t got; (got = fread(chunk.data(), 1, chunk.size(), in)) > 0; size += got) {
      if (!WriteAll(out, chunk.data(), got)) {
        fclose(in);
        return fail("cannot write '" + archive_path + "'");
      }
    }
    fclose(in);
    if (offset + size > 0xffffffffull) return fail("the archive would pass 4 GB");
    directory += source.name;
    directory += '\0';
    PutUint32(directory, static_cast<unsigned>(offset));
    PutUint32(directory, static_cast<unsigned>(size));
    PutUint32(directory, 0);
    PutUint32(directory, 0);
    offset += size;
    if (progress) progress(i + 1, sources.size(), source.name);
  }
  unsigned long long total = offset + directory.size();
  if (total > 0xffffffffull) return fail("the archive would pass 4 GB");
  if (!WriteAll(out, directory.data(), directory.size())) return fail("cannot write '" + archive_path + "'");
  memcpy(&header[0], kPakMagic, 8);
  std::string numbers;
  PutUint32(numbers, static_cast<unsigned>(offset));
  PutUint32(numbers, static_cast<unsigned>(total));
  memcpy(&header[8], numbers.data(), 8);
  if (fseek(out, 0, SEEK_SET) != 0 || !WriteAll(out, header.data(), header.size()))
    return fail("cannot write '" + archive_path + "'");
  if (fclose(out) != 0) {
    OVOS_DeleteFile(archive_path.c_str());
    *error = "cannot finish '" + archive_path + "'";
    return false;
  }
  return true;
}
