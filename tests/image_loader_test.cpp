// The image loader: PNG, JPEG and TGA files read into pixels in both channel orders, written and
// read back, header-only size reads, damaged files, name rules, resizing and colour bleeding.
// Fixture files are made here: PNG and JPEG with libpng and libjpeg, TGA byte by byte.
#include <gtest/gtest.h>

#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

extern "C" {
#include <jpeglib.h>
}

#include <algorithm>
#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "resources/image_loader.h"
#include "tests/support/file_system_fixture.h"

namespace {

// A picture as the test thinks of it: R, G, B, A bytes, rows top to bottom.
struct Image {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
  const unsigned char* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  unsigned char* At(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// A pattern with runs (for run-length data), gradients and varied alpha.
Image Pattern(int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  image.rgba.resize(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p = image.At(x, y);
      p[0] = static_cast<unsigned char>((x / 3) * 40 + 5);
      p[1] = static_cast<unsigned char>(y * 30 + 7);
      p[2] = static_cast<unsigned char>((x + y) * 11);
      p[3] = static_cast<unsigned char>(255 - (x / 2) * 20);
    }
  return image;
}

// Pseudo-random bytes, so that different resampling methods give clearly different results.
Image Noise(int width, int height, unsigned seed) {
  Image image;
  image.width = width;
  image.height = height;
  image.rgba.resize(static_cast<size_t>(width) * height * 4);
  for (unsigned char& byte : image.rgba) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<unsigned char>(seed >> 24);
  }
  return image;
}

// A smooth picture that JPEG keeps within a small error.
Image Smooth(int width, int height) {
  Image image = Pattern(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p = image.At(x, y);
      p[0] = static_cast<unsigned char>(x * 255 / (width - 1));
      p[1] = static_cast<unsigned char>(y * 255 / (height - 1));
      p[2] = static_cast<unsigned char>(128 + 60 * std::sin(x * 0.1));
      p[3] = 255;
    }
  return image;
}

// The test image's pixel as the loader stores it.
void Stored(const unsigned char* rgba, int order, unsigned char* out) {
  out[0] = order == 1 ? rgba[2] : rgba[0];
  out[1] = rgba[1];
  out[2] = order == 1 ? rgba[0] : rgba[2];
  out[3] = rgba[3];
}

// The bitmap holds the image in the channel order, every byte within tolerance.
::testing::AssertionResult Holds(const Bitmap& bitmap, const Image& image, int order, int tolerance = 0,
                                 bool ignore_alpha = false) {
  if (!bitmap.pixels) return ::testing::AssertionFailure() << "no pixels";
  if (bitmap.width != image.width || bitmap.height != image.height)
    return ::testing::AssertionFailure() << "size " << bitmap.width << "x" << bitmap.height;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      unsigned char want[4];
      Stored(image.At(x, y), order, want);
      const unsigned char* got = bitmap.pixels + (static_cast<size_t>(y) * image.width + x) * 4;
      for (int k = 0; k < (ignore_alpha ? 3 : 4); ++k)
        if (std::abs(got[k] - want[k]) > tolerance)
          return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") byte " << k << ": "
                                               << int(got[k]) << " instead of " << int(want[k]);
    }
  return ::testing::AssertionSuccess();
}

// A bitmap with the image's pixels in the channel order, owned by the C heap.
Bitmap BitmapOf(const Image& image, int order, bool alpha) {
  Bitmap bitmap = {};
  bitmap.width = bitmap.image_width = image.width;
  bitmap.height = bitmap.image_height = image.height;
  bitmap.pixels = static_cast<unsigned char*>(malloc(image.rgba.size()));
  for (size_t i = 0; i < image.rgba.size(); i += 4) Stored(&image.rgba[i], order, bitmap.pixels + i);
  bitmap.flags = alpha ? BITMAP_FLAG_ALPHA : 0;
  return bitmap;
}

// ---------------------------------------------------------------------------------------------
// Fixture files.

struct PngPicture {
  int width, height, colour_type, depth;
  std::vector<unsigned> samples;  // row by row, sample by sample (palette indices for palettes)
  std::vector<png_color> palette;
  std::vector<png_byte> transparency;
  int gamma;  // gAMA x 100000; 0 writes none
  PngPicture(int w, int h, int type, int bits, std::vector<unsigned> values, std::vector<png_color> colours = {},
          std::vector<png_byte> alphas = {}, int file_gamma = 0)
      : width(w), height(h), colour_type(type), depth(bits), samples(std::move(values)), palette(std::move(colours)),
        transparency(std::move(alphas)), gamma(file_gamma) {}
};

std::string MakePng(const PngPicture& picture) {
  std::string bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    ADD_FAILURE() << "libpng could not write the fixture";
    png_destroy_write_struct(&png, &info);
    return "";
  }
  png_set_write_fn(
      png, &bytes,
      [](png_structp p, png_bytep data, png_size_t n) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), n);
      },
      nullptr);
  png_set_IHDR(png, info, picture.width, picture.height, picture.depth, picture.colour_type, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!picture.palette.empty())
    png_set_PLTE(png, info, picture.palette.data(), static_cast<int>(picture.palette.size()));
  if (!picture.transparency.empty())
    png_set_tRNS(png, info, picture.transparency.data(), static_cast<int>(picture.transparency.size()), nullptr);
  if (picture.gamma) png_set_gAMA_fixed(png, info, picture.gamma);
  png_write_info(png, info);
  int per_pixel = picture.colour_type == PNG_COLOR_TYPE_RGB         ? 3
                  : picture.colour_type == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                  : picture.colour_type == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                  : 1;
  size_t per_row = static_cast<size_t>(picture.width) * per_pixel;
  for (int y = 0; y < picture.height; ++y) {
    std::vector<png_byte> row((per_row * picture.depth + 7) / 8);
    for (size_t i = 0; i < per_row; ++i) {
      unsigned v = picture.samples[y * per_row + i];
      if (picture.depth == 16) {
        row[i * 2] = static_cast<png_byte>(v >> 8);
        row[i * 2 + 1] = static_cast<png_byte>(v & 0xff);
      } else if (picture.depth == 8) {
        row[i] = static_cast<png_byte>(v);
      } else {
        size_t bit = i * picture.depth;
        row[bit / 8] |= static_cast<png_byte>(v << (8 - picture.depth - bit % 8));
      }
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

struct JpegMemory {
  jpeg_destination_mgr manager;
  std::string* bytes;
  JOCTET buffer[4096];
};

std::string MakeJpeg(const Image& image, bool grey, bool progressive, int quality) {
  std::string bytes;
  JpegMemory memory;
  memory.bytes = &bytes;
  memory.manager.init_destination = [](j_compress_ptr c) {
    JpegMemory* m = reinterpret_cast<JpegMemory*>(c->dest);
    m->manager.next_output_byte = m->buffer;
    m->manager.free_in_buffer = sizeof m->buffer;
  };
  memory.manager.empty_output_buffer = [](j_compress_ptr c) -> boolean {
    JpegMemory* m = reinterpret_cast<JpegMemory*>(c->dest);
    m->bytes->append(reinterpret_cast<const char*>(m->buffer), sizeof m->buffer);
    m->manager.next_output_byte = m->buffer;
    m->manager.free_in_buffer = sizeof m->buffer;
    return TRUE;
  };
  memory.manager.term_destination = [](j_compress_ptr c) {
    JpegMemory* m = reinterpret_cast<JpegMemory*>(c->dest);
    m->bytes->append(reinterpret_cast<const char*>(m->buffer), sizeof m->buffer - m->manager.free_in_buffer);
  };
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  info.dest = &memory.manager;
  info.image_width = image.width;
  info.image_height = image.height;
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(image.width) * 3);
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < image.width; ++x) {
      const unsigned char* p = image.At(x, info.next_scanline);
      if (grey) row[x] = p[0];
      else memcpy(&row[x * 3], p, 3);
    }
    JSAMPROW rows = row.data();
    jpeg_write_scanlines(&info, &rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return bytes;
}

struct TgaLayout {
  int bits;
  bool run_length, bottom_up, right_to_left;
  int id_length;
};

std::string TgaHeader(int image_type, int width, int height, int bits, int descriptor, int id_length) {
  unsigned char header[18] = {};
  header[0] = static_cast<unsigned char>(id_length);
  header[2] = static_cast<unsigned char>(image_type);
  header[12] = static_cast<unsigned char>(width & 0xff);
  header[13] = static_cast<unsigned char>(width >> 8);
  header[14] = static_cast<unsigned char>(height & 0xff);
  header[15] = static_cast<unsigned char>(height >> 8);
  header[16] = static_cast<unsigned char>(bits);
  header[17] = static_cast<unsigned char>(descriptor);
  return std::string(reinterpret_cast<char*>(header), sizeof header) + std::string(id_length, 'i');
}

std::string TgaPixel(const unsigned char* rgba, int bits) {
  std::string p = {static_cast<char>(rgba[2]), static_cast<char>(rgba[1]), static_cast<char>(rgba[0])};
  if (bits == 32) p += static_cast<char>(rgba[3]);
  return p;
}

// The image as a TGA file in the stored direction; run-length packets run across rows.
std::string MakeTga(const Image& image, const TgaLayout& layout) {
  int descriptor = (layout.bottom_up ? 0 : 0x20) | (layout.right_to_left ? 0x10 : 0) | (layout.bits == 32 ? 8 : 0);
  std::string file = TgaHeader(layout.run_length ? 10 : 2, image.width, image.height, layout.bits, descriptor,
                               layout.id_length);
  std::vector<std::string> pixels;
  for (int r = 0; r < image.height; ++r)
    for (int c = 0; c < image.width; ++c)
      pixels.push_back(TgaPixel(image.At(layout.right_to_left ? image.width - 1 - c : c,
                                         layout.bottom_up ? image.height - 1 - r : r),
                                layout.bits));
  if (!layout.run_length) {
    for (const std::string& p : pixels) file += p;
    return file;
  }
  for (size_t i = 0; i < pixels.size();) {
    size_t run = 1;
    while (i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i]) ++run;
    if (run >= 2) {
      file += static_cast<char>(0x80 | (run - 1));
      file += pixels[i];
      i += run;
      continue;
    }
    size_t raw = 1;
    while (i + raw < pixels.size() && raw < 128 &&
           !(i + raw + 1 < pixels.size() && pixels[i + raw] == pixels[i + raw + 1]))
      ++raw;
    file += static_cast<char>(raw - 1);
    for (size_t k = 0; k < raw; ++k) file += pixels[i + k];
    i += raw;
  }
  return file;
}

