#include "render/colour.h"

namespace {

OV_Color colour = {1, 1, 1, 1};
bool blue_first = true;

// Channel bytes are the float x 255, truncated.
unsigned char Byte(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 1.0f) return 255;
  return static_cast<unsigned char>(value * 255.0f);
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

void OVI_SetColourOrder(int vertex_colour_order) { blue_first = vertex_colour_order != 0; }

unsigned OVI_PackedColour() { return OVI_PackColour(colour); }

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

unsigned OVI_PackColour(const OV_Color& c) {
  unsigned first = blue_first ? Byte(c.b) : Byte(c.r);
  unsigned third = blue_first ? Byte(c.r) : Byte(c.b);
  return first | static_cast<unsigned>(Byte(c.g)) << 8 | third << 16 | static_cast<unsigned>(Byte(c.a)) << 24;
}
