// TGA reading and writing: true-colour images of 24 or 32 bits, uncompressed (type 2) or
// run-length encoded (type 10), in any row and column direction; written as uncompressed 32-bit
// images stored bottom to top.
#include <stdio.h>
#include <string.h>

#include "core/core_state.h"
#include "core/log.h"
#include "resources/image_codecs.h"
#include "resources/image_loader.h"

namespace {

enum { kHeaderSize = 18, kRunLength = 128 };

struct TgaHeader {
  int id_length;
  int colour_map_type;
  int image_type;
  int width, height;
  int bits;
  int descriptor;
};

int Read16(const unsigned char* p) { return p[0] | (p[1] << 8); }

bool ReadHeader(const unsigned char* data, size_t size, const char* label, TgaHeader* header) {
  if (!data || size < kHeaderSize) {
    OV_LogLevel(LOG_WARNING, "TGA: '%s' is %lu bytes, shorter than the %d-byte TGA header.", label,
                static_cast<unsigned long>(data ? size : 0), static_cast<int>(kHeaderSize));
    return false;
  }
  header->id_length = data[0];
  header->colour_map_type = data[1];
  header->image_type = data[2];
  header->width = Read16(data + 12);
  header->height = Read16(data + 14);
  header->bits = data[16];
  header->descriptor = data[17];
  return true;
}

// One file pixel (B, G, R and A for 32 bits) as four bytes in the channel order.
inline void PutPixel(unsigned char* out, const unsigned char* in, int bytes_per_pixel, bool bgra) {
  out[0] = bgra ? in[0] : in[2];
  out[1] = in[1];
  out[2] = bgra ? in[2] : in[0];
  out[3] = bytes_per_pixel == 4 ? in[3] : 255;
}

// Rows arrive in file order; a clear descriptor bit 5 means the file stores them bottom to top,
// a set bit 4 that each row runs right to left.
void Orient(unsigned char* pixels, int width, int height, bool bottom_up, bool right_to_left) {
  const size_t stride = static_cast<size_t>(width) * 4;
  if (bottom_up) {
    unsigned char swap[4 * 256];
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
      unsigned char* a = pixels + top * stride;
      unsigned char* b = pixels + bottom * stride;
      for (size_t done = 0; done < stride;) {
        size_t n = stride - done < sizeof swap ? stride - done : sizeof swap;
        memcpy(swap, a + done, n);
        memcpy(a + done, b + done, n);
        memcpy(b + done, swap, n);
        done += n;
      }
    }
  }
  if (right_to_left) {
    for (int y = 0; y < height; ++y) {
      unsigned char* row = pixels + y * stride;
      for (int left = 0, right = width - 1; left < right; ++left, --right) {
        unsigned char t[4];
        memcpy(t, row + left * 4, 4);
        memcpy(row + left * 4, row + right * 4, 4);
        memcpy(row + right * 4, t, 4);
      }
    }
  }
}

// Decodes run-length packets until every pixel is written. A packet that does not fit stops
// decoding: the part that fits is kept and the rest is reported. False when the data ends first.
bool DecodeRunLength(const unsigned char* data, size_t size, size_t position, int bytes_per_pixel, bool bgra,
                     unsigned char* pixels, size_t total, const char* label) {
  size_t written = 0;
  while (written < total) {
    if (position >= size) break;
    int packet = data[position++];
    size_t count = static_cast<size_t>(packet & 0x7f) + 1;
    size_t room = total - written;
    size_t fits = count < room ? count : room;
    if (packet & 0x80) {
      if (size - position < static_cast<size_t>(bytes_per_pixel)) break;
      unsigned char value[4];
      PutPixel(value, data + position, bytes_per_pixel, bgra);
      position += bytes_per_pixel;
      for (size_t i = 0; i < fits; ++i) memcpy(pixels + (written + i) * 4, value, 4);
      written += fits;
      if (fits < count) {
        OV_LogLevel(LOG_ERROR, bgra ? "TGA buffer overrun #3: (%d)\n" : "TGA buffer overrun #1: (%d)\n",
                    static_cast<int>(count - fits));
        return true;
      }
    } else {
      if ((size - position) / bytes_per_pixel < fits) break;
      for (size_t i = 0; i < fits; ++i)
        PutPixel(pixels + (written + i) * 4, data + position + i * bytes_per_pixel, bytes_per_pixel, bgra);
      position += fits * bytes_per_pixel;
      written += fits;
      if (fits < count) {
        OV_LogLevel(LOG_ERROR, bgra ? "TGA buffer overrun #4: (%d)\n" : "TGA buffer overrun #2: (%d)\n",
                    static_cast<int>(count - fits));
        return true;
      }
    }
  }
  if (written == total) return true;
  OV_LogLevel(LOG_WARNING, "TGA: the run-length data of '%s' ends after %lu of %lu pixels.", label,
              static_cast<unsigned long>(written), static_cast<unsigned long>(total));
  return false;
}

}  // namespace