std::string Chunk(const char* type, const std::string& data) {
  std::string out;
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((data.size() >> shift) & 0xff);
  std::string body = std::string(type) + data;
  out += body;
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((crc >> shift) & 0xff);
  return out;
}

// A PNG whose header claims a size and whose data is a few compressed bytes.
std::string PngClaiming(unsigned width, unsigned height) {
  std::string ihdr;
  for (unsigned v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) ihdr += static_cast<char>((v >> shift) & 0xff);
  ihdr += std::string("\x08\x06\x00\x00\x00", 5);
  unsigned char zeros[64] = {}, packed[128];
  uLongf packed_size = sizeof packed;
  compress(packed, &packed_size, zeros, sizeof zeros);
  return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) +
         Chunk("IDAT", std::string(reinterpret_cast<char*>(packed), packed_size)) + Chunk("IEND", "");
}

// A JPEG with the size in its frame header replaced.
std::string JpegClaiming(std::string jpeg, unsigned width, unsigned height) {
  size_t frame = jpeg.find("\xFF\xC0");
  EXPECT_NE(frame, std::string::npos);
  jpeg[frame + 5] = static_cast<char>(height >> 8);
  jpeg[frame + 6] = static_cast<char>(height & 0xff);
  jpeg[frame + 7] = static_cast<char>(width >> 8);
  jpeg[frame + 8] = static_cast<char>(width & 0xff);
  return jpeg;
}

