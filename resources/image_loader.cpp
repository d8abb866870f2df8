// The image loader's base and portable back end: whole-file reads, the choice of decoder and
// encoder by name, pixel memory and the shared size checks.
#include "resources/image_loader.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/log.h"
#include "filesystem/file_api.h"
#include "filesystem/paths.h"
#include "resources/image_codecs.h"

namespace {

// Pixel blocks above this are refused even when the caller asks directly (65536 x 65536 x 4
// would not even fit a 32-bit size_t).
const unsigned long long kMaxPixelBytes = 1ull << 30;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameLetters(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (Lower(*a) != Lower(*b)) return false;
  return *a == *b;
}

// The last four characters of a name, compared without letter case.
bool EndsWith4(const char* name, const char* ending) {
  size_t length = strlen(name);
  return length >= 4 && SameLetters(name + length - 4, ending);
}

// The text after the last '.' when no '/' follows it; "" otherwise.
const char* Extension(const char* name) {
  const char* dot = strrchr(name, '.');
  if (!dot || strchr(dot, '/')) return "";
  return dot + 1;
}

// A whole file in C heap memory.
struct FileBytes {
  unsigned char* data = nullptr;
  size_t size = 0;
  ~FileBytes() { free(data); }
};

bool ReadWholeFile(const char* name, FileBytes* out) {
  FileHandle* file = OV_OpenFile(name, "rb");
  if (!file) return false;
  bool ok = true;
  if (file->size > IMAGE_MAX_FILE_BYTES) {
    OV_LogLevel(LOG_WARNING, "ImageLoader: file '%s' is %d bytes; image files may be at most %d bytes.", name,
                file->size, static_cast<int>(IMAGE_MAX_FILE_BYTES));
    ok = false;
  } else if (file->size > 0) {
    out->data = static_cast<unsigned char*>(malloc(static_cast<size_t>(file->size)));
    if (!out->data) {
      OV_LogLevel(LOG_WARNING, "ImageLoader: out of memory reading '%s' (%d bytes).", name, file->size);
      ok = false;
    } else {
      int got = OV_ReadFile(out->data, file->size, file);
      out->size = got > 0 ? static_cast<size_t>(got) : 0;
    }
  }
  OV_CloseFile(file);
  return ok;
}

}  // namespace

const char* OVI_ImageLabel(const Bitmap* bitmap) { return bitmap && bitmap->name ? bitmap->name : "NULL"; }

bool OVI_CheckImageSize(const char* format, const char* label, long long width, long long height) {
  if (width >= 1 && height >= 1 && width <= IMAGE_MAX_SIDE && height <= IMAGE_MAX_SIDE &&
      width * height <= IMAGE_MAX_PIXELS)
    return true;
  OV_LogLevel(LOG_WARNING,
              "ImageLoader: %s image '%s' claims %dx%d pixels; images must be 1 to %d pixels a side and at most %d "
              "pixels in all.",
              format, label, static_cast<int>(width), static_cast<int>(height), static_cast<int>(IMAGE_MAX_SIDE),
              static_cast<int>(IMAGE_MAX_PIXELS));
  return false;
}

bool OVI_CheckImageData(const char* format, const char* label, long long width, long long height, size_t available,
                        double needed) {
  if (static_cast<double>(available) >= needed) return true;
  OV_LogLevel(LOG_WARNING,
              "ImageLoader: %s image '%s' claims %dx%d pixels but its %lu bytes cannot hold them; the file is "
              "truncated or damaged.",
              format, label, static_cast<int>(width), static_cast<int>(height), static_cast<unsigned long>(available));
  return false;
}

bool OVI_CheckWritable(const Bitmap* bitmap, const char* path) {
  if (bitmap->pixels && bitmap->width >= 1 && bitmap->height >= 1 && bitmap->width <= 65535 &&
      bitmap->height <= 65535)
    return true;
  OV_LogLevel(LOG_WARNING, "SaveImage - bitmap '%s' has no pixels to write to '%s' (%dx%d).", OVI_ImageLabel(bitmap),
              path, bitmap->width, bitmap->height);
  return false;
}

// ---------------------------------------------------------------------------------------------
// The base.

ImageLoaderImp::~ImageLoaderImp() = default;

