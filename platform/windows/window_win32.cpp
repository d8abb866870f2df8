// The application window: its class, styles and placement, the window procedure (which hands
// every message to the portable translation first), cursors and the primary screen's size.
#include <windows.h>
#include <shellapi.h>

#include "core/core_state.h"
#include "core/log.h"
#include "platform/cursors.h"
#include "platform/ov_window.h"
#include "platform/window_messages.h"

namespace {

const char kClassName[] = "OrvelWindowClass";
const int kIconResource = 102;
HWND window = nullptr;
RECT fullscreen_rectangle;
HCURSOR cursors[CURSOR_COUNT];
HCURSOR current_cursor = nullptr;
bool cursor_hidden = false;

LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_DROPFILES: {
      HDROP drop = reinterpret_cast<HDROP>(w);
      char name[MAX_PATH];
      POINT point = {0, 0};
      DragQueryPoint(drop, &point);
      if (DragQueryFileA(drop, 0, name, sizeof name)) OVI_FileDropped(name, point.x, point.y);
      DragFinish(drop);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      // The wheel reports screen coordinates; the translation wants client coordinates.
      POINT point = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
      ScreenToClient(handle, &point);
      l = MAKELPARAM(point.x, point.y);
      break;
    }
    case WM_SETCURSOR:
      if (LOWORD(l) == HTCLIENT && current_cursor) {
        SetCursor(cursor_hidden ? nullptr : current_cursor);
        return TRUE;
      }
      break;
    default:
      break;
  }
  switch (OVI_TranslateWindowMessage(message, w, l)) {
    case WINDOW_DONE: return 0;
    case WINDOW_DONE_TRUE: return TRUE;
    case WINDOW_RESTORE: ShowWindow(handle, SW_RESTORE); return 0;
    case WINDOW_VALIDATE: ValidateRect(handle, nullptr); return 0;
    case WINDOW_POST_QUIT: PostQuitMessage(0); return 0;
    case WINDOW_PASS_ON: break;
  }
  return DefWindowProcA(handle, message, w, l);
}

struct Placement {
  DWORD style, extended;
  int x, y, width, height;
};

// The window's styles and outer rectangle for a client area of width x height: a centred window,
// a popup when the client fills the desktop, or fullscreen at the origin.
Placement Place(int width, int height, bool windowed) {
  int desktop_width = GetSystemMetrics(SM_CXSCREEN), desktop_height = GetSystemMetrics(SM_CYSCREEN);
  Placement p = {};
  if (windowed) {
    p.style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;  // 0x00CB0000
    p.extended = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    if (width >= desktop_width || height >= desktop_height) p.style = WS_POPUP;
  } else {
    p.style = WS_POPUP | 0x00000008;
    p.extended = WS_EX_APPWINDOW;
  }
  RECT rectangle = {0, 0, width, height};
  AdjustWindowRectEx(&rectangle, p.style, FALSE, p.extended);
  p.width = rectangle.right - rectangle.left;
  p.height = rectangle.bottom - rectangle.top;
  if (windowed) {
    p.x = (desktop_width - p.width) / 2;
    p.y = (desktop_height - p.height) / 2;
    if (p.y < 0) p.y -= GetSystemMetrics(SM_CYCAPTION) / 2;
  }
  return p;
}

}  // namespace

void OVI_AdjustWindow(int width, int height, bool windowed) {
  if (!window) return;
  Placement p = Place(width, height, windowed);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(p.style | WS_VISIBLE));
  SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(p.extended));
  SetWindowPos(window, HWND_NOTOPMOST, p.x, p.y, p.width, p.height, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  if (!windowed) GetWindowRect(window, &fullscreen_rectangle);
}

void OVI_DesktopSize(int* width, int* height) {
  *width = GetSystemMetrics(SM_CXSCREEN);
  *height = GetSystemMetrics(SM_CYSCREEN);
}

bool OVI_CreateWindow(const char* title, int width, int height, bool windowed) {
  if (window) {
    OV_LogLevel(LOG_SYSTEM, "Window already created.");
    return true;
  }
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
  window_class.hIconSm = window_class.hIcon;
  window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // the arrow until cursors load
  window_class.lpszClassName = kClassName;
  RegisterClassExA(&window_class);  // fails harmlessly when already registered

  int desktop_width, desktop_height;
  OVI_DesktopSize(&desktop_width, &desktop_height);
  Placement p = Place(width, height, windowed);
  int x = p.x, y = p.y, outer_width = p.width, outer_height = p.height;
  window = CreateWindowExA(p.extended, kClassName, title && *title ? title : "ORVEL", p.style, x, y, outer_width,
                           outer_height, nullptr, nullptr, instance, nullptr);
  if (!window) {
    OV_Log("! Orvel FAILED to Create Window.");
    return false;
  }
  MoveWindow(window, x, y, outer_width, outer_height, FALSE);
  SetForegroundWindow(window);
  SetFocus(window);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetFocus(window);
  SetForegroundWindow(window);
  if (!windowed) GetWindowRect(window, &fullscreen_rectangle);
  OV_LogLevel(LOG_SYSTEM, "Created %swindow (%dx%d) on desktop (%dx%d).", windowed ? "" : "fullscreen ", width, height,
              desktop_width, desktop_height);
  if (core.developer_mode) DragAcceptFiles(window, TRUE);
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

void OVI_LoadCursors() {
  static const WORD system_cursors[CURSOR_COUNT] = {32512, 32649, 32513, 32514, 32515, 32516, 32642,
                                                    32643, 32644, 32645, 32646, 32648, 32651};
  for (int i = 0; i < CURSOR_COUNT; ++i) cursors[i] = LoadCursorA(nullptr, MAKEINTRESOURCEA(system_cursors[i]));
  current_cursor = cursors[0];
}

void OVI_ShowCursor(int cursor) {
  cursor_hidden = cursor < 0 || cursor >= CURSOR_COUNT;
  if (!cursor_hidden && cursors[cursor]) current_cursor = cursors[cursor];
  SetCursor(cursor_hidden ? nullptr : current_cursor);
}
