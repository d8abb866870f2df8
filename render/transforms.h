// The world, view and projection transform stacks (32 entries each), the projection parameters
// and the 2D depth.
#pragma once

#include "core/orvel.h"

enum { TRANSFORM_STACK_SIZE = 32 };

void OVI_ResetTransforms();  // empty stacks, default projection parameters and 2D depth
int OVI_WorldDepth();        // -1 when empty
int OVI_ViewDepth();
int OVI_ProjectionDepth();
void OVI_Identity(OV_Matrix* m);
void OVI_Multiply(const OV_Matrix* a, const OV_Matrix* b, OV_Matrix* out);  // out = a x b
// The projection that maps pixel coordinates (origin top-left, y down) at the plane distance.
void OVI_DefaultProjection(OV_Matrix* out);
float OVI_PlaneDistance();

void OV_CALL OV_PushTransform(const OV_Matrix* matrix);
void OV_CALL OV_PopTransform(void);
OV_Matrix* OV_CALL OV_GetTransform(OV_Matrix* out);
void OV_CALL OV_PushViewTransform(const OV_Matrix* matrix);
void OV_CALL OV_PopViewTransform(void);
OV_Matrix* OV_CALL OV_GetViewTransform(OV_Matrix* out);
void OV_CALL OV_PushProjectionTransform(const OV_Matrix* matrix);
void OV_CALL OV_PopProjectionTransform(void);
OV_Matrix* OV_CALL OV_GetProjectionTransform(OV_Matrix* out);
void OV_CALL OV_SetProjectionParameters(float near_clip, float plane_distance, float far_clip);
void OV_CALL OV_Set2DDepth(float depth);
float OV_CALL OV_Get2DDepth(void);
