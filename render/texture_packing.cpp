#include "render/texture_packing.h"

#include <string.h>

#include "resources/bitmap.h"

namespace {

bool PowerOfTwo(int value) { return value > 0 && (value & (value - 1)) == 0; }

// A dimension keeps no border when it is a large power of two already, or when the border would
// push it past the next power of two.
int Border(int dimension, int border) {
  if (border == 0) return 0;
  if (dimension >= 1024 && PowerOfTwo(dimension)) return 0;
  if (dimension >= 1023 && dimension == OVI_NextPowerOfTwo(dimension) - border) return 0;
  return border;
}

}  // namespace

int OVI_NextPowerOfTwo(int value) {
  int power = 1;
  while (power < value && power < (1 << 30)) power <<= 1;
  return power;
}

TexturePlan OVI_PlanTexture(Bitmap* bitmap) {
  TexturePlan plan = {};
  if (bitmap->name && strstr(bitmap->name, "textures/")) bitmap->edge_mode = EDGE_NONE;
  if (PowerOfTwo(bitmap->width) && PowerOfTwo(bitmap->height)) bitmap->edge_mode = EDGE_NONE;
  if (!(bitmap->flags & BITMAP_FLAG_ALPHA) && bitmap->edge_mode == EDGE_TRANSPARENT) bitmap->edge_mode = EDGE_REPLICATE;
  int border = bitmap->edge_mode <= EDGE_TRANSPARENT ? 1 : 0;
  plan.border_x = Border(bitmap->width, border);
  plan.border_y = Border(bitmap->height, border);
  if (plan.border_x == 0 && plan.border_y == 0) bitmap->edge_mode = EDGE_NONE;
  plan.edge_mode = bitmap->edge_mode;
  plan.texture_width = OVI_NextPowerOfTwo(bitmap->width + 2 * plan.border_x);
  plan.texture_height = OVI_NextPowerOfTwo(bitmap->height + 2 * plan.border_y);
  float tw = static_cast<float>(plan.texture_width), th = static_cast<float>(plan.texture_height);
  plan.left = plan.border_x / tw;
  plan.top = plan.border_y / th;
  plan.right = (bitmap->width + plan.border_x) / tw;
  plan.bottom = (bitmap->height + plan.border_y) / th;
  return plan;
}

void OVI_PackTexturePixels(const Bitmap& bitmap, const TexturePlan& plan, unsigned char* texture, size_t pitch) {
  const size_t row = static_cast<size_t>(bitmap.width) * 4;
  const int bx = plan.border_x, by = plan.border_y;
  if (bx == 0 && by == 0 && pitch == row) {
    memcpy(texture, bitmap.pixels, row * bitmap.height);
  } else {
    for (int y = 0; y < bitmap.height; ++y)
      memcpy(texture + (y + by) * pitch + bx * 4, bitmap.pixels + y * row, row);
  }
  if (plan.edge_mode != EDGE_REPLICATE && plan.edge_mode != EDGE_TRANSPARENT) return;
  auto at = [&](int x, int y) { return texture + y * pitch + x * 4; };
  // Columns first (inside the image rows), then whole rows, so the corners are replicated too.
  for (int y = by; y < by + bitmap.height; ++y) {
    if (bx) {
      memcpy(at(0, y), at(bx, y), 4);
      memcpy(at(bx + bitmap.width, y), at(bx + bitmap.width - 1, y), 4);
    }
  }
  const size_t full = static_cast<size_t>(bitmap.width + 2 * bx) * 4;
  if (by) {
    memcpy(at(0, 0), at(0, by), full);
    memcpy(at(0, by + bitmap.height), at(0, by + bitmap.height - 1), full);
  }
  if (plan.edge_mode != EDGE_TRANSPARENT) return;
  const int w = bitmap.width + 2 * bx, h = bitmap.height + 2 * by;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bool border_pixel = x < bx || x >= bx + bitmap.width || y < by || y >= by + bitmap.height;
      if (border_pixel) at(x, y)[3] = 0;
    }
}
