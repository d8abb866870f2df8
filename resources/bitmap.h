// The bitmap record: the handle the program and the renderer get for a bitmap resource. The
// renderer writes its texture into the hardware block.
#pragma once

#include "core/orvel.h"

// Written by the renderer: the texture, its size and the rectangle of the image inside it.
struct BitmapHardware {
  int has_texture;
  int texture_width, texture_height;
  void* texture;
  float left, top, right, bottom;
};

enum {
  BITMAP_FLAG_ALPHA = 1,
  BITMAP_FLAG_RELOADABLE = 2,
  BITMAP_FLAG_RENDER_TARGET = 4,
  BITMAP_FLAG_EXTRA_REFERENCE = 8,
  BITMAP_FLAG_MIPMAPS = 16,
};

enum { BITMAP_STATE_FREE = 0, BITMAP_STATE_NOT_LOADED = 1, BITMAP_STATE_LOADING = 2, BITMAP_STATE_DONE = 3 };

struct Bitmap {
  char* name;
  unsigned name_hash;
  int one;
  int slot;
  short reference_count;
  unsigned char cache_mode;
  unsigned char lock;
  int zero;
  char* source_file;
  int width, height;
  unsigned char* pixels;
  int image_width, image_height;
  int type;
  unsigned char flags;
  unsigned short state;
  unsigned short edge_mode;
  Bitmap* duplicate;
  Bitmap* frames;
  int frame_count;
  void* atlas;
  int frame_number;
  float frame_rate;
  BitmapHardware hardware;
};

// A bitmap the drawing operations can use: loaded, with a texture on the renderer.
inline bool OVI_BitmapDrawable(const Bitmap* bitmap) {
  return bitmap && bitmap->state == BITMAP_STATE_DONE && bitmap->hardware.has_texture;
}
