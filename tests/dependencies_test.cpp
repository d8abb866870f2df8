// The third-party libraries link and work in this build (statically linked Windows builds under
// Wine, Debian's packages natively).
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>
#include <stdio.h>
#include <string.h>
#include <vorbis/vorbisfile.h>
#include <zlib.h>

extern "C" {
#include <jpeglib.h>
}

#include <vector>

namespace {

TEST(Dependencies, ZlibRoundTrip) {
  std::vector<unsigned char> input(5000);
  for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<unsigned char>(i % 17);
  uLongf packed_size = compressBound(input.size());
  std::vector<unsigned char> packed(packed_size);
  ASSERT_EQ(compress(packed.data(), &packed_size, input.data(), input.size()), Z_OK);
  EXPECT_LT(packed_size, input.size() / 4);
  std::vector<unsigned char> output(input.size());
  uLongf output_size = output.size();
  ASSERT_EQ(uncompress(output.data(), &output_size, packed.data(), packed_size), Z_OK);
  EXPECT_EQ(output, input);
}

struct MemoryStream {
  std::vector<unsigned char> bytes;
  size_t position = 0;
};

TEST(Dependencies, PngWriteAndReadBackInMemory) {
  const unsigned char pixels[2][8] = {{255, 0, 0, 255, 0, 255, 0, 128}, {0, 0, 255, 255, 10, 20, 30, 0}};
  MemoryStream stream;

  png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop write_info = png_create_info_struct(writer);
  ASSERT_EQ(setjmp(png_jmpbuf(writer)), 0);
  png_set_write_fn(
      writer, &stream,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* s = static_cast<MemoryStream*>(png_get_io_ptr(p));
        s->bytes.insert(s->bytes.end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(writer, write_info, 2, 2, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(writer, write_info);
  for (const auto& row : pixels) png_write_row(writer, row);
  png_write_end(writer, nullptr);
  png_destroy_write_struct(&writer, &write_info);
  ASSERT_GT(stream.bytes.size(), 8u);
  EXPECT_EQ(png_sig_cmp(stream.bytes.data(), 0, 8), 0);

  png_structp reader = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop read_info = png_create_info_struct(reader);
  ASSERT_EQ(setjmp(png_jmpbuf(reader)), 0);
  png_set_read_fn(reader, &stream, [](png_structp p, png_bytep data, png_size_t n) {
    auto* s = static_cast<MemoryStream*>(png_get_io_ptr(p));
    if (s->position + n > s->bytes.size()) png_error(p, "read past the end");
    memcpy(data, s->bytes.data() + s->position, n);
    s->position += n;
  });
  png_read_info(reader, read_info);
  ASSERT_EQ(png_get_image_width(reader, read_info), 2u);
  ASSERT_EQ(png_get_image_height(reader, read_info), 2u);
  unsigned char back[2][8];
  png_bytep rows[2] = {back[0], back[1]};
  png_read_image(reader, rows);
  png_destroy_read_struct(&reader, &read_info, nullptr);
  EXPECT_EQ(memcmp(back, pixels, sizeof pixels), 0);
}

TEST(Dependencies, JpegCompressAndDecompressInMemory) {
  const int width = 16, height = 8;
  std::vector<unsigned char> rgb(width * height * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = 200;
    rgb[i + 1] = 100;
    rgb[i + 2] = 50;
  }
  jpeg_compress_struct compressor;
  jpeg_error_mgr errors;
  compressor.err = jpeg_std_error(&errors);
  jpeg_create_compress(&compressor);
  unsigned char* packed = nullptr;
  unsigned long packed_size = 0;
  jpeg_mem_dest(&compressor, &packed, &packed_size);
  compressor.image_width = width;
  compressor.image_height = height;
  compressor.input_components = 3;
  compressor.in_color_space = JCS_RGB;
  jpeg_set_defaults(&compressor);
  jpeg_set_quality(&compressor, 95, TRUE);
  jpeg_start_compress(&compressor, TRUE);
  while (compressor.next_scanline < compressor.image_height) {
    JSAMPROW row = &rgb[compressor.next_scanline * width * 3];
    jpeg_write_scanlines(&compressor, &row, 1);
  }
  jpeg_finish_compress(&compressor);
  jpeg_destroy_compress(&compressor);
  ASSERT_GT(packed_size, 100u);

  jpeg_decompress_struct decompressor;
  decompressor.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&decompressor);
  jpeg_mem_src(&decompressor, packed, packed_size);
  ASSERT_EQ(jpeg_read_header(&decompressor, TRUE), JPEG_HEADER_OK);
  jpeg_start_decompress(&decompressor);
  ASSERT_EQ(static_cast<int>(decompressor.output_width), width);
  ASSERT_EQ(static_cast<int>(decompressor.output_height), height);
  std::vector<unsigned char> back(width * height * 3);
  while (decompressor.output_scanline < decompressor.output_height) {
    JSAMPROW row = &back[decompressor.output_scanline * width * 3];
    jpeg_read_scanlines(&decompressor, &row, 1);
  }
  jpeg_finish_decompress(&decompressor);
  jpeg_destroy_decompress(&decompressor);
  free(packed);
  for (size_t i = 0; i < back.size(); ++i) EXPECT_NEAR(back[i], rgb[i], 4) << i;
}

TEST(Dependencies, FreeTypeStarts) {
  FT_Library library;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  FT_Int major, minor, patch;
  FT_Library_Version(library, &major, &minor, &patch);
  EXPECT_EQ(major, 2);
  EXPECT_GE(minor, 12);
  FT_Face face;
  const unsigned char not_a_font[16] = {1, 2, 3};
  EXPECT_NE(FT_New_Memory_Face(library, not_a_font, sizeof not_a_font, 0, &face), 0);
  FT_Done_FreeType(library);
}

TEST(Dependencies, VorbisfileRejectsNonVorbisThroughCallbacks) {
  EXPECT_NE(strstr(vorbis_version_string(), "Xiph"), nullptr);
  MemoryStream stream;
  stream.bytes.assign(4096, 'x');
  ov_callbacks callbacks = {
      [](void* out, size_t size, size_t count, void* source) -> size_t {
        auto* s = static_cast<MemoryStream*>(source);
        size_t n = std::min(size * count, s->bytes.size() - s->position);
        memcpy(out, s->bytes.data() + s->position, n);
        s->position += n;
        return size ? n / size : 0;
      },
      nullptr, nullptr, nullptr};
  OggVorbis_File file;
  EXPECT_EQ(ov_open_callbacks(&stream, &file, nullptr, 0, callbacks), OV_ENOTVORBIS);
  EXPECT_GT(stream.position, 0u);
}

}  // namespace
