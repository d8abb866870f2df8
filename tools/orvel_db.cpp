// orvel-db: the engine's data bases on the command line.
//   orvel-db dump FILE             load an XML or CSV data base and write it as the engine's XML
//   orvel-db check FILE            exit 0 when it loads, else show the engine's reports and exit 1
//   orvel-db scramble IN OUT       wrap a file into the scrambled container
//   orvel-db unscramble IN OUT     unwrap it again
// The data base is loaded by the engine's own loader; its reports go to standard error.
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "data/data_base.h"
#include "data/scrambled.h"
#include "filesystem/file_api.h"
#include "filesystem/paths.h"

namespace {

int Usage() {
  fprintf(stderr,
          "usage: orvel-db dump FILE\n"
          "       orvel-db check FILE\n"
          "       orvel-db scramble IN OUT\n"
          "       orvel-db unscramble IN OUT\n");
  return 2;
}

int OV_CALL ReportToStandardError(int, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  vfprintf(stderr, format, arguments);
  va_end(arguments);
  fputc('\n', stderr);
  return 0;
}

int OV_CALL Quiet(const char*, ...) { return 0; }

bool ReadWhole(const char* path, std::vector<unsigned char>* bytes) {
  FILE* file = fopen(path, "rb");
  if (!file) return false;
  unsigned char chunk[65536];
  for (size_t got; (got = fread(chunk, 1, sizeof chunk, file)) > 0;) bytes->insert(bytes->end(), chunk, chunk + got);
  bool ok = !ferror(file);
  fclose(file);
  return ok;
}

bool WriteWhole(const char* path, const unsigned char* bytes, size_t length) {
  FILE* file = fopen(path, "wb");
  if (!file) return false;
  bool ok = fwrite(bytes, 1, length, file) == length;
  return fclose(file) == 0 && ok;
}

int Scramble(const char* in, const char* out, bool wrap) {
  std::vector<unsigned char> bytes;
  if (!ReadWhole(in, &bytes)) {
    fprintf(stderr, "orvel-db: cannot read '%s'\n", in);
    return 1;
  }
  size_t length = 0;
  unsigned char* result = wrap ? OVD_Wrap(bytes.data(), bytes.size(), &length)
                               : OVD_Unwrap(bytes.data(), bytes.size(), &length);
  if (!result) {
    fprintf(stderr, "orvel-db: '%s' is not a whole scrambled container\n", in);
    return 1;
  }
  bool written = WriteWhole(out, result, length);
  free(result);
  if (!written) {
    fprintf(stderr, "orvel-db: cannot write '%s'\n", out);
    return 1;
  }
  return 0;
}

// Loads a plain path through the file API: res:// is the file's folder.
int Load(const char* path, bool dump) {
  std::string native = path;
  for (char& c : native)
    if (c == '\\') c = '/';
  size_t slash = native.rfind('/');
  std::string folder = slash == std::string::npos ? "." : native.substr(0, slash);
  std::string name = "res://" + (slash == std::string::npos ? native : native.substr(slash + 1));
  if (!OVFS_IsValidName(name.c_str())) {
    fprintf(stderr, "orvel-db: the engine does not accept the file name '%s' (letters, digits and _-.@() only)\n",
            name.c_str() + 6);
    return 2;
  }
  OVI_StartEngineState();
  OVFS_Start();
  OVFS_SetBaseFolder("res", folder.c_str());
  EngineServices services = service_table;
  services.OV_Report = ReportToStandardError;
  services.OV_Log = Quiet;
  DataManager data_base(&services);
  bool loaded = data_base.Load(name.c_str());
  int code = loaded ? 0 : 1;
  if (loaded && dump) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::string text = data_base.BuildXmlText();
    if (fwrite(text.data(), 1, text.size(), stdout) != text.size() || fflush(stdout) != 0) code = 1;
  }
  OVFS_Stop();
  OVI_ReleaseThreadsAndMutexes();
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1];
  if (command == "dump" && argc == 3) return Load(argv[2], true);
  if (command == "check" && argc == 3) return Load(argv[2], false);
  if (command == "scramble" && argc == 4) return Scramble(argv[2], argv[3], true);
  if (command == "unscramble" && argc == 4) return Scramble(argv[2], argv[3], false);
  return Usage();
}
