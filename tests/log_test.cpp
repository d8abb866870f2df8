// The log, reports, the console's input and the shutdown wait for threads.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "core/console.h"
#include "core/core_state.h"
#include "core/events.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/overlay.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "platform/ov_os.h"

namespace {

// A file store behind the service table's file operations, for the log file.
std::map<std::string, std::string> files;
std::vector<std::string> created_directories;
struct OpenFile {
  FileHandle handle;
  std::string name;
};

FileHandle* OV_CALL OpenFileInStore(const char* name, const char* mode) {
  if (mode[0] == 'r' && !files.count(name)) return nullptr;
  if (mode[0] == 'w') files[name].clear();
  OpenFile* file = new OpenFile{{nullptr, 0, nullptr}, name};
  file->handle.file = file;
  file->handle.name = file->name.c_str();
  return &file->handle;
}
int OV_CALL WriteFileInStore(const void* data, int size, FileHandle* handle) {
  files[static_cast<OpenFile*>(handle->file)->name].append(static_cast<const char*>(data), static_cast<size_t>(size));
  return size;
}
int OV_CALL CloseFileInStore(FileHandle* handle) {
  delete static_cast<OpenFile*>(handle->file);
  return 0;
}
int OV_CALL FlushFileInStore(FileHandle*) { return 0; }
ov_bool OV_CALL CreateDirectoryInStore(const char* path) {
  created_directories.push_back(path);
  return 0;
}

std::vector<std::string> Entries() {
  std::vector<std::string> texts;
  for (int i = 0; i < OVI_LogEntryCount(); ++i) {
    LogEntry entry;
    char text[LOG_FORMAT_BUFFER];
    OVI_LogEntry(i, &entry, text, sizeof text);
    texts.push_back(text);
  }
  return texts;
}

int CountEntries(const std::string& part) {
  int count = 0;
  for (const std::string& text : Entries()) count += text.find(part) != std::string::npos;
  return count;
}

ProgramInterface record;

class Log : public testing::Test {
 protected:
  void SetUp() override {
    files.clear();
    created_directories.clear();
    OVI_StartEngineState();
    core.unattended = true;
    memset(&record, 0, sizeof record);
    strcpy(record.id, "my game");
    core.program = &record;
    service_table.OV_OpenFile = OpenFileInStore;
    service_table.OV_WriteFile = WriteFileInStore;
    service_table.OV_CloseFile = CloseFileInStore;
    service_table.OV_FlushFile = FlushFileInStore;
    service_table.OV_CreateDirectory = CreateDirectoryInStore;
    OVI_ResetConsole(49831);
  }
  void TearDown() override {
    OVI_CloseConsole();
    OVI_ClearEventQueue();
    OVI_ReleaseThreadsAndMutexes();
  }
  void Start(bool file = false, int verbose = 0) { OVI_StartLogging(true, file, verbose); }
};

std::string ExpectedFileName(const OV_Date& d, int number) {
  char name[128];
  if (number == 0)
    snprintf(name, sizeof name, "logs://my-game-%.4d-%.2d-%.2d-%.2d-%.2d.log", d.year, d.month, d.day, d.hour, d.minute);
  else
    snprintf(name, sizeof name, "logs://my-game-%.4d-%.2d-%.2d-%.2d-%.2d-%d.log", d.year, d.month, d.day, d.hour,
             d.minute, number);
  return name;
}

TEST_F(Log, FileIsNamedFromIdAndDateWithNumbersForCollisions) {
  for (int attempt = 0; attempt < 3; ++attempt) {  // retried when the minute turns meanwhile
    OV_Date date;
    OV_GetDate(&date);
    files.clear();
    files[ExpectedFileName(date, 0)] = "older";
    files[ExpectedFileName(date, 1)] = "older";
    Start(true);
    OV_Date after;
    OV_GetDate(&after);
    if (after.minute != date.minute) continue;
    EXPECT_EQ(created_directories, std::vector<std::string>{"logs://"});
    EXPECT_STREQ(OVI_LogFileName(), ExpectedFileName(date, 2).c_str());
    const std::string& text = files[ExpectedFileName(date, 2)];
    EXPECT_EQ(text.rfind("Tarnwick OV (API 1360 + core 2324)\n--------------------------------\n", 0), 0u) << text;
    EXPECT_NE(text.find("Logging started on"), std::string::npos);
    EXPECT_EQ(files[ExpectedFileName(date, 0)], "older");
    return;
  }
  FAIL() << "the minute kept turning";
}

TEST_F(Log, UnwritableFileLeavesTheMemoryLogWorking) {
  service_table.OV_OpenFile = [](const char*, const char*) -> FileHandle* { return nullptr; };
  Start(true);
  EXPECT_TRUE(OVI_LogEnabled());
  EXPECT_STREQ(OVI_LogFileName(), "");
  EXPECT_EQ(CountEntries("[WARNING] Unable to allocate file for the logs."), 1);
}

TEST_F(Log, LineFormatsWithAndWithoutThreadName) {
  Start(true);
  std::string name = OVI_LogFileName();
  files[name].clear();
  OV_Log("plain %d", 1);
  OV_LogLevel(LOG_ERROR, "broken %s", "thing");
  void* thread = service_table.OV_CreateThread(
      "worker", [](void*) {
        OV_Log("from worker");
        OV_LogLevel(LOG_WARNING, "careful");
      },
      nullptr, 0);
  ASSERT_NE(thread, nullptr);
  for (int i = 0; i < 1000 && OVI_LiveThreadCount() > 0; ++i) OVOS_Sleep(2);  // waits without logging
  ASSERT_EQ(OVI_LiveThreadCount(), 0);
  std::vector<std::string> lines;
  std::string text = files[name];
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  ASSERT_GE(lines.size(), 4u);
  // "nnnn: [hh:mm.ss] ..." with the four formats
  auto body = [](const std::string& line) { return line.size() > 17 ? line.substr(17) : line; };
  const char* expected[] = {"plain 1", "[ERROR] broken thing", "[worker]> from worker", "[worker]> [WARNING] careful"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(body(lines[static_cast<size_t>(lines.size() - 4 + i)]), expected[i]);
    EXPECT_EQ(lines[static_cast<size_t>(lines.size() - 4 + i)].substr(4, 3), ": [");
  }
  char number[8];
  snprintf(number, sizeof number, "%.4d", OVI_LogLineNumber());
  EXPECT_EQ(lines.back().substr(0, 4), number);
}

TEST_F(Log, VerboseLevelDropsLinesButCountsThem) {
  Start(false, 2);
  int before = OVI_LogEntryCount();
  int warnings = OVI_LogCount(LOG_WARNING);
  OV_LogLevel(LOG_WARNING, "not stored");
  OV_Log("not stored either");
  OV_LogLevel(LOG_ERROR, "stored");
  EXPECT_EQ(OVI_LogEntryCount(), before + 1);
  EXPECT_EQ(OVI_LogCount(LOG_WARNING), warnings + 1);
  EXPECT_EQ(CountEntries("not stored"), 0);
}

TEST_F(Log, SeveralLinesBecomeSeveralEntries) {
  Start();
  int before = OVI_LogEntryCount();
  OV_Log("first\n\nsecond\n");
  EXPECT_EQ(OVI_LogEntryCount(), before + 2);
  std::vector<std::string> entries = Entries();
  EXPECT_EQ(entries[entries.size() - 2], "first");
  EXPECT_EQ(entries.back(), "second");
}

TEST_F(Log, EntriesAreCappedWithAnEllipsisFirst) {
  Start();
  while (OVI_LogEntryCount() < LOG_MAX_ENTRIES) OV_Log("filler");
  OV_Log("one more");
  EXPECT_EQ(OVI_LogEntryCount(), LOG_MAX_ENTRIES);  // the two oldest gave way to "...": 8191 and "..."
  std::vector<std::string> entries = Entries();
  EXPECT_EQ(entries.front(), "...");
  EXPECT_EQ(entries.back(), "one more");
}

TEST_F(Log, ReportsRaiseOnePopupPerTextAndQueueThoseOfOtherThreads) {
  Start();
  core.developer_mode = true;
  core.program_initialized = true;
  core.running = true;
  EXPECT_EQ(OV_Report(LOG_WARNING, "check %d", 7), POPUP_RESULT_OK);
  EXPECT_EQ(OV_Report(LOG_WARNING, "check %d", 7), 1);
  EXPECT_EQ(CountEntries("[POPUP] check 7"), 2);
  EXPECT_EQ(CountEntries("Popup answered OK: check 7"), 1);

  static std::atomic<int> result;
  result = -1;
  void* thread = service_table.OV_CreateThread(
      "reporter", [](void*) { result = OV_Report(LOG_ERROR, "from a thread"); }, nullptr, 0);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(OVI_WaitForThreads(500, 10), 0);
  EXPECT_EQ(result.load(), 4);
  EXPECT_EQ(CountEntries("Popup answered OK: from a thread"), 0);
  OVI_ShowQueuedPopups();  // the frame does this on the main thread
  EXPECT_EQ(CountEntries("Popup answered OK: from a thread"), 1);

  core.developer_mode = false;
  EXPECT_EQ(OV_Report(LOG_ERROR, "silent"), 0);
  EXPECT_EQ(CountEntries("silent"), 0);
}

TEST_F(Log, ReportsBeforeInitShowThePopupAtOnce) {
  Start();
  EXPECT_EQ(OV_Report(LOG_WARNING, "early"), 0);
  EXPECT_EQ(CountEntries("Popup answered OK: early"), 1);
}

TEST_F(Log, ShutdownWaitTimesOutAndListsTheThreads) {
  Start();
  static std::atomic<bool> release;
  release = false;
  service_table.OV_CreateThread(
      "sleeper", [](void*) {
        while (!release) OVOS_Sleep(1);
      },
      nullptr, 0);
  EXPECT_EQ(OVI_WaitForThreads(3, 10), 1);
  EXPECT_EQ(CountEntries("[WARNING] Time out: 1 threads left running!"), 1);
  EXPECT_EQ(CountEntries("List of threads alive:"), 1);
  EXPECT_EQ(CountEntries("'sleeper'"), 1);
  release = true;
  EXPECT_EQ(OVI_WaitForThreads(500, 10), 0);
  EXPECT_EQ(CountEntries("Waiting for threads to exit... (0 threads)") +
                CountEntries("Waiting for threads to exit... (1 threads)"),
            2);
}

// Console input, through events as the dispatch delivers them.
void Type(int type, int code) {
  ProgramEvent event = {};
  event.type = type;
  event.word[0] = code;
  OVI_DispatchEvent(&event);
}
void Key(int code) { Type(OV_EVENT_KEY_PRESSED, code); }
void Text(const char* text) {
  for (const char* c = text; *c; ++c) Type(OV_EVENT_CHARACTER, *c);
}

class Console : public Log {
 protected:
  void SetUp() override {
    Log::SetUp();
    Start();
    core.core_ready = true;  // events are queued
    Key(49831);              // the toggle key opens it
    ASSERT_TRUE(OVI_ConsoleOpen());
  }
};

TEST_F(Console, ToggleKeyOpensAndClosesAndSetsTheRecordByte) {
  EXPECT_EQ(record.video.console_open, 1);
  Type(OV_EVENT_CHARACTER, 49831);
  EXPECT_FALSE(OVI_ConsoleOpen());
  EXPECT_EQ(record.video.console_open, 0);
  Text("ab");  // closed: nothing typed
  EXPECT_STREQ(OVI_ConsoleInput(), "");
}

TEST_F(Console, EditingTheInputLine) {
  struct Step {
    int type;  // 0: text, else event type
    int code;
    const char* text;
    const char* input;
    int cursor;
  } steps[] = {
      {0, 0, "helo", "helo", 4},
      {OV_EVENT_KEY_PRESSED, 37, nullptr, "helo", 3},  // Left
      {0, 0, "l", "hello", 4},
      {OV_EVENT_KEY_PRESSED, 36, nullptr, "hello", 0},  // Home
      {OV_EVENT_KEY_PRESSED, 46, nullptr, "ello", 0},   // Delete
      {OV_EVENT_KEY_PRESSED, 35, nullptr, "ello", 4},   // End
      {OV_EVENT_CHARACTER, 8, nullptr, "ell", 3},       // Backspace
      {OV_EVENT_KEY_PRESSED, 39, nullptr, "ell", 3},    // Right at the end stays
      {OV_EVENT_CHARACTER, 7, nullptr, "ell", 3},       // control characters are not inserted
  };
  for (const Step& step : steps) {
    if (step.type == 0) Text(step.text);
    else Type(step.type, step.code);
    EXPECT_STREQ(OVI_ConsoleInput(), step.input);
    EXPECT_EQ(OVI_ConsoleCursor(), step.cursor) << step.input;
  }
}

TEST_F(Console, LongInputStopsAt511Characters) {
  for (int i = 0; i < 600; ++i) Type(OV_EVENT_CHARACTER, 'x');
  EXPECT_EQ(strlen(OVI_ConsoleInput()), static_cast<size_t>(CONSOLE_INPUT_SIZE - 1));
}

TEST_F(Console, EnteredLinesGoToTheProgramAndTheHistory) {
  Text("god mode");
  Type(OV_EVENT_CHARACTER, 13);
  Text("fly");
  Type(OV_EVENT_CHARACTER, 13);
  EXPECT_STREQ(OVI_ConsoleInput(), "");
  EXPECT_EQ(CountEntries("god mode"), 1);
  Key(38);  // Up: newest first
  EXPECT_STREQ(OVI_ConsoleInput(), "fly");
  Key(38);
  EXPECT_STREQ(OVI_ConsoleInput(), "god mode");
  Key(38);  // stays at the oldest
  EXPECT_STREQ(OVI_ConsoleInput(), "god mode");
  Key(40);
  EXPECT_STREQ(OVI_ConsoleInput(), "fly");
  Key(40);  // past the newest: empty again
  EXPECT_STREQ(OVI_ConsoleInput(), "");

  static std::vector<std::string> lines;
  lines.clear();
  record.event = [](ProgramEvent event) {
    if (event.type == OV_EVENT_CONSOLE_LINE)
      lines.push_back(sizeof(void*) == 4 ? reinterpret_cast<const char*>(static_cast<intptr_t>(event.word[0])) : "?");
    return 0;
  };
  core.running = true;
  OVI_DispatchQueuedEvents();
  ASSERT_EQ(lines.size(), 2u);
  if (sizeof(void*) == 4) {
    EXPECT_EQ(lines, (std::vector<std::string>{"god mode", "fly"}));
  }
}

TEST_F(Console, HashNumberScrollsWithoutAnEvent) {
  for (int i = 0; i < 200; ++i) OV_Log("line");
  Text("#120");
  Type(OV_EVENT_CHARACTER, 13);
  EXPECT_EQ(OVI_ConsoleScroll(), OVI_LogLineNumber() - 120);
  static int events;
  events = 0;
  record.event = [](ProgramEvent) { return ++events, 0; };
  core.running = true;
  OVI_DispatchQueuedEvents();
  EXPECT_EQ(events, 0);
  Key(34);  // Page Down
  EXPECT_EQ(OVI_ConsoleScroll(), OVI_LogLineNumber() - 130);
}

TEST_F(Console, CommandsCompleteWithTab) {
  service_table.OV_AddConsoleCommand("spawn_enemy", "puts an enemy down");
  service_table.OV_AddConsoleCommand("Restart", nullptr);
  service_table.OV_CallExtension("Console_AddCommand", "show_fps");
  service_table.OV_AddConsoleCommand("spawn", nullptr);  // completion already finds spawn_enemy
  service_table.OV_AddConsoleCommand(nullptr, "ignored");
  EXPECT_EQ(OVI_ConsoleCommandCount(), 3);

  EXPECT_STREQ(OVI_ConsoleAutocompleteText(),
               "Autocomplete (tab): |#ffaa55|spawn_enemy|#ffffff| |#ffaa55|Restart|#ffffff| |#ffaa55|show_fps|#ffffff|");
  Text("re");
  EXPECT_STREQ(OVI_ConsoleAutocompleteText(), "Autocomplete (tab): |#ffaa55|Restart|#ffffff|");
  Key(9);
  EXPECT_STREQ(OVI_ConsoleInput(), "Restart");
  Key(36);
  for (int i = 0; i < 7; ++i) Key(46);
  Text("fps");  // no name begins with it: the first that contains it
  Key(9);
  EXPECT_STREQ(OVI_ConsoleInput(), "show_fps");
}

TEST_F(Console, PointerEventsStillReachTheProgramWhileOpen) {
  ProgramEvent move = {};
  move.type = OV_EVENT_POINTER_MOVED;
  move.word[1] = 30;
  move.word[2] = 40;
  OVI_DispatchEvent(&move);
  EXPECT_EQ(pointers[0].x, 30.0f);
  Type(OV_EVENT_KEY_PRESSED, 65);
  EXPECT_EQ(key_states[65], 0);  // typing into the console does not press game keys
}

TEST(Overlay, MemoryTrackerSamplesEvery30thCallAndSkipsRepeats) {
  OVI_ResetOverlay();
  for (int i = 0; i < 29; ++i) OVI_SampleMemory(1000);
  EXPECT_EQ(OVI_MemorySampleCount(), 0);
  for (int i = 0; i < 30 * 10; ++i) OVI_SampleMemory(1000);
  // The estimates do not change: after four equal samples no more are taken.
  EXPECT_EQ(OVI_MemorySampleCount(), 4);
  EXPECT_EQ(key_states[KEY_MEMORY_TOTAL],
            key_states[KEY_MEMORY_SYSTEM] + key_states[KEY_MEMORY_GPU] + key_states[KEY_MEMORY_SOUND]);
}

}  // namespace