bool OVI_ReadTGASize(Bitmap* bitmap, const unsigned char* data, size_t size) {
  const char* label = OVI_ImageLabel(bitmap);
  TgaHeader header;
  if (!ReadHeader(data, size, label, &header) || !OVI_CheckImageSize("TGA", label, header.width, header.height))
    return false;
  bitmap->width = header.width;
  bitmap->height = header.height;
  bitmap->flags |= BITMAP_FLAG_ALPHA | BITMAP_FLAG_RELOADABLE;
  return true;
}

bool OVI_DecodeTGA(ImageLoaderImp& loader, Bitmap* bitmap, const unsigned char* data, size_t size) {
  const char* label = OVI_ImageLabel(bitmap);
  TgaHeader header;
  if (!ReadHeader(data, size, label, &header)) return false;
  bool run_length = header.image_type == 10;
  if (header.colour_map_type != 0 || (header.image_type != 2 && !run_length) ||
      (header.bits != 24 && header.bits != 32)) {
    OV_LogLevel(LOG_WARNING,
                "TGA: '%s' has colour map type %d, image type %d and %d bits per pixel; only true-colour images "
                "(type 2 or 10) of 24 or 32 bits are read.",
                label, header.colour_map_type, header.image_type, header.bits);
    return false;
  }
  if (!OVI_CheckImageSize("TGA", label, header.width, header.height)) return false;
  const int bytes_per_pixel = header.bits / 8;
  const size_t start = kHeaderSize + static_cast<size_t>(header.id_length);
  const size_t total = static_cast<size_t>(header.width) * static_cast<size_t>(header.height);
  const size_t available = size > start ? size - start : 0;
  // The least image data that could describe every pixel.
  double needed = run_length ? static_cast<double>((total + kRunLength - 1) / kRunLength) * (1 + bytes_per_pixel)
                             : static_cast<double>(total) * bytes_per_pixel;
  if (!OVI_CheckImageData("TGA", label, header.width, header.height, available, needed)) return false;
  if (!loader.AllocateImagePixels(bitmap, header.width, header.height)) {
    loader.FreePixels(bitmap);
    return false;
  }
  const bool bgra = core.bitmap_channel_order == 1;
  if (run_length) {
    if (!DecodeRunLength(data, size, start, bytes_per_pixel, bgra, bitmap->pixels, total, label)) {
      loader.FreePixels(bitmap);
      return false;
    }
  } else {
    const unsigned char* in = data + start;
    unsigned char* out = bitmap->pixels;
    for (size_t i = 0; i < total; ++i, in += bytes_per_pixel, out += 4) PutPixel(out, in, bytes_per_pixel, bgra);
  }
  Orient(bitmap->pixels, header.width, header.height, !(header.descriptor & 0x20), (header.descriptor & 0x10) != 0);
  bitmap->flags |= BITMAP_FLAG_ALPHA | BITMAP_FLAG_RELOADABLE;
  return true;
}

bool OVI_WriteTGA(const Bitmap* bitmap, const char* native_path) {
  FILE* out = fopen(native_path, "wb");
  if (!out) {
    OV_LogLevel(LOG_WARNING, "Unable to open file '%s' for writing.", native_path);
    return false;
  }
  const int width = bitmap->width, height = bitmap->height;
  unsigned char header[kHeaderSize] = {};
  header[2] = 2;
  header[12] = static_cast<unsigned char>(width & 0xff);
  header[13] = static_cast<unsigned char>(width >> 8);
  header[14] = static_cast<unsigned char>(height & 0xff);
  header[15] = static_cast<unsigned char>(height >> 8);
  header[16] = 32;
  header[17] = 8;  // eight alpha bits, rows bottom to top
  bool ok = fwrite(header, 1, sizeof header, out) == sizeof header;
  const bool bgra = core.bitmap_channel_order == 1;
  const size_t stride = static_cast<size_t>(width) * 4;
  unsigned char row[4 * 1024];
  for (int y = height - 1; ok && y >= 0; --y) {
    const unsigned char* in = bitmap->pixels + y * stride;
    for (size_t done = 0; ok && done < stride;) {
      size_t n = stride - done < sizeof row ? stride - done : sizeof row;
      for (size_t i = 0; i < n; i += 4) {
        const unsigned char* p = in + done + i;
        row[i] = bgra ? p[0] : p[2];
        row[i + 1] = p[1];
        row[i + 2] = bgra ? p[2] : p[0];
        row[i + 3] = p[3];
      }
      ok = fwrite(row, 1, n, out) == n;
      done += n;
    }
  }
  if (fclose(out) != 0) ok = false;
  if (!ok) OV_LogLevel(LOG_WARNING, "SaveImage - writing '%s' failed.", native_path);
  return ok;
}
