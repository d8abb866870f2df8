#include "input/key_names.h"

#include <stdio.h>
#include <string.h>

namespace {

struct KeyName {
  const char* name;
  int code;
};

// Looked up in this order; a code's first entry is its name.
const KeyName keyboard_names[] = {
    {"BACK", 8},        {"BACKSPACE", 8},  {"TAB", 9},          {"CLEAR", 12},      {"RETURN", 13},
    {"SHIFT", 16},      {"CONTROL", 17},   {"ALT", 18},         {"ESCAPE", 27},     {"SPACE", 32},
    {"PAGEUP", 33},     {"PAGEDOWN", 34},  {"END", 35},         {"HOME", 36},       {"LEFT", 37},
    {"UP", 38},         {"RIGHT", 39},     {"DOWN", 40},        {"SELECT", 41},     {"INSERT", 45},
    {"DELETE", 46},     {"HELP", 47},      {"NUMPAD0", 96},     {"NUMPAD1", 97},    {"NUMPAD2", 98},
    {"NUMPAD3", 99},    {"NUMPAD4", 100},  {"NUMPAD5", 101},    {"NUMPAD6", 102},   {"NUMPAD7", 103},
    {"NUMPAD8", 104},   {"NUMPAD9", 105},  {"MULTIPLY", 106},   {"ADD", 107},       {"SEPARATOR", 108},
    {"SUBTRACT", 109},  {"DECIMAL", 110},  {"DIVIDE", 111},
};

const KeyName device_names[] = {
    {"MENU", 300},
    {"MOUSE_X", 504},
    {"MOUSE_Y", 505},
    {"MOUSE_Z", 506},
    {"MOUSE_WHEEL", 507},
    {"MOUSE_BUTTON_0", 510},
    {"MOUSE_BUTTON_LEFT", 510},
    {"MOUSE_BUTTON_1", 511},
    {"MOUSE_BUTTON_RIGHT", 511},
    {"MOUSE_BUTTON_2", 512},
    {"MOUSE_BUTTON_3", 513},
    {"MOUSE_BUTTON_4", 514},
    {"MOUSE_BUTTON_5", 515},
    {"MOUSE_BUTTON_6", 516},
    {"MOUSE_BUTTON_7", 517},
    {"ACCELEROMETER_X", 1610},
    {"ACCELEROMETER_Y", 1611},
    {"ACCELEROMETER_Z", 1612},
    {"VOLUME_UP", 1632},
    {"VOLUME_DOWN", 1633},
};

// Controls of a gamepad block, by their offset from the pad's base code.
const KeyName gamepad_controls[] = {
    {"LEFT_TRIGGER", 1},
    {"RIGHT_TRIGGER", 2},
    {"LEFT_THUMB_X", 4},
    {"LEFT_THUMB_Y", 5},
    {"RIGHT_THUMB_X", 6},
    {"RIGHT_THUMB_Y", 7},
    {"DPAD_UP", 10},
    {"DPAD_DOWN", 11},
    {"DPAD_LEFT", 12},
    {"DPAD_RIGHT", 13},
    {"BUTTON_START", 20},
    {"BUTTON_BACK", 21},
    {"BUTTON_LEFT_THUMB", 22},
    {"BUTTON_RIGHT_THUMB", 23},
    {"BUTTON_LEFT_SHOULDER", 24},
    {"BUTTON_RIGHT_SHOULDER", 25},
    {"BUTTON_A", 26},
    {"BUTTON_B", 27},
    {"BUTTON_X", 28},
    {"BUTTON_Y", 29},
};

template <size_t N>
int Lookup(const KeyName (&table)[N], const char* name) {
  for (const KeyName& entry : table)
    if (strcmp(entry.name, name) == 0) return entry.code;
  return 0;
}

template <size_t N>
const char* NameOf(const KeyName (&table)[N], int code) {
  for (const KeyName& entry : table)
    if (entry.code == code) return entry.name;
  return nullptr;
}

// "GAMEPAD_n_CONTROL": n is the text between the first two '_' and must be 0..3; the control
// name starts right after "GAMEPAD_n_".
int GamepadCode(const char* name) {
  const char* number = name + 8;
  const char* end = strchr(number, '_');
  if (!end || end == number || end - number > 9) return 0;
  int pad = 0;
  for (const char* c = number; c < end; ++c) {
    if (*c < '0' || *c > '9') return 0;
    pad = pad * 10 + (*c - '0');
  }
  if (pad >= KEY_GAMEPAD_COUNT || end != number + 1) return 0;
  int offset = Lookup(gamepad_controls, name + 10);
  return offset ? KEY_GAMEPAD_BASE + KEY_GAMEPAD_BLOCK * pad + offset : 0;
}

}  // namespace

int OVI_KeyCodeOfName(const char* name) {
  if (!name || !*name) return 0;
  if (int code = Lookup(keyboard_names, name)) return code;
  if (!name[1]) {
    char c = name[0];
    if (c >= '0' && c <= '9') return c;
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if (c >= 'A' && c <= 'Z') return c;
  }
  if (int code = Lookup(device_names, name)) return code;
  if (strncmp(name, "GAMEPAD_", 8) == 0) return GamepadCode(name);
  return 0;
}

bool OVI_KeyNameOfCode(int code, char* out, size_t out_size) {
  if (!out || out_size == 0) return false;
  out[0] = 0;
  const char* name = NameOf(keyboard_names, code);
  if (!name) name = NameOf(device_names, code);
  if (name) return snprintf(out, out_size, "%s", name) < static_cast<int>(out_size);
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) {
    if (out_size < 2) return false;
    out[0] = static_cast<char>(code);
    out[1] = 0;
    return true;
  }
  int pad_code = code - KEY_GAMEPAD_BASE;
  if (pad_code >= 0 && pad_code < KEY_GAMEPAD_BLOCK * KEY_GAMEPAD_COUNT) {
    const char* control = NameOf(gamepad_controls, pad_code % KEY_GAMEPAD_BLOCK);
    if (control) {
      int length = snprintf(out, out_size, "GAMEPAD_%d_%s", pad_code / KEY_GAMEPAD_BLOCK, control);
      if (length < static_cast<int>(out_size)) return true;
      out[0] = 0;
    }
  }
  return false;
}
