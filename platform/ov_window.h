// The application window. Win32 in platform/windows; the headless build has no window and
// every operation succeeds.
#pragma once

// Creates the one window with a client area of width x height. Closing it requests quit.
bool OVI_CreateWindow(const char* title, int width, int height, bool windowed);
void OVI_DestroyWindow();
bool OVI_WindowExists();
void* OVI_WindowHandle();
// Dispatches the waiting messages; false when the quit message arrived.
bool OVI_PumpMessages();
// Looks for another instance's window (the single-instance check).
bool OVI_FindOtherInstanceWindow(const char* title);
