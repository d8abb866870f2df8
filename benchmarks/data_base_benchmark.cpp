// Loading an XML data base, three ways in one run and for two sizes (1 MB and 20 MB): the
// engine's data base (a fresh DataManager::Load of res://<file> through the file API), pugixml's
// default DOM parse (xml_document::load_file) and tinyxml2 (XMLDocument::LoadFile). Prints the
// time ratios of the data base against each peer and the heap each loaded document takes.
//
// Two more benchmarks split the data base's time for the reasons report: reading the file alone
// through the file API, and the engine's XML reader handing out every block with nothing built.
//
// Memory is counted by the malloc, calloc, realloc and free defined below, which forward to
// glibc's and, while counting is switched on, add and subtract malloc_usable_size of each block
// (operator new goes through malloc, so C++ allocations are counted too). Counting is on only in
// an untimed pass before the benchmarks, so the timed loads do not pay for it.
//
// The two documents are generated once with DataManager::BuildXmlText into ORVEL_BENCH_DATA_DIR
// (or the folder named by the environment variable ORVEL_BENCH_XML_DATA) and reused while the
// marker file matches.
#include <benchmark/benchmark.h>

#include "benchmarks/ratio_reporter.h"
#include <malloc.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <tinyxml2.h>
#include <vector>

#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "data/data_base.h"
#include "data/xml_reader.h"
#include "filesystem/file_api.h"
#include "filesystem/paths.h"

// ---------------------------------------------------------------------------------------------
// Heap counting.

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);
}

