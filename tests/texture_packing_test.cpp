// Laying bitmap pixels into power-of-two textures: sizes, borders, edge modes and the image's
// rectangle.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "render/texture_packing.h"
#include "resources/bitmap.h"

namespace {

Bitmap Make(const char* name, int width, int height, int edge_mode, bool alpha = true) {
  Bitmap bitmap = {};
  bitmap.name = const_cast<char*>(name);
  bitmap.width = width;
  bitmap.height = height;
  bitmap.edge_mode = static_cast<unsigned short>(edge_mode);
  bitmap.flags = alpha ? BITMAP_FLAG_ALPHA : 0;
  return bitmap;
}

TEST(TexturePacking, SizesBordersAndRectangles) {
  struct Case {
    const char* name;
    int width, height, edge_mode;
    bool alpha;
    int texture_width, texture_height, border_x, border_y, final_edge_mode;
  } cases[] = {
      {"ui/panel", 100, 50, EDGE_REPLICATE, true, 128, 64, 1, 1, EDGE_REPLICATE},
      {"ui/big", 1023, 1023, EDGE_REPLICATE, true, 1024, 1024, 0, 0, EDGE_NONE},
      {"ui/wide", 1024, 30, EDGE_REPLICATE, true, 1024, 32, 0, 1, EDGE_REPLICATE},
      {"ui/square", 64, 64, EDGE_REPLICATE, true, 64, 64, 0, 0, EDGE_NONE},
      {"textures/wall", 100, 50, EDGE_REPLICATE, true, 128, 64, 0, 0, EDGE_NONE},
      {"ui/glow", 30, 30, EDGE_TRANSPARENT, true, 32, 32, 1, 1, EDGE_TRANSPARENT},
      {"ui/opaque", 30, 30, EDGE_TRANSPARENT, false, 32, 32, 1, 1, EDGE_REPLICATE},
      {"ui/odd", 127, 3, EDGE_REPLICATE, true, 256, 8, 1, 1, EDGE_REPLICATE},
      {"ui/one", 1, 1, EDGE_NONE, true, 1, 1, 0, 0, EDGE_NONE},
  };
  for (const Case& c : cases) {
    Bitmap bitmap = Make(c.name, c.width, c.height, c.edge_mode, c.alpha);
    TexturePlan plan = OVI_PlanTexture(&bitmap);
    EXPECT_EQ(plan.texture_width, c.texture_width) << c.name;
    EXPECT_EQ(plan.texture_height, c.texture_height) << c.name;
    EXPECT_EQ(plan.border_x, c.border_x) << c.name;
    EXPECT_EQ(plan.border_y, c.border_y) << c.name;
    EXPECT_EQ(bitmap.edge_mode, c.final_edge_mode) << c.name;
    EXPECT_FLOAT_EQ(plan.left, static_cast<float>(c.border_x) / c.texture_width) << c.name;
    EXPECT_FLOAT_EQ(plan.bottom, static_cast<float>(c.height + c.border_y) / c.texture_height) << c.name;
  }
}

// A 2 x 3 image: the border repeats its outer pixels (corners too), or is transparent.
TEST(TexturePacking, BordersRepeatOrClearTheEdges) {
  for (int mode : {EDGE_REPLICATE, EDGE_TRANSPARENT}) {
    Bitmap bitmap = Make("ui/tiny", 2, 3, mode);  // 3 is not a power of two: a border is planned
    unsigned char three_rows[2 * 3 * 4] = {1, 1, 1, 255, 2, 2, 2, 255, 3, 3, 3, 255, 4, 4, 4, 255, 5, 5, 5, 255, 6, 6, 6, 255};
    bitmap.pixels = three_rows;
    TexturePlan plan = OVI_PlanTexture(&bitmap);
    ASSERT_EQ(plan.texture_width, 4);
    ASSERT_EQ(plan.texture_height, 8);
    std::vector<unsigned char> texture(4 * 8 * 4, 0xEE);
    OVI_PackTexturePixels(bitmap, plan, texture.data(), 4 * 4);
    auto at = [&](int x, int y) { return texture.data() + (y * 4 + x) * 4; };
    EXPECT_EQ(at(1, 1)[0], 1);                          // the image starts at (1, 1)
    EXPECT_EQ(at(2, 3)[0], 6);
    EXPECT_EQ(at(0, 0)[0], 1);                          // top-left corner repeats pixel (0, 0)
    EXPECT_EQ(at(3, 4)[0], 6);                          // bottom-right corner
    EXPECT_EQ(at(0, 2)[0], 3);                          // left column repeats the row's first pixel
    EXPECT_EQ(at(0, 5)[0], 0xEE);                       // outside the bordered area: untouched
    EXPECT_EQ(at(0, 0)[3], mode == EDGE_TRANSPARENT ? 0 : 255);
    EXPECT_EQ(at(1, 1)[3], 255);                        // the image keeps its alpha
  }
}

TEST(TexturePacking, PowersOfTwo) {
  const int cases[][2] = {{0, 1}, {1, 1}, {2, 2}, {3, 4}, {1023, 1024}, {1024, 1024}, {1025, 2048}};
  for (const auto& c : cases) EXPECT_EQ(OVI_NextPowerOfTwo(c[0]), c[1]) << c[0];
}

}  // namespace
