#include "resources/bitmaps.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/events.h"
#include "core/log.h"
#include "core/threads.h"
#include "data/data_base.h"
#include "filesystem/file_api.h"
#include "platform/ov_os.h"
#include "render/drawing_state.h"
#include "render/renderer.h"
#include "render/targets.h"
#include "resources/bitmap.h"
#include "resources/image_loader.h"

namespace {

Bitmap table[BITMAP_SLOTS];
int slots_used = 0;  // high-water mark
std::vector<Bitmap*> upload_queue;
std::vector<BitmapHardware> release_queue;

bool Counted() { return core.reference_counting; }
bool Printing() { return core.print_reference_count_changes; }
bool Placeholder(const char* name) { return name && name[0] == '!'; }
const char* NameOf(const Bitmap* b) { return b && b->name ? b->name : "NULL"; }
bool MainOrThreaded() { return OV_IsMainThread() || (core.renderer && core.renderer->SupportsThreadedUploads()); }
bool ErrorPopups() { return !OVI_HasFeature("DISABLE_REFERENCE_COUNT_ERROR_POPUPS"); }

unsigned Hash(const char* name) {
  unsigned h = 0;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(name); *c; ++c) h = h * 37 + *c;
  return h;
}

// The name rules: none becomes "!NONE", each leading '/' is skipped and reported.
const char* Normalise(const char* name) {
  if (!name || !*name) return "!NONE";
  while (*name == '/') {
    OV_LogLevel(LOG_WARNING, "Bitmap '%s' name path starting with '/'. Not allowed.", name);
    ++name;
  }
  return *name ? name : "!NONE";
}

Bitmap* Find(const char* name, bool stop_at_free = false) {
  unsigned hash = Hash(name);
  for (int i = 0; i < slots_used; ++i) {
    Bitmap& b = table[i];
    if (!b.name) {
      if (stop_at_free) return nullptr;
      continue;
    }
    if (b.name_hash == hash && strcmp(b.name, name) == 0) return &b;
  }
  return nullptr;
}

Bitmap* FreeSlot() {
  for (int i = 0; i < slots_used; ++i)
    if (!table[i].name) return &table[i];
  if (slots_used >= BITMAP_SLOTS) {
    OV_Report(LOG_WARNING, " ! Orvel out of free bitmaps.");
    return nullptr;
  }
  return &table[slots_used++];
}

void Initialise(Bitmap* b, const char* name) {
  int slot = static_cast<int>(b - table);
  memset(b, 0, sizeof *b);
  size_t length = strlen(name);
  b->name = static_cast<char*>(malloc(length + 1));
  memcpy(b->name, name, length + 1);
  b->name_hash = Hash(name);
  b->one = 1;
  b->slot = slot;
  b->state = BITMAP_STATE_NOT_LOADED;
  b->reference_count = 1;
}

void LockBitmap(Bitmap* b) {
  for (;;) {
    OVI_Lock(MUTEX_SHARED_BITMAP);
    if (!b->lock) {
      b->lock = 1;
      OVI_Unlock(MUTEX_SHARED_BITMAP);
      return;
    }
    OVI_Unlock(MUTEX_SHARED_BITMAP);
    OVOS_Sleep(1);
  }
}

void UnlockBitmap(Bitmap* b) {
  OVI_Lock(MUTEX_SHARED_BITMAP);
  if (!b->lock && core.developer_mode)
    OV_LogLevel(LOG_WARNING, "OVI_UnlockBitmap called on unlocked bitmap ('%s').", NameOf(b));
  b->lock = 0;
  OVI_Unlock(MUTEX_SHARED_BITMAP);
}

void FreePixels(Bitmap* b) {
  if (b->pixels) OVI_ImageLoader()->FreePixels(b);
}

void AddReference(Bitmap* b, const char* how) {
  ++b->reference_count;
  if (Printing()) OV_Log("'%s' ref count++%s: now %d", b->name, how, b->reference_count);
  if (b->reference_count > BITMAP_REFERENCE_CAP) {
    b->reference_count = BITMAP_REFERENCE_CAP;
    OV_Report(LOG_WARNING, "Bitmap '%s' reference count suspiciously high: capping at %d.", b->name,
              BITMAP_REFERENCE_CAP);
  }
}

// ---- the renderer calls ----------------------------------------------------------------------