// ---------------------------------------------------------------------------------------------

class ImageLoader : public FileSystemFixture {
 protected:
  std::deque<Bitmap> bitmaps;  // references stay valid as it grows
  ImageLoaderImp* loader = nullptr;
  void SetUp() override {
    FileSystemFixture::SetUp();
    loader = OVI_ImageLoader();
  }
  void TearDown() override {
    for (Bitmap& bitmap : bitmaps) free(bitmap.pixels);
    FileSystemFixture::TearDown();
  }
  // A fresh bitmap record that the fixture frees.
  Bitmap& Fresh(const char* name = "test/image") {
    bitmaps.emplace_back();
    bitmaps.back() = Bitmap{};
    bitmaps.back().name = const_cast<char*>(name);
    return bitmaps.back();
  }
  Bitmap& LoadBytes(const std::string& file, const std::string& bytes, bool* ok) {
    Write(file, bytes);
    Bitmap& bitmap = Fresh();
    *ok = loader->Load(&bitmap, file.c_str());
    return bitmap;
  }
};

const int kOrders[] = {0, 1};

TEST_F(ImageLoader, EachFormatReadsBackWhatItWrote) {
  struct Case {
    const char* file;
    int tolerance;
    bool keeps_alpha;
  } cases[] = {{"user://round.png", 0, true}, {"user://round.tga", 0, true}, {"user://round.jpg", 12, false}};
  for (int order : kOrders)
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.file) + " order " + std::to_string(order));
      core.bitmap_channel_order = order;
      Image image = c.keeps_alpha ? Pattern(23, 17) : Smooth(40, 24);
      Bitmap source = BitmapOf(image, order, true);
      ASSERT_TRUE(loader->SaveImage(&source, c.file, 95));
      free(source.pixels);
      EXPECT_EQ(Logged(std::string("Saving image to file '") + c.file + "'.."), 1);
      Bitmap& back = Fresh();
      ASSERT_TRUE(loader->Load(&back, c.file));
      EXPECT_TRUE(Holds(back, image, order, c.tolerance, !c.keeps_alpha));
      if (!c.keeps_alpha) {
        for (size_t i = 3; i < image.rgba.size(); i += 4) ASSERT_EQ(back.pixels[i], 255) << i;
      }
      EXPECT_EQ(back.flags & BITMAP_FLAG_ALPHA, c.keeps_alpha ? BITMAP_FLAG_ALPHA : 0);
      EXPECT_TRUE(back.flags & BITMAP_FLAG_RELOADABLE);
      EXPECT_EQ(back.image_width, image.width);
      EXPECT_EQ(back.image_height, image.height);
      CapturedLog().clear();
    }
}

TEST_F(ImageLoader, WrittenTgaIsBottomUpThirtyTwoBitsWithEightAlphaBits) {
  core.bitmap_channel_order = 0;
  Image image = Pattern(5, 3);
  Bitmap source = BitmapOf(image, 0, true);
  ASSERT_TRUE(loader->SaveImage(&source, "user://plain.tga", 0));
  free(source.pixels);
  std::string file = Read("user://plain.tga");
  ASSERT_EQ(file.size(), 18u + 5 * 3 * 4);
  EXPECT_EQ(file.substr(0, 18), TgaHeader(2, 5, 3, 32, 8, 0));
  EXPECT_EQ(file.substr(18, 4), TgaPixel(image.At(0, 2), 32));  // the last row comes first
}

