// Shared by the tests that use the file API over real folders: an engine state in which names
// are not quiet and popups are answered, with res://, user://, cache:// and docs:// in a fresh
// temporary folder that is removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>
#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/log.h"
#include "core/lifecycle.h"
#include "core/threads.h"
#include "filesystem/file_api.h"
#include "filesystem/paths.h"
#include "platform/ov_os.h"

inline void RemoveTree(const std::string& path) {
  struct Names {
    std::vector<std::string> files, folders;
  } names;
  OVOS_ListFolder(
      path.c_str(),
      [](const char* name, bool is_folder, void* raw) {
        (is_folder ? static_cast<Names*>(raw)->folders : static_cast<Names*>(raw)->files).push_back(name);
      },
      &names);
  for (const std::string& file : names.files) OVOS_DeleteFile((path + "/" + file).c_str());
  for (const std::string& folder : names.folders) RemoveTree(path + "/" + folder);
  OVOS_RemoveFolder(path.c_str());
}

inline std::string TempRoot(const char* name) {
  const char* base = getenv("TMP");
  if (!base) base = getenv("TEMP");
  if (!base) base = "/tmp";
  static int counter;
  // The process id keeps test programs that start in the same millisecond apart.
  std::string root = std::string(base) + "/orvel-" + name + "-" + std::to_string(static_cast<long>(getpid())) + "-" +
                     std::to_string(OVOS_Milliseconds()) + "-" + std::to_string(++counter);
  for (char& c : root)
    if (c == '\\') c = '/';
  return root;
}

// Every log line of a test, and how many lines hold a text.
inline std::vector<std::string>& CapturedLog() {
  static std::vector<std::string> lines;
  return lines;
}
inline void CaptureLog(int, const char* line) { CapturedLog().push_back(line); }
inline int Logged(const std::string& text) {
  int count = 0;
  for (const std::string& line : CapturedLog()) count += line.find(text) != std::string::npos;
  return count;
}

class FileSystemFixture : public testing::Test {
 protected:
  std::string root;
  void SetUp() override {
    CapturedLog().clear();
    OVI_SetLogSink(CaptureLog);
    OVI_StartEngineState();
    core.unattended = core.developer_mode = true;
    core.program_initialized = core.running = core.core_ready = true;  // names are not quiet
    root = TempRoot("fs");
    ASSERT_TRUE(OVOS_CreateFolder(root.c_str()));
    for (const char* prefix : {"res", "user", "cache", "docs"}) {
      std::string folder = root + "/" + prefix;
      OVOS_CreateFolder(folder.c_str());
      OVFS_SetBaseFolder(prefix, folder.c_str());
    }
    ASSERT_TRUE(OVFS_Start());
  }
  void TearDown() override {
    OVFS_Stop();
    OVFS_ClearSearchPaths();
    RemoveTree(root);
    OVI_ReleaseThreadsAndMutexes();
    OVI_SetLogSink(nullptr);
  }
  // Writes a whole file, creating its folders.
  void Write(const std::string& virtual_name, const std::string& bytes) {
    OV_CreateDirectory(virtual_name.substr(0, virtual_name.rfind('/')).c_str());
    FileHandle* file = OV_OpenFile(virtual_name.c_str(), "wb");
    ASSERT_NE(file, nullptr) << virtual_name;
    EXPECT_EQ(OV_WriteFile(bytes.data(), static_cast<int>(bytes.size()), file), static_cast<int>(bytes.size()));
    OV_CloseFile(file);
  }
  // The whole file, or "(none)" when it does not open.
  static std::string Read(const std::string& name) {
    FileHandle* file = OV_OpenFile(name.c_str(), "rb");
    if (!file) return "(none)";
    std::string bytes(static_cast<size_t>(file->size), '\0');
    int got = bytes.empty() ? 0 : OV_ReadFile(&bytes[0], file->size, file);
    OV_CloseFile(file);
    bytes.resize(static_cast<size_t>(got > 0 ? got : 0));
    return bytes;
  }
};
