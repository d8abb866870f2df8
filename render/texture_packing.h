// How a bitmap's pixels are laid into a power-of-two texture: the edge mode, a one-pixel border
// where it helps filtering, the texture size and the image's rectangle inside it.
#pragma once

#include <stddef.h>

struct Bitmap;

enum { EDGE_REPLICATE = 0, EDGE_TRANSPARENT = 2, EDGE_NONE = 3 };

struct TexturePlan {
  int edge_mode;
  int border_x, border_y;
  int texture_width, texture_height;
  float left, top, right, bottom;  // the image's rectangle in texture coordinates
};

int OVI_NextPowerOfTwo(int value);
// Settles the bitmap's edge mode (names under "textures/" and power-of-two sizes get none) and
// plans the texture.
TexturePlan OVI_PlanTexture(Bitmap* bitmap);
// Copies the bitmap's rows into a texture of the plan's size (pitch bytes per row) at the
// border offset and fills the border as its edge mode says.
void OVI_PackTexturePixels(const Bitmap& bitmap, const TexturePlan& plan, unsigned char* texture, size_t pitch);
