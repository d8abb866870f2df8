#include "render/targets.h"

#include <vector>

#include "core/core_state.h"
#include "core/log.h"
#include "core/video.h"
#include "render/drawing_state.h"
#include "render/renderer.h"
#include "render/transforms.h"
#include "resources/bitmap.h"

namespace {

struct TargetPair {
  Bitmap* colour;
  Bitmap* depth;
};

std::vector<TargetPair> targets;
TargetPair selected = {nullptr, nullptr};
float screen_framebuffer_scale = 1.0f;

struct ScissorRectangle {
  int left, top, right, bottom;
};
ScissorRectangle scissors[SCISSOR_STACK_SIZE];
int scissor_depth = -1;

bool IsTarget(const Bitmap* bitmap) { return !bitmap || (bitmap->flags & BITMAP_FLAG_RENDER_TARGET); }

void SizeOf(const Bitmap* colour, int* width, int* height) {
  if (colour) {
    *width = colour->hardware.texture_width > 0 ? colour->hardware.texture_width : colour->width;
    *height = colour->hardware.texture_height > 0 ? colour->hardware.texture_height : colour->height;
  } else {
    *width = screen_info.native_width > 0 ? screen_info.native_width : core.current.width;
    *height = screen_info.native_height > 0 ? screen_info.native_height : core.current.height;
  }
  if (*width < 1) *width = 1;
  if (*height < 1) *height = 1;
}

bool Select(Bitmap* colour, Bitmap* depth) {
  if (!IsTarget(colour) || !IsTarget(depth)) return false;
  if (colour == selected.colour && depth == selected.depth) return true;
  RendererImplementation* renderer = core.renderer;
  if (!renderer) return false;
  OVI_FlushBatch();
  renderer->SetRenderTarget(colour, depth);
  int width, height;
  SizeOf(colour, &width, &height);
  renderer->SetViewport(0, 0, width, height, 0.0f, 1.0f);
  if (!selected.colour && colour) {
    screen_framebuffer_scale = core.framebuffer_scale;
    core.framebuffer_scale = 1.0f;
  } else if (selected.colour && !colour) {
    core.framebuffer_scale = screen_framebuffer_scale;
  }
  selected = TargetPair{colour, depth};
  renderer->SetBlendMode(drawing.blend_mode);
  drawing.applied_blend_mode = drawing.blend_mode;
  drawing.transforms_dirty = true;
  return true;
}

const char* NameOf(const Bitmap* bitmap) { return bitmap && bitmap->name ? bitmap->name : "NULL"; }

}  // namespace

void OVI_ClearDrawingTargets() {
  targets.clear();
  selected = TargetPair{nullptr, nullptr};
  screen_framebuffer_scale = 1.0f;
  scissor_depth = -1;
}

void OVI_ResetRenderTargets() {
  targets.assign(1, TargetPair{nullptr, nullptr});
  if (selected.colour || selected.depth) Select(nullptr, nullptr);
}

int OVI_RenderTargetDepth() { return targets.empty() ? 0 : static_cast<int>(targets.size()) - 1; }
Bitmap* OVI_CurrentRenderTarget() { return selected.colour; }
void OVI_TargetSize(int* width, int* height) { SizeOf(selected.colour, width, height); }
int OVI_ScissorDepth() { return scissor_depth; }

