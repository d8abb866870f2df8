// Process entry of ORVEL_D3D9.exe.
#include <windows.h>

#include "core/lifecycle.h"

// Ask hybrid-graphics drivers for the discrete GPU.
extern "C" {
__declspec(dllexport) DWORD NvOptimusEnablement = 1;
__declspec(dllexport) int AmdPowerXpressRequestHighPerformance = 1;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) { return OVI_Main(command_line); }
