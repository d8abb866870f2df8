// Reading every file of a game-like data set completely, four ways in one run: the engine's file
// API from a pak archive (res://data/... with res://data.pak present), the file API from loose
// files, PhysFS from a zip of the same files and PhysFS from the folder. Prints the time ratios
// of the pak path against loose files and against PhysFS at the end.
//
// The data set (2,000 files, about 50 MB, nested folders, sizes from a few hundred bytes to
// about a megabyte) is generated once into ORVEL_BENCH_DATA_DIR (or the folder named by the
// environment variable ORVEL_BENCH_DATA) and reused while its marker file matches.
#include <benchmark/benchmark.h>

#include "benchmarks/ratio_reporter.h"
#include <physfs.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/threads.h"
#include "filesystem/file_api.h"
#include "filesystem/files.h"
#include "filesystem/pak_writer.h"
#include "filesystem/paths.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFileCount = 2000;
constexpr uint64_t kTotalBytes = 50ull * 1024 * 1024;
constexpr const char* kDataVersion = "file-read data set 1";

// ---------------------------------------------------------------------------------------------
// The data set: names, sizes and contents all follow from the file's index.

uint64_t SplitMix(uint64_t* state) {
  uint64_t z = (*state += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

struct DataFile {
  std::string relative;  // "g3/s1/deep0/f0123.png"
  size_t size;
};

std::vector<DataFile> MakeManifest() {
  // Mostly small files (text, scripts), many medium ones (images), some large ones (sounds) and
  // a few very large ones, log-uniform within each class, then scaled to the total.
  struct Class {
    int percent;
    double low, high;
    const char* extension;
  } classes[] = {{50, 128, 4096, ".txt"}, {35, 4096, 65536, ".png"}, {13, 65536, 524288, ".ogg"},
                 {2, 524288, 2097152, ".bin"}};
  uint64_t state = 20240601;
  std::vector<DataFile> files(kFileCount);
  std::vector<double> raw(kFileCount);
  double raw_total = 0;
  for (int i = 0; i < kFileCount; ++i) {
    int pick = static_cast<int>(SplitMix(&state) % 100);
    const Class* chosen = &classes[0];
    for (const Class& c : classes) {
      chosen = &c;
      if (pick < c.percent) break;
      pick -= c.percent;
    }
    double unit = static_cast<double>(SplitMix(&state) >> 11) / 9007199254740992.0;
    raw[i] = std::exp(std::log(chosen->low) + unit * (std::log(chosen->high) - std::log(chosen->low)));
    raw_total += raw[i];
    std::string name = "g" + std::to_string(i % 8) + "/s" + std::to_string((i / 8) % 6);
    if (i % 4 == 0) name += "/deep" + std::to_string((i / 32) % 3);
    char leaf[32];
    snprintf(leaf, sizeof leaf, "/f%04d%s", i, chosen->extension);
    files[i].relative = name + leaf;
  }
  double scale = static_cast<double>(kTotalBytes) / raw_total;
  for (int i = 0; i < kFileCount; ++i) files[i].size = std::max<size_t>(1, static_cast<size_t>(raw[i] * scale));
  return files;
}

void FillContents(int index, unsigned char* out, size_t size) {
  uint64_t state = 0x5eed0000ull + static_cast<uint64_t>(index) * 7919;
  size_t at = 0;
  while (at < size) {
    uint64_t word = SplitMix(&state);
    size_t n = std::min<size_t>(8, size - at);
    memcpy(out + at, &word, n);
    at += n;
  }
}

uint32_t Crc32(const unsigned char* data, size_t size) {
  static uint32_t table[256];
  if (!table[1]) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
  }
  uint32_t crc = 0xffffffffu;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
  return crc ^ 0xffffffffu;
}

// A zip archive with every entry stored (no compression), written as the files are generated.
class StoredZipWriter {
 public:
  explicit StoredZipWriter(const std::string& path) : out_(fopen(path.c_str(), "wb")) {}
  ~StoredZipWriter() {
    if (out_) fclose(out_);
  }
  bool ok() const { return out_ && !failed_; }
  void Add(const std::string& name, const unsigned char* data, size_t size) {
    uint32_t crc = Crc32(data, size);
    uint32_t offset = static_cast<uint32_t>(written_);
    std::string local;
    Put32(&local, 0x04034b50);
    Put16(&local, 10);  // version needed: stored entries
    Put16(&local, 0);   // flags
    Put16(&local, 0);   // method: stored
    Put16(&local, kTime);
    Put16(&local, kDate);
    Put32(&local, crc);
    Put32(&local, static_cast<uint32_t>(size));
    Put32(&local, static_cast<uint32_t>(size));
    Put16(&local, static_cast<uint16_t>(name.size()));
    Put16(&local, 0);
    local += name;
    Write(local.data(), local.size());
    Write(data, size);

    Put32(&central_, 0x02014b50);
    Put16(&central_, 20);  // made by
    Put16(&central_, 10);  // version needed
    Put16(&central_, 0);
    Put16(&central_, 0);
    Put16(&central_, kTime);
    Put16(&central_, kDate);
    Put32(&central_, crc);
    Put32(&central_, static_cast<uint32_t>(size));
    Put32(&central_, static_cast<uint32_t>(size));
    Put16(&central_, static_cast<uint16_t>(name.size()));
    Put16(&central_, 0);  // extra
    Put16(&central_, 0);  // comment
    Put16(&central_, 0);  // disk
    Put16(&central_, 0);  // internal attributes
    Put32(&central_, 0);  // external attributes
    Put32(&central_, offset);
    central_ += name;
    ++entries_;
  }
  bool Finish() {
    uint32_t directory_offset = static_cast<uint32_t>(written_);
    Write(central_.data(), central_.size());
    std::string end;
    Put32(&end, 0x06054b50);
    Put16(&end, 0);
    Put16(&end, 0);
    Put16(&end, static_cast<uint16_t>(entries_));
    Put16(&end, static_cast<uint16_t>(entries_));
    Put32(&end, static_cast<uint32_t>(central_.size()));
    Put32(&end, directory_offset);
    Put16(&end, 0);
    Write(end.data(), end.size());
    bool closed = out_ && fclose(out_) == 0;
    out_ = nullptr;
    return closed && !failed_;
  }

 private:
  static constexpr uint16_t kTime = 0;                               // 00:00:00
  static constexpr uint16_t kDate = (44 << 9) | (1 << 5) | 1;       // 2024-01-01
  static void Put16(std::string* out, uint16_t v) {
    out->push_back(static_cast<char>(v & 0xff));
    out->push_back(static_cast<char>(v >> 8));
  }
  static void Put32(std::string* out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xffff));
    Put16(out, static_cast<uint16_t>(v >> 16));
  }
  void Write(const void* data, size_t size) {
    if (!out_ || fwrite(data, 1, size, out_) != size) failed_ = true;
    written_ += size;
  }
  FILE* out_;
  bool failed_ = false;
  uint64_t written_ = 0;
  std::string central_;
  int entries_ = 0;
};

