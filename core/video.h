// Renderer initialisation with roll-back, renderer shutdown, video re-initialisation and
// autoscaling.
#pragma once

#include "core/orvel.h"

bool OVI_InitializeRenderer();
void OVI_ShutdownRenderer();
void OVI_ApplyReinit();
void OVI_ReinitializeVideo();
void OVI_SetupAutoscaling();
void OVI_UpdateAutoscaling();
// The native size, with width and height exchanged when the display is rotated against the
// program's orientation.
void OVI_OrientedNativeSize(float* width, float* height);
int OVI_RendererFailureCount();
void OVI_ResetRendererFailureCount();  // tests
