// JPEG reading from memory and writing to a file through libjpeg's classic interface. The error
// handler jumps back to one setjmp in a small guard function; warnings are only counted.
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

#include "core/core_state.h"
#include "core/log.h"
#include "resources/image_codecs.h"
#include "resources/image_loader.h"

namespace {

// A progressive file may repeat scans without end; real files have a dozen or so.
const int kMaxScans = 256;

struct JpegError {
  jpeg_error_mgr manager;
  jmp_buf jump;
  bool too_many_scans;
};

void OnErrorExit(j_common_ptr info) { longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

void OnMessage(j_common_ptr info, int level) {
  if (level < 0) ++info->err->num_warnings;
}

void OnOutput(j_common_ptr) {}

void SetUpErrors(JpegError* error) {
  jpeg_std_error(&error->manager);
  error->manager.error_exit = OnErrorExit;
  error->manager.emit_message = OnMessage;
  error->manager.output_message = OnOutput;
  error->too_many_scans = false;
}

// libjpeg's text for the last error.
void ErrorText(j_common_ptr info, char* out) {
  out[0] = 0;
  info->err->format_message(info, out);
}

// The source: the bytes in memory, then an end-of-image marker for as long as libjpeg asks
// (it warns that the file ended early).
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr info) {
  WARNMS(info, JWRN_JPEG_EOF);
  info->src->next_input_byte = kEndOfImage;
  info->src->bytes_in_buffer = sizeof kEndOfImage;
  return TRUE;
}

void SkipInput(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  if (static_cast<size_t>(count) > info->src->bytes_in_buffer) {
    FillInput(info);
    return;
  }
  info->src->next_input_byte += count;
  info->src->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

struct JpegReadJob {
  jpeg_decompress_struct info;
  JpegError error;
  jpeg_source_mgr source;
  jpeg_progress_mgr progress;
  ImageLoaderImp* loader;
  Bitmap* bitmap;
  bool header_only;
  bool refused;  // a failure already reported
};

void LimitScans(j_common_ptr common) {
  j_decompress_ptr info = reinterpret_cast<j_decompress_ptr>(common);
  if (info->input_scan_number > kMaxScans) {
    reinterpret_cast<JpegError*>(info->err)->too_many_scans = true;
    info->err->error_exit(common);
  }
}

void StartReading(JpegReadJob* job, const unsigned char* data, size_t size) {
  job->info.err = &job->error.manager;
  jpeg_create_decompress(&job->info);
  job->source.init_source = InitSource;
  job->source.fill_input_buffer = FillInput;
  job->source.skip_input_data = SkipInput;
  job->source.resync_to_restart = jpeg_resync_to_restart;
  job->source.term_source = TermSource;
  job->source.next_input_byte = data;
  job->source.bytes_in_buffer = data ? size : 0;
  job->info.src = &job->source;
  job->progress.progress_monitor = LimitScans;
  job->info.progress = &job->progress;
  jpeg_read_header(&job->info, TRUE);
}

// Without libjpeg-turbo's four-byte colour spaces: widens a row of RGB or grey samples that sits at the end of its pixel row into four bytes per
// pixel in the channel order, front to back (each source pixel is read before its bytes can be
// overwritten).
void WidenRow(unsigned char* row, JDIMENSION width, int components, bool bgra) {
  const unsigned char* in = row + static_cast<size_t>(width) * (4 - components);
  if (components == 1) {
    for (JDIMENSION x = 0; x < width; ++x) {
      unsigned char grey = in[x];
      unsigned char* out = row + x * 4;
      out[0] = out[1] = out[2] = grey;
      out[3] = 255;
    }
    return;
  }
  for (JDIMENSION x = 0; x < width; ++x) {
    unsigned char r = in[x * 3], g = in[x * 3 + 1], b = in[x * 3 + 2];
    unsigned char* out = row + x * 4;
    out[0] = bgra ? b : r;
    out[1] = g;
    out[2] = bgra ? r : b;
    out[3] = 255;
  }
}

void DecodeBody(JpegReadJob* job, const unsigned char* data, size_t size) {
  StartReading(job, data, size);
  if (job->header_only) return;
  j_decompress_ptr info = &job->info;
  const char* label = OVI_ImageLabel(job->bitmap);
  JDIMENSION width = info->image_width, height = info->image_height;
  if (!OVI_CheckImageSize("JPEG", label, width, height)) {
    job->refused = true;
    return;
  }
  if (info->arith_code) {
    OV_LogLevel(LOG_WARNING, "Load JPG - '%s' is arithmetic-coded; only Huffman-coded JPEG files are read.", label);
    job->refused = true;
    return;
  }
  // At least one bit for each 8 x 8 block of the full-resolution component.
  double blocks = static_cast<double>((width + 7) / 8) * ((height + 7) / 8);
  if (!OVI_CheckImageData("JPEG", label, width, height, size, blocks / 8)) {
    job->refused = true;
    return;
  }
  const bool bgra = core.bitmap_channel_order == 1;
#ifdef JCS_ALPHA_EXTENSIONS
  // libjpeg-turbo writes the four bytes itself, alpha (the filler) 255.
  info->out_color_space = bgra ? JCS_EXT_BGRA : JCS_EXT_RGBA;
  const int wanted = 4;
#else
  info->out_color_space = info->jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
  const int wanted = info->jpeg_color_space == JCS_GRAYSCALE ? 1 : 3;
#endif
  jpeg_start_decompress(info);
  const int components = info->output_components;
  if (components != wanted || info->output_width != width || info->output_height != height)
    ERREXIT(info, JERR_CONVERSION_NOTIMPL);
  if (!job->loader->AllocateImagePixels(job->bitmap, static_cast<int>(width), static_cast<int>(height)))
    ERREXIT1(info, JERR_OUT_OF_MEMORY, 100);
  const size_t stride = static_cast<size_t>(width) * 4;
  const size_t offset = static_cast<size_t>(width) * (4 - components);  // where narrower samples land
  while (info->output_scanline < height) {
    JSAMPROW rows[8];
    JDIMENSION first = info->output_scanline, count = height - first < 8 ? height - first : 8;
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = job->bitmap->pixels + (first + i) * stride + offset;
    JDIMENSION got = jpeg_read_scanlines(info, rows, count);
    if (got == 0) ERREXIT(info, JERR_INPUT_EMPTY);
    if (components != 4)
      for (JDIMENSION i = 0; i < got; ++i) WidenRow(job->bitmap->pixels + (first + i) * stride, width, components, bgra);
  }
  jpeg_finish_decompress(info);
  job->bitmap->flags &= ~BITMAP_FLAG_ALPHA;
}

bool GuardedDecode(JpegReadJob* job, const unsigned char* data, size_t size) {
  if (setjmp(job->error.jump)) return false;
  DecodeBody(job, data, size);
  return true;
}

// Writing: the compressed bytes go through a buffer to the file.
struct JpegDestination {
  jpeg_destination_mgr manager;
  FILE* file;
  JOCTET buffer[65536];
};

void InitDestination(j_compress_ptr info) {
  JpegDestination* destination = reinterpret_cast<JpegDestination*>(info->dest);
  destination->manager.next_output_byte = destination->buffer;
  destination->manager.free_in_buffer = sizeof destination->buffer;
}

boolean EmptyOutput(j_compress_ptr info) {
  JpegDestination* destination = reinterpret_cast<JpegDestination*>(info->dest);
  if (fwrite(destination->buffer, 1, sizeof destination->buffer, destination->file) != sizeof destination->buffer)
    ERREXIT(info, JERR_FILE_WRITE);
  destination->manager.next_output_byte = destination->buffer;
  destination->manager.free_in_buffer = sizeof destination->buffer;
  return TRUE;
}

void TermDestination(j_compress_ptr info) {
  JpegDestination* destination = reinterpret_cast<JpegDestination*>(info->dest);
  size_t count = sizeof destination->buffer - destination->manager.free_in_buffer;
  if (count && fwrite(destination->buffer, 1, count, destination->file) != count) ERREXIT(info, JERR_FILE_WRITE);
}

struct JpegWriteJob {
  jpeg_compress_struct info;
  JpegError error;
  JpegDestination* destination;
  const Bitmap* bitmap;
  unsigned char* row;
  int quality;
};

void WriteBody(JpegWriteJob* job) {
  j_compress_ptr info = &job->info;
  info->err = &job->error.manager;
  jpeg_create_compress(info);
  job->destination->manager.init_destination = InitDestination;
  job->destination->manager.empty_output_buffer = EmptyOutput;
  job->destination->manager.term_destination = TermDestination;
  info->dest = &job->destination->manager;
  const Bitmap* bitmap = job->bitmap;
  info->image_width = static_cast<JDIMENSION>(bitmap->width);
  info->image_height = static_cast<JDIMENSION>(bitmap->height);
  info->input_components = 3;
  info->in_color_space = JCS_RGB;
  jpeg_set_defaults(info);
  jpeg_set_quality(info, job->quality, TRUE);
  jpeg_start_compress(info, TRUE);
  const bool bgra = core.bitmap_channel_order == 1;
  const size_t stride = static_cast<size_t>(bitmap->width) * 4;
  while (info->next_scanline < info->image_height) {
    const unsigned char* in = bitmap->pixels + info->next_scanline * stride;
    for (int x = 0; x < bitmap->width; ++x, in += 4) {
      job->row[x * 3] = bgra ? in[2] : in[0];
      job->row[x * 3 + 1] = in[1];
      job->row[x * 3 + 2] = bgra ? in[0] : in[2];
    }
    JSAMPROW row = job->row;
    jpeg_write_scanlines(info, &row, 1);
  }
  jpeg_finish_compress(info);
}

bool GuardedWrite(JpegWriteJob* job) {
  if (setjmp(job->error.jump)) return false;
  WriteBody(job);
  return true;
}

bool ReadJpeg(ImageLoaderImp* loader, Bitmap* bitmap, const unsigned char* data, size_t size, bool header_only) {
  JpegReadJob* job = static_cast<JpegReadJob*>(calloc(1, sizeof(JpegReadJob)));
  if (!job) return false;
  SetUpErrors(&job->error);
  job->loader = loader;
  job->bitmap = bitmap;
  job->header_only = header_only;
  const char* label = OVI_ImageLabel(bitmap);
  bool ok = GuardedDecode(job, data, size) && !job->refused;
  if (!ok && !job->refused) {
    char reason[JMSG_LENGTH_MAX];
    ErrorText(reinterpret_cast<j_common_ptr>(&job->info), reason);
    if (header_only)
      OV_LogLevel(LOG_WARNING, "OVI_GetImageDimensionsJPG - setjmp failed.\n");
    else if (job->error.manager.msg_code == JERR_OUT_OF_MEMORY)
      OV_LogLevel(LOG_WARNING, "Load JPG - JPEG out of memory while loading file '%s'.", label);
    else
      OV_LogLevel(LOG_WARNING, "Load JPG - setjmp failed for '%s'.", label);
    if (job->error.too_many_scans)
      OV_Log("JPEG: '%s' has more than %d scans.", label, kMaxScans);
    else
      OV_Log("JPEG: libjpeg stopped reading '%s': %s", label, reason);
  }
  long warnings = job->error.manager.num_warnings;
  if (warnings > 0) {
    if (header_only)
      OV_LogLevel(LOG_WARNING, "WARNING: %d warnings while loading JPEG\n", static_cast<int>(warnings));
    else
      OV_LogLevel(LOG_WARNING, "WARNING: %d warnings while loading JPEG '%s'.", static_cast<int>(warnings), label);
  }
  if (ok && header_only)
    ok = OVI_CheckImageSize("JPEG", label, job->info.image_width, job->info.image_height);
  if (ok && header_only) {
    bitmap->width = static_cast<int>(job->info.image_width);
    bitmap->height = static_cast<int>(job->info.image_height);
    bitmap->flags &= ~BITMAP_FLAG_ALPHA;
  }
  jpeg_destroy_decompress(&job->info);
  free(job);
  if (!ok && !header_only && bitmap->pixels) loader->FreePixels(bitmap);
  return ok;
}

}  // namespace

bool OVI_ReadJPGSize(Bitmap* bitmap, const unsigned char* data, size_t size) {
  return ReadJpeg(nullptr, bitmap, data, size, true);
}

bool OVI_DecodeJPG(ImageLoaderImp& loader, Bitmap* bitmap, const unsigned char* data, size_t size) {
  return ReadJpeg(&loader, bitmap, data, size, false);
}

bool OVI_WriteJPG(const Bitmap* bitmap, const char* native_path, int quality) {
  FILE* file = fopen(native_path, "wb");
  if (!file) {
    OV_LogLevel(LOG_WARNING, "Unable to open file '%s' for writing.", native_path);
    return false;
  }
  JpegWriteJob* job = static_cast<JpegWriteJob*>(calloc(1, sizeof(JpegWriteJob)));
  JpegDestination* destination = static_cast<JpegDestination*>(calloc(1, sizeof(JpegDestination)));
  unsigned char* row = static_cast<unsigned char*>(malloc(static_cast<size_t>(bitmap->width) * 3));
  bool ok = false;
  if (job && destination && row) {
    SetUpErrors(&job->error);
    destination->file = file;
    job->destination = destination;
    job->bitmap = bitmap;
    job->row = row;
    job->quality = quality;
    ok = GuardedWrite(job);
    if (!ok) {
      char reason[JMSG_LENGTH_MAX];
      ErrorText(reinterpret_cast<j_common_ptr>(&job->info), reason);
      OV_LogLevel(LOG_WARNING, "SaveImage - JPEG compression of '%s' failed: %s", native_path, reason);
    }
    jpeg_destroy_compress(&job->info);
  } else {
    OV_LogLevel(LOG_WARNING, "SaveImage - out of memory writing '%s'.", native_path);
  }
  free(row);
  free(destination);
  free(job);
  if (fclose(file) != 0 && ok) {
    OV_LogLevel(LOG_WARNING, "SaveImage - writing '%s' failed.", native_path);
    ok = false;
  }
  return ok;
}
