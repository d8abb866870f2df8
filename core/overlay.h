// The developer overlay's bookkeeping: the FPS counter, the frame-time history, the memory
// estimates and their tracker, the resource listing and the function-key tools. Drawing the
// overlay and its panels comes with text drawing.
#pragma once

enum {
  KEY_MEMORY_SYSTEM = 2001,
  KEY_MEMORY_GPU = 2002,
  KEY_MEMORY_IMAGE = 2003,
  KEY_MEMORY_SOUND = 2004,
  KEY_MEMORY_TOTAL = 2005,
  FRAME_TIME_SAMPLES = 2048,
};

void OVI_ResetOverlay();
// End of every eye pass: counts the frame, runs the developer tools and animates the console.
void OVI_UpdateDeveloperOverlay(float seconds);
float OVI_FramesPerSecond();

// Sums the resource tables into the key states 2001 (system), 2002 (GPU), 2003 (image),
// 2004 (sound) and 2005 (total = system + GPU + sound), in bytes.
void OVI_RefreshMemoryEstimates();
void OVI_ListResourceUsage();

// The memory tracker samples the estimates on every 30th call, unless the last four samples all
// hold the current total, and keeps samples for a graph graph_width pixels wide (2 per sample).
struct MemorySample {
  int total, gpu, system, sound;
};
void OVI_SampleMemory(int graph_width);
int OVI_MemorySampleCount();
MemorySample OVI_MemorySample(int index);  // 0 = oldest
MemorySample OVI_MemoryPeaks();

float OVI_OverlayZoom();
void OVI_SetOverlayZoom(float zoom);
