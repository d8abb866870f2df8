#include "render/colour.h"

namespace {

OV_Color colour = {1, 1, 1, 1};
bool blue_first = false;

unsigned char Byte(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 1.0f) return 255;
  return static_cast<unsigned char>(value * 255.0f + 0.5f);
}

float Clamp(float value) { return value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value; }

void Store(const float* red, const float* green, const float* blue, bool bgr) {
  if (!red || !green || !blue) return;
  colour.r = Clamp(*red);
  colour.g = Clamp(*green);
  colour.b = Clamp(*blue);
  blue_first = bgr;
}

}  // namespace

void OVI_ResetColour() { colour = OV_Color{1, 1, 1, 1}; }

unsigned OVI_PackedColour() {
  unsigned first = blue_first ? Byte(colour.b) : Byte(colour.r);
  unsigned third = blue_first ? Byte(colour.r) : Byte(colour.b);
  return first | static_cast<unsigned>(Byte(colour.g)) << 8 | third << 16 | static_cast<unsigned>(Byte(colour.a)) << 24;
}

void OV_CALL OV_SetColorBGR(const float* red, const float* green, const float* blue) {
  Store(red, green, blue, true);
}

void OV_CALL OV_SetColorRGB(const float* red, const float* green, const float* blue) {
  Store(red, green, blue, false);
}

OV_Color* OV_CALL OV_GetColor(OV_Color* out) {
  if (out) *out = colour;
  return out;
}

void OV_CALL OV_SetAlpha(const float* alpha) {
  if (alpha) colour.a = Clamp(*alpha);
}

float OV_CALL OV_GetAlpha(void) { return colour.a; }
