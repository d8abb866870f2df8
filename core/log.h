// The log and reporting operations. Levels: 0 INFO, 1 WARNING, 2 ERROR, 3 SYSTEM.
#pragma once

#include <stdarg.h>

#include "core/orvel.h"

enum { LOG_INFO = 0, LOG_WARNING = 1, LOG_ERROR = 2, LOG_SYSTEM = 3 };

int OV_CALL OV_Log(const char* format, ...);
int OV_CALL OV_LogLevel(int level, const char* format, ...);
int OV_CALL OV_Report(int level, const char* format, ...);
void OVI_LogV(int level, const char* format, va_list arguments);

// Receives every finished log line (tests); null restores the default (standard error).
typedef void (*OVI_LogSink)(int level, const char* line);
void OVI_SetLogSink(OVI_LogSink sink);

// A popup of a kind (0 plain, 1 warning, 2 error, 3 question). In unattended runs it is written to
// the log and to standard error and answered OK. Returns the OVOS_RESULT_* of the answer.
int OVI_Popup(int kind, const char* caption, const char* text);
