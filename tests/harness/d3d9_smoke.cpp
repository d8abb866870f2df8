// Creates a window and a Direct3D 9 device, clears the back buffer to the colour given as
// "rrggbb" and presents it until a file named "stop" appears in the working folder (at most 60 s).
// After the first frame it writes "ready" with the client area's screen rectangle "x y w h".
#include <windows.h>
#include <d3d9.h>

#include <stdio.h>
#include <stdlib.h>

namespace {

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  return DefWindowProcA(window, message, w, l);
}

bool FileExists(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  unsigned colour = strtoul(command_line, nullptr, 16) & 0xffffff;
  const int width = 320, height = 240;

  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = instance;
  window_class.lpszClassName = "OrvelSmokeWindow";
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  if (!RegisterClassA(&window_class)) return 10;
  HWND window = CreateWindowExA(0, "OrvelSmokeWindow", "d3d9 smoke", WS_POPUP | WS_VISIBLE, 100, 100, width,
                                height, nullptr, nullptr, instance, nullptr);
  if (!window) return 11;

  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!d3d) {
    fprintf(stderr, "d3d9_smoke: Direct3DCreate9 failed\n");
    return 12;
  }
  D3DPRESENT_PARAMETERS present = {};
  present.Windowed = TRUE;
  present.SwapEffect = D3DSWAPEFFECT_DISCARD;
  present.BackBufferFormat = D3DFMT_X8R8G8B8;
  present.BackBufferWidth = width;
  present.BackBufferHeight = height;
  present.hDeviceWindow = window;
  present.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  IDirect3DDevice9* device = nullptr;
  HRESULT result = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                     D3DCREATE_HARDWARE_VERTEXPROCESSING, &present, &device);
  if (FAILED(result))
    result = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                               &present, &device);
  if (FAILED(result)) {
    fprintf(stderr, "d3d9_smoke: CreateDevice failed (0x%08lx)\n", static_cast<unsigned long>(result));
    return 13;
  }

  bool reported = false;
  DWORD start = GetTickCount();
  while (!FileExists("stop") && GetTickCount() - start < 60000) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(colour >> 16, (colour >> 8) & 255, colour & 255), 1.0f, 0);
    if (FAILED(device->Present(nullptr, nullptr, nullptr, nullptr))) {
      fprintf(stderr, "d3d9_smoke: Present failed\n");
      return 14;
    }
    if (!reported) {
      POINT origin = {0, 0};
      ClientToScreen(window, &origin);
      FILE* ready = fopen("ready.tmp", "w");
      if (!ready) return 15;
      fprintf(ready, "%ld %ld %d %d\n", origin.x, origin.y, width, height);
      fclose(ready);
      MoveFileA("ready.tmp", "ready");
      reported = true;
    }
    Sleep(50);
  }
  device->Release();
  d3d->Release();
  DestroyWindow(window);
  return FileExists("stop") ? 0 : 16;
}