namespace {
std::atomic<bool> counting{false};
std::atomic<int64_t> heap_now{0}, heap_peak{0};

void Count(int64_t delta) {
  int64_t now = heap_now.fetch_add(delta, std::memory_order_relaxed) + delta;
  int64_t peak = heap_peak.load(std::memory_order_relaxed);
  while (now > peak && !heap_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}
}  // namespace

extern "C" {
void* malloc(size_t size) {
  void* block = __libc_malloc(size);
  if (block && counting.load(std::memory_order_relaxed)) Count(static_cast<int64_t>(malloc_usable_size(block)));
  return block;
}
void* calloc(size_t count, size_t size) {
  void* block = __libc_calloc(count, size);
  if (block && counting.load(std::memory_order_relaxed)) Count(static_cast<int64_t>(malloc_usable_size(block)));
  return block;
}
void* realloc(void* block, size_t size) {
  bool on = counting.load(std::memory_order_relaxed);
  int64_t before = on && block ? static_cast<int64_t>(malloc_usable_size(block)) : 0;
  void* moved = __libc_realloc(block, size);
  if (on && (moved || size == 0)) Count((moved ? static_cast<int64_t>(malloc_usable_size(moved)) : 0) - before);
  return moved;
}
void free(void* block) {
  if (block && counting.load(std::memory_order_relaxed)) Count(-static_cast<int64_t>(malloc_usable_size(block)));
  __libc_free(block);
}
}

namespace {

namespace fs = std::filesystem;

constexpr const char* kDataVersion = "data-base documents 1";

struct Document {
  const char* label;   // "1MB"
  size_t target;       // bytes the generator aims for
  std::string file;    // "db-1mb.xml"
  std::string native;  // the folder + file
  std::string engine;  // "res://" + file
  size_t bytes = 0;
  int arrays = 0, nodes = 0, data_nodes = 0;
};

Document documents[] = {{"1MB", 1u << 20, "db-1mb.xml", "", ""}, {"20MB", 20u << 20, "db-20mb.xml", "", ""}};
std::string data_root;

// ---------------------------------------------------------------------------------------------
// The documents: game-like arrays of nodes with 3-8 parameters besides the id and now and then
// a text (a DATA node), all following from a fixed seed.

uint64_t SplitMix(uint64_t* state) {
  uint64_t z = (*state += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

const char* const kArrayNames[] = {"enemies", "weapons", "levels", "items", "sounds", "sprites", "dialogue", "quests"};
const char* const kParameterNames[] = {"name",  "type",   "x",      "y",    "width", "height", "speed", "sprite",
                                       "sound", "script", "colour", "cost", "level", "flags",  "frames", "delay"};
const char* const kWords[] = {"the",   "orc",  "gate",  "opens", "north", "river", "stone", "gold",  "blue",
                              "quick", "tower", "falls", "night", "ember", "wind",  "deep",  "shield", "road"};

std::string Pick(uint64_t* state, const char* const* words, size_t count) {
  return words[SplitMix(state) % count];
}

std::string Value(uint64_t* state, const std::string& name) {
  uint64_t r = SplitMix(state);
  if (name == "x" || name == "y" || name == "width" || name == "height" || name == "cost" || name == "level" ||
      name == "frames" || name == "delay")
    return std::to_string(r % 4096);
  if (name == "speed") return std::to_string(r % 100) + "." + std::to_string((r >> 8) % 100);
  if (name == "sprite") return "gfx/" + Pick(state, kWords, 18) + "/" + Pick(state, kWords, 18) + "_" + std::to_string(r % 16) + ".png";
  if (name == "sound") return "sfx/" + Pick(state, kWords, 18) + std::to_string(r % 8) + ".ogg";
  if (name == "flags") return "0x" + std::to_string(r % 100000);
  std::string text = Pick(state, kWords, 18);
  for (uint64_t n = r % 3; n > 0; --n) text += " " + Pick(state, kWords, 18);
  return text;
}

// Builds a data base of about target bytes of XML text and returns its text.
std::string BuildDocument(Document& doc) {
  DataManager db(&service_table);
  uint64_t state = 0xdb5eedull + doc.target;
  size_t estimate = 80;
  while (estimate < doc.target) {
    std::string array_id = std::string(kArrayNames[doc.arrays % 8]) + "_" + std::to_string(doc.arrays);
    DataArray* array = db.AddArray(array_id.c_str());
    estimate += array_id.size() + 30;
    ++doc.arrays;
    int count = 50 + static_cast<int>(SplitMix(&state) % 450);
    for (int n = 0; n < count && estimate < doc.target; ++n) {
      DataNode* node = array->AddNode();
      std::string id = array_id + "_" + std::to_string(n);
      node->SetParameter("id", id.c_str());
      int parameters = 3 + static_cast<int>(SplitMix(&state) % 6);
      size_t first = SplitMix(&state) % 16;
      size_t node_bytes = 20 + id.size();
      for (int p = 0; p < parameters; ++p) {
        std::string name = kParameterNames[(first + static_cast<size_t>(p)) % 16];
        std::string value = Value(&state, name);
        node->SetParameter(name.c_str(), value.c_str());
        node_bytes += name.size() + value.size() + 4 + (parameters + 1 > 5 ? 4 : 0);
      }
      if (SplitMix(&state) % 10 == 0) {
        std::string text = "When the " + Pick(&state, kWords, 18);
        for (int w = 0; w < 6 + static_cast<int>(SplitMix(&state) % 20); ++w) text += " " + Pick(&state, kWords, 18);
        text += ".";
        node->SetParameter("DATA", text.c_str());
        node_bytes += text.size() + 8;
        ++doc.data_nodes;
      }
      ++doc.nodes;
      estimate += node_bytes;
    }
  }
  return db.BuildXmlText();
}

std::string MarkerText() {
  std::ostringstream text;
  text << kDataVersion << "\n";
  for (const Document& doc : documents)
    text << doc.file << " " << doc.bytes << " bytes " << doc.arrays << " arrays " << doc.nodes << " nodes "
         << doc.data_nodes << " data\n";
  return text.str();
}

// Reuses the documents when the marker names this generator and every file has its size.
bool ReadMarker() {
  std::ifstream marker(data_root + "/complete");
  std::string line;
  if (!std::getline(marker, line) || line != kDataVersion) return false;
  for (Document& doc : documents) {
    std::string file, word;
    if (!(marker >> file >> doc.bytes >> word >> doc.arrays >> word >> doc.nodes >> word >> doc.data_nodes >> word) ||
        file != doc.file)
      return false;
    std::error_code ec;
    if (fs::file_size(doc.native, ec) != doc.bytes || ec) return false;
  }
  return true;
}

bool PrepareDocuments(std::string* error) {
  const char* override_root = getenv("ORVEL_BENCH_XML_DATA");
  data_root = override_root && *override_root ? override_root : ORVEL_BENCH_DATA_DIR;
  for (Document& doc : documents) {
    doc.native = data_root + "/" + doc.file;
    doc.engine = "res://" + doc.file;
  }
  if (ReadMarker()) {
    fprintf(stderr, "Reusing the documents in %s\n", data_root.c_str());
    return true;
  }
  fprintf(stderr, "Writing the documents into %s ...\n", data_root.c_str());
  std::error_code ec;
  fs::remove(data_root + "/complete", ec);
  fs::create_directories(data_root, ec);
  for (Document& doc : documents) {
    doc.arrays = doc.nodes = doc.data_nodes = 0;
    std::string text = BuildDocument(doc);
    doc.bytes = text.size();
    std::string part = doc.native + ".part";
    FILE* out = fopen(part.c_str(), "wb");
    bool written = out && fwrite(text.data(), 1, text.size(), out) == text.size();
    if (out && fclose(out) != 0) written = false;
    fs::rename(part, doc.native, ec);
    if (!written || ec) {
      *error = "cannot write " + doc.native;
      return false;
    }
  }
  std::ofstream(data_root + "/complete") << MarkerText();
  return true;
}

// ---------------------------------------------------------------------------------------------
// The loaders. Each returns the document it loaded (destroyed by the caller, outside the timing)
// and the count of <node> elements it holds, -1 when loading failed.

enum Way { kOrvel, kPugixml, kTinyxml2, kReadOnly, kReaderOnly, kWayCount };
const char* const kWayNames[kWayCount] = {"orvel_data_base", "pugixml", "tinyxml2", "split_read_file",
                                          "split_xml_reader_blocks"};

struct Loaded {
  std::unique_ptr<DataManager> orvel;
  std::unique_ptr<pugi::xml_document> pugi;
  std::unique_ptr<tinyxml2::XMLDocument> tiny;
  std::unique_ptr<XmlReader> reader;
  std::vector<char> bytes;
};

void IgnoreLog(int, const char*) {}

long Load(Way way, const Document& doc, Loaded* out) {
  switch (way) {
    case kOrvel: {
      out->orvel = std::make_unique<DataManager>(&service_table);
      if (!out->orvel->Load(doc.engine.c_str())) return -1;
      return out->orvel->NodeCount();
    }
    case kPugixml: {
      out->pugi = std::make_unique<pugi::xml_document>();
      if (!out->pugi->load_file(doc.native.c_str())) return -1;
      long count = 0;
      for (pugi::xml_node array : out->pugi->child("root").children("array")) {
        for (pugi::xml_node node = array.child("node"); node; node = node.next_sibling("node")) ++count;
      }
      return count;
    }
    case kTinyxml2: {
      out->tiny = std::make_unique<tinyxml2::XMLDocument>();
      if (out->tiny->LoadFile(doc.native.c_str()) != tinyxml2::XML_SUCCESS) return -1;
      long count = 0;
      const tinyxml2::XMLElement* root = out->tiny->FirstChildElement("root");
      for (const tinyxml2::XMLElement* array = root ? root->FirstChildElement("array") : nullptr; array;
           array = array->NextSiblingElement("array"))
        for (const tinyxml2::XMLElement* node = array->FirstChildElement("node"); node;
             node = node->NextSiblingElement("node"))
          ++count;
      return count;
    }
    case kReadOnly: {
      FileHandle* file = OV_OpenFile(doc.engine.c_str(), "rb");
      if (!file) return -1;
      out->bytes.resize(static_cast<size_t>(file->size) + 1);
      int got = OV_ReadFile(out->bytes.data(), file->size, file);
      OV_CloseFile(file);
      return got == static_cast<int>(doc.bytes) ? doc.nodes : -1;
    }
    case kReaderOnly: {
      out->reader = std::make_unique<XmlReader>(&service_table);
      if (!out->reader->LoadFile(doc.engine.c_str())) return -1;
      long count = 0;
      for (const XmlBlock* block = out->reader->Next(); block; block = out->reader->Next())
        // "<node ...>" and "<node .../>" (a closing block with attributes), not "</node>".
        count += block->element && strcmp(block->element, "node") == 0 && (!block->closing || block->attribute_count > 0);
      return count;
    }
    default:
      return -1;
  }
}

void LoadBench(benchmark::State& state, Way way, const Document* doc) {
  for (auto _ : state) {
    Loaded loaded;
    long count = Load(way, *doc, &loaded);
    benchmark::DoNotOptimize(count);
    benchmark::ClobberMemory();
    if (count < 0) {
      state.SkipWithError(("cannot load " + doc->file).c_str());
      break;
    }
    state.PauseTiming();
    loaded = Loaded();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc->bytes));
}

std::string BenchName(Way way, const Document& doc) { return std::string("load/") + doc.label + "/" + kWayNames[way]; }

// ---------------------------------------------------------------------------------------------
// One untimed, counted load per way and size: the node count must match the generator's, and the
// heap the load peaked at and the heap the loaded document keeps are recorded.

struct Memory {
  int64_t peak = 0, retained = 0;
};
Memory memory[2][3];

bool Measure(std::string* error) {
  for (int d = 0; d < 2; ++d) {
    for (int way = kOrvel; way <= kTinyxml2; ++way) {
      Loaded loaded;
      heap_now = 0;
      heap_peak = 0;
      counting = true;
      long count = Load(static_cast<Way>(way), documents[d], &loaded);
      counting = false;
      memory[d][way] = Memory{heap_peak.load(), heap_now.load()};
      if (count != documents[d].nodes) {
        *error = BenchName(static_cast<Way>(way), documents[d]) + " found " + std::to_string(count) + " nodes, wanted " +
                 std::to_string(documents[d].nodes);
        return false;
      }
    }
  }
  return true;
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
  if (!PrepareDocuments(&error)) {
    fprintf(stderr, "documents: %s\n", error.c_str());
    return 1;
  }
  std::string scratch = data_root + "/scratch";
  for (const char* prefix : {"user", "cache", "docs"}) {
    std::string folder = scratch + "/" + prefix;
    fs::create_directories(folder);
    OVFS_SetBaseFolder(prefix, folder.c_str());
  }
  OVFS_SetBaseFolder("res", data_root.c_str());
  if (!OVFS_Start()) {
    fprintf(stderr, "OVFS_Start failed\n");
    return 1;
  }
  if (!Measure(&error)) {
    fprintf(stderr, "verification failed: %s\n", error.c_str());
    return 1;
  }
  for (const Document& doc : documents)
    printf("%s: %s, %zu bytes, %d arrays, %d nodes (%d with text)\n", doc.label, doc.native.c_str(), doc.bytes,
           doc.arrays, doc.nodes, doc.data_nodes);
  fflush(stdout);

  for (const Document& doc : documents)
    for (int way = 0; way < kWayCount; ++way)
      benchmark::RegisterBenchmark(BenchName(static_cast<Way>(way), doc).c_str(), LoadBench, static_cast<Way>(way), &doc)
          ->Unit(benchmark::kMillisecond)
          ->MinTime(1.0)
          ->UseRealTime();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  printf("\nTime ratios (median real time per load; below 1 means the data base is faster):\n");
  for (const Document& doc : documents) {
    double orvel = reporter.Time(BenchName(kOrvel, doc));
    for (Way peer : {kPugixml, kTinyxml2}) {
      double other = reporter.Time(BenchName(peer, doc));
      if (orvel <= 0 || other <= 0) continue;
      double ratio = orvel / other;
      printf("  %-5s data base / %-9s %6.3f", doc.label, kWayNames[peer], ratio);
      if (peer == kPugixml) printf("   goal <= 1.50: %s", ratio <= 1.5 ? "met" : "MISSED");
      printf("\n");
    }
    double read = reporter.Time(BenchName(kReadOnly, doc)), blocks = reporter.Time(BenchName(kReaderOnly, doc));
    if (orvel > 0 && read > 0 && blocks > 0)
      printf("  %-5s split of the data base load: reading the file %.1f%%, tokenizing into blocks %.1f%%, "
             "building nodes and owned texts %.1f%%\n",
             doc.label, 100 * read / orvel, 100 * (blocks - read) / orvel, 100 * (orvel - blocks) / orvel);
  }
  printf("\nHeap per loaded document (malloc_usable_size of live blocks; peak during the load, kept after it):\n");
  printf("  %-5s %-16s %12s %12s %10s\n", "size", "loader", "peak bytes", "kept bytes", "kept/file");
  for (int d = 0; d < 2; ++d)
    for (int way = kOrvel; way <= kTinyxml2; ++way)
      printf("  %-5s %-16s %12lld %12lld %10.2f\n", documents[d].label, kWayNames[way],
             static_cast<long long>(memory[d][way].peak), static_cast<long long>(memory[d][way].retained),
             static_cast<double>(memory[d][way].retained) / static_cast<double>(documents[d].bytes));

  benchmark::Shutdown();
  OVFS_Stop();
  OVFS_ClearSearchPaths();
  OVI_ReleaseThreadsAndMutexes();
  OVI_SetLogSink(nullptr);
  return 0;
}
