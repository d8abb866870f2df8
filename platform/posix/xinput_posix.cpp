// The native build has no XInput library: a stand-in on which no pad is ever connected, so that
// the gamepad poll runs as on a system without pads.
#include "input/input_xinput.h"

namespace {

uint32_t NoPad(uint32_t, XInputState*) { return XINPUT_DEVICE_NOT_CONNECTED; }
uint32_t NoPadVibration(uint32_t, XInputVibration*) { return XINPUT_DEVICE_NOT_CONNECTED; }
void Enable(int) {}

}  // namespace

bool OVI_LoadPlatformXInput(XInputProvider* provider) {
  provider->get_state = NoPad;
  provider->set_state = NoPadVibration;
  provider->enable = Enable;
  return true;
}