bool OffMainThread(const char* message) {
  if (!core.developer_mode || MainOrThreaded()) return false;
  OV_LogLevel(LOG_WARNING, "%s", message);
  return true;
}

bool CallRendererToCreate(Bitmap* b) {
  if (!b) {
    OV_LogLevel(LOG_WARNING, "OVI_CallRendererToCreateBitmap: parameter is null bitmap.");
    return false;
  }
  if (OffMainThread("OVI_CallRendererToCreateBitmap from non-renderer thread. Code fix required.")) return false;
  if (!core.renderer) return false;
  if (b->hardware.has_texture) {
    OV_LogLevel(LOG_WARNING, "OVI_CallRendererToCreateBitmap: Bitmap '%s' already loaded to gpu. Freeing...", NameOf(b));
    core.renderer->FreeBitmapTexture(b);
  }
  bool ok = core.renderer->CreateBitmapTexture(b);
  if (ok) b->hardware.has_texture = 1;
  return ok;
}

bool CallRendererToLoad(Bitmap* b) {
  if (!b) {
    OV_LogLevel(LOG_WARNING, "OVI_CallRendererToLoadBitmap: parameter is null bitmap.");
    return false;
  }
  if (OffMainThread("OVI_CallRendererToLoadBitmap from non-renderer thread. Code fix required.")) return false;
  if (!b->pixels) {
    OV_LogLevel(LOG_WARNING, "OVI_CallRendererToLoadBitmap: Bitmap '%s' missing pixels.", NameOf(b));
    return false;
  }
  if (!core.renderer) return false;
  if (b->hardware.has_texture) {
    OV_LogLevel(LOG_WARNING, "OVI_CallRendererToLoadBitmap: Bitmap '%s' already loaded to gpu. Freeing...", NameOf(b));
    core.renderer->FreeBitmapTexture(b);
  }
  bool ok = core.renderer->LoadBitmapPixels(b);
  if (ok) b->hardware.has_texture = 1;
  return ok;
}

void CallRendererToFree(Bitmap* b) {
  if (OffMainThread("OVI_CallRendererToFreeBitmap from non-renderer thread. Code fix required.")) return;
  if (core.renderer && b->hardware.has_texture) core.renderer->FreeBitmapTexture(b);
  memset(&b->hardware, 0, sizeof b->hardware);
}

void QueueUpload(Bitmap* b) {
  OVI_Lock(MUTEX_RESOURCE_QUEUE);
  if (std::find(upload_queue.begin(), upload_queue.end(), b) == upload_queue.end()) upload_queue.push_back(b);
  OVI_Unlock(MUTEX_RESOURCE_QUEUE);
}

bool Unqueue(Bitmap* b) {
  OVI_Lock(MUTEX_RESOURCE_QUEUE);
  auto found = std::find(upload_queue.begin(), upload_queue.end(), b);
  bool was = found != upload_queue.end();
  if (was) upload_queue.erase(found);
  OVI_Unlock(MUTEX_RESOURCE_QUEUE);
  return was;
}

void Upload(Bitmap* b) {
  if (!MainOrThreaded()) {
    QueueUpload(b);
    return;
  }
  if (!core.renderer || !core.renderer_ready) {
    OV_Log("Renderer implementation lost, trying to regain...\n");
    int attempt = 1;
    for (; attempt <= 10 && !(core.renderer && core.renderer_ready); ++attempt) OVOS_Sleep(100);
    if (!(core.renderer && core.renderer_ready)) return;
    OV_Log("Renderer reclaimed at try #%d.\n", attempt);
  }
  if (b->width <= 0 || b->height <= 0 || !CallRendererToLoad(b))
    OV_LogLevel(LOG_WARNING, "Unable to upload bitmap '%s' (%dx%d) to renderer.", NameOf(b), b->width, b->height);
}

void DropTexture(Bitmap* b) {
  if (MainOrThreaded()) {
    CallRendererToFree(b);
    return;
  }
  if (Unqueue(b)) {
    OV_LogLevel(LOG_WARNING, "Bitmap '%s' still in hardware upload queue. Removing it.", NameOf(b));
    return;
  }
  if (!b->hardware.has_texture) {
    OV_LogLevel(LOG_WARNING, "OVI_QueueBitmapHardwareDataRelease: Bitmap '%s' hw data is not ready. No reason to release.",
                NameOf(b));
    return;
  }
  OVI_Lock(MUTEX_RESOURCE_QUEUE);
  release_queue.push_back(b->hardware);
  OVI_Unlock(MUTEX_RESOURCE_QUEUE);
  memset(&b->hardware, 0, sizeof b->hardware);
}

