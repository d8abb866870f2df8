// XInput 1.3, loaded at run time; its functions are resolved by ordinal.
#include <windows.h>
#include <xinput.h>

#include <stddef.h>

#include "input/input_xinput.h"

// The engine's records must match the system's byte for byte.
static_assert(sizeof(XInputState) == sizeof(XINPUT_STATE), "XINPUT_STATE size");
static_assert(offsetof(XInputState, gamepad) == offsetof(XINPUT_STATE, Gamepad), "XINPUT_STATE layout");
static_assert(offsetof(XInputGamepad, left_trigger) == offsetof(XINPUT_GAMEPAD, bLeftTrigger) &&
                  offsetof(XInputGamepad, right_trigger) == offsetof(XINPUT_GAMEPAD, bRightTrigger) &&
                  offsetof(XInputGamepad, thumb_left_x) == offsetof(XINPUT_GAMEPAD, sThumbLX) &&
                  offsetof(XInputGamepad, thumb_right_y) == offsetof(XINPUT_GAMEPAD, sThumbRY),
              "XINPUT_GAMEPAD layout");
static_assert(sizeof(XInputVibration) == sizeof(XINPUT_VIBRATION) &&
                  offsetof(XInputVibration, right_motor_speed) == offsetof(XINPUT_VIBRATION, wRightMotorSpeed),
              "XINPUT_VIBRATION layout");

namespace {

enum { ORDINAL_GET_STATE = 2, ORDINAL_SET_STATE = 3, ORDINAL_ENABLE = 5 };

template <typename Function>
Function Resolve(HMODULE library, WORD ordinal) {
  FARPROC address = GetProcAddress(library, MAKEINTRESOURCEA(ordinal));
  // Through the generic function type, which converts to any other without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
}

}  // namespace

bool OVI_LoadPlatformXInput(XInputProvider* provider) {
  *provider = XInputProvider{};
  HMODULE library = LoadLibraryA("xinput1_3.dll");
  if (!library) return false;
  provider->get_state = Resolve<decltype(provider->get_state)>(library, ORDINAL_GET_STATE);
  provider->set_state = Resolve<decltype(provider->set_state)>(library, ORDINAL_SET_STATE);
  provider->enable = Resolve<decltype(provider->enable)>(library, ORDINAL_ENABLE);
  // A complete library stays loaded for the whole run.
  if (provider->get_state && provider->set_state && provider->enable) return true;
  *provider = XInputProvider{};
  FreeLibrary(library);
  return false;
}