// Colour types, bit depths, palettes and transparency, and what each becomes.
TEST_F(ImageLoader, PngChannelRules) {
  std::vector<png_color> palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {90, 80, 70}};
  struct Case {
    const char* name;
    PngPicture picture;
    bool alpha_flag;
  } cases[] = {
      {"grey is an alpha mask", {3, 2, PNG_COLOR_TYPE_GRAY, 8, {0, 64, 128, 200, 255, 17}}, true},
      {"4-bit grey", {3, 1, PNG_COLOR_TYPE_GRAY, 4, {0, 7, 15}}, true},
      {"grey and alpha", {2, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {10, 255, 90, 0, 200, 128, 255, 30}}, true},
      {"rgb", {2, 1, PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 200, 150, 100}}, false},
      {"16-bit rgba", {2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {0x12FF, 0x0080, 0xFFFF, 0x7F00, 0x00FF, 0xA0A0, 0x5555, 0x8001}},
       true},
      {"8-bit palette with transparency",
       {4, 1, PNG_COLOR_TYPE_PALETTE, 8, {3, 2, 1, 0}, palette, {255, 0, 128}},
       true},
      {"2-bit palette", {4, 1, PNG_COLOR_TYPE_PALETTE, 2, {0, 1, 2, 3}, palette}, false},
  };
  for (int order : kOrders)
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", order " + std::to_string(order));
      core.bitmap_channel_order = order;
      const PngPicture& s = c.picture;
      // What the file means, as R, G, B, A.
      Image want;
      want.width = s.width;
      want.height = s.height;
      want.rgba.resize(static_cast<size_t>(s.width) * s.height * 4);
      int max = (1 << s.depth) - 1;
      for (int i = 0; i < s.width * s.height; ++i) {
        unsigned char* p = &want.rgba[i * 4];
        auto level = [&](unsigned v) { return static_cast<unsigned char>(std::lround(v * 255.0 / max)); };
        switch (s.colour_type) {
          case PNG_COLOR_TYPE_GRAY: p[0] = p[1] = p[2] = 255, p[3] = level(s.samples[i]); break;
          case PNG_COLOR_TYPE_GRAY_ALPHA:
            p[0] = p[1] = p[2] = level(s.samples[i * 2]), p[3] = level(s.samples[i * 2 + 1]);
            break;
          case PNG_COLOR_TYPE_RGB:
            for (int k = 0; k < 3; ++k) p[k] = level(s.samples[i * 3 + k]);
            p[3] = 255;
            break;
          case PNG_COLOR_TYPE_RGB_ALPHA:
            for (int k = 0; k < 4; ++k) p[k] = level(s.samples[i * 4 + k]);
            break;
          case PNG_COLOR_TYPE_PALETTE: {
            unsigned index = s.samples[i];
            p[0] = s.palette[index].red, p[1] = s.palette[index].green, p[2] = s.palette[index].blue;
            p[3] = index < s.transparency.size() ? s.transparency[index] : 255;
            break;
          }
        }
      }
      bool ok = false;
      Bitmap& bitmap = LoadBytes("res://channels.png", MakePng(s), &ok);
      ASSERT_TRUE(ok);
      EXPECT_TRUE(Holds(bitmap, want, order));
      EXPECT_EQ((bitmap.flags & BITMAP_FLAG_ALPHA) != 0, c.alpha_flag);
    }
}

// Without gAMA (or with 1/2.2) samples stay as they are; a linear file (gAMA 1.0) is brightened
// to the display's 2.2.
TEST_F(ImageLoader, PngGammaComesFromTheFile) {
  core.bitmap_channel_order = 0;
  const unsigned levels[] = {0, 64, 128, 255};
  struct Case {
    int gamma;
    double file_gamma;
  } cases[] = {{0, 1 / 2.2}, {45455, 0.45455}, {100000, 1.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gamma);
    PngPicture picture{4, 1, PNG_COLOR_TYPE_RGB, 8, {}};
    for (unsigned v : levels) picture.samples.insert(picture.samples.end(), {v, v, v});
    picture.gamma = c.gamma;
    bool ok = false;
    Bitmap& bitmap = LoadBytes("res://gamma.png", MakePng(picture), &ok);
    ASSERT_TRUE(ok);
    for (int i = 0; i < 4; ++i) {
      double want = 255.0 * std::pow(levels[i] / 255.0, 1.0 / (c.file_gamma * 2.2));
      EXPECT_NEAR(bitmap.pixels[i * 4], want, 1.0) << levels[i];
    }
  }
}

TEST_F(ImageLoader, JpegGreyAndProgressiveFiles) {
  Image image = Smooth(33, 20);
  for (int order : kOrders)
    for (bool grey : {false, true})
      for (bool progressive : {false, true}) {
        SCOPED_TRACE("order " + std::to_string(order) + (grey ? " grey" : " colour") +
                     (progressive ? " progressive" : " baseline"));
        core.bitmap_channel_order = order;
        Image want = image;
        if (grey)
          for (size_t i = 0; i < want.rgba.size(); i += 4) want.rgba[i + 1] = want.rgba[i + 2] = want.rgba[i];
        bool ok = false;
        Bitmap& bitmap = LoadBytes("res://kinds.jpg", MakeJpeg(image, grey, progressive, 95), &ok);
        ASSERT_TRUE(ok);
        EXPECT_TRUE(Holds(bitmap, want, order, 12));
        EXPECT_EQ(bitmap.flags & BITMAP_FLAG_ALPHA, 0);
      }
}

// Every direction, depth, compression and an image-id field.
TEST_F(ImageLoader, TgaVariants) {
  const TgaLayout cases[] = {
      {24, false, false, false, 0}, {32, false, false, false, 0}, {24, false, true, false, 0},
      {32, false, false, true, 0},  {32, false, true, true, 5},   {24, true, false, false, 0},
      {32, true, true, false, 0},   {32, true, false, true, 3},   {24, true, true, true, 0},
  };
  Image image = Pattern(7, 5);
  for (int order : kOrders)
    for (const TgaLayout& c : cases) {
      SCOPED_TRACE(std::to_string(c.bits) + " bits" + (c.run_length ? " rle" : "") + (c.bottom_up ? " bottom-up" : "") +
                   (c.right_to_left ? " right-to-left" : "") + " id " + std::to_string(c.id_length) + " order " +
                   std::to_string(order));
      core.bitmap_channel_order = order;
      Image want = image;
      if (c.bits == 24)
        for (size_t i = 3; i < want.rgba.size(); i += 4) want.rgba[i] = 255;
      bool ok = false;
      Bitmap& bitmap = LoadBytes("res://variant.tga", MakeTga(image, c), &ok);
      ASSERT_TRUE(ok);
      EXPECT_TRUE(Holds(bitmap, want, order));
      EXPECT_EQ(bitmap.flags & (BITMAP_FLAG_ALPHA | BITMAP_FLAG_RELOADABLE), BITMAP_FLAG_ALPHA | BITMAP_FLAG_RELOADABLE);
    }
}