// ---- loading ---------------------------------------------------------------------------------

bool HasExtension(const char* name) {
  const char* slash = strrchr(name, '/');
  return strchr(slash ? slash : name, '.') != nullptr;
}

void ApplyManifest(Bitmap* b) {
  b->image_width = b->width;
  b->image_height = b->height;
  const DataNode* node = OVFS_FindInManifests(b->name);
  if (!node) return;
  const char* w = node->GetParameter("w");
  const char* h = node->GetParameter("h");
  b->width = w ? atoi(w) : 32;
  b->height = h ? atoi(h) : 32;
  if (const char* mode = node->GetParameter("pack_mode")) {
    OV_Log("Using pack mode '%s'\n", mode);
    if (strcmp(mode, "NO_PADDING") == 0) b->edge_mode = 3;
    else if (strcmp(mode, "PAD_EXPAND") == 0) b->edge_mode = 0;
    else if (strcmp(mode, "PAD_TRANSPARENT") == 0) b->edge_mode = 2;
  }
}

// The file a name loads from: the name itself when it has an extension or is a URL, else the
// first of .png, .jpg, .tga and .bms that opens. Empty when none does.
std::string SourceFile(const char* name) {
  if (HasExtension(name) || strncmp(name, "http://", 7) == 0) return name;
  for (const char* extension : {".png", ".jpg", ".tga", ".bms"}) {
    std::string candidate = std::string(name) + extension;
    FileHandle* file = OV_OpenFile(candidate.c_str(), "rb");
    if (!file) continue;
    OV_CloseFile(file);
    return candidate;
  }
  OV_LogLevel(LOG_WARNING,
              "Unable to load bitmap '%s' without extension. Tried all image formats but found no source files.", name);
  return "";
}

void LoadFromSource(Bitmap* b) {
  if (b->state != BITMAP_STATE_NOT_LOADED) return;
  if (Placeholder(b->name)) {
    b->state = BITMAP_STATE_DONE;
    return;
  }
  b->state = BITMAP_STATE_LOADING;
  if (b->pixels) {
    OV_LogLevel(LOG_WARNING, "Bitmap '%s' has existing pixel data. Freeing it.\n", b->name);
    FreePixels(b);
  }
  b->frame_rate = 30.0f;
  std::string source = SourceFile(b->name);
  bool loaded = false;
  if (!source.empty()) {
    free(b->source_file);
    b->source_file = static_cast<char*>(malloc(source.size() + 1));
    memcpy(b->source_file, source.c_str(), source.size() + 1);
    if (strncmp(b->name, "http://", 7) == 0 && strchr(b->name, '*')) {
      OV_LogLevel(LOG_WARNING, "Asterisk character ('*') isn't allowed in http:// url file names such as '%s'\n", b->name);
    } else if (source.size() > 4 && source.compare(source.size() - 4, 4, ".bms") == 0) {
      OV_LogLevel(LOG_WARNING, "Bitmap sequence '%s' can not be loaded yet.", source.c_str());
    } else if (strchr(b->name, '*')) {
      OV_LogLevel(LOG_WARNING, "Bitmap sequence '%s' can not be loaded yet.", b->name);
    } else {
      // http:// names go through the file API too, which downloads them once into cache://.
      loaded = OVI_ImageLoader()->Load(b, source.c_str());
    }
  }
  b->state = BITMAP_STATE_DONE;
  if (loaded) ApplyManifest(b);
  else OV_LogLevel(LOG_WARNING, "Unable to load bitmap '%s'.\n", b->name);
}

void FreeAllData(Bitmap* b) {
  DropTexture(b);
  FreePixels(b);
  b->state = BITMAP_STATE_NOT_LOADED;
}

// Takes a record for a new name: a free slot, initialised, reloadable, locked, edge mode 2.
Bitmap* Register(const char* name) {
  OV_Log("..caching bitmap '%s'", name);
  Bitmap* b = FreeSlot();
  if (!b) return nullptr;
  Initialise(b, name);
  b->flags |= BITMAP_FLAG_RELOADABLE;
  if (strstr(name, "textures/")) b->flags |= BITMAP_FLAG_MIPMAPS;
  b->lock = 1;
  b->edge_mode = 2;
  b->cache_mode = CACHE_NOTHING;
  return b;
}

