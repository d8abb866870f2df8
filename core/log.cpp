// The log: lines to standard error, with the level in front. Reports also raise a popup, once per
// distinct text, in developer runs.
#include "core/log.h"

#include <stdio.h>

#include <mutex>
#include <set>
#include <string>

#include "core/core_state.h"
#include "platform/ov_os.h"

namespace {

const char* const level_names[] = {"INFO", "WARNING", "ERROR", "SYSTEM"};
std::mutex log_mutex;
OVI_LogSink log_sink = nullptr;

std::string Format(const char* format, va_list arguments) {
  char text[4096];
  vsnprintf(text, sizeof text, format ? format : "", arguments);
  return text;
}

void Write(int level, const std::string& text) {
  if (level < 0 || level > 3) level = 0;
  std::lock_guard<std::mutex> lock(log_mutex);
  if (log_sink) {
    log_sink(level, text.c_str());
    return;
  }
  fprintf(stderr, "%s: %s\n", level_names[level], text.c_str());
  fflush(stderr);
}

}  // namespace

void OVI_SetLogSink(OVI_LogSink sink) {
  std::lock_guard<std::mutex> lock(log_mutex);
  log_sink = sink;
}

void OVI_LogV(int level, const char* format, va_list arguments) { Write(level, Format(format, arguments)); }

int OV_CALL OV_Log(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  OVI_LogV(LOG_INFO, format, arguments);
  va_end(arguments);
  return 0;
}

int OV_CALL OV_LogLevel(int level, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  OVI_LogV(level, format, arguments);
  va_end(arguments);
  return 0;
}

int OV_CALL OV_Report(int level, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = Format(format, arguments);
  va_end(arguments);
  Write(level, text);
  if (!core.developer_mode) return 0;
  static std::set<std::string> reported;
  {
    std::lock_guard<std::mutex> lock(log_mutex);
    if (!reported.insert(text).second) return 1;
  }
  return OVI_Popup(level, level >= LOG_ERROR ? "Error" : "Warning", text.c_str());
}

int OVI_Popup(int kind, const char* caption, const char* text) {
  if (core.unattended) {
    Write(LOG_SYSTEM, std::string("Popup (answered OK): ") + (caption ? caption : "") + ": " + (text ? text : ""));
    OVOS_SetHeadlessPopups(true);
  }
  return OVOS_MessageBox(caption, text, kind, OVOS_BUTTONS_OK);
}
