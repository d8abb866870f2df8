#include "core/log.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "filesystem/file_api.h"
#include "platform/ov_os.h"
#include "platform/popups.h"

namespace {

const char* const level_names[] = {"INFO", "WARNING", "ERROR", "SYSTEM"};

struct StoredEntry {
  LogEntry header;  // its text pointer stays null; the text lives beside it
  std::string text;
};

struct LogState {
  bool enabled;
  bool file_enabled;
  char file_name[261];
  int verbose_level;
  int counts[4];
  int line_number;
  std::deque<StoredEntry> entries;
};

LogState state;
EngineMutex* console_mutex;  // "OV_CONSOLE"
std::mutex sink_mutex;       // guards the sink and the stderr echo, also before the log starts
OVI_LogSink log_sink;
std::set<std::string> reported_texts;
std::vector<std::pair<int, std::string>> popup_queue;  // guarded by "PRINT"

// The line as the log file holds it.
std::string FileLine(int line_number, const OV_Date& date, const char* thread, const char* text) {
  char line[LOG_FORMAT_BUFFER + 128];
  // The stored text of levels 1..3 already carries its "[LEVEL] " prefix.
  if (thread[0])
    snprintf(line, sizeof line, "%.4d: [%.2d:%.2d.%.2d] [%s]> %s", line_number, date.hour, date.minute, date.second,
             thread, text);
  else
    snprintf(line, sizeof line, "%.4d: [%.2d:%.2d.%.2d] %s", line_number, date.hour, date.minute, date.second, text);
  return line;
}

// The file is opened, appended and closed for every line, so nothing logged before a crash is
// lost and no handle is shared between threads. Callers hold "OV_CONSOLE" so lines never mix.
void AppendToFile(const std::string& line) {
  FileHandle* file = service_table.OV_OpenFile(state.file_name, "ab");
  if (!file) return;
  std::string text = line;
  if (text.empty() || text.back() != '\n') text += '\n';
  service_table.OV_WriteFile(text.data(), static_cast<int>(text.size()), file);
  service_table.OV_FlushFile(file);
  service_table.OV_CloseFile(file);
}

void WriteOneLine(int level, const char* text, size_t length) {
  if (level < 0 || level > 7) level = LOG_ERROR;
  int counted = level <= 3 ? level : -1;
  std::string body(text, length);
  // Unattended runs also echo every line to standard error, for a game's CI.
  {
    std::lock_guard<std::mutex> lock(sink_mutex);
    if (level >= state.verbose_level && !body.empty()) {
      if (log_sink) log_sink(level, body.c_str());
      else if (core.unattended) fprintf(stderr, "%s: %s\n", OVI_LevelName(level), body.c_str());
    }
  }
  if (!state.enabled) return;

  OV_LockMutex(console_mutex);
  if (counted >= 0) ++state.counts[counted];
  if (level < state.verbose_level || body.empty()) {
    OV_UnlockMutex(console_mutex);
    return;
  }
  StoredEntry entry = {};
  entry.header.level = level;
  entry.header.line_number = ++state.line_number;
  OV_GetDate(&entry.header.date);
  OVI_CurrentThreadName(entry.header.thread, sizeof entry.header.thread);
  entry.text = level >= 1 && level <= 3 ? std::string("[") + level_names[level] + "] " + body : body;
  if (state.file_enabled)
    AppendToFile(FileLine(entry.header.line_number, entry.header.date, entry.header.thread, entry.text.c_str()));
  state.entries.push_back(std::move(entry));
  if (state.entries.size() > LOG_MAX_ENTRIES) {
    StoredEntry dots = {};
    dots.header.level = LOG_SYSTEM;
    dots.header.date = state.entries.back().header.date;
    dots.text = "...";
    state.entries.pop_front();
    state.entries.pop_front();
    state.entries.push_front(std::move(dots));
  }
  OV_UnlockMutex(console_mutex);
}

// Formats under "PRINT" (once the engine mutexes exist) into the 4096-byte buffer.
std::string Format(const char* format, va_list arguments) {
  char text[LOG_FORMAT_BUFFER];
  EngineMutex* print = OVI_EngineMutex(MUTEX_PRINT);
  OV_LockMutex(print);
  vsnprintf(text, sizeof text, format ? format : "", arguments);
  OV_UnlockMutex(print);
  return text;
}

void FormatAndWrite(int level, const char* format, va_list arguments) {
  OVI_WriteLine(level, Format(format, arguments).c_str());
}

// A line below the verbose level is counted but never formatted.
bool BelowVerboseLevel(int level) {
  if (state.verbose_level <= level) return false;
  if (state.enabled && level >= 0 && level <= 3) {
    OV_LockMutex(console_mutex);
    ++state.counts[level];
    OV_UnlockMutex(console_mutex);
  }
  return true;
}

}  // namespace