// A last packet longer than the pixels left: the part that fits is kept, the rest reported with
// the message of its packet kind and channel order, and the load succeeds.
TEST_F(ImageLoader, TgaRunLengthOverrunKeepsThePixelsAndReports) {
  struct Case {
    bool repeat;
    int order;
    const char* message;
  } cases[] = {{true, 0, "TGA buffer overrun #1: (%d)"},
               {false, 0, "TGA buffer overrun #2: (%d)"},
               {true, 1, "TGA buffer overrun #3: (%d)"},
               {false, 1, "TGA buffer overrun #4: (%d)"}};
  Image image = Pattern(4, 2);
  const int first = 3, last = 10, pixels = 8;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    core.bitmap_channel_order = c.order;
    CapturedLog().clear();
    std::string file = TgaHeader(10, 4, 2, 32, 0x28, 0);
    file += static_cast<char>(first - 1);
    for (int i = 0; i < first; ++i) file += TgaPixel(&image.rgba[i * 4], 32);
    Image want = image;
    if (c.repeat) {
      file += static_cast<char>(0x80 | (last - 1));
      file += TgaPixel(image.At(0, 1), 32);
      for (int i = first; i < pixels; ++i) memcpy(&want.rgba[i * 4], image.At(0, 1), 4);
    } else {
      file += static_cast<char>(last - 1);
      for (int i = 0; i < last; ++i) file += TgaPixel(&image.rgba[((first + i) % pixels) * 4], 32);
      for (int i = first; i < pixels; ++i) memcpy(&want.rgba[i * 4], &image.rgba[((i) % pixels) * 4], 4);
    }
    bool ok = false;
    Bitmap& bitmap = LoadBytes("res://overrun.tga", file, &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(Holds(bitmap, want, c.order));
    char message[64];
    snprintf(message, sizeof message, c.message, last - (pixels - first));
    EXPECT_EQ(Logged(message), 1) << message;
  }
}

