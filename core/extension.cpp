// The extension call: named functions with one text argument, answered with an engine-owned
// text (valid until the next call) or null.
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/core_state.h"
#include "core/log.h"
#include "core/overlay.h"
#include "core/platforms.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "filesystem/paths.h"
#include "input/input.h"
#include "platform/ov_window.h"
#include "render/renderer.h"
#include "resources/bitmaps.h"

namespace {

char answer[1100];

const char* Answer(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(answer, sizeof answer, format, arguments);
  va_end(arguments);
  return answer;
}

bool Is(const char* a, const char* b) { return a && b && strcmp(a, b) == 0; }

const char* Language() {
  static const char* const names[][2] = {
      {"English", "en"}, {"Spanish", "es"}, {"French", "fr"},   {"Italian", "it"}, {"Portuguese", "pt"},
      {"German", "de"},  {"Mandarin", "mdr"}, {"Chinese", "zh"}, {"Japanese", "ja"}, {"Korean", "ko"},
      {"Arabic", "ar"},  {"Hindi", "hi"},    {"Urdu", "ur"},     {"Bengali", "bn"}, {"Punjabi", "pa"},
      {"Russian", "ru"}};
  const char* line = core.command_line ? core.command_line : "";
  for (const auto& name : names)
    if (strstr(line, name[0])) return name[1];
  return nullptr;
}

const char* RendererAnswer(const char* parameter) {
  RendererImplementation* renderer = core.renderer;
  if (!renderer) return nullptr;
  if (Is(parameter, "SupportedResolutions")) return renderer->GetSupportedResolutions();
  if (Is(parameter, "EyeMode")) return core.eye == 1 ? "Left" : core.eye == 2 ? "Right" : "Mono";
  if (Is(parameter, "MaximumTextureSize")) return Answer("%d", renderer->GetMaximumTextureSize());
  return nullptr;
}

const char* ProgramInfoAnswer(const char* parameter) {
  if (Is(parameter, "ProgramId")) return core.program ? Answer("%s", core.program->id) : "null";
  if (Is(parameter, "Features")) {
    const char* comma = core.program_features[0] && core.variant_features[0] ? "," : "";
    return Answer("%s%s%s", core.program_features, comma, core.variant_features);
  }
  if (Is(parameter, "ControlInterfaces")) return Answer("%s", core.control_interfaces);
  return nullptr;
}

// The forced variant "PLATFORM" or "PLATFORM/SIZE"; part 0 or 1 of it, null when not forced.
const char* ForcedVariantPart(int part) {
  if (!core.force_variant[0]) return nullptr;
  const char* slash = strchr(core.force_variant, '/');
  if (part == 0) return Answer("%.*s", slash ? static_cast<int>(slash - core.force_variant) : 63, core.force_variant);
  return slash ? Answer("%s", slash + 1) : nullptr;
}

const char* PlatformInfoAnswer(const char* parameter) {
  if (Is(parameter, "DeviceModel")) return system_information.device_model;
  if (Is(parameter, "OS")) return system_information.operating_system;
  if (Is(parameter, "UniqueId")) return system_information.unique_id;
  if (Is(parameter, "GPUDesc")) return system_information.graphics_adapter;
  if (Is(parameter, "CPUDesc")) return system_information.processor;
  if (Is(parameter, "OSMajor") || Is(parameter, "OSMinor") || Is(parameter, "OrvelImp")) {
    OV_Report(LOG_WARNING, "PlatformInfo.%s is removed.", parameter);
    return nullptr;
  }
  if (Is(parameter, "DesktopWidth")) return Answer("%d", screen_info.desktop_width);
  if (Is(parameter, "DesktopHeight")) return Answer("%d", screen_info.desktop_height);
  if (Is(parameter, "PlatformId")) {
    const char* forced = ForcedVariantPart(0);
    return forced ? forced : PlatformName(system_information.platform_id);
  }
  if (Is(parameter, "ScreenSizeId")) {
    const char* forced = ForcedVariantPart(1);
    return forced ? forced : ScreenSizeName(system_information.screen_size_id);
  }
  return nullptr;
}

}  // namespace

const char* OV_CALL OV_CallExtension(const char* function, const char* parameter, ...) {
  if (!function) return nullptr;
  if (Is(function, "Cache") && Is(parameter, "ReloadBitmaps")) OVI_ReloadBitmaps();
  // The purchase and achievement handlers join here as their subsystems are built.
  if (const char* windows = OVI_WindowExtension(function, parameter)) return windows;
  if (Is(function, "GetLanguage")) {
    const char* language = Language();
    if (language) return language;
  }
  if (core.program && (OVI_HasFeature("TEST_EXTENSIONS") || core.developer_mode)) {
    if (Is(function, "Facebook_IsAvailable") || Is(function, "Twitter_IsAvailable") ||
        Is(function, "_SinaWeibo_IsAvailable"))
      return "YES";
  }
  if (Is(function, "Console_AddCommand")) {
    if (service_table.OV_AddConsoleCommand) service_table.OV_AddConsoleCommand(parameter, nullptr);
    return nullptr;
  }
  if (Is(function, "Renderer")) return RendererAnswer(parameter);
  if (Is(function, "ProgramInfo")) return ProgramInfoAnswer(parameter);
  if (Is(function, "GetProductValue")) return service_table.OV_GetProductValue(parameter);
  if (Is(function, "PlatformInfo")) return PlatformInfoAnswer(parameter);
  if (Is(function, "GetDate") || Is(function, "GetTimeStamp")) {
    OV_Date date;
    OV_GetDate(&date);
    if (Is(function, "GetDate")) return Answer("%d-%.2d-%.2d", date.year, date.month, date.day);
    return Answer("%d-%.2d-%.2d:%.2d-%.2d", date.year, date.month, date.day, date.hour, date.minute);
  }
  if (Is(function, "Hacks") && Is(parameter, "AllowAllResolutions")) {
    core.allow_all_resolutions = true;
    return nullptr;
  }
  if (Is(function, "UI") && (Is(parameter, "BeginKeyboardInput") || Is(parameter, "EndKeyboardInput"))) {
    OV_Report(LOG_WARNING, "Unimplemented.");
    return nullptr;
  }
  if (Is(function, "RefreshMemUsageEstimates")) {
    OVI_RefreshMemoryEstimates();
    return nullptr;
  }
  if (Is(function, "ListResourceUsage")) {
    OVI_ListResourceUsage();
    return nullptr;
  }
  if (Is(function, "SwitchProgramBasePath")) {
    if (!parameter || !*parameter) OV_Report(LOG_WARNING, "SwitchProgramBasePath new path parameter invalid.");
    else OVFS_SetBaseFolder("res", parameter);
    return nullptr;
  }
  if (Is(function, "SwitchUserDataPath")) {
    if (parameter && *parameter) OVFS_SetBaseFolder("user", parameter);
    return nullptr;
  }
  if (Is(function, "GetOverlayZoom")) return Answer("%g", OVI_OverlayZoom());
  if (Is(function, "SetOverlayZoom")) {
    if (parameter) OVI_SetOverlayZoom(static_cast<float>(atof(parameter)));
    return nullptr;
  }
  if (core.renderer && core.renderer_ready) {
    const char* renderer_answer = core.renderer->CallExtension(function, parameter);
    if (renderer_answer) return renderer_answer;
  }
  return OVI_InputCallExtension(function, nullptr);
}
