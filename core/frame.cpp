#include "core/frame.h"

#include <math.h>

#include "core/core_state.h"
#include "core/events.h"
#include "core/log.h"
#include "core/overlay.h"
#include "core/threads.h"
#include "core/video.h"
#include "input/input.h"
#include "platform/ov_os.h"
#include "render/colour.h"
#include "render/drawing_state.h"
#include "render/renderer.h"
#include "render/targets.h"
#include "render/transforms.h"
#include "resources/bitmaps.h"

namespace {

bool clock_started = false;

// Waits for the program's minimum frame time, sleeping 1 ms at a time until 2 ms before it. A
// clock that went backwards (negative elapsed time) is not waited for: the frame clamps it.
void PaceFrame() {
  if (!clock_started) {
    core.last_frame_start = OVOS_Milliseconds();
    clock_started = true;
  }
  int minimum = core.program->video.frame_time_ms;
  unsigned now = OVOS_Milliseconds();
  int elapsed = static_cast<int>(now - core.last_frame_start);
  while (elapsed >= 0 && elapsed < minimum) {
    if (elapsed < minimum - 2) OVOS_Sleep(1);
    now = OVOS_Milliseconds();
    elapsed = static_cast<int>(now - core.last_frame_start);
  }
  core.last_frame_start = now;
  if (core.reset_time_delta) {
    core.reset_time_delta = false;
    elapsed = 0;
  }
  core.frame_seconds = elapsed * 0.001f;
}

float OrientationAngle(int code) {
  switch (code) {
    case ORIENTATION_PORTRAIT_UPSIDE_DOWN: return 180.0f;
    case ORIENTATION_LANDSCAPE_LEFT: return -90.0f;
    case ORIENTATION_LANDSCAPE_RIGHT: return 90.0f;
    default: return 0.0f;
  }
}

void UpdateOrientationAngle() {
  float to = OrientationAngle(core.orientation_target);
  if (core.orientation_current == core.orientation_target || core.orientation_blend_time <= 0.0f) {
    core.orientation_angle = to;
  } else {
    float from = OrientationAngle(core.orientation_current);
    float t = core.orientation_blend / core.orientation_blend_time;
    float s = (3.0f - 2.0f * t) * t * t;
    core.orientation_angle = (1.0f - s) * from + s * to;
  }
  const VideoParameters& video = core.program->video;
  core.supported_orientations = video.width > video.height ? ORIENTATIONS_LANDSCAPE : ORIENTATIONS_PORTRAIT;
}

// The world transform every pass starts from: the orientation rotation about the screen centre
// relative to the native orientation, then the autoscale and frame-buffer scale.
void PushBaseTransform() {
  const VideoParameters& video = core.program->video;
  int program_orientation = video.reference_width > video.reference_height ? 4 : 1;
  float native_angle = OrientationAngle(screen_info.native_orientation == 4 ? ORIENTATION_LANDSCAPE_RIGHT
                                                                             : ORIENTATION_PORTRAIT);
  float radians = (core.orientation_angle - native_angle) * 3.14159265f / 180.0f;
  float c = cosf(radians), s = sinf(radians);
  float cx = screen_info.native_width * 0.5f, cy = screen_info.native_height * 0.5f;
  OV_Matrix rotation;
  OVI_Identity(&rotation);
  rotation.m[0] = c;
  rotation.m[1] = -s;
  rotation.m[4] = s;
  rotation.m[5] = c;
  // Rotate about the centre: T(c) x R x T(-c)
  rotation.m[3] = cx - c * cx + s * cy;
  rotation.m[7] = cy - s * cx - c * cy;
  if (core.autoscale || fabsf(core.framebuffer_scale - 1.0f) >= 0.000001f) {
    float sx = (core.autoscale ? core.autoscale_scale_x : 1.0f) * core.framebuffer_scale;
    float sy = (core.autoscale ? core.autoscale_scale_y : 1.0f) * core.framebuffer_scale;
    if (screen_info.native_orientation != program_orientation) {
      float swap = sx;
      sx = sy;
      sy = swap;
    }
    OV_Matrix scale;
    OVI_Identity(&scale);
    scale.m[0] = sx;
    scale.m[5] = sy;
    scale.m[3] = core.autoscale ? core.autoscale_offset_x : 0.0f;
    scale.m[7] = core.autoscale ? core.autoscale_offset_y : 0.0f;
    OVI_Multiply(&rotation, &scale, &rotation);
  }
  OV_PushTransform(&rotation);
}

void CheckStackBalance(int world, int view, int projection, int targets) {
  if (OVI_WorldDepth() != world) OV_Report(LOG_ERROR, "Too many Push(World)Transform calls made. Check your code.");
  if (OVI_ViewDepth() != view) OV_Report(LOG_ERROR, "Too many PushViewTransform calls made. Check your code.");
  if (OVI_ProjectionDepth() != projection)
    OV_Report(LOG_ERROR, "Too many PushProjectionTransform calls made. Check your code.");
  if (OVI_RenderTargetDepth() != targets) OV_Report(LOG_ERROR, "Too many PushRenderTarget calls made. Check your code.");
}

void RenderPass(int pass, int passes, int ms, float seconds) {
  RendererImplementation* renderer = core.renderer;
  ProgramInterface* program = core.program;
  core.eye = passes == 1 ? 0 : pass + 1;
  core.in_frame = true;
  renderer->SetEye(core.eye);
  renderer->SetViewport(0, 0, screen_info.native_width, screen_info.native_height, 0.0f, 1.0f);
  OVI_BeginEyeDrawing();
  renderer->BeginFrame();
  UpdateOrientationAngle();
  PushBaseTransform();

  if (pass == 0) {
    if (!core.program_initialized) {
      OV_Log("Initializing Program '%s'..", program->title);
      core.program_initialized = true;
      if (!program->init || !program->init()) OV_Report(LOG_ERROR, "Program initialization failed.");
    }
    if (core.reinit_requested) {
      OVI_FlushBatch();
      OVI_ApplyReinit();
    }
    OVI_DispatchQueuedEvents();
    if (ms > 0 && program->update) program->update(seconds);
  }

  if (core.renderer && core.renderer_ready && renderer->BeginScene()) {
    int world = OVI_WorldDepth(), view = OVI_ViewDepth(), projection = OVI_ProjectionDepth();
    int targets = OVI_RenderTargetDepth();
    if (program->render) program->render(seconds);
    CheckStackBalance(world, view, projection, targets);
  }
  OVI_ResetDrawingState();
  OVI_ResetColour();
  OV_PopTransform();
  OV_Set2DDepth(OVI_PlaneDistance());
  renderer->EndEye();
  OVI_UpdateDeveloperOverlay(seconds);
}

}  // namespace