const char* OVI_LevelName(int level) { return level >= 0 && level <= 3 ? level_names[level] : "UNKNOWN"; }

void OVI_WriteLine(int level, const char* text) {
  if (!text) return;
  // A text of several lines becomes one entry per non-empty line.
  const char* start = text;
  for (;;) {
    const char* end = strchr(start, '\n');
    size_t length = end ? static_cast<size_t>(end - start) : strlen(start);
    if (length > 0 || (!end && start == text)) WriteOneLine(level, start, length);
    if (!end) break;
    start = end + 1;
  }
}

int OV_CALL OV_Log(const char* format, ...) {
  if (BelowVerboseLevel(LOG_INFO)) return 0;
  va_list arguments;
  va_start(arguments, format);
  FormatAndWrite(LOG_INFO, format, arguments);
  va_end(arguments);
  return 0;
}

int OV_CALL OV_LogLevel(int level, const char* format, ...) {
  if (BelowVerboseLevel(level)) return 0;
  va_list arguments;
  va_start(arguments, format);
  FormatAndWrite(level, format, arguments);
  va_end(arguments);
  return 0;
}

int OV_CALL OV_Report(int level, const char* format, ...) {
  if (state.verbose_level > level) return 0;
  va_list arguments;
  va_start(arguments, format);
  std::string text = Format(format, arguments);
  va_end(arguments);
  int kind = level >= 0 && level <= 3 ? level : LOG_ERROR;
  if (!core.program_initialized) {
    OVI_ShowPopup(kind, text.c_str());
    return 0;
  }
  if (!core.developer_mode) return 0;
  EngineMutex* print = OVI_EngineMutex(MUTEX_PRINT);
  OV_LockMutex(print);
  bool first = reported_texts.insert(text).second;
  OV_UnlockMutex(print);
  if (core.running) OV_LogLevel(level, "[POPUP] %s", text.c_str());
  if (!first) return 1;
  if (OV_IsMainThread() && core.running) return OVI_ShowPopup(kind, text.c_str());
  OV_LockMutex(print);
  popup_queue.emplace_back(kind, text);
  OV_UnlockMutex(print);
  return 4;
}

void OVI_ShowQueuedPopups() {
  std::vector<std::pair<int, std::string>> popups;
  EngineMutex* print = OVI_EngineMutex(MUTEX_PRINT);
  OV_LockMutex(print);
  popups.swap(popup_queue);
  OV_UnlockMutex(print);
  for (const auto& popup : popups)
    OVI_ShowPopup(popup.first, popup.second.c_str());
}

void OVI_ResetReports() {
  reported_texts.clear();
  popup_queue.clear();
}