Bitmap* GetOrLoad(const char* requested, int mode, bool counting_once) {
  const char* name = Normalise(requested);
  OVI_Lock(MUTEX_GET_BITMAP);
  Bitmap* b = Find(name);
  if (b) {
    if (mode == CACHE_FIND_ONLY) {
      OVI_Unlock(MUTEX_GET_BITMAP);
      return b;
    }
    int old_mode = b->cache_mode;
    if (mode != CACHE_NOTHING && !Placeholder(name)) {
      if (!counting_once) {
        AddReference(b, "");
      } else if (!(b->flags & BITMAP_FLAG_EXTRA_REFERENCE)) {
        b->flags |= BITMAP_FLAG_EXTRA_REFERENCE;
        AddReference(b, " (GetBitmap)");
      }
    }
    OVI_Unlock(MUTEX_GET_BITMAP);
    if (!counting_once || (old_mode | mode) != old_mode) OV_SetBitmapCacheMode(b, old_mode | mode);
    return b;
  }
  if (mode == CACHE_FIND_ONLY) {
    OVI_Unlock(MUTEX_GET_BITMAP);
    return nullptr;
  }
  b = Register(name);
  if (!b) {
    OVI_Unlock(MUTEX_GET_BITMAP);
    return nullptr;
  }
  if (mode == CACHE_NOTHING) {
    b->reference_count = 0;
    if (Printing()) OV_Log("'%s' ref count = 0 (CACHE_NOTHING)", name);
    UnlockBitmap(b);
    OVI_Unlock(MUTEX_GET_BITMAP);
    return b;
  }
  if (counting_once) b->flags |= BITMAP_FLAG_EXTRA_REFERENCE;
  if (Printing()) OV_Log("'%s' ref count = 1", name);
  UnlockBitmap(b);
  OVI_Unlock(MUTEX_GET_BITMAP);
  OV_SetBitmapCacheMode(b, mode);
  OV_SetBitmapFrame(b, 0);
  return b;
}

}  // namespace

Bitmap* OV_CALL OV_LoadBitmap(const char* name, int cache_mode) { return GetOrLoad(name, cache_mode, false); }
Bitmap* OV_CALL OV_GetBitmapEx(const char* name, int cache_mode) { return GetOrLoad(name, cache_mode, true); }
Bitmap* OV_CALL OV_GetBitmap(const char* name) { return GetOrLoad(name, CACHE_TEXTURE, true); }

void OV_CALL OV_SetBitmapCacheMode(Bitmap* b, int mode) {
  if (!b || !b->name || Placeholder(b->name) || b->duplicate || b->cache_mode == mode) return;
  if (!(b->flags & BITMAP_FLAG_RELOADABLE) && !b->pixels) {
    OV_LogLevel(LOG_WARNING, "Bitmap '%s' not reloadable, can't change cache mode.", b->name);
    return;
  }
  LockBitmap(b);
  if (Counted() && b->reference_count < 1) {
    b->cache_mode = static_cast<unsigned char>(mode);
    UnlockBitmap(b);
    return;
  }
  if (core.unlimited_memory && (mode & (CACHE_PIXELS | CACHE_TEXTURE)) && !(b->flags & BITMAP_FLAG_EXTRA_REFERENCE)) {
    b->flags |= BITMAP_FLAG_EXTRA_REFERENCE;
    ++b->reference_count;
  }
  bool reloadable = (b->flags & BITMAP_FLAG_RELOADABLE) != 0;
  if (reloadable && !b->pixels && (mode & (CACHE_PIXELS | CACHE_TEXTURE))) {
    b->state = BITMAP_STATE_NOT_LOADED;
    LoadFromSource(b);
  }
  if ((mode & CACHE_TEXTURE) && !b->hardware.has_texture && b->pixels) Upload(b);
  if (reloadable && !(mode & CACHE_PIXELS) && (b->hardware.has_texture || !(mode & CACHE_TEXTURE))) FreePixels(b);
  if (b->hardware.has_texture && !(mode & CACHE_TEXTURE)) DropTexture(b);
  if (mode == CACHE_NOTHING) FreeAllData(b);
  b->cache_mode = static_cast<unsigned char>(mode);
  UnlockBitmap(b);
}

