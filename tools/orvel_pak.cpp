// orvel-pak: makes, lists, extracts and checks the engine's pak archives.
//   orvel-pak create OUT.pak FOLDER   archive every file of FOLDER (names relative to it)
//   orvel-pak list PAK                 each entry's name and size
//   orvel-pak extract PAK NAME         one entry to standard output, read by the engine's own pak opener
//   orvel-pak verify PAK               the header, the recorded size and every entry's place
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/threads.h"
#include "filesystem/file_api.h"
#include "filesystem/files.h"
#include "filesystem/paths.h"
#include "filesystem/pak_writer.h"

namespace {

int Usage() {
  fprintf(stderr,
          "usage: orvel-pak create OUT.pak FOLDER\n"
          "       orvel-pak list PAK\n"
          "       orvel-pak extract PAK NAME\n"
          "       orvel-pak verify PAK\n");
  return 2;
}

struct FileReader : PakReader {
  FILE* file;
  explicit FileReader(FILE* f) : file(f) {}
  int Read(void* buffer, int count) override { return static_cast<int>(fread(buffer, 1, static_cast<size_t>(count), file)); }
  bool Seek(unsigned offset) override { return fseek(file, static_cast<long>(offset), SEEK_SET) == 0; }
};

bool LoadDirectory(const char* path, PakDirectory* directory) {
  FILE* file = fopen(path, "rb");
  if (!file) {
    fprintf(stderr, "orvel-pak: cannot open '%s'\n", path);
    return false;
  }
  fseek(file, 0, SEEK_END);
  long size = ftell(file);
  fseek(file, 0, SEEK_SET);
  FileReader reader(file);
  std::string problem;
  bool loaded = size >= 0 && size <= 0x7fffffffL &&
                OVFS_ReadPakDirectory(reader, static_cast<unsigned>(size), directory, &problem);
  fclose(file);
  if (!loaded) fprintf(stderr, "orvel-pak: '%s': %s\n", path, problem.empty() ? "too large" : problem.c_str());
  return loaded;
}

void ShowProgress(size_t done, size_t total, const std::string&) {
  if (done % 250 == 0 || done == total) fprintf(stderr, "orvel-pak: %zu/%zu files\n", done, total);
}

int Create(const char* archive, const char* folder) {
  std::vector<PakSource> sources;
  std::string error;
  if (!OVFS_CollectPakSources(folder, &sources, &error) || !OVFS_WritePak(archive, sources, &error, ShowProgress)) {
    fprintf(stderr, "orvel-pak: %s\n", error.c_str());
    return 1;
  }
  fprintf(stderr, "orvel-pak: wrote %zu entries to '%s'\n", sources.size(), archive);
  return 0;
}

int List(const char* archive) {
  PakDirectory directory;
  if (!LoadDirectory(archive, &directory)) return 1;
  for (const PakEntry& entry : directory.entries) printf("%s\t%u\n", entry.name.c_str(), entry.size);
  return 0;
}

int Verify(const char* archive) {
  PakDirectory directory;
  if (!LoadDirectory(archive, &directory)) return 1;
  printf("%s: %zu entries, %u bytes, OK\n", archive, directory.entries.size(), directory.archive_size);
  return 0;
}

void ReportProblems(int level, const char* line) {
  if (level >= LOG_WARNING) fprintf(stderr, "orvel-pak: %s\n", line);
}

// Reads the entry the way a game does: res:// is the archive's folder, the archive is
// res://<name>.pak, and the entry is opened as res://<name>/<entry>.
int Extract(const char* archive, const char* name) {
  std::string path = archive;
  for (char& c : path)
    if (c == '\\') c = '/';
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  if (file.size() < 5 || file.compare(file.size() - 4, 4, ".pak") != 0) {
    fprintf(stderr, "orvel-pak: '%s' must end in .pak\n", archive);
    return 2;
  }
  PakDirectory directory;
  if (!LoadDirectory(archive, &directory)) return 1;

  OVI_SetLogSink(ReportProblems);
  OVI_StartEngineState();
  core.unattended = true;
  OVFS_Start();
  OVFS_SetBaseFolder("res", folder.c_str());
  std::string virtual_name = "res://" + file.substr(0, file.size() - 4) + "/" + name;
  // Only archive entries count: the pak opener alone is asked.
  ovFile* entry = OVFS_PakOpener()->Open(virtual_name.c_str(), "rb");
  if (!entry) {
    fprintf(stderr, "orvel-pak: no entry '%s' in '%s'\n", name, archive);
    OVFS_Stop();
    return 1;
  }
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::vector<char> chunk(1 << 16);
  long long left = entry->Size();
  bool written = true;
  while (left > 0 && written) {
    int want = left < static_cast<long long>(chunk.size()) ? static_cast<int>(left) : static_cast<int>(chunk.size());
    int got = entry->Read(chunk.data(), want);
    if (got <= 0) break;
    written = fwrite(chunk.data(), 1, static_cast<size_t>(got), stdout) == static_cast<size_t>(got);
    left -= got;
  }
  entry->Close();
  OVFS_Stop();
  OVI_ReleaseThreadsAndMutexes();
  if (left > 0 || !written || fflush(stdout) != 0) {
    fprintf(stderr, "orvel-pak: could not write all of '%s'\n", name);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1];
  if (command == "create" && argc == 4) return Create(argv[2], argv[3]);
  if (command == "list" && argc == 3) return List(argv[2]);
  if (command == "extract" && argc == 4) return Extract(argv[2], argv[3]);
  if (command == "verify" && argc == 3) return Verify(argv[2]);
  return Usage();
}
