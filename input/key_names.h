// Key names: "SPACE", "A", "MOUSE_BUTTON_LEFT", "GAMEPAD_2_BUTTON_A" and the rest, to key codes
// and back.
#pragma once

#include <stddef.h>

enum {
  KEY_CODE_COUNT = 2048,
  KEY_MOUSE_X = 504,
  KEY_MOUSE_Y = 505,
  KEY_MOUSE_WHEEL = 507,
  KEY_MOUSE_BUTTON_LEFT = 510,
  KEY_MOUSE_BUTTON_RIGHT = 511,
  KEY_MOUSE_BUTTON_MIDDLE = 512,
  KEY_GAMEPAD_BASE = 800,
  KEY_GAMEPAD_BLOCK = 64,
  KEY_GAMEPAD_COUNT = 4,
};

// The code of a name, compared exactly (single letters in either case); 0 when nothing matches.
int OVI_KeyCodeOfName(const char* name);
// The first name of a code into out; false (and an empty text) for a code without a name.
bool OVI_KeyNameOfCode(int code, char* out, size_t out_size);
