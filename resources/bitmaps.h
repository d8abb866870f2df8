// Bitmap resources: a fixed table of 2048 records found by name, loaded from image files (or
// over HTTP), kept as pixels and/or a texture by their cache mode, reference counted and
// hibernated at zero; render targets made on request; textures made on the main thread, with a
// queue for bitmaps that other threads ask for.
#pragma once

#include "core/orvel.h"

enum {
  BITMAP_SLOTS = 2048,
  BITMAP_REFERENCE_CAP = 4096,
  CACHE_NOTHING = 0,
  CACHE_PIXELS = 2,
  CACHE_TEXTURE = 4,
  CACHE_FIND_ONLY = 16,
};

Bitmap* OV_CALL OV_GetBitmap(const char* name);
Bitmap* OV_CALL OV_GetBitmapEx(const char* name, int cache_mode);
Bitmap* OV_CALL OV_LoadBitmap(const char* name, int cache_mode);
void OV_CALL OV_ReleaseBitmap(Bitmap* bitmap);
ov_bool OV_CALL OV_SaveBitmap(Bitmap* bitmap, const char* path, int quality);
void OV_CALL OV_RefreshBitmap(Bitmap* bitmap);
void OV_CALL OV_ResizeBitmap(Bitmap* bitmap, int width, int height);
void OV_CALL OV_SetBitmapCacheMode(Bitmap* bitmap, int cache_mode);
Bitmap* OV_CALL OV_CreateBitmap(const char* name, int width, int height, int type);
void OV_CALL OV_SetBitmapFrame(Bitmap* bitmap, int frame_index);

// The frame's resource step: queued texture releases, then queued uploads (main thread).
void OVI_ProcessResourceQueue();
// Before the renderer goes: every texture dropped (pixels stay). After it is back: every live
// bitmap restored, render targets re-created and announced to the program (event 15).
void OVI_DropBitmapTextures();
void OVI_RestoreBitmaps();
// "Cache"/"ReloadBitmaps": every counted bitmap loaded again.
void OVI_ReloadBitmaps();
// The sums the memory estimates and the resource listing show.
struct BitmapUsage {
  double system, gpu, image;
  int used;
};
BitmapUsage OVI_BitmapUsage();
void OVI_ListBitmaps();
// Back to an empty table (engine state reset; the records' memory is freed).
void OVI_ResetBitmaps();
int OVI_BitmapSlotsUsed();
Bitmap* OVI_BitmapSlot(int index);