Bitmap* OV_CALL OV_CreateBitmap(const char* requested, int width, int height, int type) {
  const char* name = Normalise(requested);
  OVI_Lock(MUTEX_GET_BITMAP);
  Bitmap* b = Find(name, true);
  if (b) {
    ++b->reference_count;
    if (Printing()) OV_Log("'%s' ref count++: now %d", b->name, b->reference_count);
    if (b->reference_count > BITMAP_REFERENCE_CAP) b->reference_count = BITMAP_REFERENCE_CAP;
    OVI_Unlock(MUTEX_GET_BITMAP);
    if (b->width != width || b->height != height) OV_ResizeBitmap(b, width, height);
    return b;
  }
  OV_Log("..creating bitmap '%s' (%dx%d)", name, width, height);
  b = FreeSlot();
  if (!b) {
    OVI_Unlock(MUTEX_GET_BITMAP);
    return nullptr;
  }
  Initialise(b, name);
  b->type = type;
  if (Printing()) OV_Log("'%s' ref count = 1", name);
  b->lock = 1;
  b->width = b->image_width = width;
  b->height = b->image_height = height;
  b->edge_mode = 3;
  if (strstr(name, "MIPMAP")) b->flags |= BITMAP_FLAG_MIPMAPS;
  if (type == 1 || type == 3 || type == 4) {
    b->flags |= BITMAP_FLAG_RENDER_TARGET;
    if (MainOrThreaded()) CallRendererToCreate(b);
    else QueueUpload(b);
  } else if (type == 0) {
    // Sizes are limited as for loaded images, so that a wrong call cannot ask for gigabytes.
    if (width > 0 && height > 0 && width <= 16384 && height <= 16384)
      b->pixels = static_cast<unsigned char*>(calloc(static_cast<size_t>(width) * height, 4));
    b->cache_mode = CACHE_PIXELS | CACHE_TEXTURE;
  }
  b->state = BITMAP_STATE_DONE;
  UnlockBitmap(b);
  OVI_Unlock(MUTEX_GET_BITMAP);
  return b;
}

void OV_CALL OV_ReleaseBitmap(Bitmap* b) {
  if (!b || !b->name || Placeholder(b->name)) return;
  if (b == OVI_CurrentRenderTarget()) {
    OV_Report(LOG_ERROR,
              "OV_ReleaseBitmap: Releasing current render target bitmap '%s' is not allowed. Please fix your application "
              "code to first set the render target to NULL.",
              b->name);
    OVI_ResetRenderTargets();
  }
  OVI_Lock(MUTEX_GET_BITMAP);
  if (Counted()) {
    --b->reference_count;
    if (Printing()) OV_Log("ReleaseBitmap: '%s' ref count--: now %d", b->name, b->reference_count);
    if ((b->flags & BITMAP_FLAG_EXTRA_REFERENCE) && b->reference_count == 0 && ErrorPopups())
      OV_Report(LOG_WARNING,
                "Releasing bitmap '%s' too many times: ref counting will get messed up. NOTE: bitmap has been accessed "
                "using GetBitmap which increses ref count by 1 once.",
                b->name);
    if (b->reference_count > 0) {
      OVI_Unlock(MUTEX_GET_BITMAP);
      return;
    }
    if (b->reference_count == 0 && (b->flags & BITMAP_FLAG_RELOADABLE)) {
      OV_Log("Hibernating bitmap '%s'..", b->name);
      OVI_Unlock(MUTEX_GET_BITMAP);
      return;
    }
    if (b->reference_count < 0) {
      b->reference_count = 0;
      if (ErrorPopups()) OV_Report(LOG_WARNING, "Bitmap '%s' reference count less than zero.", b->name);
      if (b->flags & BITMAP_FLAG_RELOADABLE) {
        OVI_Unlock(MUTEX_GET_BITMAP);
        return;
      }
    }
  }
  OV_Log("Releasing bitmap '%s'..", b->name);
  if (!MainOrThreaded()) {
    OV_LogLevel(LOG_ERROR, "OV_ReleaseBitmap '%s' without reference counting is not possible from non-main thread.", b->name);
    OVI_Unlock(MUTEX_GET_BITMAP);
    return;
  }
  if (b->state == BITMAP_STATE_FREE) {
    OV_LogLevel(LOG_WARNING, "Trying to release null bitmap.");
    OVI_Unlock(MUTEX_GET_BITMAP);
    return;
  }
  LockBitmap(b);
  b->state = BITMAP_STATE_FREE;
  Unqueue(b);
  DropTexture(b);
  FreePixels(b);
  free(b->source_file);
  b->source_file = nullptr;
  free(b->name);
  b->name = nullptr;
  UnlockBitmap(b);
  OVI_Unlock(MUTEX_GET_BITMAP);
}

