// Process entry of ORVEL_D3D9.exe.
#include <windows.h>

#include "core/lifecycle.h"
#include "platform/system_information.h"
#include "render/renderer.h"

extern "C" {
// Ask hybrid-graphics drivers for the discrete GPU.
__declspec(dllexport) DWORD NvOptimusEnablement = 1;
__declspec(dllexport) int AmdPowerXpressRequestHighPerformance = 1;

// The one renderer object, made on the first call.
__declspec(dllexport) RendererImplementation* ORVEL_RendImp_GetInterface() { return OVI_BuiltInRenderer(); }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) { return OVI_Main(command_line); }
