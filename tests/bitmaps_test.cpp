// Bitmap resources against real files in a temporary res:// and a renderer that counts its
// texture calls: names, reference counts and hibernation, cache modes, render targets, the
// upload queue of worker threads, manifests, and what survives a renderer restart.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <thread>
#include <vector>

#include "core/core_state.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "data/data_base.h"
#include "render/renderer_headless.h"
#include "resources/bitmap.h"
#include "resources/bitmaps.h"
#include "tests/support/file_system_fixture.h"

namespace {

// Gives every bitmap a texture of its own size and counts the calls.
class TextureRenderer : public RendImpHeadless {
 public:
  int created = 0, loaded = 0, freed = 0;
  int textures[64];
  int next = 0;
  bool CreateBitmapTexture(Bitmap* b) override {
    ++created;
    Give(b);
    return true;
  }
  bool LoadBitmapPixels(Bitmap* b) override {
    ++loaded;
    Give(b);
    return true;
  }
  void FreeBitmapTexture(Bitmap* b) override {
    ++freed;
    b->hardware.has_texture = 0;
    b->hardware.texture = nullptr;
  }

 private:
  void Give(Bitmap* b) {
    b->hardware = BitmapHardware{1, b->width, b->height, &textures[next++ % 64], 0, 0, 1, 1};
  }
};

TextureRenderer renderer;

// An uncompressed 32-bit TGA, rows top to bottom, every pixel the given B, G, R, A.
std::string Tga(int width, int height, unsigned char b, unsigned char g, unsigned char r, unsigned char a) {
  std::string file(18, '\0');
  file[2] = 2;
  file[12] = static_cast<char>(width & 0xff);
  file[13] = static_cast<char>(width >> 8);
  file[14] = static_cast<char>(height & 0xff);
  file[15] = static_cast<char>(height >> 8);
  file[16] = 32;
  file[17] = 0x28;  // 8 alpha bits, top-left origin
  for (int i = 0; i < width * height; ++i) file += std::string{static_cast<char>(b), static_cast<char>(g), static_cast<char>(r), static_cast<char>(a)};
  return file;
}

class Bitmaps : public FileSystemFixture {
 protected:
  void SetUp() override {
    FileSystemFixture::SetUp();
    renderer = TextureRenderer();
    core.renderer = &renderer;
    core.renderer_ready = true;
    core.print_reference_count_changes = true;
    OVI_FillServiceTable();
    Write("res://ui/button.tga", Tga(4, 2, 10, 20, 30, 255));
  }
  void TearDown() override {
    OVFS_ClearSearchPaths();
    OVI_ResetBitmaps();
    FileSystemFixture::TearDown();
  }
};

TEST_F(Bitmaps, GetCountsOnceLoadCountsEveryTime) {
  Bitmap* first = OV_GetBitmap("res://ui/button.tga");
  for (int i = 0; i < 9; ++i) EXPECT_EQ(OV_GetBitmap("res://ui/button.tga"), first);
  EXPECT_EQ(first->reference_count, 1);  // the first get was its one reference through OV_GetBitmap
  EXPECT_EQ(Logged("ref count++ (GetBitmap)"), 0);
  Bitmap* loaded = OV_LoadBitmap("res://ui/other", CACHE_NOTHING);
  EXPECT_EQ(loaded->reference_count, 0);
  for (int i = 0; i < 10; ++i) OV_LoadBitmap("res://ui/button.tga", CACHE_TEXTURE);
  EXPECT_EQ(first->reference_count, 11);
  EXPECT_EQ(first->state, BITMAP_STATE_DONE);
  EXPECT_EQ(first->width, 4);
  EXPECT_TRUE(first->hardware.has_texture);
  EXPECT_EQ(first->pixels, nullptr);  // a texture-only bitmap gives its pixels up after the upload
  EXPECT_EQ(renderer.loaded, 1);
}

TEST_F(Bitmaps, CountsAreCappedAt4096) {
  Bitmap* b = nullptr;
  for (int i = 0; i < 4097; ++i) b = OV_LoadBitmap("!placeholder-free name", CACHE_PIXELS);
  EXPECT_EQ(b->reference_count, 1);  // placeholders are never counted
  for (int i = 0; i < 4097; ++i) b = OV_LoadBitmap("res://ui/button.tga", CACHE_PIXELS);
  EXPECT_EQ(b->reference_count, 4096);
  EXPECT_EQ(Logged("[POPUP] Bitmap 'res://ui/button.tga' reference count suspiciously high: capping at 4096."), 1);
}

TEST_F(Bitmaps, NamesAndExtensions) {
  Bitmap* slashes = OV_LoadBitmap("//ui/a", CACHE_NOTHING);
  EXPECT_STREQ(slashes->name, "ui/a");
  EXPECT_EQ(Logged("name path starting with '/'. Not allowed."), 2);
  EXPECT_STREQ(OV_LoadBitmap(nullptr, CACHE_NOTHING)->name, "!NONE");

  Bitmap* probed = OV_GetBitmap("res://ui/button");  // only button.tga exists
  EXPECT_STREQ(probed->source_file, "res://ui/button.tga");
  EXPECT_TRUE(probed->hardware.has_texture);
  Bitmap* missing = OV_GetBitmap("res://ui/nothing");
  EXPECT_EQ(missing->state, BITMAP_STATE_DONE);
  EXPECT_FALSE(missing->hardware.has_texture);
  EXPECT_EQ(Logged("Unable to load bitmap 'res://ui/nothing' without extension. Tried all image formats but found no "
                   "source files."),
            1);

  int used = OVI_BitmapSlotsUsed();
  EXPECT_EQ(OV_GetBitmapEx("res://never", CACHE_FIND_ONLY), nullptr);
  EXPECT_EQ(OVI_BitmapSlotsUsed(), used);
  EXPECT_EQ(OV_GetBitmapEx("res://ui/button", CACHE_FIND_ONLY), probed);
}

TEST_F(Bitmaps, ReleasingHibernatesAndReportsTooManyReleases) {
  Bitmap* b = OV_LoadBitmap("res://ui/button.tga", CACHE_PIXELS);
  OV_ReleaseBitmap(b);
  EXPECT_EQ(Logged("Hibernating bitmap 'res://ui/button.tga'.."), 1);
  EXPECT_NE(b->pixels, nullptr);  // the record keeps its data
  OV_ReleaseBitmap(b);
  EXPECT_EQ(b->reference_count, 0);
  EXPECT_EQ(Logged("[POPUP] Bitmap 'res://ui/button.tga' reference count less than zero."), 1);
  EXPECT_EQ(OV_LoadBitmap("res://ui/button.tga", CACHE_PIXELS), b);  // found again
  EXPECT_EQ(b->reference_count, 1);

  strcpy(core.program_features, "DISABLE_REFERENCE_COUNT_ERROR_POPUPS");
  OV_ReleaseBitmap(b);
  OV_ReleaseBitmap(b);
  EXPECT_EQ(Logged("[POPUP] Bitmap 'res://ui/button.tga' reference count less than zero."), 1);  // silenced
  core.program_features[0] = 0;

  // Without reference counting a release destroys the bitmap: the slot is free again.
  core.reference_counting = false;
  Bitmap* c = OV_LoadBitmap("res://ui/button.tga", CACHE_TEXTURE);
  OV_ReleaseBitmap(c);
  EXPECT_EQ(c->name, nullptr);
  EXPECT_EQ(renderer.freed, 1);
  core.reference_counting = true;
}

TEST_F(Bitmaps, CacheModesDecideWhatIsKept) {
  struct Case {
    int mode;
    bool pixels, texture;
  } cases[] = {{CACHE_PIXELS, true, false}, {CACHE_TEXTURE, false, true}, {CACHE_PIXELS | CACHE_TEXTURE, true, true},
               {CACHE_PIXELS, true, false}, {CACHE_NOTHING, false, false}, {CACHE_TEXTURE, false, true}};
  Bitmap* b = OV_LoadBitmap("res://ui/button.tga", CACHE_PIXELS);
  for (const Case& c : cases) {
    OV_SetBitmapCacheMode(b, c.mode);
    EXPECT_EQ(b->pixels != nullptr, c.pixels) << c.mode;
    EXPECT_EQ(b->hardware.has_texture != 0, c.texture) << c.mode;
    EXPECT_EQ(b->cache_mode, c.mode);
  }
}

TEST_F(Bitmaps, CreatedBitmapsAndRenderTargets) {
  Bitmap* canvas = OV_CreateBitmap("canvas", 16, 8, 0);
  ASSERT_NE(canvas->pixels, nullptr);
  EXPECT_EQ(canvas->pixels[16 * 8 * 4 - 1], 0);
  EXPECT_EQ(canvas->cache_mode, CACHE_PIXELS | CACHE_TEXTURE);
  EXPECT_EQ(canvas->edge_mode, 3);
  EXPECT_FALSE(canvas->flags & BITMAP_FLAG_RELOADABLE);

  Bitmap* target = OV_CreateBitmap("target", 64, 32, 1);
  EXPECT_TRUE(target->flags & BITMAP_FLAG_RENDER_TARGET);
  EXPECT_EQ(renderer.created, 1);
  EXPECT_EQ(OV_CreateBitmap("target", 128, 32, 1), target);  // the same name, a new size
  EXPECT_EQ(target->reference_count, 2);
  EXPECT_EQ(target->width, 128);
  EXPECT_EQ(renderer.created, 2);
  EXPECT_EQ(Logged("OV_ResizeBitmap resizing render target 'target' from 64x32 to 128x32"), 1);
  OV_ResizeBitmap(canvas, 8, 4);
  EXPECT_EQ(canvas->width, 8);

  // Released while it is the target: reported, drawing goes back to the screen.
  service_table.OV_PushRenderTarget(target);
  core.developer_mode = true;
  OV_ReleaseBitmap(target);
  OV_ReleaseBitmap(target);
  EXPECT_EQ(Logged("[POPUP] OV_ReleaseBitmap: Releasing current render target bitmap 'target' is not allowed."), 1);
  EXPECT_EQ(target->name, nullptr);  // not reloadable: gone at 0
}

TEST_F(Bitmaps, WorkerThreadsQueueTheirUploads) {
  Bitmap* b = nullptr;
  std::thread worker([&b] { b = OV_LoadBitmap("res://ui/button.tga", CACHE_PIXELS | CACHE_TEXTURE); });
  worker.join();
  ASSERT_NE(b, nullptr);
  EXPECT_FALSE(b->hardware.has_texture);
  EXPECT_EQ(renderer.loaded, 0);
  OVI_ProcessResourceQueue();
  EXPECT_TRUE(b->hardware.has_texture);
  EXPECT_NE(b->pixels, nullptr);  // mode 2 keeps the pixels after the upload

  // A worker dropping the texture hands it to the main thread.
  std::thread dropper([b] { OV_SetBitmapCacheMode(b, CACHE_PIXELS); });
  dropper.join();
  EXPECT_EQ(renderer.freed, 0);
  OVI_ProcessResourceQueue();
  EXPECT_EQ(renderer.freed, 1);
  EXPECT_EQ(Logged("Freeing bitmap hardware data 4x2."), 1);
}

TEST_F(Bitmaps, ManifestsGiveLogicalSizesAndPackModes) {
  Write("res://art.xml", "<?xml version=\"1.0\"?>\n<root><array id=\"files\"><node id=\"res://ui/button.tga\" w=\"40\" "
                         "h=\"20\" pack_mode=\"NO_PADDING\"/></array></root>\n");
  OVFS_AddManifest("res://art.xml");
  Bitmap* b = OV_LoadBitmap("res://ui/button", CACHE_PIXELS);
  EXPECT_EQ(b->width, 40);
  EXPECT_EQ(b->height, 20);
  EXPECT_EQ(b->image_width, 4);
  EXPECT_EQ(b->edge_mode, 3);
  EXPECT_EQ(Logged("Using pack mode 'NO_PADDING'"), 1);
  OVD_UnloadDataBase("res://art.xml");
}

TEST_F(Bitmaps, TexturesComeBackAfterARendererRestart) {
  Bitmap* image = OV_LoadBitmap("res://ui/button.tga", CACHE_TEXTURE);
  Bitmap* target = OV_CreateBitmap("target", 8, 8, 1);
  Bitmap* hibernated = OV_LoadBitmap("res://ui/button", CACHE_PIXELS | CACHE_TEXTURE);
  OV_ReleaseBitmap(hibernated);
  OVI_DropBitmapTextures();
  EXPECT_FALSE(image->hardware.has_texture);
  EXPECT_FALSE(target->hardware.has_texture);
  OVI_RestoreBitmaps();
  EXPECT_TRUE(image->hardware.has_texture);  // reloaded from its file: its pixels were gone
  EXPECT_TRUE(target->hardware.has_texture);
  EXPECT_FALSE(hibernated->hardware.has_texture);  // count 0: left alone
}

TEST_F(Bitmaps, UsageSumsAndListing) {
  OV_LoadBitmap("res://ui/button.tga", CACHE_PIXELS | CACHE_TEXTURE);
  BitmapUsage usage = OVI_BitmapUsage();
  EXPECT_EQ(usage.used, 1);
  EXPECT_DOUBLE_EQ(usage.system, 4.0 * 4 * 2);
  EXPECT_DOUBLE_EQ(usage.gpu, 4.0 * 4 * 2);
  service_table.OV_CallExtension("ListResourceUsage", nullptr);
  EXPECT_EQ(Logged("Bitmap #000 4x2 'res://ui/button.tga' refc=1 sysmem=0.0KB gpumem=0.0KB texture=4x2"), 1);
}

}  // namespace
