// Decoding PNG and JPEG files: the engine's image loader (through the file API, and from bytes
// already in memory) beside stb_image decoding the same bytes to RGBA, in one run. Prints the
// time ratios at the end (goal: the loader within 1.2 times stb_image).
//
// The data set (three sizes of each format: game art with alpha as PNG, photo-like pictures as
// JPEG at quality 90) is written once through the loader's own PNG and JPEG writers into
// ORVEL_BENCH_DATA_DIR (or the folder named by ORVEL_BENCH_IMAGE_DATA) and reused while its
// marker file matches.
#include <benchmark/benchmark.h>

#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <stb_image.h>

#include "benchmarks/ratio_reporter.h"
#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/threads.h"
#include "filesystem/file_api.h"
#include "filesystem/paths.h"
#include "resources/image_loader.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kDataVersion = "image data set 1";

struct ImageFile {
  std::string name;  // "art-1024x768.png"
  int width, height;
  bool png;
  std::vector<unsigned char> bytes;
};

std::vector<ImageFile> files;
std::string root;

uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  return x ^ (x >> 16);
}

// Game art: gradients, flat shapes with soft edges, transparent corners and a little painted
// noise. Photos: smooth light and colour with sensor-like noise, opaque.
void Paint(unsigned char* pixels, int width, int height, bool art) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p = pixels + (static_cast<size_t>(y) * width + x) * 4;
      double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
      int noise = static_cast<int>(Hash(static_cast<uint32_t>(y * 65537 + x)) % 13) - 6;
      double r = 255 * u, g = 255 * v, b = 128 + 100 * sin((u + v) * 9);
      if (art) {
        double dx = u - 0.5, dy = v - 0.5, d = sqrt(dx * dx + dy * dy);
        bool shape = ((x / 64) + (y / 48)) % 3 == 0;
        if (shape) r = 230, g = 180, b = 40;
        double alpha = d < 0.45 ? 255 : d < 0.5 ? 255 * (0.5 - d) / 0.05 : 0;
        if (!shape && (x / 128) % 2) r += noise / 2, g += noise / 2, b += noise / 2;
        p[3] = static_cast<unsigned char>(alpha);
      } else {
        r = r * 0.6 + 60 + noise, g = g * 0.5 + 80 + noise, b = b * 0.7 + noise;
        p[3] = 255;
      }
      p[0] = static_cast<unsigned char>(r < 0 ? 0 : r > 255 ? 255 : r);
      p[1] = static_cast<unsigned char>(g < 0 ? 0 : g > 255 ? 255 : g);
      p[2] = static_cast<unsigned char>(b < 0 ? 0 : b > 255 ? 255 : b);
    }
}

std::string MarkerText() {
  std::ostringstream text;
  text << kDataVersion << "\n";
  for (const ImageFile& file : files) text << file.name << "\n";
  return text.str();
}

bool PrepareDataSet(std::string* error) {
  const char* override_root = getenv("ORVEL_BENCH_IMAGE_DATA");
  root = override_root && *override_root ? override_root : ORVEL_BENCH_DATA_DIR;
  const int sizes[][2] = {{256, 256}, {1024, 768}, {2048, 2048}};
  for (bool png : {true, false})
    for (const auto& size : sizes) {
      ImageFile file;
      file.width = size[0];
      file.height = size[1];
      file.png = png;
      file.name = std::string(png ? "art-" : "photo-") + std::to_string(size[0]) + "x" + std::to_string(size[1]) +
                  (png ? ".png" : ".jpg");
      files.push_back(file);
    }
  std::error_code ec;
  fs::create_directories(root, ec);
  OVFS_SetBaseFolder("res", root.c_str());
  std::ifstream marker(root + "/complete");
  std::stringstream existing;
  existing << marker.rdbuf();
  bool reuse = marker && existing.str() == MarkerText();
  fprintf(stderr, reuse ? "Reusing the data set in %s\n" : "Generating the data set in %s ...\n", root.c_str());
  fs::remove(root + "/complete", ec);
  for (ImageFile& file : files) {
    std::string virtual_name = "res://" + file.name;
    if (!reuse) {
      core.bitmap_channel_order = 0;
      Bitmap bitmap = {};
      bitmap.width = file.width;
      bitmap.height = file.height;
      bitmap.pixels = static_cast<unsigned char*>(malloc(static_cast<size_t>(file.width) * file.height * 4));
      Paint(bitmap.pixels, file.width, file.height, file.png);
      bool saved = OVI_ImageLoader()->SaveImage(&bitmap, virtual_name.c_str(), 90);
      free(bitmap.pixels);
      if (!saved) {
        *error = "cannot write " + virtual_name;
        return false;
      }
    }
    std::ifstream in(root + "/" + file.name, std::ios::binary);
    file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (file.bytes.empty()) {
      *error = "cannot read " + file.name;
      return false;
    }
  }
  std::ofstream(root + "/complete") << MarkerText();
  return true;
}

