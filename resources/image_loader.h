// The image loader: PNG (libpng), JPEG (libjpeg) and TGA (our own) files into 32-bit pixels in
// the renderer's channel order, the same three formats written back, and resized copies.
//
// Pixels are width x height x 4 bytes, rows top to bottom; with core.bitmap_channel_order 1 each
// pixel is B, G, R, A, with 0 it is R, G, B, A. Pixel memory comes from the C heap (malloc/free).
//
// Size limit for decoded files: at most IMAGE_MAX_SIDE (16384) pixels a side and IMAGE_MAX_PIXELS
// (64 M pixels, 256 MB of pixel data) in all. A 32-bit process has 2 GB of address space, and a
// texture is never bigger than 16384 a side. On top of that a decoder refuses a file that is too
// small to hold the image it claims before it allocates anything, so a damaged header cannot make
// a few bytes ask for hundreds of megabytes:
// - uncompressed TGA: all width x height pixels must be in the file;
// - run-length TGA: at least one packet (a header byte and one pixel) per 128 pixels;
// - PNG: the raw samples can shrink at most 1032 times under deflate;
// - JPEG: every 8 x 8 block of the full-resolution component costs at least one bit under
//   Huffman coding (arithmetic-coded files are refused, as the IJG 6b library does).
// Image files larger than IMAGE_MAX_FILE_BYTES are not read at all.
#pragma once

#include <stddef.h>

#include "resources/bitmap.h"

enum { IMAGE_MAX_SIDE = 16384, IMAGE_MAX_PIXELS = 64 * 1024 * 1024, IMAGE_MAX_FILE_BYTES = 512 * 1024 * 1024 };

class ImageLoaderImp {
 public:
  virtual ~ImageLoaderImp();  // 0
  // The image's width and height (and the alpha flag) from the file's header, without pixels.
  // A null bitmap or file succeeds without work; a file that does not open fails.
  virtual bool ReadSize(Bitmap* bitmap, const char* file) = 0;  // 1
  // Decodes the file into the bitmap's pixels by its extension (tga, png, jpg, any letter case).
  // On failure the bitmap has no pixels.
  virtual bool Load(Bitmap* bitmap, const char* file) = 0;  // 2
  // width x height x 4 bytes of undefined contents; width, height, image width and image height
  // set. Existing pixels are freed first. False when nothing could be allocated.
  virtual bool AllocateImagePixels(Bitmap* bitmap, int width, int height);  // 3
  virtual void FreePixels(Bitmap* bitmap) = 0;  // 4
  // Writes the pixels as PNG, JPEG (at quality 0..100) or TGA by the path's ending (case
  // matters); virtual paths are resolved to native ones.
  virtual bool SaveImage(const Bitmap* bitmap, const char* path, int quality) = 0;  // 5
};

class ImageLoaderImpPortable : public ImageLoaderImp {
 public:
  bool ReadSize(Bitmap* bitmap, const char* file) override;
  bool Load(Bitmap* bitmap, const char* file) override;
  void FreePixels(Bitmap* bitmap) override;
  bool SaveImage(const Bitmap* bitmap, const char* path, int quality) override;

  // The same as ReadSize and Load for bytes already in memory; file names the image (its
  // extension picks the decoder) and appears in messages.
  bool ReadSizeFromMemory(Bitmap* bitmap, const char* file, const unsigned char* data, size_t size);
  bool LoadFromMemory(Bitmap* bitmap, const char* file, const unsigned char* data, size_t size);
};

// The one loader, created on the first call.
ImageLoaderImp* OVI_ImageLoader();

// Replaces the target's pixels by the source's image resampled to width x height (plain copy,
// area average when shrinking by more than 1.5 in either direction, else bilinear). A source with
// the alpha flag has its colour bled into fully transparent pixels before and after.
bool OVI_CreateImageResized(Bitmap* target, const Bitmap* source, int width, int height);

// Every pixel with alpha 0 takes the colour (not the alpha) of its non-transparent neighbours
// above, right, below and left, in that order, the last one found winning. Channel-order blind.
void OVI_BleedColourIntoTransparentPixels(unsigned char* pixels, int width, int height);
