// PNG reading from memory and writing to a file through libpng. Every libpng call that can fail
// runs below one setjmp in a small guard function; the work itself keeps its state in a job
// record, so a jump back leaves nothing behind that the guard's caller cannot free.
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/core_state.h"
#include "core/log.h"
#include "resources/image_codecs.h"
#include "resources/image_loader.h"

namespace {

// The largest factor by which deflate can shrink data (a 258-byte match in one bit, roughly).
const double kDeflateMaxRatio = 1032.0;
// The display the pixels are meant for; paired with the file's gamma.
const double kScreenGamma = 2.2;

struct PngReadJob {
  png_structp png;
  png_infop info;
  const unsigned char* data;
  size_t size;
  size_t position;
  char message[256];  // libpng's reason for a failure
  // The decode only:
  ImageLoaderImp* loader;
  Bitmap* bitmap;
  png_bytep* rows;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  PngReadJob* job = static_cast<PngReadJob*>(png_get_io_ptr(png));
  if (count > job->size - job->position) png_error(png, "the data ends inside the image");
  memcpy(out, job->data + job->position, count);
  job->position += count;
}

void OnError(png_structp png, png_const_charp message) {
  PngReadJob* job = static_cast<PngReadJob*>(png_get_error_ptr(png));
  snprintf(job->message, sizeof job->message, "%s", message ? message : "");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

bool HasSignature(const unsigned char* data, size_t size) { return data && size >= 4 && png_sig_cmp(data, 0, 4) == 0; }

bool StartReading(PngReadJob* job, const unsigned char* data, size_t size) {
  memset(job, 0, sizeof *job);
  job->data = data;
  job->size = size;
  job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, OnError, OnWarning);
  if (!job->png) return false;
  job->info = png_create_info_struct(job->png);
  if (!job->info) return false;
  png_set_read_fn(job->png, job, ReadFromMemory);
  return true;
}

void FinishReading(PngReadJob* job) {
  free(job->rows);
  if (job->png) png_destroy_read_struct(&job->png, job->info ? &job->info : nullptr, nullptr);
}

void ReadHeaderBody(PngReadJob* job) { png_read_info(job->png, job->info); }

bool GuardedReadHeader(PngReadJob* job) {
  if (setjmp(png_jmpbuf(job->png))) return false;
  ReadHeaderBody(job);
  return true;
}

// How many channels the image has once palettes, low bit depths and transparency chunks are
// expanded.
int ExpandedChannels(png_structp png, png_infop info) {
  int type = png_get_color_type(png, info);
  int transparency = png_get_valid(png, info, PNG_INFO_tRNS) ? 1 : 0;
  switch (type) {
    case PNG_COLOR_TYPE_PALETTE:
    case PNG_COLOR_TYPE_RGB: return 3 + transparency;
    case PNG_COLOR_TYPE_GRAY: return 1 + transparency;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 0;
  }
}

int SamplesPerPixel(int colour_type) {
  switch (colour_type) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // grey, palette indices
  }
}

