// A plain Win32 window: its close button requests quit, activation follows the focus.
#include <windows.h>

#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/service_table.h"
#include "platform/ov_window.h"

namespace {

const char kClassName[] = "OrvelWindowClass";
HWND window = nullptr;

LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_CLOSE:
      OV_Quit();
      return 0;
    case WM_ACTIVATEAPP:
      OVI_SetActive(w != FALSE);
      return 0;
    default:
      return DefWindowProcA(handle, message, w, l);
  }
}

}  // namespace

bool OVI_CreateWindow(const char* title, int width, int height, bool windowed) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.lpszClassName = kClassName;
  RegisterClassA(&window_class);  // fails harmlessly when already registered
  DWORD style = windowed ? WS_OVERLAPPEDWINDOW & ~(WS_THICKFRAME | WS_MAXIMIZEBOX) : WS_POPUP;
  RECT rect = {0, 0, width, height};
  AdjustWindowRect(&rect, style, FALSE);
  window = CreateWindowExA(0, kClassName, title && *title ? title : "ORVEL", style | WS_VISIBLE, CW_USEDEFAULT,
                           CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance,
                           nullptr);
  if (!window) return false;
  core.active = true;
  return true;
}

void OVI_DestroyWindow() {
  if (window) DestroyWindow(window);
  window = nullptr;
}

bool OVI_WindowExists() { return window != nullptr; }
void* OVI_WindowHandle() { return window; }

bool OVI_PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return false;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

bool OVI_FindOtherInstanceWindow(const char* title) {
  HWND other = FindWindowA(kClassName, title && *title ? title : nullptr);
  return other != nullptr && other != window;
}
