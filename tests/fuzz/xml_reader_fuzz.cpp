// Fuzzes the XML reader: any bytes, read block by block to the end, must stay inside the
// document and the token buffer.
#include <stddef.h>
#include <stdint.h>

#include "data/xml_reader.h"

namespace {
int OV_CALL IgnoreReport(int, const char*, ...) { return 0; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  EngineServices services = {};
  services.OV_Report = IgnoreReport;
  XmlReader reader(&services);
  if (!reader.LoadMemory(data, static_cast<int>(size))) return 0;
  int blocks = 0;
  while (const XmlBlock* block = reader.Next()) {
    for (int i = 0; i < block->attribute_count; ++i) blocks += block->names[i][0] + block->values[i][0];
  }
  return blocks == -1;
}
