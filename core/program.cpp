#include "core/program.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/core_state.h"
#include "core/log.h"
#include "core/service_table.h"
#include "core/video.h"
#include "platform/ov_os.h"
#include "platform/ov_window.h"
#include "platform/resolution.h"
#include "render/renderer.h"

namespace {

ProgramInterface program_buffer;  // the record OV_GetProgramInterface fills
OVOS_NamedMutex* instance_mutex;

// The built-in record that only shows why the real program cannot run.
ov_bool OV_CALL FallbackInit(void) { return 1; }
void OV_CALL FallbackNothing(void) {}
void OV_CALL FallbackUpdate(float) {}
void OV_CALL FallbackRender(float) {}
int OV_CALL FallbackEvent(ProgramEvent) { return 0; }
ProgramInterface fallback_program;

void InstallFallbackProgram() {
  memset(&fallback_program, 0, sizeof fallback_program);
  fallback_program.api_version = OV_INTERFACE_VERSION;
  fallback_program.video.windowed = 1;
  fallback_program.init = FallbackInit;
  fallback_program.shutdown = FallbackNothing;
  fallback_program.update = FallbackUpdate;
  fallback_program.render = FallbackRender;
  fallback_program.event = FallbackEvent;
  fallback_program.ov = &service_table;
  core.program = &fallback_program;
  core.fallback_program = true;
}

// Copies a record text into a 32-byte name: at most 31 characters, always terminated.
void CopyName(char* out, const char* text, size_t text_size) {
  size_t length = strnlen(text, text_size);
  if (length > 31) length = 31;
  memcpy(out, text, length);
  out[length] = 0;
}

const char* OrientationName(int code) {
  if (code == ORIENTATION_PORTRAIT || code == ORIENTATION_PORTRAIT_UPSIDE_DOWN) return "PORTRAIT";
  if (code == ORIENTATION_LANDSCAPE_LEFT || code == ORIENTATION_LANDSCAPE_RIGHT) return "LANDSCAPE";
  return "UNKNOWN";
}

}  // namespace

[[noreturn]] void OVI_Terminate(int code) {
  fflush(stdout);
  fflush(stderr);
  exit(code);
}

