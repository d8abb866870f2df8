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
// Picks a size for the requested mode when none is given; false when the renderer has no mode
// for it. (Selection against the display's modes comes with the window layer.)
bool OVI_SelectOptimalResolution(VideoParameters* parameters);
// The native size, with width and height exchanged when the display is rotated against the
// program's orientation.
void OVI_OrientedNativeSize(float* width, float* height);
int OVI_RendererFailureCount();
void OVI_ResetRendererFailureCount();  // tests
