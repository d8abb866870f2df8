#include "platform/system_information.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "core/core_state.h"
#include "core/log.h"
#include "core/platforms.h"
#include "render/renderer_headless.h"

void OVI_CollectSystemInformation() {
  memset(&system_information, 0, sizeof system_information);
  system_information.platform_id = PLATFORM_WINDOWS;
  system_information.screen_size_id = SCREEN_SIZE_LARGE;
  strcpy(system_information.device_model, "PC");
  OVI_ReadPlatformInformation(&system_information);
  if (strlen(system_information.unique_id) < 3) {
    srand(static_cast<unsigned>(time(nullptr)));
    snprintf(system_information.unique_id, sizeof system_information.unique_id, "TIME%xx%x",
             static_cast<unsigned>(time(nullptr)), static_cast<unsigned>(rand()));
  }
}

RendererImplementation* OVI_SelectRenderer() {
  const char* name = core.renderer_implementation;
  OV_LogLevel(LOG_SYSTEM, "Using RendImp Library: '%s': ", name);
  if (strstr(name, "d3d9") || strstr(name, "d3d8")) {
    int version = OVI_ProbeDirectXVersion();
    int needed = strstr(name, "d3d10") ? 0xFFFFF : strstr(name, "d3d9") ? 0x8FFFF : 0x7FFFF;
    if (version >= 0 && version <= needed) {
      OV_LogLevel(LOG_WARNING, "DirectX version not supported.");
      return nullptr;
    }
  }
  OV_LogLevel(LOG_SYSTEM, "Using static RendImp.");
  return core.headless ? OVI_CreateHeadlessRenderer() : OVI_BuiltInRenderer();
}
