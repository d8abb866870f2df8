// Process entry of ORVEL_D3D9.exe.
#include <windows.h>

#include <stdio.h>

#include "platform/ov_os.h"

// Ask hybrid-graphics drivers for the discrete GPU.
extern "C" {
__declspec(dllexport) DWORD NvOptimusEnablement = 1;
__declspec(dllexport) int AmdPowerXpressRequestHighPerformance = 1;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  OVOS_BeginTimerPeriod();
  // The runtime's start-up, frame loop and shutdown are not built yet; the shell only proves that
  // the deliverable builds, links statically and starts.
  fprintf(stdout, "ORVEL_D3D9: runtime shell started (no program is loaded yet)\n");
  fflush(stdout);
  OVOS_EndTimerPeriod();
  return 0;
}