void OVI_CheckProgramInformation() {
  const ProgramInterface* record = core.program;
  // Names longer than 31 characters are cut at 31 so that the 32-byte strings never overflow.
  CopyName(core.developer_name, record->developer_name, sizeof record->developer_name);
  CopyName(core.program_name, record->title, sizeof record->title);
  for (char* c = core.program_name; *c; ++c) {
    bool keep = *c == '-' || (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
    if (!keep) *c = '_';
  }
  if (!core.developer_name[0]) strcpy(core.developer_name, "Tarnwick");
  if (!core.program_name[0]) strcpy(core.program_name, "unknown");
  if (!record->title[0]) OV_Report(LOG_WARNING, "Program doesn't have parm title set: set value prog->title");
  if (!record->id[0]) OV_Report(LOG_WARNING, "Program doesn't have parm id set: set value prog->id");
  if (!record->version[0])
    OV_Report(LOG_WARNING, "Program doesn't have parm version: set value prog->version to e.g. \"1.0.0\"");
  if (!record->developer_name[0])
    OV_Report(LOG_WARNING, "Program doesn't have parm developer: set value prog->developer_name");
}

bool OVI_LoadProgram() {
  OV_LogLevel(LOG_SYSTEM, "Loading program implementation...");
  void* library = OVOS_LoadLibrary(OV_PROGRAM_LIBRARY);
  if (!library) {
    OV_LogLevel(LOG_SYSTEM, "%s", OVOS_LibraryError());
    OVI_Popup(0, "ORVEL", "Could not locate Program library file. Please download and install the application again.");
    OVI_Terminate(1);
  }
  core.program_library = library;

  ProgramInterface* record = nullptr;
  memset(&program_buffer, 0, sizeof program_buffer);
  auto get_program_interface =
      reinterpret_cast<OV_GetProgramInterfaceFunction>(OVOS_GetSymbol(library, "OV_GetProgramInterface"));
  if (get_program_interface) {
    if (get_program_interface(&program_buffer, OV_INTERFACE_VERSION)) record = &program_buffer;
  } else {
    auto get_interface = reinterpret_cast<OV_GetInterfaceFunction>(OVOS_GetSymbol(library, "OV_GetInterface"));
    if (!get_interface) {
      OVI_ShowPopup(2, "Program library file bad: Interface not found. Please download and install the application again.");
      OVOS_FreeLibrary(library);
      core.program_library = nullptr;
      return false;
    }
    record = get_interface();
  }
  if (!record) {
    OVI_ShowPopup(2, "Program library file bad: Program couldn't be created. Please download and install the application again.");
    return false;
  }

  OV_LogLevel(LOG_SYSTEM, "Validating program implementation...");
  if (record->api_version == OV_INTERFACE_VERSION) {
    record->ov = &service_table;
    record->video.command_line = core.command_line;
    record->video.developer_mode = core.developer_mode;
    core.program = record;
    OV_Log("Program implementation validation OK.");
    return true;
  }

  int found = record->api_version;
  OV_Log("Unloading ProgImp Library.");
  OVOS_FreeLibrary(library);
  core.program_library = nullptr;
  InstallFallbackProgram();
  fallback_program.video.developer_mode = core.developer_mode;
  char text[512];
  snprintf(text, sizeof text,
           "Program library uses incompatible ORVEL interface (%.4d instead of %.4d). This program cannot run.\n\n"
           "Use <app>/tools/update-local-orvel-version.bat to update sources and then rebuild your binaries.",
           found, OV_INTERFACE_VERSION);
  OV_LogLevel(LOG_SYSTEM, "%s", text);
  OVI_ShowPopup(2, text);
  fallback_program.video.developer_mode = 0;
  OVI_Terminate(0);
}

void OVI_ApplyConfigurationToProgram() {
  ProgramInterface* record = core.program;
  ProgramInterface saved = *record;
  *record = core.default_program;
  record->api_version = saved.api_version;
  record->init = saved.init;
  record->shutdown = saved.shutdown;
  record->update = saved.update;
  record->render = saved.render;
  record->event = saved.event;
  record->ov = &service_table;
  if (core.requested.width == 0 || core.requested.height == 0) {
    core.requested.width = saved.video.width;
    core.requested.height = saved.video.height;
  }
  record->video.command_line = core.command_line;
  record->video.developer_mode = core.developer_mode;
}

void OVI_CheckInstance() {
  OV_LogLevel(LOG_SYSTEM, "Checking for multiple program instances...");
  if (!core.program || core.allow_multiple_instances) return;
  bool exists = false;
  char name[33];
  CopyName(name, core.program->id, sizeof core.program->id);
  instance_mutex = OVOS_CreateNamedMutex(name, &exists);
  if (exists) {
    OVOS_CloseNamedMutex(instance_mutex);
    instance_mutex = nullptr;
    if (OVI_FindOtherInstanceWindow(core.program->title)) {
      if (!core.fallback_program) OVI_UnloadProgram();
      OVI_Terminate(0);
    }
  }
  OV_LogLevel(LOG_SYSTEM, "No other instances running.");
}

void OVI_CheckVideoParameters() {
  ProgramInterface* record = core.program;
  core.current = record->video;
  core.requested = core.current;
  OV_Log("Checking parameters with the program before video init.");
  if (record->event) {
    ProgramEvent event = {};
    event.type = OV_EVENT_CHECK_VIDEO_PARAMETERS;
    event.word[0] = static_cast<int>(reinterpret_cast<intptr_t>(&service_table));
    event.word[1] = static_cast<int>(reinterpret_cast<intptr_t>(&record->video));
    record->event(event);
  }
  if (core.developer_mode) record->video.windowed = 1;
  bool chosen = false;
  VideoParameters& video = record->video;
  if (video.width && video.height && OVI_HasFeature("FREE_RESOLUTION")) {
    OV_Log("Checking if program selected resolution (%dx%d %s) is supported by device.", video.width, video.height,
           video.windowed ? "windowed" : "fullscreen");
    if (core.renderer && core.renderer->IsResolutionSupported(video.width, video.height, video.windowed)) {
      core.requested = video;
      chosen = true;
    } else {
      OV_Log("Resolution is not supported, falling back to autoselected resolution for this run.");
    }
  }
  if (!chosen) {
    core.requested = video;
    OVI_SelectOptimalResolution(video.windowed, false);
  }
  core.current = core.requested;
  video.width = core.requested.width;
  video.height = core.requested.height;
  video.windowed = core.requested.windowed;
}

void OVI_SettleOrientationAndSize() {
  VideoParameters& video = core.program->video;
  bool portrait = video.reference_width < video.reference_height;
  core.supported_orientations = portrait ? ORIENTATIONS_PORTRAIT : ORIENTATIONS_LANDSCAPE;
  core.orientation_target = core.orientation_current = portrait ? ORIENTATION_PORTRAIT : ORIENTATION_LANDSCAPE_RIGHT;
  screen_info.native_orientation = screen_info.desktop_width > screen_info.desktop_height ? 4 : 1;
  if (screen_info.native_width == 0 || screen_info.native_height == 0) {
    screen_info.native_width = core.override_width;
    screen_info.native_height = core.override_height;
  }
  if (video.width == 0 || video.height == 0 || core.override_size) {
    OV_Log("Important parameter is 0: width=%d height=%d override=%d. Forcing override.", video.width, video.height,
           core.override_size);
    video.width = core.override_width;
    video.height = core.override_height;
    OV_Log("Parameters after override: width=%d height=%d override=%d.", video.width, video.height,
           core.override_size);
  }
  if (!core.force_resolution) {
    screen_info.native_width = core.override_width = video.width;
    screen_info.native_height = core.override_height = video.height;
  }
  screen_info.native_orientation = screen_info.native_width >= screen_info.native_height ? 4 : 1;
  OV_Log("Program orientation: %s.", OrientationName(core.orientation_current));
  OV_Log("Native device screen buffer orientation: %s.", OrientationName(screen_info.native_orientation));
}

void OVI_UnloadProgram() {
  if (core.program_library) OVOS_FreeLibrary(core.program_library);
  core.program_library = nullptr;
  core.program = nullptr;
  OVOS_CloseNamedMutex(instance_mutex);
  instance_mutex = nullptr;
}
