// Resized copies of images: plain copy, area average (shrinking by more than 1.5) or bilinear
// sampling with 11-bit weights; colour bled into fully transparent pixels before and after so
// that filtering never pulls in the colour hidden under alpha 0.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/log.h"
#include "resources/image_loader.h"

namespace {

const unsigned long long kMaxResizedBytes = 1ull << 30;

// One axis of the area average. Target pixel t covers [t * source, (t + 1) * source) and source
// pixel s covers [s * target, (s + 1) * target) in units of 1 / (source * target) of the image, so
// each overlap is an exact integer weight and the weights of one target pixel add up to source.
struct AreaAxis {
  int* first;    // per target pixel: the first source pixel it covers
  int* count;    // how many source pixels
  int* weights;  // their weights, one run per target pixel at offset[t]
  int* offset;
};

bool BuildAreaAxis(int source, int target, AreaAxis* axis) {
  axis->first = static_cast<int*>(malloc(sizeof(int) * target));
  axis->count = static_cast<int*>(malloc(sizeof(int) * target));
  axis->offset = static_cast<int*>(malloc(sizeof(int) * target));
  // Each target pixel covers at most source / target + 2 source pixels.
  size_t capacity = static_cast<size_t>(target) * (static_cast<size_t>(source) / target + 2);
  axis->weights = static_cast<int*>(malloc(sizeof(int) * capacity));
  if (!axis->first || !axis->count || !axis->offset || !axis->weights) return false;
  int at = 0;
  for (int t = 0; t < target; ++t) {
    long long begin = static_cast<long long>(t) * source, end = begin + source;
    int s0 = static_cast<int>(begin / target), s1 = static_cast<int>((end - 1) / target);
    axis->first[t] = s0;
    axis->count[t] = s1 - s0 + 1;
    axis->offset[t] = at;
    for (int s = s0; s <= s1; ++s) {
      long long low = static_cast<long long>(s) * target, high = low + target;
      long long overlap = (end < high ? end : high) - (begin > low ? begin : low);
      axis->weights[at++] = static_cast<int>(overlap);
    }
  }
  return true;
}

void FreeAreaAxis(AreaAxis* axis) {
  free(axis->first);
  free(axis->count);
  free(axis->offset);
  free(axis->weights);
}

bool AreaAverage(const unsigned char* in, int sw, int sh, unsigned char* out, int tw, int th) {
  AreaAxis xs = {}, ys = {};
  // A source row reduced horizontally (sums up to 255 * sw) and the vertical sums of a target row.
  uint32_t* row = static_cast<uint32_t*>(malloc(sizeof(uint32_t) * 4 * tw));
  uint64_t* sums = static_cast<uint64_t*>(malloc(sizeof(uint64_t) * 4 * tw));
  bool ok = row && sums && BuildAreaAxis(sw, tw, &xs) && BuildAreaAxis(sh, th, &ys);
  if (ok) {
    const uint64_t total = static_cast<uint64_t>(sw) * sh;
    for (int ty = 0; ty < th; ++ty) {
      memset(sums, 0, sizeof(uint64_t) * 4 * tw);
      for (int j = 0; j < ys.count[ty]; ++j) {
        const unsigned char* source_row = in + static_cast<size_t>(ys.first[ty] + j) * sw * 4;
        const uint64_t wy = static_cast<uint64_t>(ys.weights[ys.offset[ty] + j]);
        for (int tx = 0; tx < tw; ++tx) {
          uint32_t r = 0, g = 0, b = 0, a = 0;
          const unsigned char* p = source_row + static_cast<size_t>(xs.first[tx]) * 4;
          const int* w = xs.weights + xs.offset[tx];
          for (int i = 0; i < xs.count[tx]; ++i, p += 4) {
            r += p[0] * static_cast<uint32_t>(w[i]);
            g += p[1] * static_cast<uint32_t>(w[i]);
            b += p[2] * static_cast<uint32_t>(w[i]);
            a += p[3] * static_cast<uint32_t>(w[i]);
          }
          row[tx * 4] = r;
          row[tx * 4 + 1] = g;
          row[tx * 4 + 2] = b;
          row[tx * 4 + 3] = a;
        }
        for (int i = 0; i < 4 * tw; ++i) sums[i] += row[i] * wy;
      }
      unsigned char* target_row = out + static_cast<size_t>(ty) * tw * 4;
      for (int i = 0; i < 4 * tw; ++i) target_row[i] = static_cast<unsigned char>((sums[i] + total / 2) / total);
    }
  }
  free(row);
  free(sums);
  FreeAreaAxis(&xs);
  FreeAreaAxis(&ys);
  return ok;
}

// The source position of each target pixel's centre in 1/2048 of a source pixel.
void SamplePositions(int source, int target, int* first, int* second, int* fraction) {
  for (int t = 0; t < target; ++t) {
    long long position = (2LL * t + 1) * source * 1024 / target - 1024;
    if (position < 0) position = 0;
    int whole = static_cast<int>(position >> 11);
    first[t] = whole;
    second[t] = whole + 1 < source ? whole + 1 : source - 1;
    fraction[t] = static_cast<int>(position & 2047);
  }
}

bool Bilinear(const unsigned char* in, int sw, int sh, unsigned char* out, int tw, int th) {
  int* table = static_cast<int*>(malloc(sizeof(int) * 3 * (static_cast<size_t>(tw) + th)));
  if (!table) return false;
  int *x0 = table, *x1 = x0 + tw, *fx = x1 + tw, *y0 = fx + tw, *y1 = y0 + th, *fy = y1 + th;
  SamplePositions(sw, tw, x0, x1, fx);
  SamplePositions(sh, th, y0, y1, fy);
  const size_t stride = static_cast<size_t>(sw) * 4;
  for (int ty = 0; ty < th; ++ty) {
    const unsigned char* top = in + y0[ty] * stride;
    const unsigned char* bottom = in + y1[ty] * stride;
    const uint32_t wy1 = static_cast<uint32_t>(fy[ty]), wy0 = 2048 - wy1;
    unsigned char* o = out + static_cast<size_t>(ty) * tw * 4;
    for (int tx = 0; tx < tw; ++tx, o += 4) {
      const uint32_t wx1 = static_cast<uint32_t>(fx[tx]), wx0 = 2048 - wx1;
      const uint32_t w00 = wx0 * wy0, w10 = wx1 * wy0, w01 = wx0 * wy1, w11 = wx1 * wy1;
      const unsigned char* a = top + x0[tx] * 4;
      const unsigned char* b = top + x1[tx] * 4;
      const unsigned char* c = bottom + x0[tx] * 4;
      const unsigned char* d = bottom + x1[tx] * 4;
      for (int k = 0; k < 4; ++k) {
        uint32_t value = (a[k] * w00 + b[k] * w10 + c[k] * w01 + d[k] * w11) >> 22;
        o[k] = static_cast<unsigned char>(value > 255 ? 255 : value);
      }
    }
  }
  free(table);
  return true;
}

}  // namespace

