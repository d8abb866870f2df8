// Process lifecycle: entry, pre-initialisation, initialisation, the run loop and shutdown.
#pragma once

// The whole run of the engine for a command line; returns the process exit code.
int OVI_Main(const char* command_line);

bool OVI_CorePreInitialize();
bool OVI_CoreInitialize();
int OVI_RunLoop();
void OVI_CoreShutdown();
void OVI_ResetState();
// The first steps of pre-initialisation: the thread-list mutex, a state reset and the engine
// mutexes. Tools and tests that use engine subsystems without a program start here too.
void OVI_StartEngineState();
void OVI_SetActive(bool active);
