#include "core/configuration.h"

#include <string.h>

#include "core/core_state.h"

bool OVI_HasWord(const char* list, const char* word) {
  if (!list || !word || !*word) return false;
  size_t length = strlen(word);
  auto delimiter = [](char c) { return c == 0 || c == ' ' || c == ',' || c == ';'; };
  for (const char* at = strstr(list, word); at; at = strstr(at + 1, word)) {
    bool starts = at == list || delimiter(at[-1]);
    if (starts && delimiter(at[length])) return true;
  }
  return false;
}

bool OVI_HasFeature(const char* word) {
  return OVI_HasWord(core.program_features, word) || OVI_HasWord(core.variant_features, word);
}

void OVI_ReadConfiguration() {
  strcpy(core.renderer_implementation, "ri_d3d9.dll");
  strcpy(core.sound_implementation, "si_brix.dll");
  core.default_program.api_version = OV_INTERFACE_VERSION;
  core.default_program.video.windowed = 1;
  const char* command_line = core.command_line ? core.command_line : "";
  core.unattended = OVI_HasWord(command_line, "-unattended");
  core.headless = OVI_HasWord(command_line, "-headless");
  core.developer_mode = OVI_HasWord(command_line, "-developer");
  // Until developer.xml is read: the in-memory log and the console are on, the log file is off.
  core.console_enabled = true;
  core.logging_enabled = false;
  if (core.developer_mode) strcpy(core.program_features, "DEVELOPER_MODE");
}
