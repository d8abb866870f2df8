// Gamepad key codes, from the key numbering of the name table.
#include "input/input_xinput.h"
#include "input/key_names.h"

static_assert(static_cast<int>(KEY_GAMEPAD_COUNT) == static_cast<int>(XINPUT_PADS), "one block of key codes per pad");
static_assert(static_cast<int>(GAMEPAD_RIGHT_MOTOR) < static_cast<int>(KEY_GAMEPAD_BLOCK), "controls stay inside their pad's block");

int OVI_GamepadCode(int pad, int control) { return KEY_GAMEPAD_BASE + KEY_GAMEPAD_BLOCK * pad + control; }