struct DataSet {
  std::string root;
  std::vector<DataFile> files;
  std::string loose_res;      // res folder with data/<files>, no archive
  std::string pak_res;        // res folder with data.pak only
  std::string zip;            // the zip of the same files
  std::string loose_folder;   // loose_res + "/data"
  uint64_t total_bytes = 0;
  size_t largest = 0;
};

std::string MarkerText(const DataSet& data) {
  std::ostringstream text;
  text << kDataVersion << "\nfiles " << data.files.size() << "\nbytes " << data.total_bytes << "\n";
  return text.str();
}

bool Generate(DataSet& data, std::string* error) {
  std::error_code ec;
  fs::remove_all(data.root, ec);
  fs::create_directories(data.pak_res, ec);
  fs::create_directories(data.loose_folder, ec);
  if (ec) {
    *error = "cannot create " + data.root + ": " + ec.message();
    return false;
  }
  fprintf(stderr, "Generating the data set in %s ...\n", data.root.c_str());
  StoredZipWriter zip(data.zip + ".part");
  std::vector<unsigned char> bytes(data.largest);
  std::vector<PakSource> sources;
  for (int i = 0; i < static_cast<int>(data.files.size()); ++i) {
    const DataFile& file = data.files[i];
    std::string native = data.loose_folder + "/" + file.relative;
    fs::create_directories(fs::path(native).parent_path(), ec);
    FillContents(i, bytes.data(), file.size);
    FILE* out = fopen(native.c_str(), "wb");
    bool written = out && fwrite(bytes.data(), 1, file.size, out) == file.size;
    if (out && fclose(out) != 0) written = false;
    if (!written) {
      *error = "cannot write " + native;
      return false;
    }
    zip.Add(file.relative, bytes.data(), file.size);
    sources.push_back(PakSource{file.relative, native});
  }
  if (!zip.ok() || !zip.Finish()) {
    *error = "cannot write " + data.zip;
    return false;
  }
  fs::rename(data.zip + ".part", data.zip, ec);
  if (ec || !OVFS_WritePak(data.pak_res + "/data.pak", sources, error)) {
    if (error->empty()) *error = "cannot rename the zip: " + ec.message();
    return false;
  }
  std::ofstream(data.root + "/complete") << MarkerText(data);
  return true;
}