ov_bool OV_CALL OV_SetScissorRectangle(int x, int y, int width, int height) {
  if (width < 1 || height < 1 || !core.renderer) return 0;
  OVI_FlushBatch();
  int limit_width, limit_height;
  if (selected.colour) {
    limit_width = selected.colour->width;
    limit_height = selected.colour->height;
  } else {
    // Program coordinates to frame-buffer pixels: the autoscaling, then the frame-buffer scale.
    float sx = core.autoscale ? core.autoscale_scale_x : 1.0f, sy = core.autoscale ? core.autoscale_scale_y : 1.0f;
    float ox = core.autoscale ? core.autoscale_offset_x : 0.0f, oy = core.autoscale ? core.autoscale_offset_y : 0.0f;
    float scale = core.framebuffer_scale;
    float left = (x * sx + ox) * scale + core.framebuffer_offset_x;
    float top = (y * sy + oy) * scale + core.framebuffer_offset_y;
    x = static_cast<int>(left);
    y = static_cast<int>(top);
    width = static_cast<int>(width * sx * scale);
    height = static_cast<int>(height * sy * scale);
    float w, h;
    OVI_OrientedNativeSize(&w, &h);
    limit_width = static_cast<int>(w);
    limit_height = static_cast<int>(h);
  }
  if (x < 0) {
    width += x;
    x = 0;
  }
  if (y < 0) {
    height += y;
    y = 0;
  }
  if (width > limit_width) width = limit_width;
  if (height > limit_height) height = limit_height;
  if (width < 1 || height < 1) return 0;  // nothing of it is on the target
  return core.renderer->SetScissor(x, y, width, height);
}

void OV_CALL OV_ResetScissorRectangle(void) {
  if (!core.renderer) return;
  OVI_FlushBatch();
  core.renderer->DisableScissor();
}

void OV_CALL OV_PushScissorRectangle(int x, int y, int width, int height) {
  if (scissor_depth >= SCISSOR_STACK_SIZE - 1) {
    OV_Report(LOG_ERROR,
              "OV_PushScissorRectangle: scissor rectangle stack overflow (%d): make sure each push operation matches "
              "pop in each frame.",
              SCISSOR_STACK_SIZE);
    return;
  }
  ScissorRectangle entry = {x, y, x + width, y + height};
  if (scissor_depth >= 0) {
    const ScissorRectangle& top = scissors[scissor_depth];
    if (top.left > entry.left) entry.left = top.left;
    if (top.top > entry.top) entry.top = top.top;
    if (top.right < entry.right) entry.right = top.right;
    if (top.bottom < entry.bottom) entry.bottom = top.bottom;
  }
  scissors[++scissor_depth] = entry;
  OV_SetScissorRectangle(entry.left, entry.top, entry.right - entry.left, entry.bottom - entry.top);
}

void OV_CALL OV_PopScissorRectangle(void) {
  if (scissor_depth < 0) {
    OV_Report(LOG_ERROR,
              "OV_PopScissorRectangle: too many pop operations called! Make sure only one pop is called per each push "
              "each frame.");
    return;
  }
  --scissor_depth;
  if (scissor_depth >= 0) {
    const ScissorRectangle& top = scissors[scissor_depth];
    OV_SetScissorRectangle(top.left, top.top, top.right - top.left, top.bottom - top.top);
  } else {
    OV_ResetScissorRectangle();
  }
}

void OV_CALL OV_PushRenderTargetWithDepth(Bitmap* target, Bitmap* depth) {
  if (targets.empty()) targets.push_back(TargetPair{nullptr, nullptr});
  if (Select(target, depth)) {
    targets.push_back(TargetPair{target, depth});
  } else {
    // The stack still grows, so that the matching pop stays balanced.
    OV_Report(LOG_WARNING, "OV_PushRenderTarget: bitmap '%s' is not a render target. Drawing stays on the current target.",
              NameOf(IsTarget(target) ? depth : target));
    targets.push_back(selected);
  }
  OV_PushProjectionTransform(nullptr);
  OV_PushTransform(nullptr);
}

void OV_CALL OV_PushRenderTarget(Bitmap* target) { OV_PushRenderTargetWithDepth(target, nullptr); }

void OV_CALL OV_PopRenderTarget(void) {
  if (targets.size() < 2) {
    OV_Report(LOG_WARNING,
              "PopRenderTarget: Render Target Stack is empty! You're calling PopRenderTarget() too many times. The amount "
              "of PushRenderTarget and PopRenderTarget calls during a render frame needs to be the same.");
  } else {
    OVI_FlushBatch();
    const TargetPair& below = targets[targets.size() - 2];
    Select(below.colour, below.depth);
    targets.pop_back();
  }
  OV_PopTransform();
  OV_PopProjectionTransform();
}

Bitmap* OV_CALL OV_GetRenderTarget(void) { return targets.size() < 2 ? nullptr : targets.back().colour; }
