// Inside the image loader: the decoders and encoders of each format, working on bytes in memory
// (decoding) or on a native path (encoding), and the size checks they share.
#pragma once

#include <stddef.h>

struct Bitmap;
class ImageLoaderImp;

// The bitmap's name for messages, "NULL" when it has none.
const char* OVI_ImageLabel(const Bitmap* bitmap);

// Width and height within the decoders' limits; otherwise a warning naming the format.
bool OVI_CheckImageSize(const char* format, const char* label, long long width, long long height);
// The file holds at least needed bytes for the image it claims; otherwise a warning that it is
// truncated or damaged.
bool OVI_CheckImageData(const char* format, const char* label, long long width, long long height,
                        size_t available, double needed);

// Decoders: on success the bitmap has width x height pixels in the channel order, its width and
// height and its alpha flag set; on failure it has no pixels. Pixels come from
// loader.AllocateImagePixels.
bool OVI_DecodeTGA(ImageLoaderImp& loader, Bitmap* bitmap, const unsigned char* data, size_t size);
bool OVI_DecodePNG(ImageLoaderImp& loader, Bitmap* bitmap, const unsigned char* data, size_t size);
bool OVI_DecodeJPG(ImageLoaderImp& loader, Bitmap* bitmap, const unsigned char* data, size_t size);

// Header-only reads: width and height (and the alpha flag for TGA and PNG), no pixels.
bool OVI_ReadTGASize(Bitmap* bitmap, const unsigned char* data, size_t size);
bool OVI_ReadPNGSize(Bitmap* bitmap, const unsigned char* data, size_t size);
bool OVI_ReadJPGSize(Bitmap* bitmap, const unsigned char* data, size_t size);

// Encoders of the bitmap's width x height pixels to a native path.
bool OVI_WriteTGA(const Bitmap* bitmap, const char* native_path);
bool OVI_WritePNG(const Bitmap* bitmap, const char* native_path);
bool OVI_WriteJPG(const Bitmap* bitmap, const char* native_path, int quality);
// The pixels a writer can take: present, 1..65535 a side; otherwise a warning.
bool OVI_CheckWritable(const Bitmap* bitmap, const char* path);