void OVI_StartLogging(bool console_enabled, bool file_enabled, int verbose_level) {
  OVI_CloseConsole();
  // A program mutex: equal names share one, so a restarted log finds it again.
  console_mutex = OV_CreateMutex("OV_CONSOLE");
  state.verbose_level = verbose_level;
  if (!console_enabled) return;
  state.file_enabled = file_enabled;
  if (file_enabled) {
    service_table.OV_CreateDirectory("logs://");
    char id[sizeof core.program->id + 1];
    snprintf(id, sizeof id, "%.*s", static_cast<int>(sizeof core.program->id), core.program ? core.program->id : "");
    for (char* c = id; *c; ++c)
      if (*c == ' ') *c = '-';
    OV_Date date;
    OV_GetDate(&date);
    snprintf(state.file_name, sizeof state.file_name, "logs://%s-%.4d-%.2d-%.2d-%.2d-%.2d.log", id, date.year, date.month,
             date.day, date.hour, date.minute);
    for (int number = 1; number <= 99; ++number) {
      FileHandle* existing = service_table.OV_OpenFile(state.file_name, "rb");
      if (!existing) break;
      service_table.OV_CloseFile(existing);
      snprintf(state.file_name, sizeof state.file_name, "logs://%s-%.4d-%.2d-%.2d-%.2d-%.2d-%d.log", id, date.year,
               date.month, date.day, date.hour, date.minute, number);
    }
    FileHandle* file = service_table.OV_OpenFile(state.file_name, "wb");
    if (file) {
      char header[128];
      int length = snprintf(header, sizeof header, "Tarnwick OV (API %.4d + core %.4d)\n--------------------------------\n",
                            OV_INTERFACE_VERSION, 2324);
      service_table.OV_WriteFile(header, length, file);
      service_table.OV_CloseFile(file);
    } else {
      state.file_enabled = false;
      state.file_name[0] = 0;
    }
  }
  state.enabled = true;
  if (file_enabled && !state.file_enabled) OV_LogLevel(LOG_WARNING, "Unable to allocate file for the logs.\n");
  OV_Date date;
  OV_GetDate(&date);
  OV_Log("Logging started on %.2d-%.2d-%.2d.", date.year, date.month, date.day);
}

void OVI_CloseLog() {
  if (!state.enabled) return;
  OV_Log("ORVEL log: %d errors, %d warnings, %d infos.", state.counts[LOG_ERROR], state.counts[LOG_WARNING],
         state.counts[LOG_INFO]);
  const char* names[64];
  int open = OVFS_OpenFileCount();
  int listed = OVFS_OpenFileNames(names, 64);
  OV_Log("%d files left open..", open);
  if (open > 0) OV_Log("The following files left open:");
  for (int i = 0; i < listed; ++i) OV_LogLevel(LOG_WARNING, "File '%s' left open.", names[i]);
}

void OVI_CloseConsole() {
  OV_LockMutex(console_mutex);
  state.entries.clear();
  state.enabled = false;
  state.file_enabled = false;
  state.file_name[0] = 0;
  state.line_number = 0;
  memset(state.counts, 0, sizeof state.counts);
  OV_UnlockMutex(console_mutex);
  // Shutdown frees the program mutexes next; the closed log no longer takes this one.
  console_mutex = nullptr;
}

int OVI_LogEntryCount() {
  OV_LockMutex(console_mutex);
  int count = static_cast<int>(state.entries.size());
  OV_UnlockMutex(console_mutex);
  return count;
}

bool OVI_LogEntry(int index, LogEntry* out, char* text, int text_size) {
  OV_LockMutex(console_mutex);
  bool inside = index >= 0 && index < static_cast<int>(state.entries.size());
  if (inside) {
    const StoredEntry& entry = state.entries[static_cast<size_t>(index)];
    *out = entry.header;
    snprintf(text, static_cast<size_t>(text_size), "%s", entry.text.c_str());
    out->text = text;
  }
  OV_UnlockMutex(console_mutex);
  return inside;
}

int OVI_LogCount(int level) { return level >= 0 && level <= 3 ? state.counts[level] : 0; }
int OVI_LogLineNumber() { return state.line_number; }
bool OVI_LogEnabled() { return state.enabled; }
const char* OVI_LogFileName() { return state.file_enabled ? state.file_name : ""; }
EngineMutex* OVI_LogMutex() { return console_mutex; }

void OVI_SetLogSink(OVI_LogSink sink) {
  std::lock_guard<std::mutex> lock(sink_mutex);
  log_sink = sink;
}