void OVI_BleedColourIntoTransparentPixels(unsigned char* pixels, int width, int height) {
  if (!pixels || width < 1 || height < 1) return;
  const ptrdiff_t stride = static_cast<ptrdiff_t>(width) * 4;
  // Only pixels with alpha 0 change, and only their colour, so reading neighbours that this pass
  // has already visited gives the same result as reading the original.
  for (int y = 0; y < height; ++y) {
    unsigned char* row = pixels + y * stride;
    for (int x = 0; x < width; ++x) {
      unsigned char* p = row + x * 4;
      if (p[3] != 0) continue;
      const unsigned char* from = nullptr;
      if (y > 0 && p[3 - stride]) from = p - stride;
      if (x + 1 < width && p[4 + 3]) from = p + 4;
      if (y + 1 < height && p[stride + 3]) from = p + stride;
      if (x > 0 && p[3 - 4]) from = p - 4;
      if (from) memcpy(p, from, 3);
    }
  }
}

bool OVI_CreateImageResized(Bitmap* target, const Bitmap* source, int width, int height) {
  if (!target) {
    OV_LogLevel(LOG_WARNING, "OVI_CreateImageResized bm_target is null.");
    return false;
  }
  if (!source) {
    OV_LogLevel(LOG_WARNING, "OVI_CreateImageResized bm_source is null.");
    return false;
  }
  if (!source->pixels || source->width < 1 || source->height < 1) {
    OV_LogLevel(LOG_WARNING, "OVI_CreateImageResized bm_source '%s' has no pixels.",
                source->name ? source->name : "(null)");
    return false;
  }
  if (width < 1 || width > 65535 || height < 1 || height > 65535) return false;
  const int sw = source->width, sh = source->height;
  const unsigned long long bytes = static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * 4;
  const unsigned long long source_bytes = static_cast<unsigned long long>(sw) * static_cast<unsigned long long>(sh) * 4;
  if (bytes > kMaxResizedBytes || bytes > SIZE_MAX || source_bytes > SIZE_MAX) {
    OV_LogLevel(LOG_WARNING, "OVI_CreateImageResized refuses %dx%d pixels (more than %d MB).", width, height,
                static_cast<int>(kMaxResizedBytes >> 20));
    return false;
  }
  const bool alpha = (source->flags & BITMAP_FLAG_ALPHA) != 0;
  unsigned char* out = static_cast<unsigned char*>(malloc(static_cast<size_t>(bytes)));
  unsigned char* bled = alpha ? static_cast<unsigned char*>(malloc(static_cast<size_t>(source_bytes))) : nullptr;
  bool ok = out && (!alpha || bled);
  if (ok) {
    const unsigned char* in = source->pixels;
    if (alpha) {
      memcpy(bled, source->pixels, static_cast<size_t>(source_bytes));
      OVI_BleedColourIntoTransparentPixels(bled, sw, sh);
      in = bled;
    }
    if (sw == width && sh == height) memcpy(out, in, static_cast<size_t>(bytes));
    else if (2LL * sw > 3LL * width || 2LL * sh > 3LL * height) ok = AreaAverage(in, sw, sh, out, width, height);
    else ok = Bilinear(in, sw, sh, out, width, height);
    if (ok && alpha) OVI_BleedColourIntoTransparentPixels(out, width, height);
  }
  free(bled);
  if (!ok) {
    free(out);
    OV_LogLevel(LOG_WARNING, "OVI_CreateImageResized: out of memory resizing '%s' to %dx%d.",
                source->name ? source->name : "(null)", width, height);
    return false;
  }
  free(target->pixels);  // after reading: the target may be the source itself
  target->pixels = out;
  target->width = target->image_width = width;
  target->height = target->image_height = height;
  target->flags = static_cast<unsigned char>(alpha ? target->flags | BITMAP_FLAG_ALPHA : target->flags & ~BITMAP_FLAG_ALPHA);
  return true;
}