ov_bool OV_CALL OV_SaveBitmap(Bitmap* b, const char* path, int quality) {
  if (!b || !path) return 0;
  LockBitmap(b);
  bool ok = OVI_ImageLoader()->SaveImage(b, path, quality);
  UnlockBitmap(b);
  return ok;
}

void OV_CALL OV_RefreshBitmap(Bitmap* b) {
  if (!b || !b->name || Placeholder(b->name)) return;
  if (strncmp(b->name, "http://", 7) == 0) {
    if (b->source_file && strncmp(b->source_file, "http://", 7) != 0) OV_DeleteFile(b->source_file);
    int mode = b->cache_mode;
    OV_SetBitmapCacheMode(b, CACHE_NOTHING);
    OV_SetBitmapCacheMode(b, mode);
    return;
  }
  if (!MainOrThreaded()) {
    OV_LogLevel(LOG_WARNING,
                "Refreshing bitmaps from another thread than main has not been tested properly yet. Not refreshing bitmap.");
    return;
  }
  if (b->flags & BITMAP_FLAG_RENDER_TARGET) {
    if (core.renderer) core.renderer->CopyRenderTargetToBitmapPixels(b);
    return;
  }
  LockBitmap(b);
  if (b->hardware.has_texture) CallRendererToFree(b);
  b->state = BITMAP_STATE_LOADING;
  if (b->pixels) Upload(b);
  b->state = BITMAP_STATE_DONE;
  UnlockBitmap(b);
}

void OV_CALL OV_ResizeBitmap(Bitmap* b, int width, int height) {
  if (!b) return;
  if (b->width == width && b->height == height && b->image_width == width && b->image_height == height) return;
  if (!(b->flags & BITMAP_FLAG_RENDER_TARGET)) {
    LockBitmap(b);
    if (b->pixels) {
      Bitmap resized = {};
      if (OVI_CreateImageResized(&resized, b, width, height)) {
        FreePixels(b);
        b->pixels = resized.pixels;
      }
    }
    b->width = b->image_width = width;
    b->height = b->image_height = height;
    UnlockBitmap(b);
    return;
  }
  OV_Log("OV_ResizeBitmap resizing render target '%s' from %dx%d to %dx%d", b->name ? b->name : "null", b->width,
         b->height, width, height);
  b->width = b->image_width = width;
  b->height = b->image_height = height;
  if (MainOrThreaded()) {
    Unqueue(b);
    CallRendererToFree(b);
    CallRendererToCreate(b);
  } else {
    QueueUpload(b);
  }
}

void OV_CALL OV_SetBitmapFrame(Bitmap* b, int frame_index) {
  // Sequences come with the atlas code; a single bitmap is its own only frame.
  (void)b;
  (void)frame_index;
}

void OVI_ProcessResourceQueue() {
  unsigned start = OVOS_Milliseconds();
  std::vector<Bitmap*> uploads;
  std::vector<BitmapHardware> releases;
  OVI_Lock(MUTEX_RESOURCE_QUEUE);
  uploads.swap(upload_queue);
  releases.swap(release_queue);
  OVI_Unlock(MUTEX_RESOURCE_QUEUE);
  for (BitmapHardware& hardware : releases) {
    OV_Log("Freeing bitmap hardware data %dx%d.", hardware.texture_width, hardware.texture_height);
    Bitmap holder = {};
    holder.hardware = hardware;
    if (core.renderer) core.renderer->FreeBitmapTexture(&holder);
  }
  for (Bitmap* b : uploads) {
    if (!b->name) continue;
    LockBitmap(b);
    if (b->flags & BITMAP_FLAG_RENDER_TARGET) {
      CallRendererToCreate(b);
    } else if (b->pixels || b->frames) {
      Upload(b);
      if (!(b->cache_mode & CACHE_PIXELS)) FreePixels(b);
    } else {
      OV_LogLevel(LOG_WARNING,
                  "ResourceQueue unpacking Bitmap '%s' data is not valid anymore. Most likely it has just been released.",
                  b->name);
    }
    UnlockBitmap(b);
  }
  int spent = static_cast<int>(OVOS_Milliseconds() - start);
  if (spent > 200) OV_LogLevel(LOG_WARNING, "Spent %d msecs uploading resources to GPU!", spent);
}

