// The gamepad poll: four XInput pads into key states, analog values, key events and vibration.
#include "input/input_xinput.h"

#include <math.h>
#include <string.h>

#include "core/events.h"

namespace {

const float TRIGGER_SCALE = 0.003921569f;  // 1/255: byte 255 gives exactly 1
const float TRIGGER_PRESSED = 0.2f;        // a trigger counts as pressed above this
const float THUMB_DEAD_ZONE = 0.2f;        // stick tilts below this read as centred
const float THUMB_PRESSED = 0.4f;          // an axis counts as pressed beyond this

struct ButtonBit {
  uint16_t mask;
  int control;
};

const ButtonBit button_bits[] = {
    {0x0001, GAMEPAD_DPAD_UP},
    {0x0002, GAMEPAD_DPAD_DOWN},
    {0x0004, GAMEPAD_DPAD_LEFT},
    {0x0008, GAMEPAD_DPAD_RIGHT},
    {0x0010, GAMEPAD_BUTTON_START},
    {0x0020, GAMEPAD_BUTTON_BACK},
    {0x0040, GAMEPAD_BUTTON_LEFT_THUMB},
    {0x0080, GAMEPAD_BUTTON_RIGHT_THUMB},
    {0x0100, GAMEPAD_BUTTON_LEFT_SHOULDER},
    {0x0200, GAMEPAD_BUTTON_RIGHT_SHOULDER},
    {0x1000, GAMEPAD_BUTTON_A},
    {0x2000, GAMEPAD_BUTTON_B},
    {0x4000, GAMEPAD_BUTTON_X},
    {0x8000, GAMEPAD_BUTTON_Y},
};

// A control and whether the pad holds it pressed in this poll.
struct PressedFlag {
  int control;
  bool pressed;
};

// Stick position with y positive downward, the dead zone cut out and the rest stretched so that
// the length runs from 0 at the dead-zone edge to 1 at full tilt.
void StickPosition(int16_t raw_x, int16_t raw_y, float* x, float* y) {
  *x = raw_x / 32768.0f;
  *y = -raw_y / 32768.0f;
  float length = sqrtf(*x * *x + *y * *y);
  if (length < THUMB_DEAD_ZONE) {
    *x = *y = 0.0f;
    return;
  }
  float capped = length < 1.0f ? length : 1.0f;
  float scale = (capped - THUMB_DEAD_ZONE) * 1.25f / length;
  *x *= scale;
  *y *= scale;
}

// A motor speed 0..1 (anything else clamped, NaN as 0) as XInput's 0..65535.
uint16_t MotorSpeed(float value) {
  if (!(value > 0.0f)) return 0;
  if (value > 1.0f) value = 1.0f;
  return static_cast<uint16_t>(value * 65535.0f);
}

bool Connected(const InputImpXInput::Pad& pad) {
  return pad.result == XINPUT_SUCCESS && pad.current.packet_number != 0;
}

XInputProvider active_provider;
bool provider_chosen = false;

}  // namespace

const XInputProvider* OVI_XInputProvider() {
  if (!provider_chosen) OVI_SetXInputProvider(nullptr);
  return &active_provider;
}

void OVI_SetXInputProvider(const XInputProvider* provider) {
  static XInputProvider platform;
  static bool platform_loaded = false;
  if (!provider) {
    if (!platform_loaded && !OVI_LoadPlatformXInput(&platform)) platform = XInputProvider{};
    platform_loaded = true;
    provider = &platform;
  }
  active_provider = *provider;
  provider_chosen = true;
}

bool InputImpXInput::IsSupported() {
  return provider->get_state && provider->set_state && provider->enable;
}

void InputImpXInput::Initialize(CoreState* engine) {
  context = engine;
  memset(pads, 0, sizeof pads);
  if (IsSupported()) provider->enable(1);
}

void InputImpXInput::Shutdown() {
  if (IsSupported()) provider->enable(0);
}

void InputImpXInput::SetActive(bool active) {
  if (IsSupported()) provider->enable(active ? 1 : 0);
}

void InputImpXInput::Update() {
  if (!IsSupported()) return;
  for (int index = 0; index < XINPUT_PADS; ++index) PollPad(index);
  for (int index = 0; index < XINPUT_PADS; ++index)
    if (Connected(pads[index])) SendVibration(index);
}

void InputImpXInput::PollPad(int index) {
  Pad& pad = pads[index];
  pad.previous = pad.current;
  pad.result = provider->get_state(static_cast<uint32_t>(index), &pad.current);
  bool connected = Connected(pad);
  int base = OVI_GamepadCode(index, GAMEPAD_CONNECTED);
  OV_SetKeyState(base, connected ? 1 : 0);
  if (!connected) return;

  const XInputGamepad& gamepad = pad.current.gamepad;
  PressedFlag flags[2 + sizeof button_bits / sizeof button_bits[0] + 4];
  int count = 0;

  float left_trigger = gamepad.left_trigger * TRIGGER_SCALE;
  float right_trigger = gamepad.right_trigger * TRIGGER_SCALE;
  OV_SetAnalogValue(base + GAMEPAD_LEFT_TRIGGER, left_trigger);
  OV_SetAnalogValue(base + GAMEPAD_RIGHT_TRIGGER, right_trigger);
  flags[count++] = {GAMEPAD_LEFT_TRIGGER, left_trigger > TRIGGER_PRESSED};
  flags[count++] = {GAMEPAD_RIGHT_TRIGGER, right_trigger > TRIGGER_PRESSED};

  for (const ButtonBit& bit : button_bits) flags[count++] = {bit.control, (gamepad.buttons & bit.mask) != 0};

  float axes[4];
  StickPosition(gamepad.thumb_left_x, gamepad.thumb_left_y, &axes[0], &axes[1]);
  StickPosition(gamepad.thumb_right_x, gamepad.thumb_right_y, &axes[2], &axes[3]);
  for (int axis = 0; axis < 4; ++axis) {
    int control = GAMEPAD_LEFT_THUMB_X + axis;
    OV_SetAnalogValue(base + control, axes[axis]);
    flags[count++] = {control, fabsf(axes[axis]) > THUMB_PRESSED};
  }

  // Only changes become events; the key states follow when the events are handled.
  for (int i = 0; i < count; ++i) {
    int code = base + flags[i].control;
    if (flags[i].pressed == (key_states[code] != 0)) continue;
    ProgramEvent event;
    OV_InitEvent(&event, flags[i].pressed ? OV_EVENT_KEY_PRESSED : OV_EVENT_KEY_RELEASED);
    event.word[0] = code;
    OVI_PostOwnedEvent(&event, nullptr, 0);
  }
}

void InputImpXInput::SendVibration(int index) {
  Pad& pad = pads[index];
  pad.vibration.left_motor_speed = MotorSpeed(OV_GetAnalogValue(OVI_GamepadCode(index, GAMEPAD_LEFT_MOTOR)));
  pad.vibration.right_motor_speed = MotorSpeed(OV_GetAnalogValue(OVI_GamepadCode(index, GAMEPAD_RIGHT_MOTOR)));
  provider->set_state(static_cast<uint32_t>(index), &pad.vibration);
}
