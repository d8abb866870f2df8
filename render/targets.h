// Where drawing lands: the render-target stack (its first entry is the screen) and the scissor
// stack.
#pragma once

#include "core/orvel.h"

enum { SCISSOR_STACK_SIZE = 32 };

// No targets and no scissor rectangles at all (engine state reset).
void OVI_ClearDrawingTargets();
// Back to the screen entry alone (each eye pass, and core initialisation).
void OVI_ResetRenderTargets();
int OVI_RenderTargetDepth();  // entries above the screen entry
Bitmap* OVI_CurrentRenderTarget();
// The pixel size of the current target: its texture, or the screen.
void OVI_TargetSize(int* width, int* height);
int OVI_ScissorDepth();  // -1 when empty

ov_bool OV_CALL OV_SetScissorRectangle(int x, int y, int width, int height);
void OV_CALL OV_ResetScissorRectangle(void);
void OV_CALL OV_PushScissorRectangle(int x, int y, int width, int height);
void OV_CALL OV_PopScissorRectangle(void);
void OV_CALL OV_PushRenderTarget(Bitmap* target);
void OV_CALL OV_PushRenderTargetWithDepth(Bitmap* target, Bitmap* depth);
void OV_CALL OV_PopRenderTarget(void);
Bitmap* OV_CALL OV_GetRenderTarget(void);