bool PrepareDataSet(DataSet& data, std::string* error) {
  const char* override_root = getenv("ORVEL_BENCH_DATA");
  data.root = override_root && *override_root ? override_root : ORVEL_BENCH_DATA_DIR;
  data.files = MakeManifest();
  data.loose_res = data.root + "/loose";
  data.loose_folder = data.loose_res + "/data";
  data.pak_res = data.root + "/pak";
  data.zip = data.root + "/data.zip";
  for (const DataFile& file : data.files) {
    data.total_bytes += file.size;
    data.largest = std::max(data.largest, file.size);
  }
  std::ifstream marker(data.root + "/complete");
  std::stringstream existing;
  existing << marker.rdbuf();
  if (marker && existing.str() == MarkerText(data)) {
    fprintf(stderr, "Reusing the data set in %s\n", data.root.c_str());
    return true;
  }
  return Generate(data, error);
}

// ---------------------------------------------------------------------------------------------
// The four ways of reading.

enum Way { kOrvelPak, kOrvelLoose, kPhysfsZip, kPhysfsFolder, kWayCount };
const char* const kWayNames[kWayCount] = {"read_all/orvel_pak", "read_all/orvel_loose", "read_all/physfs_zip",
                                          "read_all/physfs_folder"};

DataSet data;
std::vector<std::string> engine_names;  // res://data/<relative>
std::vector<unsigned char> buffer;

void IgnoreLog(int, const char*) {}

// Reads file i completely into buffer; the byte count, or -1 when it does not open.
long ReadOne(Way way, size_t i) {
  if (way == kOrvelPak || way == kOrvelLoose) {
    FileHandle* file = OV_OpenFile(engine_names[i].c_str(), "rb");
    if (!file) return -1;
    int size = file->size;
    int got = size > 0 && static_cast<size_t>(size) <= buffer.size() ? OV_ReadFile(buffer.data(), size, file) : 0;
    OV_CloseFile(file);
    return got;
  }
  PHYSFS_File* file = PHYSFS_openRead(data.files[i].relative.c_str());
  if (!file) return -1;
  PHYSFS_sint64 size = PHYSFS_fileLength(file);
  PHYSFS_sint64 got = size > 0 && static_cast<uint64_t>(size) <= buffer.size()
                          ? PHYSFS_readBytes(file, buffer.data(), static_cast<PHYSFS_uint64>(size))
                          : 0;
  PHYSFS_close(file);
  return static_cast<long>(got);
}

const char* PhysfsError() { return PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode()); }

// Mounts or starts what a way reads through; error says why not.
bool Begin(Way way, std::string* error) {
  switch (way) {
    case kOrvelPak:
    case kOrvelLoose: {
      const std::string& res = way == kOrvelPak ? data.pak_res : data.loose_res;
      OVFS_SetBaseFolder("res", res.c_str());
      if (!OVFS_Start()) {
        *error = "OVFS_Start failed";
        return false;
      }
      // Loads the archive's directory before timing, as PhysFS reads the zip's on mounting.
      bool has_pak = OVFS_PakOpener() && OVFS_PakOpener()->Directory("res://data.pak");
      if (has_pak != (way == kOrvelPak)) {
        *error = has_pak ? "res://data.pak found beside the loose files" : "res://data.pak did not open";
        OVFS_Stop();
        return false;
      }
      return true;
    }
    case kPhysfsZip:
    case kPhysfsFolder: {
      const std::string& source = way == kPhysfsZip ? data.zip : data.loose_folder;
      if (!PHYSFS_mount(source.c_str(), nullptr, 0)) {
        *error = "PHYSFS_mount(" + source + "): " + PhysfsError();
        return false;
      }
      return true;
    }
    default:
      return false;
  }
}

void End(Way way) {
  if (way == kOrvelPak || way == kOrvelLoose) {
    OVFS_Stop();
    OVFS_ClearSearchPaths();
  } else {
    PHYSFS_unmount((way == kPhysfsZip ? data.zip : data.loose_folder).c_str());
  }
}

