// Fuzzes the TGA reader: whatever the bytes, it stays inside them, never allocates more than the
// file could describe, and either gives width x height pixels or none.
#include <stdint.h>
#include <stdlib.h>

#include "core/core_state.h"
#include "core/log.h"
#include "resources/image_loader.h"

namespace {

void IgnoreLog(int, const char*) {}

void Check(const Bitmap& bitmap, size_t size) {
  if (!bitmap.pixels) return;
  long long pixels = static_cast<long long>(bitmap.width) * bitmap.height;
  // Even a run-length file holds at least one 4-byte packet per 128 pixels.
  if (bitmap.width < 1 || bitmap.height < 1 || pixels > IMAGE_MAX_PIXELS || pixels > static_cast<long long>(size) * 32)
    __builtin_trap();
  volatile unsigned char last = bitmap.pixels[pixels * 4 - 1];  // the whole block is there
  (void)last;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ImageLoaderImpPortable loader;
  static bool quiet = (OVI_SetLogSink(IgnoreLog), true);
  (void)quiet;
  core.bitmap_channel_order = size & 1;
  Bitmap bitmap = {};
  loader.LoadFromMemory(&bitmap, "fuzz.tga", data, size);
  Check(bitmap, size);
  loader.FreePixels(&bitmap);
  Bitmap header = {};
  if (loader.ReadSizeFromMemory(&header, "fuzz.tga", data, size) &&
      (header.width < 1 || header.height < 1 || header.pixels))
    __builtin_trap();
  return 0;
}
