#include "core/lifecycle.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/configuration.h"
#include "core/console.h"
#include "core/core_state.h"
#include "core/events.h"
#include "core/frame.h"
#include "core/log.h"
#include "core/overlay.h"
#include "core/packages.h"
#include "core/platforms.h"
#include "core/program.h"
#include "core/service_table.h"
#include "core/text.h"
#include "core/threads.h"
#include "core/video.h"
#include "data/data_base.h"
#include "filesystem/file_api.h"
#include "input/input.h"
#include "filesystem/paths.h"
#include "platform/cursors.h"
#include "platform/ov_os.h"
#include "platform/ov_window.h"
#include "platform/system_information.h"
#include "render/colour.h"
#include "render/drawing_state.h"
#include "render/renderer.h"
#include "render/targets.h"
#include "render/transforms.h"
#include "resources/bitmaps.h"
#include "resources/image_loader.h"

CoreState core;
ScreenInfo screen_info;
unsigned main_thread_id;
unsigned start_time;

SystemInformation system_information;

namespace {

void ApplyFeatureSwitches() {
  VideoParameters& video = core.program->video;
  if (OVI_HasFeature("MULTITOUCH") || OVI_HasFeature("MULTIMOUSE")) video.multitouch = core.multitouch = true;
  if (OVI_HasFeature("AUTOSCALE")) core.autoscale = true;
  if (OVI_HasFeature("NO_SOUND")) video.no_sound = core.no_sound = true;
}

}  // namespace

void OVI_ResetState() {
  char* command_line = core.command_line;  // belongs to process entry, outlives the reset
  if (core.renderer) OVI_ReleaseDrawingBuffers();
  memset(&drawing, 0, sizeof drawing);
  OVI_ClearDrawingTargets();
  OVI_ResetBitmaps();
  memset(&core, 0, sizeof core);
  OVI_FillServiceTable();
  core.services = &service_table;
  core.command_line = command_line;
  core.logging_verbose_level = 0;
  core.console_toggle_key = 49831;
  core.reset_time_delta = true;
  core.reference_counting = true;
  core.supported_orientations = ORIENTATIONS_LANDSCAPE;
  core.orientation_target = core.orientation_current = ORIENTATION_LANDSCAPE_RIGHT;
  core.framebuffer_scale = core.framebuffer_scale_2 = 1.0f;
  // Until a renderer says otherwise, pixels and vertex colours use the Direct3D byte order.
  core.bitmap_channel_order = core.vertex_color_order = 1;
  OVI_ResetTransforms();
  OVI_ResetColour();
  memset(&screen_info, 0, sizeof screen_info);
  main_thread_id = OVOS_CurrentThreadId();
  start_time = OVOS_Milliseconds();
  OVI_ResetFrameClock();
  OVI_ResetReports();
  OVI_ResetOverlay();
}

void OVI_StartEngineState() {
  OVI_CreateThreadListMutex();
  OVI_ResetState();
  OVI_CreateEngineMutexes();
  OVI_CollectSystemInformation();
}

bool OVI_CorePreInitialize() {
  OVI_StartEngineState();
  // System information joins here with the window layer.
  if (!OVFS_Start()) return false;
  OVD_SetRenameFunction(OVFS_RenameFile);  // data bases are saved whole or not at all
  OVFS_SetupBasePaths("Tarnwick", "unknown");
  core.program = &core.default_program;
  OVI_ReadConfiguration();
  ApplyFeatureSwitches();
  OVI_CheckProgramInformation();
  OVFS_SetupBasePaths(core.developer_name, core.program_name);
  OVFS_CreateUserFolders(core.developer_name, core.program_name);
  OVI_DesktopSize(&screen_info.desktop_width, &screen_info.desktop_height);
  OVI_ResetConsole(core.console_toggle_key);
  OVI_StartLogging(core.console_enabled, core.logging_enabled, core.logging_verbose_level);
  OV_LogLevel(LOG_SYSTEM, "Logging Verbose Level set to %d.", core.logging_verbose_level);
  if (!OVI_LoadProgram()) return false;
  OVI_ApplyConfigurationToProgram();
  core.allow_multiple_instances = OVI_HasFeature("ALLOW_MULTIPLE_PROGRAM_INSTANCES");
  OVI_CheckInstance();
  if (!core.renderer) {
    core.renderer = OVI_SelectRenderer();
    if (core.renderer) OVI_FillServiceTable();
  }
  // Packages first, so that extension modules inside them can be found (they join here).
  OVI_MountPackageList(core.packages, true);
  OVI_MountPackageList(core.addon_packages, true);
  OVI_UnmountPackageList(core.addon_packages);
  OVI_ApplyLocale();
  OVI_CheckVideoParameters();
  OVI_AddPackages();
  OVI_SettleOrientationAndSize();
  core.print_reference_count_changes = OVI_HasFeature("PRINT_REFERENCE_COUNT_CHANGES");
  core.hide_cursor = OVI_HasFeature("HIDE_CURSOR");
  if (OVI_HasFeature("UNLIMITED_MEMORY")) {
    core.unlimited_memory = true;
    OV_Log("Virtually unlimited memory mode active.");
  }
  OV_AddSearchPath("res://", 0);
  OV_LogLevel(LOG_SYSTEM, "Image loader initializing...");
  OVI_ImageLoader();
  OV_LogLevel(LOG_SYSTEM, "Core PreInitialized.");
  return true;
}

