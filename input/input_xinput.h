// Gamepads over XInput 1.3: the library's state and vibration records, the three library
// functions the poll calls (gathered in a provider record, so that a stand-in can take the
// library's place), and InputImpXInput, which turns up to four pads into key states, analog
// values and key events.
#pragma once

#include <stdint.h>

#include "input/input.h"

#if defined(_WIN32)
#define XINPUT_CALL __stdcall
#else
#define XINPUT_CALL
#endif

// The records as XInput 1.3 reads and writes them.
struct XInputGamepad {
  uint16_t buttons;
  uint8_t left_trigger;
  uint8_t right_trigger;
  int16_t thumb_left_x, thumb_left_y;
  int16_t thumb_right_x, thumb_right_y;
};

struct XInputState {
  uint32_t packet_number;
  XInputGamepad gamepad;
};

struct XInputVibration {
  uint16_t left_motor_speed;
  uint16_t right_motor_speed;
};

static_assert(sizeof(XInputGamepad) == 12 && sizeof(XInputState) == 16 && sizeof(XInputVibration) == 4,
              "XInput record sizes");

enum { XINPUT_PADS = 4, XINPUT_SUCCESS = 0, XINPUT_DEVICE_NOT_CONNECTED = 1167 };

// XInputGetState, XInputSetState and XInputEnable; a null function means the system lacks it.
struct XInputProvider {
  uint32_t(XINPUT_CALL* get_state)(uint32_t pad, XInputState* state);
  uint32_t(XINPUT_CALL* set_state)(uint32_t pad, XInputVibration* vibration);
  void(XINPUT_CALL* enable)(int enable);
};

// The platform's XInput, loaded on the first call: true when all three functions are there.
// Win32 loads the library; the native build has one without pads.
bool OVI_LoadPlatformXInput(XInputProvider* provider);
// The record InputImpXInput reads its functions from: the platform's, until another is
// installed (copied); null installs the platform's again.
const XInputProvider* OVI_XInputProvider();
void OVI_SetXInputProvider(const XInputProvider* provider);

// Controls of a gamepad's block of key codes, by offset from the pad's first code.
enum GamepadControl {
  GAMEPAD_CONNECTED = 0,
  GAMEPAD_LEFT_TRIGGER = 1,
  GAMEPAD_RIGHT_TRIGGER = 2,
  GAMEPAD_LEFT_THUMB_X = 4,
  GAMEPAD_LEFT_THUMB_Y = 5,
  GAMEPAD_RIGHT_THUMB_X = 6,
  GAMEPAD_RIGHT_THUMB_Y = 7,
  GAMEPAD_DPAD_UP = 10,
  GAMEPAD_DPAD_DOWN = 11,
  GAMEPAD_DPAD_LEFT = 12,
  GAMEPAD_DPAD_RIGHT = 13,
  GAMEPAD_BUTTON_START = 20,
  GAMEPAD_BUTTON_BACK = 21,
  GAMEPAD_BUTTON_LEFT_THUMB = 22,
  GAMEPAD_BUTTON_RIGHT_THUMB = 23,
  GAMEPAD_BUTTON_LEFT_SHOULDER = 24,
  GAMEPAD_BUTTON_RIGHT_SHOULDER = 25,
  GAMEPAD_BUTTON_A = 26,
  GAMEPAD_BUTTON_B = 27,
  GAMEPAD_BUTTON_X = 28,
  GAMEPAD_BUTTON_Y = 29,
  GAMEPAD_LEFT_MOTOR = 40,  // analog values the program writes: motor speeds 0..1
  GAMEPAD_RIGHT_MOTOR = 41,
};

// The key code of a control of pad 0..3.
int OVI_GamepadCode(int pad, int control);

class InputImpXInput : public InputImp {
 public:
  struct Pad {
    XInputState previous;
    XInputState current;
    uint32_t result;            // of the last XInputGetState
    XInputVibration vibration;  // last sent
  };

  // Reads its functions from provider at every call (the record may change under it).
  explicit InputImpXInput(const XInputProvider* functions) : provider(functions) {}

  bool IsSupported() override;
  const char* GetName() override { return "XInput"; }
  void Initialize(CoreState* context) override;
  void Shutdown() override;
  void SetActive(bool active) override;
  void Update() override;
  void PostUpdate() override {}
  const char* CallExtensionFunction(const char*, const char*) override { return nullptr; }

  const Pad& GetPad(int index) const { return pads[index]; }
  CoreState* GetContext() const { return context; }

 private:
  void PollPad(int index);
  void SendVibration(int index);

  const XInputProvider* provider;
  CoreState* context = nullptr;
  Pad pads[XINPUT_PADS] = {};
};
