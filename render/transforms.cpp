// Transform stacks. Quads already batched were placed with the old transforms, so every change
// flushes the batch first.
#include "render/transforms.h"

#include "core/core_state.h"
#include "core/log.h"
#include "render/drawing_state.h"
#include "render/renderer.h"
#include "render/targets.h"

namespace {

struct Stack {
  OV_Matrix entries[TRANSFORM_STACK_SIZE];
  int depth = -1;
};

Stack world, view, projection;
float near_clip = 0.1f, plane_distance = 0.5f, far_clip = 1.0f, depth_2d = 0.5f;

bool Push(Stack& stack, const OV_Matrix& matrix, const char* full_message) {
  if (stack.depth >= TRANSFORM_STACK_SIZE - 1) {
    OV_Report(LOG_WARNING, full_message, TRANSFORM_STACK_SIZE);
    return false;
  }
  OVI_FlushBatch();
  stack.entries[++stack.depth] = matrix;
  drawing.transforms_dirty = true;
  return true;
}

void Pop(Stack& stack, const char* empty_message) {
  if (stack.depth < 0) {
    OV_Report(LOG_WARNING, "%s", empty_message);
    return;
  }
  OVI_FlushBatch();
  --stack.depth;
  drawing.transforms_dirty = true;
}

OV_Matrix Scale2D(float x, float y) {
  OV_Matrix m;
  OVI_Identity(&m);
  m.m[0] = x;
  m.m[5] = y;
  return m;
}

OV_Matrix Translation2D(float x, float y) {
  OV_Matrix m;
  OVI_Identity(&m);
  m.m[3] = x;
  m.m[7] = y;
  return m;
}

}  // namespace

void OVI_Identity(OV_Matrix* m) {
  for (int i = 0; i < 16; ++i) m->m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void OVI_Multiply(const OV_Matrix* a, const OV_Matrix* b, OV_Matrix* out) {
  OV_Matrix result;
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a->m[row * 4 + k] * b->m[k * 4 + column];
      result.m[row * 4 + column] = sum;
    }
  *out = result;
}

float OVI_PlaneDistance() { return plane_distance; }

void OVI_DefaultProjection(OV_Matrix* out) {
  int w, h;
  OVI_TargetSize(&w, &h);
  float ox = 0.0f, oy = 0.0f;
  if (core.renderer) core.renderer->GetPixelCenterOffset(&ox, &oy);
  OV_Matrix s = Scale2D(2.0f / w, -2.0f / h);
  OV_Matrix t = Translation2D(-(1.0f + 2.0f * ox / w), 1.0f + 2.0f * oy / h);
  const float d = plane_distance, n = near_clip, f = far_clip;
  OV_Matrix p = {{9 * d, 0, 0, 0, 0, 9 * d, 0, 0, 0, 0, f / (f - n), 0.99f * 8 * d - n * f / (f - n), 0, 0, 1,
                  8 * d}};
  OV_Matrix ts;
  OVI_Multiply(&t, &s, &ts);
  OVI_Multiply(&p, &ts, out);
}

void OVI_ResetTransforms() {
  world.depth = view.depth = projection.depth = -1;
  near_clip = 0.1f;
  plane_distance = 0.5f;
  far_clip = 1.0f;
  depth_2d = 0.5f;
}

int OVI_WorldDepth() { return world.depth; }
int OVI_ViewDepth() { return view.depth; }
int OVI_ProjectionDepth() { return projection.depth; }

void OV_CALL OV_PushTransform(const OV_Matrix* matrix) {
  OV_Matrix top;
  if (!matrix) OVI_Identity(&top);
  else if (world.depth < 0) top = *matrix;
  else OVI_Multiply(&world.entries[world.depth], matrix, &top);
  Push(world, top, "World Transform stack is full (max size %d). Not pushing transform.");
}

void OV_CALL OV_PopTransform(void) { Pop(world, "Calling OV_PopTransform() too many times! Check your code!"); }

OV_Matrix* OV_CALL OV_GetTransform(OV_Matrix* out) {
  if (!out) return out;
  if (world.depth < 0) OVI_Identity(out);
  else *out = world.entries[world.depth];
  return out;
}

void OV_CALL OV_PushViewTransform(const OV_Matrix* matrix) {
  OV_Matrix top;
  if (matrix) top = *matrix;
  else OVI_Identity(&top);
  Push(view, top, "View Transform stack is full (max size %d). Not pushing transform.");
}

void OV_CALL OV_PopViewTransform(void) {
  Pop(view, "Calling OV_PopViewTransform() too many times! Check your code!");
}

OV_Matrix* OV_CALL OV_GetViewTransform(OV_Matrix* out) {
  if (!out) return out;
  if (view.depth < 0) OVI_Identity(out);
  else *out = view.entries[view.depth];
  return out;
}

void OV_CALL OV_PushProjectionTransform(const OV_Matrix* matrix) {
  OV_Matrix top;
  if (matrix) top = *matrix;
  else OVI_DefaultProjection(&top);
  Push(projection, top, "Projection Transform stack is full (max size %d). Not pushing transform.");
}

void OV_CALL OV_PopProjectionTransform(void) {
  Pop(projection, "Calling OV_PopProjectionTransform() too many times. Check your code.");
}

OV_Matrix* OV_CALL OV_GetProjectionTransform(OV_Matrix* out) {
  if (!out) return out;
  if (projection.depth < 0) OVI_DefaultProjection(out);
  else *out = projection.entries[projection.depth];
  return out;
}

void OV_CALL OV_SetProjectionParameters(float near, float distance, float far) {
  OVI_FlushBatch();
  drawing.transforms_dirty = true;
  near_clip = near > 0.1f ? near : 0.1f;
  plane_distance = distance;
  far_clip = far > near_clip ? far : near_clip;
  if (projection.depth >= 0) OVI_DefaultProjection(&projection.entries[projection.depth]);
}

void OV_CALL OV_Set2DDepth(float depth) { depth_2d = depth; }
float OV_CALL OV_Get2DDepth(void) { return depth_2d; }