// Damaged files: a warning that says why, "Unable to load image", no pixels, never a crash.
TEST_F(ImageLoader, DamagedFilesGiveNoPixelsAndSayWhy) {
  core.bitmap_channel_order = 1;
  Image image = Pattern(16, 16);
  std::string png = MakePng({16, 16, PNG_COLOR_TYPE_GRAY, 8, std::vector<unsigned>(256, 9)});
  std::string jpeg = MakeJpeg(Smooth(32, 32), false, false, 90);
  std::string tga = MakeTga(image, {32, false, false, false, 0});
  std::string wrong_magic_png = png;
  wrong_magic_png[1] = 'Q';
  std::string colour_mapped = tga;
  colour_mapped[1] = 1;
  colour_mapped[2] = 1;
  // Run-length data with the two packets the size check lets through, for 256 pixels.
  std::string short_rle = TgaHeader(10, 16, 16, 32, 0x28, 0) + std::string(1, '\0') + TgaPixel(image.At(0, 0), 32) +
                          std::string(1, '\0') + TgaPixel(image.At(1, 0), 32);
  struct Case {
    const char* file;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"res://empty.png", "", "not proper png"},
      {"res://magic.png", wrong_magic_png, "not proper png"},
      {"res://half.png", png.substr(0, png.size() / 2), "PNG ERROR: Image 'test/image' load failed."},
      {"res://signature.png", png.substr(0, 6), "PNG ERROR: Image 'test/image' load failed."},
      {"res://huge.png", PngClaiming(100000, 100000), "claims 100000x100000 pixels; images must be"},
      {"res://hollow.png", PngClaiming(4000, 4000), "cannot hold them"},
      {"res://magic.jpg", "GIF89a-not-a-jpeg", "Load JPG - setjmp failed for 'test/image'."},
      {"res://empty.jpg", "", "Load JPG - setjmp failed for 'test/image'."},
      {"res://header.jpg", jpeg.substr(0, 100), "Load JPG - setjmp failed for 'test/image'."},
      {"res://huge.jpg", JpegClaiming(jpeg, 60000, 60000), "claims 60000x60000 pixels; images must be"},
      {"res://hollow.jpg", JpegClaiming(jpeg, 8000, 8000), "cannot hold them"},
      {"res://header.tga", tga.substr(0, 17), "shorter than the 18-byte TGA header"},
      {"res://mapped.tga", colour_mapped, "only true-colour images"},
      {"res://huge.tga", TgaHeader(2, 65535, 65535, 32, 0x28, 0) + "abc", "claims 65535x65535 pixels"},
      {"res://cut.tga", tga.substr(0, tga.size() - 1), "cannot hold them"},
      {"res://id.tga", TgaHeader(2, 1, 1, 24, 0x20, 200).substr(0, 100), "cannot hold them"},
      {"res://hollow.tga", TgaHeader(10, 4000, 4000, 24, 0x20, 0) + std::string(50, '\xff'), "cannot hold them"},
      {"res://short.tga", short_rle, "ends after 2 of 256 pixels"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    CapturedLog().clear();
    bool ok = true;
    Bitmap& bitmap = LoadBytes(c.file, c.bytes, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(bitmap.pixels, nullptr);
    EXPECT_EQ(Logged(c.message), 1);
    EXPECT_EQ(Logged(std::string("Unable to load image '") + c.file + "'"), 1);
  }
}

// libjpeg mends a file cut inside its scan data (the rest is grey) and warns; the load counts.
TEST_F(ImageLoader, JpegCutInItsScanLoadsWithWarnings) {
  core.bitmap_channel_order = 0;
  std::string jpeg = MakeJpeg(Smooth(128, 128), false, false, 90);
  bool ok = false;
  Bitmap& whole = LoadBytes("res://whole.jpg", jpeg, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(Logged("warnings while loading JPEG"), 0);
  Bitmap& cut = LoadBytes("res://cut.jpg", jpeg.substr(0, jpeg.size() * 2 / 3), &ok);
  EXPECT_TRUE(ok);
  ASSERT_NE(cut.pixels, nullptr);
  EXPECT_EQ(Logged("warnings while loading JPEG 'test/image'."), 1);
  // The first rows lie well inside the bytes that remain and decode as in the whole file.
  EXPECT_EQ(memcmp(cut.pixels, whole.pixels, 128 * 32 * 4), 0);
  EXPECT_NE(memcmp(cut.pixels, whole.pixels, 128 * 128 * 4), 0);
}

TEST_F(ImageLoader, SizeReadsTakeTheHeaderOnly) {
  core.bitmap_channel_order = 1;
  Image image = Pattern(9, 6);
  struct Case {
    const char* file;
    std::string bytes;
    bool alpha_flag;
  } cases[] = {
      {"res://size.tga", MakeTga(image, {24, true, true, false, 0}), true},
      {"res://size.png", MakePng({9, 6, PNG_COLOR_TYPE_RGB_ALPHA, 8, std::vector<unsigned>(9 * 6 * 4, 1)}), false},
      {"res://size.jpg", MakeJpeg(Smooth(9, 6), false, true, 80), false},
      {"res://SIZE.JPG", MakeJpeg(Smooth(9, 6), true, false, 80), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Write(c.file, c.bytes);
    Bitmap& bitmap = Fresh();
    bitmap.flags = c.alpha_flag ? 0 : BITMAP_FLAG_ALPHA;
    bitmap.pixels = static_cast<unsigned char*>(malloc(16));  // left over from before: freed
    EXPECT_TRUE(loader->ReadSize(&bitmap, c.file));
    EXPECT_EQ(bitmap.width, 9);
    EXPECT_EQ(bitmap.height, 6);
    EXPECT_EQ(bitmap.pixels, nullptr);
    EXPECT_EQ((bitmap.flags & BITMAP_FLAG_ALPHA) != 0, c.alpha_flag);
    EXPECT_TRUE(bitmap.flags & BITMAP_FLAG_RELOADABLE);
  }
  Write("res://size.gif", "GIF89a");
  Bitmap& other = Fresh();
  EXPECT_FALSE(loader->ReadSize(&other, "res://size.gif"));
  EXPECT_EQ(Logged("Unsupported image format in file 'res://size.gif'"), 1);
  EXPECT_FALSE(loader->ReadSize(&other, "res://missing.png"));
  EXPECT_TRUE(loader->ReadSize(nullptr, "res://size.png"));
  EXPECT_TRUE(loader->ReadSize(&other, nullptr));

  Write("res://bad.jpg", "not a jpeg at all");
  EXPECT_FALSE(loader->ReadSize(&other, "res://bad.jpg"));
  EXPECT_EQ(Logged("OVI_GetImageDimensionsJPG - setjmp failed."), 1);
}

// Letter case: loading ignores it, saving does not.
TEST_F(ImageLoader, NameRules) {
  core.bitmap_channel_order = 0;
  Image image = Smooth(8, 8);
  Write("res://photo.JPG", MakeJpeg(image, false, false, 90));
  Write("res://photo.PNG", MakePng({1, 1, PNG_COLOR_TYPE_GRAY, 8, {77}}));
  Write("res://photo.Tga", MakeTga(image, {24, false, false, false, 0}));
  for (const char* name : {"res://photo.JPG", "res://photo.PNG", "res://photo.Tga"}) {
    Bitmap& bitmap = Fresh();
    EXPECT_TRUE(loader->Load(&bitmap, name)) << name;
  }
  Write("res://folder.png/file", MakePng({1, 1, PNG_COLOR_TYPE_GRAY, 8, {77}}));
  Write("res://file.tga.bak", MakeTga(image, {24, false, false, false, 0}));
  for (const char* name : {"res://folder.png/file", "res://file.tga.bak"}) {
    Bitmap& bitmap = Fresh();
    EXPECT_FALSE(loader->Load(&bitmap, name)) << name;
    EXPECT_EQ(Logged(std::string("Unsupported image format in file '") + name + "'"), 1);
    EXPECT_EQ(Logged(std::string("Unable to load image '") + name + "'"), 1);
  }
  Bitmap& none = Fresh();
  EXPECT_FALSE(loader->Load(&none, "res://absent.png"));
  EXPECT_TRUE(loader->Load(nullptr, "res://photo.PNG"));
  EXPECT_TRUE(loader->Load(&none, nullptr));

  Bitmap source = BitmapOf(image, 0, false);
  EXPECT_FALSE(loader->SaveImage(&source, "user://shot.PNG", 90));
  EXPECT_EQ(Logged("SaveImage - file format for 'user://shot.PNG' not supported. Use .png format."), 1);
  EXPECT_FALSE(loader->SaveImage(&source, "user://shot.bmp", 90));
  EXPECT_EQ(Logged("SaveImage - file format for 'user://shot.bmp' not supported. Use .png format."), 1);
  EXPECT_EQ(Read("user://shot.PNG"), "(none)");
  EXPECT_FALSE(loader->SaveImage(nullptr, "user://shot.png", 90));
  EXPECT_FALSE(loader->SaveImage(&source, nullptr, 90));
  for (const char* path : {"user://no/such/folder/shot.png", "user://no/such/folder/shot.jpg",
                           "user://no/such/folder/shot.tga"}) {
    EXPECT_FALSE(loader->SaveImage(&source, path, 90)) << path;
  }
  EXPECT_EQ(Logged("for writing."), 3);
  free(source.pixels);
  Bitmap empty = {};
  EXPECT_FALSE(loader->SaveImage(&empty, "user://empty.png", 90));
  EXPECT_EQ(Read("user://empty.png"), "(none)");
}

TEST_F(ImageLoader, PixelMemory) {
  Bitmap& bitmap = Fresh();
  EXPECT_TRUE(loader->AllocateImagePixels(&bitmap, 3, 2));
  EXPECT_NE(bitmap.pixels, nullptr);
  EXPECT_EQ(bitmap.image_width, 3);
  EXPECT_EQ(bitmap.image_height, 2);
  EXPECT_TRUE(loader->AllocateImagePixels(&bitmap, 5, 4));
  EXPECT_EQ(Logged("ImageLoaderImp::AllocateImagePixels bitmap already has pixels allocated!"), 1);
  EXPECT_EQ(bitmap.width, 5);
  EXPECT_FALSE(loader->AllocateImagePixels(&bitmap, -7, 4));
  EXPECT_EQ(Logged("ImageLoaderImp::AllocateImagePixels dimensions (-74) seem weird."), 1);
  EXPECT_EQ(bitmap.width, 0);
  EXPECT_EQ(bitmap.pixels, nullptr);
  EXPECT_FALSE(loader->AllocateImagePixels(&bitmap, 70000, 70000));  // clamped, and far too big
  EXPECT_EQ(bitmap.width, 65536);
  EXPECT_EQ(bitmap.pixels, nullptr);
  loader->FreePixels(nullptr);
  EXPECT_EQ(Logged("ImageLoader trying to free null bitmap."), 1);
}

// ---------------------------------------------------------------------------------------------
// Resizing, against straightforward floating-point versions of the two filters.

Image ReferenceArea(const Image& in, int tw, int th) {
  Image out;
  out.width = tw;
  out.height = th;
  out.rgba.resize(static_cast<size_t>(tw) * th * 4);
  double sx = static_cast<double>(in.width) / tw, sy = static_cast<double>(in.height) / th;
  for (int ty = 0; ty < th; ++ty)
    for (int tx = 0; tx < tw; ++tx) {
      double sum[4] = {}, area = 0;
      for (int y = 0; y < in.height; ++y) {
        double oy = std::min(y + 1.0, (ty + 1) * sy) - std::max(static_cast<double>(y), ty * sy);
        if (oy <= 0) continue;
        for (int x = 0; x < in.width; ++x) {
          double ox = std::min(x + 1.0, (tx + 1) * sx) - std::max(static_cast<double>(x), tx * sx);
          if (ox <= 0) continue;
          for (int k = 0; k < 4; ++k) sum[k] += in.At(x, y)[k] * ox * oy;
          area += ox * oy;
        }
      }
      for (int k = 0; k < 4; ++k) out.At(tx, ty)[k] = static_cast<unsigned char>(std::lround(sum[k] / area));
    }
  return out;
}

double ReferenceBilinear(const Image& in, int tw, int th, int tx, int ty, int k) {
  double fx = std::max(0.0, (tx + 0.5) * in.width / tw - 0.5), fy = std::max(0.0, (ty + 0.5) * in.height / th - 0.5);
  int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
  int x1 = std::min(x0 + 1, in.width - 1), y1 = std::min(y0 + 1, in.height - 1);
  double ax = fx - x0, ay = fy - y0;
  double top = in.At(x0, y0)[k] * (1 - ax) + in.At(x1, y0)[k] * ax;
  double bottom = in.At(x0, y1)[k] * (1 - ax) + in.At(x1, y1)[k] * ax;
  return top * (1 - ay) + bottom * ay;
}

TEST_F(ImageLoader, ResizeChoosesCopyAreaAverageOrBilinear) {
  enum Method { kCopy, kArea, kBilinear };
  struct Case {
    int sw, sh, tw, th;
    Method method;
  } cases[] = {
      {100, 100, 50, 50, kArea},  {90, 90, 30, 30, kArea},     {9, 7, 4, 3, kArea},        {31, 10, 20, 10, kArea},
      {100, 100, 80, 80, kBilinear}, {6, 6, 4, 4, kBilinear}, {4, 3, 7, 9, kBilinear},    {12, 5, 12, 5, kCopy},
      {10, 30, 9, 40, kBilinear},
  };
  for (int order : kOrders)
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh) + " to " + std::to_string(c.tw) + "x" +
                   std::to_string(c.th) + " order " + std::to_string(order));
      Image image = Noise(c.sw, c.sh, static_cast<unsigned>(c.sw * 31 + c.tw));
      Bitmap source = BitmapOf(image, order, false);
      source.name = const_cast<char*>("noise");
      Bitmap& target = Fresh();
      target.flags = BITMAP_FLAG_ALPHA;
      ASSERT_TRUE(OVI_CreateImageResized(&target, &source, c.tw, c.th));
      EXPECT_EQ(target.image_width, c.tw);
      EXPECT_EQ(target.image_height, c.th);
      EXPECT_EQ(target.flags & BITMAP_FLAG_ALPHA, 0);  // copied from the source
      if (c.method == kCopy) {
        EXPECT_EQ(memcmp(target.pixels, source.pixels, image.rgba.size()), 0);
      } else if (c.method == kArea) {
        EXPECT_TRUE(Holds(target, ReferenceArea(image, c.tw, c.th), order, 1));
      } else {
        for (int y = 0; y < c.th; ++y)
          for (int x = 0; x < c.tw; ++x)
            for (int k = 0; k < 4; ++k) {
              int stored = order == 1 && k != 1 && k != 3 ? 2 - k : k;
              ASSERT_NEAR(target.pixels[(y * c.tw + x) * 4 + stored], ReferenceBilinear(image, c.tw, c.th, x, y, k),
                          1.25)
                  << x << ", " << y << " channel " << k;
            }
      }
      free(source.pixels);
    }
}

