// The log: four levels, the in-memory entries the console shows, the dated log file, per-level
// counts, reports that raise popups once per text, and the popup queue of other threads.
#pragma once

#include <stdarg.h>

#include "core/orvel.h"
#include "platform/popups.h"

enum { LOG_INFO = 0, LOG_WARNING = 1, LOG_ERROR = 2, LOG_SYSTEM = 3 };
enum { LOG_MAX_ENTRIES = 8192, LOG_FORMAT_BUFFER = 4096 };

int OV_CALL OV_Log(const char* format, ...);
int OV_CALL OV_LogLevel(int level, const char* format, ...);
int OV_CALL OV_Report(int level, const char* format, ...);

const char* OVI_LevelName(int level);  // "UNKNOWN" outside 0..3
// Writes a finished text at a level: split into its non-empty lines, counted, filtered by the
// verbose level, stored and appended to the log file.
void OVI_WriteLine(int level, const char* text);

// Log start (pre-initialisation): console_enabled stores lines, file_enabled also writes them to
// "logs://<id>-<date>.log" through the file operations of the service table.
void OVI_StartLogging(bool console_enabled, bool file_enabled, int verbose_level);
void OVI_CloseLog();      // the summary lines
void OVI_CloseConsole();  // frees the entries, disables the log

// Reading the log (console, tests).
struct LogEntry {
  int level;
  int line_number;
  OV_Date date;
  char thread[32];
  char* text;  // levels 1..3 carry the "[LEVEL] " prefix
};
int OVI_LogEntryCount();
// Copies entry i (0 = oldest) under the log mutex; false outside the range.
bool OVI_LogEntry(int index, LogEntry* out, char* text, int text_size);
int OVI_LogCount(int level);
int OVI_LogLineNumber();
bool OVI_LogEnabled();
const char* OVI_LogFileName();  // "" without a file
EngineMutex* OVI_LogMutex();    // "OV_CONSOLE"

// Receives every line that passes the verbose level, before it is stored (tests); null removes it.
typedef void (*OVI_LogSink)(int level, const char* line);
void OVI_SetLogSink(OVI_LogSink sink);

// Shows the popups that other threads' reports queued (the frame, on the main thread).
void OVI_ShowQueuedPopups();
// Forgets the texts already reported (state reset).
void OVI_ResetReports();
