// The program library: loading and validating it, laying the configuration over its record,
// the single-instance check and the video-parameter check.
#pragma once

#ifdef _WIN32
#define OV_PROGRAM_LIBRARY "prog.dll"
#else
#define OV_PROGRAM_LIBRARY "prog.so"
#endif

void OVI_CheckProgramInformation();
// False when the library is unusable (after the popup); ends the process where the rules say so.
bool OVI_LoadProgram();
void OVI_ApplyConfigurationToProgram();
void OVI_CheckInstance();
void OVI_CheckVideoParameters();
void OVI_SettleOrientationAndSize();
void OVI_UnloadProgram();
// Ends the process with an exit code (after flushing the standard streams).
[[noreturn]] void OVI_Terminate(int code);
