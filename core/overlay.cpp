#include "core/overlay.h"

#include <deque>

#include "core/console.h"
#include "core/core_state.h"
#include "core/events.h"
#include "core/log.h"
#include "core/service_table.h"
#include "platform/ov_os.h"
#include "resources/bitmaps.h"

namespace {

enum { KEY_F4 = 115, KEY_F5 = 116 };

struct Overlay {
  int frames;
  unsigned fps_start;
  float fps;
  std::deque<float> frame_times;  // milliseconds, newest last
  int tracker_calls;
  std::deque<MemorySample> samples;
  MemorySample peaks;
  float zoom;
};

Overlay overlay;

// The pressed-this-frame bit, read without clearing it for the program.
bool PressedThisFrame(int key) { return (key_states[key] & 1) != 0; }

MemorySample CurrentEstimates() {
  return MemorySample{key_states[KEY_MEMORY_TOTAL], key_states[KEY_MEMORY_GPU], key_states[KEY_MEMORY_SYSTEM],
                      key_states[KEY_MEMORY_SOUND]};
}

}  // namespace

void OVI_ResetOverlay() {
  overlay = Overlay();
  overlay.zoom = 1.0f;
}

float OVI_FramesPerSecond() { return overlay.fps; }
float OVI_OverlayZoom() { return overlay.zoom; }
void OVI_SetOverlayZoom(float zoom) { overlay.zoom = zoom; }

void OVI_RefreshMemoryEstimates() {
  // The font (32) and sound (512) tables add their sizes here as they are built.
  BitmapUsage bitmaps = OVI_BitmapUsage();
  double system = bitmaps.system, gpu = bitmaps.gpu, image = bitmaps.image, sound = 0;
  service_table.OV_SetKeyState(KEY_MEMORY_SYSTEM, static_cast<int>(system));
  service_table.OV_SetKeyState(KEY_MEMORY_GPU, static_cast<int>(gpu));
  service_table.OV_SetKeyState(KEY_MEMORY_IMAGE, static_cast<int>(image));
  service_table.OV_SetKeyState(KEY_MEMORY_SOUND, static_cast<int>(sound));
  service_table.OV_SetKeyState(KEY_MEMORY_TOTAL, static_cast<int>(system + gpu + sound));
}

void OVI_ListResourceUsage() {
  // The sound and font tables list their records under their headings once they exist.
  BitmapUsage usage = OVI_BitmapUsage();
  double bitmaps = usage.system + usage.gpu, sounds = 0, fonts = 0;
  OV_LogLevel(LOG_SYSTEM, "Listing Resource Usage.");
  OV_LogLevel(LOG_SYSTEM, "\nBitmaps:");
  OVI_ListBitmaps();
  OV_LogLevel(LOG_SYSTEM, "\nSounds:");
  OV_LogLevel(LOG_SYSTEM, "\nFonts:");
  OV_LogLevel(LOG_SYSTEM, "Total %.1fKB allocated for bitmaps in (system+gpu) memory.", bitmaps / 1024);
  OV_LogLevel(LOG_SYSTEM, "Total %.1fKB allocated for sounds in system memory.", sounds / 1024);
  OV_LogLevel(LOG_SYSTEM, "Total %.1fKB allocated for fonts in (system+gpu) memory.", fonts / 1024);
  OV_LogLevel(LOG_SYSTEM, "Total %.1fKB allocated for all resources.", (bitmaps + sounds + fonts) / 1024);
  OV_LogLevel(LOG_SYSTEM, "ORVEL state size is %.1fKB.", sizeof(CoreState) / 1024.0);
  OV_Log("TOP%d Memory Hogs", 0);
}

void OVI_SampleMemory(int graph_width) {
  if (++overlay.tracker_calls % 30 != 0) return;
  OVI_RefreshMemoryEstimates();
  MemorySample now = CurrentEstimates();
  bool unchanged = overlay.samples.size() >= 4;
  for (size_t i = overlay.samples.size() >= 4 ? overlay.samples.size() - 4 : 0; i < overlay.samples.size(); ++i)
    unchanged = unchanged && overlay.samples[i].total == now.total;
  if (unchanged) return;
  overlay.samples.push_back(now);
  MemorySample& peak = overlay.peaks;
  if (now.total > peak.total) peak.total = now.total;
  if (now.gpu > peak.gpu) peak.gpu = now.gpu;
  if (now.system > peak.system) peak.system = now.system;
  if (now.sound > peak.sound) peak.sound = now.sound;
  if (overlay.samples.size() * 2 > 0.75 * graph_width) overlay.samples.pop_front();
}

int OVI_MemorySampleCount() { return static_cast<int>(overlay.samples.size()); }
MemorySample OVI_MemorySample(int index) { return overlay.samples[static_cast<size_t>(index)]; }
MemorySample OVI_MemoryPeaks() { return overlay.peaks; }

void OVI_UpdateDeveloperOverlay(float seconds) {
  unsigned now = OVOS_Milliseconds();
  if (overlay.frames == 0 && overlay.fps_start == 0) overlay.fps_start = now;
  ++overlay.frames;
  float elapsed = (now - overlay.fps_start) * 0.001f;
  if (elapsed >= 1.5f) {
    overlay.fps = overlay.frames / elapsed;
    overlay.frames = 0;
    overlay.fps_start = now;
  }
  overlay.frame_times.push_back(seconds * 1000.0f);
  if (overlay.frame_times.size() > FRAME_TIME_SAMPLES) overlay.frame_times.pop_front();

  if (core.developer_mode) {
    OVI_SampleMemory(screen_info.native_width - 100);
    if (PressedThisFrame(KEY_F4)) service_table.OV_CallExtension("ListResourceUsage", nullptr);
    if (PressedThisFrame(KEY_F5)) service_table.OV_CallExtension("Cache", "ReloadBitmaps");
  }
  OVI_AnimateConsole(seconds);
}