// One untimed pass per way: every file opens, has its size and its bytes.
bool Verify(Way way, std::string* error) {
  if (!Begin(way, error)) return false;
  std::vector<unsigned char> expected(data.largest);
  bool ok = true;
  for (size_t i = 0; i < data.files.size() && ok; ++i) {
    long got = ReadOne(way, i);
    FillContents(static_cast<int>(i), expected.data(), data.files[i].size);
    if (got != static_cast<long>(data.files[i].size) || memcmp(buffer.data(), expected.data(), data.files[i].size) != 0) {
      *error = std::string(kWayNames[way]) + ": " + data.files[i].relative + " read " + std::to_string(got) +
               " bytes, wanted " + std::to_string(data.files[i].size) + (got >= 0 ? " (or different bytes)" : "");
      ok = false;
    }
  }
  End(way);
  return ok;
}

void ReadAll(benchmark::State& state, Way way) {
  std::string error;
  if (!Begin(way, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    uint64_t total = 0;
    for (size_t i = 0; i < data.files.size(); ++i) {
      long got = ReadOne(way, i);
      if (got < 0) {
        state.SkipWithError(("cannot open " + data.files[i].relative).c_str());
        break;
      }
      total += static_cast<uint64_t>(got);
    }
    benchmark::DoNotOptimize(total);
    benchmark::ClobberMemory();
    if (total != data.total_bytes) {
      state.SkipWithError("read fewer bytes than the data set holds");
      break;
    }
  }
  End(way);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.total_bytes));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * data.files.size()));
}

// ---------------------------------------------------------------------------------------------
// Console output plus the ratios at the end.


void PrintRatio(const RatioReporter& reporter, const char* label, Way top, Way bottom, double goal) {
  double a = reporter.Time(kWayNames[top]), b = reporter.Time(kWayNames[bottom]);
  if (a <= 0 || b <= 0) return;
  double ratio = a / b;
  printf("  %-28s %6.3f", label, ratio);
  if (goal > 0) printf("   goal <= %.2f: %s", goal, ratio <= goal ? "met" : "MISSED");
  printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  OVI_SetLogSink(IgnoreLog);
  OVI_StartEngineState();
  core.unattended = true;
  core.program_initialized = core.running = core.core_ready = true;

  std::string error;
  if (!PrepareDataSet(data, &error)) {
    fprintf(stderr, "data set: %s\n", error.c_str());
    return 1;
  }
  std::string scratch = data.root + "/scratch";
  for (const char* prefix : {"user", "cache", "docs"}) {
    std::string folder = scratch + "/" + prefix;
    fs::create_directories(folder);
    OVFS_SetBaseFolder(prefix, folder.c_str());
  }
  for (const DataFile& file : data.files) engine_names.push_back("res://data/" + file.relative);
  buffer.resize(data.largest);

  if (!PHYSFS_init(argv[0])) {
    fprintf(stderr, "PHYSFS_init: %s\n", PhysfsError());
    return 1;
  }
  for (int way = 0; way < kWayCount; ++way) {
    if (!Verify(static_cast<Way>(way), &error)) {
      fprintf(stderr, "verification failed: %s\n", error.c_str());
      return 1;
    }
  }
  printf("Data set: %zu files, %.1f MB, largest %zu bytes (%s)\n", data.files.size(), data.total_bytes / 1048576.0,
         data.largest, data.root.c_str());
  fflush(stdout);

  for (int way = 0; way < kWayCount; ++way)
    benchmark::RegisterBenchmark(kWayNames[way], ReadAll, static_cast<Way>(way))
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0)
        ->UseRealTime();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  printf("\nTime ratios (median real time; below 1 means the first is faster):\n");
  PrintRatio(reporter, "orvel pak / orvel loose", kOrvelPak, kOrvelLoose, 1.0);
  PrintRatio(reporter, "orvel pak / physfs folder", kOrvelPak, kPhysfsFolder, 1.2);
  PrintRatio(reporter, "orvel pak / physfs zip", kOrvelPak, kPhysfsZip, 0);
  PrintRatio(reporter, "orvel loose / physfs folder", kOrvelLoose, kPhysfsFolder, 0);

  benchmark::Shutdown();
  PHYSFS_deinit();
  OVI_ReleaseThreadsAndMutexes();
  OVI_SetLogSink(nullptr);
  return 0;
}
