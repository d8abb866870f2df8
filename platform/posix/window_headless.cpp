// No window in the headless build: the application is always active.
#include "platform/ov_window.h"

#include "core/core_state.h"
#include "platform/cursors.h"
#include "platform/system_information.h"
#include "render/renderer_headless.h"

namespace {
bool exists = false;
}

bool OVI_CreateWindow(const char*, int, int, bool) {
  exists = true;
  core.active = true;
  return true;
}

void OVI_DestroyWindow() { exists = false; }
bool OVI_WindowExists() { return exists; }
void* OVI_WindowHandle() { return nullptr; }
bool OVI_PumpMessages() { return true; }
bool OVI_FindOtherInstanceWindow(const char*) { return false; }
// A desktop of a typical size, so that resolution selection behaves as on a real screen.
void OVI_DesktopSize(int* width, int* height) {
  *width = 1280;
  *height = 1024;
}
void OVI_LoadCursors() {}
void OVI_ShowCursor(int) {}
const char* OVI_WindowExtension(const char*, const char*) { return nullptr; }

// No operating-system texts are collected natively; there is no DirectX to ask.
void OVI_ReadPlatformInformation(SystemInformation*) {}
int OVI_ProbeDirectXVersion() { return -1; }
void OVI_AdjustWindow(int, int, bool) {}
RendererImplementation* OVI_BuiltInRenderer() { return OVI_CreateHeadlessRenderer(); }
