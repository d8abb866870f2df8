#include "core/video.h"

#include <string.h>

#include "core/core_state.h"
#include "core/events.h"
#include "core/log.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "platform/ov_window.h"
#include "platform/resolution.h"
#include "render/colour.h"
#include "render/drawing_state.h"
#include "render/renderer.h"
#include "render/transforms.h"
#include "resources/bitmaps.h"

namespace {

int renderer_failures;  // process-wide: reset only by a successful init with the requested size

bool SameMode(const VideoParameters& a, const VideoParameters& b) {
  return a.width == b.width && a.height == b.height && (a.windowed != 0) == (b.windowed != 0);
}

bool ForceWindowed(const VideoParameters& parameters) {
  return (!parameters.windowed && (parameters.width < 640 || parameters.height < 480)) || core.force_variant[0];
}

void SendReinitEvent(int after) {
  ProgramEvent event = {};
  event.type = OV_EVENT_VIDEO_REINIT;
  event.word[0] = after;
  OVI_DispatchEvent(&event);
}

}  // namespace

int OVI_RendererFailureCount() { return renderer_failures; }
void OVI_ResetRendererFailureCount() { renderer_failures = 0; }

bool OVI_InitializeRenderer() {
  RendererImplementation* renderer = core.renderer;
  for (;;) {
    if (!renderer) {
      OV_Log("Renderer doesn't exist, can't continue with init.");
      return false;
    }
    if (core.renderer_ready) {
      OV_Log("Renderer in ready state, shutting it down before new init.");
      OVI_ShutdownRenderer();
    }
    core.renderer_ready = false;
    VideoParameters rollback = core.current;
    core.current.width = core.requested.width;
    core.current.height = core.requested.height;
    core.current.windowed = core.requested.windowed;
    if (ForceWindowed(core.current)) core.current.windowed = 1;
    OV_Log("Renderer Initializing: %dx%d %s..", core.current.width, core.current.height,
           core.current.windowed ? "windowed" : "fullscreen");
    memset(core.viewport, 0, sizeof core.viewport);

    bool initialized = renderer->Initialize(&service_table, &core, &core.current);
    if (initialized) {
      renderer_failures = 0;
    } else {
      ++renderer_failures;
      if (renderer_failures > 2 || SameMode(core.current, rollback)) {
        OV_Report(LOG_ERROR, "Unable to initialize the renderer.\n\nPlease try updating your display adapter drivers and rebooting.");
        return false;
      }
      core.current = rollback;
      OV_LogLevel(LOG_SYSTEM, "Rolling back parms..");
      if (!renderer->Initialize(&service_table, &core, &core.current)) continue;
    }

    OV_LogLevel(LOG_SYSTEM, "Renderer Initialization done.");
    screen_info.native_width = core.current.width;
    screen_info.native_height = core.current.height;
    core.bitmap_channel_order = renderer->GetBitmapChannelOrder();
    core.vertex_color_order = renderer->GetVertexColorOrder();
    OVI_ResetDrawingState();
    memset(drawing.state_set, 0, sizeof drawing.state_set);
    if (!OVI_CreateDrawingBuffers()) {
      renderer->Shutdown();
      return false;
    }
    OVI_ResetColour();
    core.renderer_ready = true;
    OV_SetProjectionParameters(0.1f, OVI_PlaneDistance(), 1.0f);
    OV_Set2DDepth(OVI_PlaneDistance());
    // Bitmaps and render targets get their textures back (fonts join here).
    OVI_RestoreBitmaps();
    return true;
  }
}

void OVI_ShutdownRenderer() {
  OV_LogLevel(LOG_SYSTEM, "Orvel RendImp Shutdown.");
  if (!core.renderer) return;
  OVI_DropBitmapTextures();
  OVI_ReleaseDrawingBuffers();
  core.renderer->Shutdown();
  core.renderer_ready = false;
}

void OVI_OrientedNativeSize(float* width, float* height) {
  const VideoParameters& video = core.program->video;
  int program_orientation = video.reference_width > video.reference_height ? 4 : 1;
  bool swap = screen_info.native_orientation != program_orientation;
  *width = static_cast<float>(swap ? screen_info.native_height : screen_info.native_width);
  *height = static_cast<float>(swap ? screen_info.native_width : screen_info.native_height);
}

void OVI_UpdateAutoscaling() {
  if (!core.autoscale || !core.program) return;
  const VideoParameters& video = core.program->video;
  if (video.reference_width <= 0 || video.reference_height <= 0) return;
  float w, h;
  OVI_OrientedNativeSize(&w, &h);
  core.autoscale_scale_x = w / video.reference_width;
  core.autoscale_scale_y = h / video.reference_height;
  if (OVI_HasFeature("AUTOSCALE_RETAIN_ASPECT_RATIO")) {
    float smaller = core.autoscale_scale_x < core.autoscale_scale_y ? core.autoscale_scale_x : core.autoscale_scale_y;
    core.autoscale_scale_x = core.autoscale_scale_y = smaller;
  }
  core.autoscale_offset_x = static_cast<float>(static_cast<int>((w - video.reference_width * core.autoscale_scale_x) * 0.5f));
  core.autoscale_offset_y = static_cast<float>(static_cast<int>((h - video.reference_height * core.autoscale_scale_y) * 0.5f));
  core.autoscale_inverse_x = 1.0f / core.autoscale_scale_x;
  core.autoscale_inverse_y = 1.0f / core.autoscale_scale_y;
}