// Both decoders agree on every file: the same PNG pixels, JPEG pixels within what two IDCTs and
// upsamplers may differ by. Prints the largest JPEG difference.
bool Verify(std::string* error) {
  core.bitmap_channel_order = 0;
  ImageLoaderImp* loader = OVI_ImageLoader();
  for (const ImageFile& file : files) {
    Bitmap bitmap = {};
    std::string virtual_name = "res://" + file.name;
    if (!loader->Load(&bitmap, virtual_name.c_str())) {
      *error = "the loader cannot load " + file.name;
      return false;
    }
    int w = 0, h = 0, n = 0;
    unsigned char* reference =
        stbi_load_from_memory(file.bytes.data(), static_cast<int>(file.bytes.size()), &w, &h, &n, 4);
    bool same_size = reference && w == bitmap.width && h == bitmap.height;
    int largest = 0;
    for (size_t i = 0; same_size && i < static_cast<size_t>(w) * h * 4; ++i)
      largest = std::max(largest, abs(reference[i] - bitmap.pixels[i]));
    stbi_image_free(reference);
    free(bitmap.pixels);
    if (!same_size || (file.png && largest != 0) || largest > 16) {
      *error = file.name + ": the decoders disagree (largest difference " + std::to_string(largest) + ")";
      return false;
    }
    printf("  %-22s %9zu bytes, %dx%d, largest difference to stb_image %d\n", file.name.c_str(), file.bytes.size(),
           file.width, file.height, largest);
  }
  return true;
}

enum Way { kLoader, kLoaderMemory, kStb, kWayCount };
const char* const kWayNames[kWayCount] = {"orvel_loader", "orvel_memory", "stb_image"};

std::string BenchmarkName(const ImageFile& file, Way way) { return "decode/" + file.name + "/" + kWayNames[way]; }

void Decode(benchmark::State& state, const ImageFile* file, Way way) {
  core.bitmap_channel_order = 0;
  ImageLoaderImpPortable* loader = static_cast<ImageLoaderImpPortable*>(OVI_ImageLoader());
  std::string virtual_name = "res://" + file->name;
  for (auto _ : state) {
    if (way == kStb) {
      int w, h, n;
      unsigned char* pixels =
          stbi_load_from_memory(file->bytes.data(), static_cast<int>(file->bytes.size()), &w, &h, &n, 4);
      benchmark::DoNotOptimize(pixels);
      stbi_image_free(pixels);
    } else {
      Bitmap bitmap = {};
      if (way == kLoader) loader->Load(&bitmap, virtual_name.c_str());
      else loader->LoadFromMemory(&bitmap, virtual_name.c_str(), file->bytes.data(), file->bytes.size());
      benchmark::DoNotOptimize(bitmap.pixels);
      free(bitmap.pixels);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * file->width * file->height);
}

void IgnoreLog(int, const char*) {}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  OVI_SetLogSink(IgnoreLog);
  OVI_StartEngineState();
  core.unattended = true;
  core.program_initialized = core.running = core.core_ready = true;
  if (!OVFS_Start()) return 1;

  std::string error;
  if (!PrepareDataSet(&error)) {
    fprintf(stderr, "data set: %s\n", error.c_str());
    return 1;
  }
  printf("Data set (%s):\n", root.c_str());
  if (!Verify(&error)) {
    fprintf(stderr, "verification failed: %s\n", error.c_str());
    return 1;
  }
  fflush(stdout);

  for (const ImageFile& file : files)
    for (int way = 0; way < kWayCount; ++way)
      benchmark::RegisterBenchmark(BenchmarkName(file, static_cast<Way>(way)).c_str(), Decode, &file,
                                   static_cast<Way>(way))
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  printf("\nTime ratios (median real time; below 1 means the loader is faster):\n");
  printf("  %-22s %14s %14s\n", "file", "loader/stb", "memory/stb");
  for (const ImageFile& file : files) {
    double loader = reporter.Time(BenchmarkName(file, kLoader));
    double memory = reporter.Time(BenchmarkName(file, kLoaderMemory));
    double stb = reporter.Time(BenchmarkName(file, kStb));
    if (loader <= 0 || memory <= 0 || stb <= 0) continue;
    printf("  %-22s %14.3f %14.3f   goal <= 1.20: %s\n", file.name.c_str(), loader / stb, memory / stb,
           loader / stb <= 1.2 ? "met" : "MISSED");
  }

  benchmark::Shutdown();
  OVFS_Stop();
  OVI_ReleaseThreadsAndMutexes();
  OVI_SetLogSink(nullptr);
  return 0;
}