void OVI_ResetFrameClock() { clock_started = false; }

void OVI_Frame() {
  if (!core.running || !core.program) return;
  PaceFrame();
  int ms = static_cast<int>(core.frame_seconds * 1000.0f);
  OVI_Lock(MUTEX_MAIN_LOOP);
  if (ms > 200) {
    ms = 30;
  } else if (ms < 0) {
    if (core.developer_mode) OV_LogLevel(LOG_WARNING, "********************* Found negative time delta in OVI_Frame: %d", ms);
    ms = 1;
  }
  float seconds = ms * 0.001f;

  if (core.renderer && core.renderer_ready) {
    OVI_UpdateInputImplementations();
    // Sound and extension-module updates join here as those subsystems arrive.
    if (core.orientation_current != core.orientation_target) {
      core.orientation_blend += seconds;
      if (core.orientation_blend >= core.orientation_blend_time) {
        core.orientation_blend = 0.0f;
        core.orientation_current = core.orientation_target;
      }
    }
    int passes = core.render_stereo ? 2 : 1;
    for (int pass = 0; pass < passes && core.renderer_ready; ++pass) RenderPass(pass, passes, ms, seconds);
    if (core.running && core.renderer_ready) OVI_ProcessResourceQueue();
    OVI_EndFrameDrawing();
    core.in_frame = false;
    if (core.renderer_ready) core.renderer->Present();
    OVI_PostUpdateInputImplementations();
  }

  OVI_Unlock(MUTEX_MAIN_LOOP);
  OVI_Lock(MUTEX_MAIN_LOOP);
  OVI_UpdateAutoscaling();
  float w, h;
  OVI_OrientedNativeSize(&w, &h);
  core.framebuffer_offset_x = static_cast<int>((w - core.framebuffer_scale * w) * 0.5f);
  core.framebuffer_offset_y = static_cast<int>((h - core.framebuffer_scale * h) * 0.5f);
  OVI_ShowQueuedPopups();
  if (OVI_WorldDepth() >= 0)
    OV_Report(LOG_WARNING,
              "Transform stack is not empty at frame end: there are %d more ov->PushTransform calls than ov->PopTransform calls.",
              OVI_WorldDepth() + 1);
  OVI_Unlock(MUTEX_MAIN_LOOP);
}