// Transparent pixels' hidden colour never leaks into the result.
TEST_F(ImageLoader, ResizeBleedsColourBeforeAndAfter) {
  for (int order : kOrders) {
    SCOPED_TRACE(order);
    Image image;
    image.width = 6;
    image.height = 6;
    image.rgba.resize(6 * 6 * 4);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) {
        unsigned char* p = image.At(x, y);
        bool opaque = x < 2;
        p[0] = opaque ? 250 : 0, p[1] = opaque ? 40 : 0, p[2] = opaque ? 0 : 255, p[3] = opaque ? 255 : 0;
      }
    for (int size : {4, 9, 2}) {
      SCOPED_TRACE(size);
      Bitmap source = BitmapOf(image, order, true);
      Bitmap& target = Fresh();
      ASSERT_TRUE(OVI_CreateImageResized(&target, &source, size, size));
      EXPECT_TRUE(target.flags & BITMAP_FLAG_ALPHA);
      // Pixels that show have no blue; a transparent pixel right of one that shows took its colour.
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          unsigned char rgba[4], left[4];
          Stored(target.pixels + (y * size + x) * 4, order, rgba);  // the swap is its own inverse
          if (rgba[3]) {
            EXPECT_EQ(rgba[2], 0) << x << ", " << y;
          }
          if (x == 0 || rgba[3]) continue;
          Stored(target.pixels + (y * size + x - 1) * 4, order, left);
          if (left[3]) {
            EXPECT_EQ(memcmp(rgba, left, 3), 0) << x << ", " << y;
          }
        }
      EXPECT_EQ(source.pixels[2 * 4 + (order == 1 ? 0 : 2)], 255);  // the source keeps its hidden blue
      free(source.pixels);
    }
  }
}

