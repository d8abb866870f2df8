// Fuzzes the loader's PNG and JPEG paths (libpng and libjpeg behind our memory sources, error
// jumps and size checks): the same bytes go through both decoders and both header reads, which
// must stay inside them, allocate nothing beyond the limits and leave width x height pixels or
// none.
#include <stdint.h>
#include <stdlib.h>

#include "core/core_state.h"
#include "core/log.h"
#include "resources/image_loader.h"

namespace {

void IgnoreLog(int, const char*) {}

void Check(const Bitmap& bitmap) {
  if (!bitmap.pixels) return;
  long long pixels = static_cast<long long>(bitmap.width) * bitmap.height;
  if (bitmap.width < 1 || bitmap.height < 1 || bitmap.width > IMAGE_MAX_SIDE || bitmap.height > IMAGE_MAX_SIDE ||
      pixels > IMAGE_MAX_PIXELS)
    __builtin_trap();
  volatile unsigned char last = bitmap.pixels[pixels * 4 - 1];
  (void)last;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ImageLoaderImpPortable loader;
  static bool quiet = (OVI_SetLogSink(IgnoreLog), true);
  (void)quiet;
  core.bitmap_channel_order = size & 1;
  static const char* const names[] = {"fuzz.png", "fuzz.jpg"};
  for (const char* name : names) {
    Bitmap bitmap = {};
    loader.LoadFromMemory(&bitmap, name, data, size);
    Check(bitmap);
    loader.FreePixels(&bitmap);
    Bitmap header = {};
    if (loader.ReadSizeFromMemory(&header, name, data, size) && header.pixels) __builtin_trap();
  }
  return 0;
}
