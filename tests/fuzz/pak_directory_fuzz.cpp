// Fuzzes the pak directory reader: whatever the bytes, it must stay inside them and only accept
// entries that lie inside the archive.
#include <stdint.h>
#include <string.h>

#include <string>

#include "filesystem/files.h"

namespace {

struct MemoryReader : PakReader {
  const uint8_t* data;
  size_t size;
  size_t position = 0;
  MemoryReader(const uint8_t* d, size_t s) : data(d), size(s) {}
  int Read(void* buffer, int count) override {
    size_t n = position < size ? size - position : 0;
    if (static_cast<size_t>(count) < n) n = static_cast<size_t>(count);
    memcpy(buffer, data + position, n);
    position += n;
    return static_cast<int>(n);
  }
  bool Seek(unsigned offset) override {
    if (offset > size) return false;
    position = offset;
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryReader reader(data, size);
  PakDirectory directory;
  std::string problem;
  if (OVFS_ReadPakDirectory(reader, static_cast<unsigned>(size), &directory, &problem)) {
    for (const PakEntry& entry : directory.entries)
      if (entry.offset > size || entry.size > size - entry.offset) __builtin_trap();
  }
  return 0;
}
