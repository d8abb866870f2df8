// The current drawing colour and alpha, kept as floats and as the packed 4-byte vertex colour in
// the renderer's byte order.
#pragma once

#include "core/orvel.h"

void OVI_ResetColour();                // white, opaque
unsigned OVI_PackedColour();           // the vertex colour 2D quads get
unsigned OVI_PackColour(const OV_Color& colour);  // any colour, in the current byte order
// The byte order packed colours follow until one of the OV_SetColor variants sets it again.
void OVI_SetColourOrder(int vertex_colour_order);
// The two variants of OV_SetColor: bytes blue, green, red (vertex colour order 1, as Direct3D
// reads them) or red, green, blue (order 0), alpha last, lowest address first.
void OV_CALL OV_SetColorBGR(const float* red, const float* green, const float* blue);
void OV_CALL OV_SetColorRGB(const float* red, const float* green, const float* blue);
OV_Color* OV_CALL OV_GetColor(OV_Color* out);
void OV_CALL OV_SetAlpha(const float* alpha);
float OV_CALL OV_GetAlpha(void);
