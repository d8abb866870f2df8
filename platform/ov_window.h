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
// Restyles, resizes and places the window for a new screen mode.
void OVI_AdjustWindow(int width, int height, bool windowed);
// The primary screen's size; 0 x 0 when it is not known.
void OVI_DesktopSize(int* width, int* height);
// Makes a cursor of the system set current (platform/cursors.h), or hides it (-1).
void OVI_ShowCursor(int cursor);
// The window's part of the extension call; null when it does not answer the name.
const char* OVI_WindowExtension(const char* function, const char* parameter);