bool ImageLoaderImp::AllocateImagePixels(Bitmap* bitmap, int width, int height) {
  if (!bitmap) return false;
  if (width < 1 || width > 65535 || height < 1 || height > 65535)
    OV_LogLevel(LOG_WARNING, "ImageLoaderImp::AllocateImagePixels dimensions (%d%d) seem weird.", width, height);
  if (bitmap->pixels) {
    OV_LogLevel(LOG_WARNING, "ImageLoaderImp::AllocateImagePixels bitmap already has pixels allocated!");
    FreePixels(bitmap);
  }
  width = width < 0 ? 0 : width > 65536 ? 65536 : width;
  height = height < 0 ? 0 : height > 65536 ? 65536 : height;
  bitmap->width = bitmap->image_width = width;
  bitmap->height = bitmap->image_height = height;
  unsigned long long bytes = static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * 4;
  if (bytes == 0) return false;
  if (bytes > kMaxPixelBytes || bytes > SIZE_MAX) {
    OV_LogLevel(LOG_WARNING, "ImageLoaderImp::AllocateImagePixels refuses %dx%d pixels (more than %d MB).", width,
                height, static_cast<int>(kMaxPixelBytes >> 20));
    return false;
  }
  bitmap->pixels = static_cast<unsigned char*>(malloc(static_cast<size_t>(bytes)));
  if (!bitmap->pixels) {
    OV_LogLevel(LOG_WARNING, "ImageLoaderImp::AllocateImagePixels out of memory for %dx%d pixels.", width, height);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// The portable back end.

void ImageLoaderImpPortable::FreePixels(Bitmap* bitmap) {
  if (!bitmap) {
    OV_LogLevel(LOG_WARNING, "ImageLoader trying to free null bitmap.\n");
    return;
  }
  free(bitmap->pixels);
  bitmap->pixels = nullptr;
}

bool ImageLoaderImpPortable::ReadSize(Bitmap* bitmap, const char* file) {
  if (!bitmap || !file) return true;
  FileBytes bytes;
  if (!ReadWholeFile(file, &bytes)) return false;
  return ReadSizeFromMemory(bitmap, file, bytes.data, bytes.size);
}

bool ImageLoaderImpPortable::ReadSizeFromMemory(Bitmap* bitmap, const char* file, const unsigned char* data,
                                                size_t size) {
  if (!bitmap || !file) return true;
  bitmap->flags |= BITMAP_FLAG_RELOADABLE;
  bool ok = false;
  if (EndsWith4(file, ".tga")) {
    ok = OVI_ReadTGASize(bitmap, data, size);
  } else if (EndsWith4(file, ".png")) {
    ok = OVI_ReadPNGSize(bitmap, data, size);
  } else if (EndsWith4(file, ".jpg")) {
    ok = OVI_ReadJPGSize(bitmap, data, size);
  } else {
    OV_LogLevel(LOG_WARNING, "Unsupported image format in file '%s'\n", file);
  }
  if (bitmap->pixels) FreePixels(bitmap);
  return ok;
}

bool ImageLoaderImpPortable::Load(Bitmap* bitmap, const char* file) {
  if (!bitmap || !file) return true;
  FileBytes bytes;
  if (!ReadWholeFile(file, &bytes)) return false;
  return LoadFromMemory(bitmap, file, bytes.data, bytes.size);
}

bool ImageLoaderImpPortable::LoadFromMemory(Bitmap* bitmap, const char* file, const unsigned char* data,
                                            size_t size) {
  if (!bitmap || !file) return true;
  bitmap->flags |= BITMAP_FLAG_RELOADABLE;
  // A load replaces the image: what the bitmap had before never passes for the new one.
  if (bitmap->pixels) FreePixels(bitmap);
  const char* extension = Extension(file);
  if (SameLetters(extension, "tga")) {
    OVI_DecodeTGA(*this, bitmap, data, size);
  } else if (SameLetters(extension, "png")) {
    OVI_DecodePNG(*this, bitmap, data, size);
  } else if (SameLetters(extension, "jpg")) {
    OVI_DecodeJPG(*this, bitmap, data, size);
  } else {
    OV_LogLevel(LOG_WARNING, "Unsupported image format in file '%s'\n", file);
  }
  if (!bitmap->pixels) {
    OV_LogLevel(LOG_WARNING, "Unable to load image '%s'\n", file);
    return false;
  }
  bitmap->image_width = bitmap->width;
  bitmap->image_height = bitmap->height;
  return true;
}

bool ImageLoaderImpPortable::SaveImage(const Bitmap* bitmap, const char* path, int quality) {
  if (!bitmap || !path) return false;
  OV_Log("Saving image to file '%s'..\n", path);
  char native[OVFS_PATH_SIZE];
  const char* target = path;
  if (strstr(path, "://")) {
    if (!OVFS_Resolve(path, native, sizeof native)) {
      OV_LogLevel(LOG_WARNING, "SaveImage - unable to resolve '%s' to a native path.", path);
      return false;
    }
    target = native;
  }
  size_t length = strlen(target);
  const char* ending = length >= 3 ? target + length - 3 : "";
  if (strcmp(ending, "png") == 0) return OVI_CheckWritable(bitmap, path) && OVI_WritePNG(bitmap, target);
  if (strcmp(ending, "jpg") == 0) return OVI_CheckWritable(bitmap, path) && OVI_WriteJPG(bitmap, target, quality);
  if (strcmp(ending, "tga") == 0) return OVI_CheckWritable(bitmap, path) && OVI_WriteTGA(bitmap, target);
  OV_LogLevel(LOG_WARNING, "SaveImage - file format for '%s' not supported. Use .png format.\n", path);
  return false;
}

ImageLoaderImp* OVI_ImageLoader() {
  // Never destroyed: bitmaps may still be freed through it while the process ends.
  static ImageLoaderImp* loader = new ImageLoaderImpPortable;
  return loader;
}