bool OVI_CoreInitialize() {
  OV_Log("Endianness: %d.", 1234);
  OVI_SetupAutoscaling();
  OVI_ResetRenderTargets();
  memset(core.viewport, 0, sizeof core.viewport);
  ProgramInterface* program = core.program;
  if (!OVI_CreateWindow(program->title, core.requested.width, core.requested.height, core.requested.windowed)) {
    OV_Report(LOG_ERROR, "Unable to create window. Please try rebooting your system.");
    return false;
  }
  core.in_renderer_init = true;
  bool renderer = OVI_InitializeRenderer();
  core.in_renderer_init = false;
  if (!renderer) {
    OV_LogLevel(LOG_ERROR,
                "Unable to initialize the renderer ('%s'). Tried all listed renderers but was unable to initialize any.",
                core.renderer_implementation);
    char text[1024];
    snprintf(text, sizeof text,
             "Unable to initialize the graphics (%dx%d %s). Please try restarting the application.\n"
             "If that doesn't help, consider updating your display adapter driver software.\n"
             "For more information on how to do this, please see your hardware \nmanufacturer's support page.",
             core.requested.width, core.requested.height, core.requested.windowed ? "windowed" : "fullscreen");
    OVI_ShowPopup(2, text);
    OVI_DestroyWindow();
    return false;
  }
  OVI_CreateInputImplementations();
  // Sound joins here as it is built.
  if (program->video.no_sound) OV_Log("Sounds disabled. Null Sound Implementation in use.");
  program->video.developer_mode = core.developer_mode;
  program->video.locale = core.locale;
  core.reference_counting = !OVI_HasFeature("DISABLE_REFERENCE_COUNTING");
  core.show_fps = OVI_HasFeature("SHOW_FPS");
  core.render_stereo = OVI_HasFeature("RENDER_STEREO");
  core.running = true;
  core.core_ready = true;
  if (core.developer_mode) OVI_CheckConfigurationDuplicates();
  return true;
}

void OVI_SetActive(bool active) {
  core.active = active;
  ProgramEvent event = {};
  event.type = OV_EVENT_FOCUS_CHANGED;
  event.word[0] = active ? 0 : 1;
  OVI_PostOwnedEvent(&event, nullptr, 0);
  if (core.renderer) core.renderer->SetActive(active);
  OVI_SetInputImplementationsActive(active);
}

int OVI_RunLoop() {
  if (!OVI_CoreInitialize()) {
    OVI_Popup(1, "ORVEL", "Core initialization failed.");
    return 1;
  }
  OVI_LoadCursors();
  while (!core.quit_requested) {
    if (!OVI_PumpMessages()) OV_Quit();
    OVI_Frame();
    if (!core.active) OVOS_Sleep(15);
  }
  OVI_CoreShutdown();
  return 0;
}

void OVI_CoreShutdown() {
  if (!core.services) return;
  OV_LogLevel(LOG_SYSTEM, "ORVEL Shutdown.");
  OV_Quit();
  int left = OVI_WaitForThreads(60, 200);  // at most 12 s
  ProgramInterface* program = core.program;
  if (core.program_initialized && program && program->shutdown) program->shutdown();
  core.program_initialized = false;
  OV_Log("Performance optimization: skipping releasing resources on exit.");
  OV_Log("Releasing Sound Implementation.");
  core.in_frame = true;
  OVI_ShutdownRenderer();
  core.renderer = nullptr;
  if (OVI_WindowExists()) {
    OV_Log("Destroying window...");
    OVI_DestroyWindow();
  }
  OVI_ShutdownInputImplementations();
  if (!core.fallback_program) {
    OV_LogLevel(LOG_SYSTEM, "Unloading ProgImp Library.");
    OVI_UnloadProgram();
  }
  OVI_ClearEventQueue();
  OV_Log("Shutdown successful. Closing console and logging.");
  OVI_CloseLog();
  OVI_CloseConsole();
  OVFS_Stop();
  core.running = core.core_ready = false;
  // Threads that outlived the wait may still lock mutexes; only a clean run frees them.
  if (left == 0) OVI_ReleaseThreadsAndMutexes();
}

int OVI_Main(const char* command_line) {
  OVOS_BeginTimerPeriod();
  memset(&core, 0, sizeof core);
  core.command_line = OVI_DuplicateText(command_line);
  int code;
  if (!OVI_CorePreInitialize()) {
    OVI_ShowPopup(2, "Failed to initialize the application. You can try the following: 1) Reboot your system, 2) Update your "
              "drivers, 3) Restart the application.\n\nSee generated log for details.");
    code = 0;
  } else {
    code = OVI_RunLoop();
  }
  free(core.command_line);
  core.command_line = nullptr;
  OVOS_EndTimerPeriod();
  return code;
}
