// No window in the headless build: the application is always active.
#include "platform/ov_window.h"

#include "core/core_state.h"

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