TEST_F(ImageLoader, ResizeRefusals) {
  Image image = Noise(3, 3, 5);
  Bitmap source = BitmapOf(image, 0, false);
  Bitmap& target = Fresh();
  EXPECT_FALSE(OVI_CreateImageResized(nullptr, &source, 2, 2));
  EXPECT_EQ(Logged("OVI_CreateImageResized bm_target is null."), 1);
  EXPECT_FALSE(OVI_CreateImageResized(&target, nullptr, 2, 2));
  EXPECT_EQ(Logged("OVI_CreateImageResized bm_source is null."), 1);
  Bitmap empty = {};
  EXPECT_FALSE(OVI_CreateImageResized(&target, &empty, 2, 2));
  EXPECT_EQ(Logged("OVI_CreateImageResized bm_source '(null)' has no pixels."), 1);
  size_t lines = CapturedLog().size();
  for (int size : {0, -1, 65536}) {
    EXPECT_FALSE(OVI_CreateImageResized(&target, &source, size, 2));
    EXPECT_FALSE(OVI_CreateImageResized(&target, &source, 2, size));
  }
  EXPECT_EQ(CapturedLog().size(), lines);
  EXPECT_EQ(target.pixels, nullptr);
  // A bitmap resized into itself.
  ASSERT_TRUE(OVI_CreateImageResized(&source, &source, 6, 6));
  EXPECT_EQ(source.width, 6);
  free(source.pixels);
}

// Which neighbour a fully transparent pixel takes its colour from: above, right, below, left in
// that order, the last opaque one winning; alpha never changes.
TEST_F(ImageLoader, BleedingTakesTheLastOpaqueNeighbour) {
  enum { kAbove = 1, kRight = 2, kBelow = 4, kLeft = 8 };
  const int order[] = {kAbove, kRight, kBelow, kLeft};
  for (int opaque = 0; opaque < 16; ++opaque) {
    SCOPED_TRACE(opaque);
    // 3 x 3, the centre transparent; each neighbour its own colour, opaque when chosen; corners
    // opaque too (they never count).
    std::vector<unsigned char> pixels(9 * 4, 0);
    auto set = [&](int x, int y, unsigned char value, unsigned char alpha) {
      unsigned char* p = &pixels[(y * 3 + x) * 4];
      p[0] = value, p[1] = static_cast<unsigned char>(value + 1), p[2] = static_cast<unsigned char>(value + 2);
      p[3] = alpha;
    };
    for (int corner = 0; corner < 4; ++corner) set((corner % 2) * 2, (corner / 2) * 2, 200, 255);
    const int positions[4][2] = {{1, 0}, {2, 1}, {1, 2}, {0, 1}};
    for (int n = 0; n < 4; ++n)
      set(positions[n][0], positions[n][1], static_cast<unsigned char>(10 * (n + 1)), opaque & order[n] ? 128 : 0);
    set(1, 1, 99, 0);
    std::vector<unsigned char> before = pixels;
    OVI_BleedColourIntoTransparentPixels(pixels.data(), 3, 3);
    int winner = -1;
    for (int n = 0; n < 4; ++n)
      if (opaque & order[n]) winner = n;
    const unsigned char* centre = &pixels[4 * 4];
    unsigned char want = winner < 0 ? 99 : static_cast<unsigned char>(10 * (winner + 1));
    EXPECT_EQ(centre[0], want);
    EXPECT_EQ(centre[2], static_cast<unsigned char>(want + 2));
    EXPECT_EQ(centre[3], 0);
    for (int i = 0; i < 9; ++i) {
      if (before[i * 4 + 3]) {
        EXPECT_EQ(memcmp(&pixels[i * 4], &before[i * 4], 4), 0) << i;  // opaque: unchanged
      }
    }
  }
}

}  // namespace