void OVI_DropBitmapTextures() {
  for (int i = 0; i < slots_used; ++i) {
    Bitmap& b = table[i];
    if (!b.name) continue;
    LockBitmap(&b);
    if (b.hardware.has_texture) CallRendererToFree(&b);
    UnlockBitmap(&b);
  }
}

void OVI_RestoreBitmaps() {
  for (int i = 0; i < slots_used; ++i) {
    Bitmap* b = &table[i];
    if (!b->name || Placeholder(b->name) || (Counted() && b->reference_count <= 0)) continue;
    OVI_Lock(MUTEX_RESOURCE_QUEUE);
    bool queued = std::find(upload_queue.begin(), upload_queue.end(), b) != upload_queue.end();
    OVI_Unlock(MUTEX_RESOURCE_QUEUE);
    if (queued) {
      OV_Log("Bitmap '%s' already queued for upload.", b->name);
    } else if (b->flags & BITMAP_FLAG_RENDER_TARGET) {
      CallRendererToCreate(b);
      ProgramEvent event = {};
      event.type = OV_EVENT_REDRAW_RENDER_TARGET;
      event.word[0] = static_cast<int>(reinterpret_cast<intptr_t>(b));
      OVI_DispatchEvent(&event);
    } else {
      int mode = b->cache_mode;
      b->cache_mode = 255;
      OV_SetBitmapCacheMode(b, mode);
    }
    OV_SetBitmapFrame(b, 0);
  }
}

void OVI_ReloadBitmaps() {
  for (int i = 0; i < slots_used; ++i) {
    Bitmap* b = &table[i];
    if (!b->name || b->reference_count <= 0) continue;
    int mode = b->cache_mode;
    OV_SetBitmapCacheMode(b, CACHE_NOTHING);
    OV_SetBitmapCacheMode(b, mode);
  }
}

BitmapUsage OVI_BitmapUsage() {
  BitmapUsage usage = {};
  for (int i = 0; i < slots_used; ++i) {
    const Bitmap& b = table[i];
    if (!b.name) continue;
    ++usage.used;
    if (b.pixels) usage.system += 4.0 * b.width * b.height;
    if (b.hardware.has_texture) {
      usage.gpu += 4.0 * b.hardware.texture_width * b.hardware.texture_height;
      usage.image += 4.0 * b.image_width * b.image_height;
    }
  }
  return usage;
}

void OVI_ListBitmaps() {
  for (int i = 0; i < slots_used; ++i) {
    const Bitmap& b = table[i];
    if (!b.name || b.state != BITMAP_STATE_DONE) continue;
    double gpu = b.hardware.has_texture ? 4.0 * b.hardware.texture_width * b.hardware.texture_height / 1024 : 0;
    if (b.pixels)
      OV_LogLevel(LOG_SYSTEM, "Bitmap #%.3d %dx%d '%s' refc=%d sysmem=%.1fKB gpumem=%.1fKB texture=%dx%d", i, b.width,
                  b.height, b.name, b.reference_count, 4.0 * b.width * b.height / 1024, gpu, b.hardware.texture_width,
                  b.hardware.texture_height);
    else
      OV_LogLevel(LOG_SYSTEM, "Bitmap #%.3d %dx%d '%s' refc=%d gpumem=%.1fKB  texture=%dx%d", i, b.width, b.height,
                  b.name, b.reference_count, gpu, b.hardware.texture_width, b.hardware.texture_height);
  }
}

void OVI_ResetBitmaps() {
  for (int i = 0; i < slots_used; ++i) {
    Bitmap& b = table[i];
    free(b.name);
    free(b.source_file);
    free(b.pixels);
  }
  memset(table, 0, sizeof table);
  slots_used = 0;
  upload_queue.clear();
  release_queue.clear();
}

int OVI_BitmapSlotsUsed() { return slots_used; }
Bitmap* OVI_BitmapSlot(int index) { return index >= 0 && index < slots_used ? &table[index] : nullptr; }
