// Window messages turned into engine events and key states. The Win32 window procedure hands
// every message here first and then does what the answer asks; the translation itself has no
// Win32 calls, so the native build tests it.
#pragma once

#include <stdint.h>

// The message numbers the engine handles (the values Windows uses).
enum WindowMessage {
  WINDOW_DESTROY = 0x0002,
  WINDOW_SIZE = 0x0005,
  WINDOW_ACTIVATE = 0x0006,
  WINDOW_PAINT = 0x000F,
  WINDOW_CLOSE = 0x0010,
  WINDOW_KEY_DOWN = 0x0100,
  WINDOW_KEY_UP = 0x0101,
  WINDOW_CHARACTER = 0x0102,
  WINDOW_SYSTEM_KEY_DOWN = 0x0104,
  WINDOW_SYSTEM_KEY_UP = 0x0105,
  WINDOW_MOUSE_MOVE = 0x0200,
  WINDOW_LEFT_DOWN = 0x0201,
  WINDOW_LEFT_UP = 0x0202,
  WINDOW_RIGHT_DOWN = 0x0204,
  WINDOW_RIGHT_UP = 0x0205,
  WINDOW_MIDDLE_DOWN = 0x0207,
  WINDOW_MIDDLE_UP = 0x0208,
  WINDOW_WHEEL = 0x020A,  // its position must already be in client coordinates
  WINDOW_EXTRA_DOWN = 0x020B,
  WINDOW_EXTRA_UP = 0x020C,
};

// What the window procedure does after the translation.
enum WindowAnswer {
  WINDOW_PASS_ON,      // the default window procedure
  WINDOW_DONE,         // answer 0
  WINDOW_DONE_TRUE,    // answer 1 (extra mouse buttons)
  WINDOW_RESTORE,      // restore the maximised window, answer 0
  WINDOW_VALIDATE,     // validate the window, answer 0
  WINDOW_POST_QUIT,    // post the quit message, answer 0
};

WindowAnswer OVI_TranslateWindowMessage(unsigned message, uintptr_t wparam, intptr_t lparam);

// A file dropped on the window: the "FILE_DRAGGED" extension event with the name ('/'
// separators) and the drop point.
void OVI_FileDropped(const char* name, int x, int y);

// Window client coordinates to program coordinates: the frame-buffer scale, then autoscaling.
void OVI_WindowToProgram(int x, int y, int* program_x, int* program_y);