void OVI_SetupAutoscaling() {
  core.autoscale_offset_x = core.autoscale_offset_y = 0.0f;
  core.autoscale_scale_x = core.autoscale_scale_y = 1.0f;
  core.autoscale_inverse_x = core.autoscale_inverse_y = 1.0f;
  if (!core.autoscale || !core.program) return;
  VideoParameters& video = core.program->video;
  OV_Log("Setting up autoscaling from %dx%d -> %dx%d.", video.reference_width, video.reference_height, video.width,
         video.height);
  if (video.reference_width == video.width && video.reference_height == video.height) {
    OV_Log("Target resolution matches source, no need for scaling.");
    core.autoscale = false;
  }
  video.width = video.reference_width;
  video.height = video.reference_height;
  OVI_UpdateAutoscaling();
  OV_Log("Offset x=%.2f y=%.2f", core.autoscale_offset_x, core.autoscale_offset_y);
  OV_Log("Scale x=%.2f y=%.2f", core.autoscale_scale_x, core.autoscale_scale_y);
}

ov_bool OV_CALL ReinitializeWithParameters(VideoParameters parameters) {
  RendererImplementation* renderer = core.renderer;
  if (!core.program || !renderer) return 0;
  if (core.force_resolution) {
    if (!core.allow_all_resolutions) {
      parameters.width = core.forced_width;
      parameters.height = core.forced_height;
      OV_LogLevel(LOG_WARNING, "ReinitializeWithParameters - Forcing resolution to %dx%d based on developer.xml.",
                  parameters.width, parameters.height);
    }
    OV_LogLevel(LOG_WARNING,
                "ReinitializeWithParameters - Forcing screen mode to windowed because force_resolution is set in developer.xml.");
    parameters.windowed = 1;
  }
  core.requested = parameters;
  OV_LogLevel(LOG_SYSTEM, "Attempting to reinitialize with parameters: %dx%d windowed=%d", parameters.width,
              parameters.height, parameters.windowed);
  if (parameters.windowed && core.allow_all_resolutions) {
    OV_LogLevel(LOG_SYSTEM, "Allowing all resolutions.");
    core.reinit_requested = true;
    return 1;
  }
  if (core.requested.width == 0 || core.requested.height == 0)
    OVI_SelectOptimalResolution(core.requested.windowed, false);
  bool acceptable = (OVI_HasFeature("FREE_RESOLUTION") &&
                     renderer->IsResolutionSupported(core.requested.width, core.requested.height, core.requested.windowed)) ||
                    OVI_SelectOptimalResolution(core.requested.windowed, false);
  if (!acceptable) return 0;
  VideoParameters& wanted = core.requested;
  OV_Log("Selected resolution %dx%d", wanted.width, wanted.height);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (renderer->IsResolutionSupported(wanted.width, wanted.height, wanted.windowed)) {
      OV_Log("Resolution %dx%d is supported by device.", wanted.width, wanted.height);
      core.resolution_rejections = 0;
      core.reinit_requested = true;
      return 1;
    }
    if (attempt == 0) {
      OV_Log("Resolution %dx%d not available.", wanted.width, wanted.height);
      OVI_SelectOptimalResolution(true, false);
    }
  }
  OV_LogLevel(LOG_WARNING, "Requested resolution %dx%d (windowed=%d) not available.", wanted.width, wanted.height,
              wanted.windowed);
  ++core.resolution_rejections;
  core.requested = core.current;
  core.reinit_requested = false;
  return 0;
}

void OVI_ApplyReinit() {
  core.reinit_requested = false;
  if (ForceWindowed(core.requested)) core.requested.windowed = 1;
  if (ForceWindowed(core.current)) core.current.windowed = 1;
  // The sound implementation is re-created here once sound exists.
  if (SameMode(core.requested, core.current)) return;
  OV_LogLevel(LOG_SYSTEM, "Applying ReInit: %dx%d (%s) -> %dx%d (%s)", core.current.width, core.current.height,
              core.current.windowed ? "w" : "fs", core.requested.width, core.requested.height,
              core.requested.windowed ? "w" : "fs");
  OVI_ReinitializeVideo();
}

void OVI_ReinitializeVideo() {
  ProgramInterface* program = core.program;
  SendReinitEvent(0);
  OVI_Lock(MUTEX_GET_BITMAP);
  OVI_Lock(MUTEX_GET_SOUND);
  auto adopt_requested = [program] {
    core.current = core.requested;
    program->video.width = core.requested.width;
    program->video.height = core.requested.height;
    program->video.windowed = core.requested.windowed;
    screen_info.native_width = core.override_width = core.requested.width;
    screen_info.native_height = core.override_height = core.requested.height;
  };
  bool quick = core.renderer->ChangeDisplayMode(core.requested.width, core.requested.height, core.requested.windowed);
  if (quick) {
    adopt_requested();
    OVI_ResetDrawingState();
  }
  OVI_Unlock(MUTEX_GET_SOUND);
  OVI_Unlock(MUTEX_GET_BITMAP);
  if (!quick) {
    OV_LogLevel(LOG_SYSTEM, "Unable to do quick reinit. Doing full shutdown and init.");
    OVI_ShutdownRenderer();
    OVI_DestroyWindow();
    adopt_requested();
    if (!OVI_CreateWindow(program->title, core.requested.width, core.requested.height, core.requested.windowed)) {
      OV_Report(LOG_ERROR, "Reinitialization failed. Please restart the application.");
      core.quit_requested = true;
    } else {
      OVI_InitializeRenderer();
    }
  }
  OVI_SetupAutoscaling();
  OVI_UpdateAutoscaling();
  OVI_ClearInputStates();
  SendReinitEvent(1);
  // Render-target bitmaps are sent as events of type 15 by the screen-size event's dispatch.
  ProgramEvent size = {};
  size.type = OV_EVENT_SCREEN_SIZE;
  size.word[0] = (program->video.width & 0xffff) | (program->video.height << 16);
  OVI_DispatchEvent(&size);
}