// The decode after the header: 0 done, otherwise the channel count that was not understood
// (-1 for a failure already reported).
int DecodeBody(PngReadJob* job) {
  png_structp png = job->png;
  png_infop info = job->info;
  png_read_info(png, info);
  const char* label = OVI_ImageLabel(job->bitmap);
  png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  int depth = png_get_bit_depth(png, info), type = png_get_color_type(png, info);
  if (!OVI_CheckImageSize("PNG", label, width, height)) return -1;
  double raw_bytes = static_cast<double>(width) * height * depth * SamplesPerPixel(type) / 8.0;
  if (!OVI_CheckImageData("PNG", label, width, height, job->size, raw_bytes / kDeflateMaxRatio)) return -1;

  if (depth == 16) {
#ifdef PNG_READ_SCALE_16_TO_8_SUPPORTED
    png_set_scale_16(png);
#else
    png_set_strip_16(png);
#endif
  }
  png_set_expand(png);
  if (core.bitmap_channel_order == 1 && (type & PNG_COLOR_MASK_COLOR)) png_set_bgr(png);
  png_fixed_point file_gamma_fixed = 0;
  double file_gamma =
      png_get_gAMA_fixed(png, info, &file_gamma_fixed) && file_gamma_fixed > 0 ? file_gamma_fixed * 0.00001 : 1.0 / 2.2;
  png_set_gamma(png, kScreenGamma, file_gamma);
  // Three channels get alpha 255, grey and alpha its grey in all three colours: libpng does
  // both while decoding. One channel is an alpha mask, widened below.
  int channels = ExpandedChannels(png, info);
  if (channels == 3) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
  else if (channels == 2) png_set_gray_to_rgb(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  size_t expected = channels == 1 ? width : static_cast<size_t>(width) * 4;
  if (channels < 1 || channels > 4 || png_get_rowbytes(png, info) != expected) return png_get_channels(png, info);

  if (!job->loader->AllocateImagePixels(job->bitmap, static_cast<int>(width), static_cast<int>(height))) return -1;
  job->rows = static_cast<png_bytep*>(malloc(sizeof(png_bytep) * height));
  if (!job->rows) png_error(png, "out of memory for the row table");
  const size_t stride = static_cast<size_t>(width) * 4;
  // A mask row lands in the last quarter of its pixel row, to be widened in place.
  const size_t offset = channels == 1 ? stride - width : 0;
  for (png_uint_32 y = 0; y < height; ++y) job->rows[y] = job->bitmap->pixels + y * stride + offset;
  png_read_image(png, job->rows);
  if (channels == 1) {
    for (png_uint_32 y = 0; y < height; ++y) {
      unsigned char* row = job->bitmap->pixels + y * stride;
      for (png_uint_32 x = 0; x < width; ++x) {
        unsigned char alpha = row[offset + x];  // read before the write: the two may overlap
        unsigned char* out = row + x * 4;
        out[0] = out[1] = out[2] = 255;
        out[3] = alpha;
      }
    }
  }
  if (channels == 3) job->bitmap->flags &= ~BITMAP_FLAG_ALPHA;
  else job->bitmap->flags |= BITMAP_FLAG_ALPHA;
  return 0;
}

bool GuardedDecode(PngReadJob* job, int* result) {
  if (setjmp(png_jmpbuf(job->png))) return false;
  *result = DecodeBody(job);
  return true;
}

// Writing.

struct PngWriteJob {
  png_structp png;
  png_infop info;
  FILE* file;
  const Bitmap* bitmap;
  png_bytep* rows;
  char message[256];
};

void WriteToFile(png_structp png, png_bytep data, png_size_t count) {
  PngWriteJob* job = static_cast<PngWriteJob*>(png_get_io_ptr(png));
  if (fwrite(data, 1, count, job->file) != count) png_error(png, "the file could not be written");
}

void FlushFile(png_structp png) { fflush(static_cast<PngWriteJob*>(png_get_io_ptr(png))->file); }

void OnWriteError(png_structp png, png_const_charp message) {
  PngWriteJob* job = static_cast<PngWriteJob*>(png_get_error_ptr(png));
  snprintf(job->message, sizeof job->message, "%s", message ? message : "");
  png_longjmp(png, 1);
}

void WriteBody(PngWriteJob* job) {
  png_structp png = job->png;
  const Bitmap* bitmap = job->bitmap;
  png_set_write_fn(png, job, WriteToFile, FlushFile);
  png_set_IHDR(png, job->info, static_cast<png_uint_32>(bitmap->width), static_cast<png_uint_32>(bitmap->height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, job->info);
  if (core.bitmap_channel_order == 1) png_set_bgr(png);
  const size_t stride = static_cast<size_t>(bitmap->width) * 4;
  for (int y = 0; y < bitmap->height; ++y) job->rows[y] = bitmap->pixels + y * stride;
  png_write_image(png, job->rows);
  png_write_end(png, nullptr);
}

bool GuardedWrite(PngWriteJob* job) {
  if (setjmp(png_jmpbuf(job->png))) return false;
  WriteBody(job);
  return true;
}

}  // namespace

bool OVI_ReadPNGSize(Bitmap* bitmap, const unsigned char* data, size_t size) {
  const char* label = OVI_ImageLabel(bitmap);
  if (!HasSignature(data, size)) {
    OV_LogLevel(LOG_WARNING, "PNG ERROR: Image '%s' not proper png.", label);
    return false;
  }
  PngReadJob job;
  bool ok = StartReading(&job, data, size) && GuardedReadHeader(&job);
  if (ok) {
    png_uint_32 width = png_get_image_width(job.png, job.info), height = png_get_image_height(job.png, job.info);
    ok = OVI_CheckImageSize("PNG", label, width, height);
    if (ok) {
      bitmap->width = static_cast<int>(width);
      bitmap->height = static_cast<int>(height);
      bitmap->flags &= ~BITMAP_FLAG_ALPHA;
    }
  } else {
    OV_LogLevel(LOG_WARNING, "PNG ERROR: Image '%s' load failed.", label);
    if (job.message[0]) OV_Log("PNG: libpng stopped reading '%s': %s", label, job.message);
  }
  FinishReading(&job);
  return ok;
}

bool OVI_DecodePNG(ImageLoaderImp& loader, Bitmap* bitmap, const unsigned char* data, size_t size) {
  const char* label = OVI_ImageLabel(bitmap);
  if (!HasSignature(data, size)) {
    OV_LogLevel(LOG_WARNING, "PNG ERROR: Image '%s' not proper png.", label);
    return false;
  }
  PngReadJob job;
  int result = -1;
  bool ran = StartReading(&job, data, size);
  if (ran) {
    job.loader = &loader;
    job.bitmap = bitmap;
    ran = GuardedDecode(&job, &result);
  }
  FinishReading(&job);
  if (!ran) {
    OV_LogLevel(LOG_WARNING, "PNG ERROR: Image '%s' load failed.", label);
    if (job.message[0]) OV_Log("PNG: libpng stopped reading '%s': %s", label, job.message);
  } else if (result > 0) {
    OV_LogLevel(LOG_WARNING, "Unsupported png '%s' with %d channels.\n", label, result);
  }
  if (!ran || result != 0) {
    if (bitmap->pixels) loader.FreePixels(bitmap);
    return false;
  }
  return true;
}

bool OVI_WritePNG(const Bitmap* bitmap, const char* native_path) {
  if (static_cast<png_uint_32>(bitmap->height) > PNG_UINT_32_MAX / sizeof(png_bytep)) {
    OV_LogLevel(LOG_ERROR, "Image is too tall to process in memory");
    return false;
  }
  PngWriteJob job;
  memset(&job, 0, sizeof job);
  job.bitmap = bitmap;
  job.file = fopen(native_path, "wb");
  if (!job.file) {
    OV_LogLevel(LOG_WARNING, "Unable to open file '%s' for writing.", native_path);
    return false;
  }
  bool ok = false;
  job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, OnWriteError, OnWarning);
  if (!job.png) {
    OV_LogLevel(LOG_ERROR, "WritePNG: png_create_write_struct failed.");
  } else if (!(job.info = png_create_info_struct(job.png))) {
    OV_LogLevel(LOG_ERROR, "WritePNG: png_create_info_struct failed.");
  } else if (!(job.rows = static_cast<png_bytep*>(malloc(sizeof(png_bytep) * static_cast<size_t>(bitmap->height))))) {
    OV_LogLevel(LOG_ERROR, "Image is too tall to process in memory");
  } else if (!GuardedWrite(&job)) {
    OV_LogLevel(LOG_ERROR, "WritePNG: setjmp(png_jmpbuf(png_ptr)) failed.");
    if (job.message[0]) OV_Log("WritePNG: libpng stopped writing '%s': %s", native_path, job.message);
  } else {
    ok = true;
  }
  if (job.png) png_destroy_write_struct(&job.png, job.info ? &job.info : nullptr);
  free(job.rows);
  if (fclose(job.file) != 0 && ok) {
    OV_LogLevel(LOG_WARNING, "SaveImage - writing '%s' failed.", native_path);
    ok = false;
  }
  return ok;
}
