#include "platform/resolution.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/log.h"
#include "core/packages.h"
#include "core/platforms.h"
#include "render/renderer.h"

namespace {

struct Entry {
  int width, height;
  bool native;  // "*"
};

std::vector<Entry> Entries(const char* list) {
  std::vector<Entry> entries;
  std::string text = list;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string item = text.substr(start, end - start);
    start = end + 1;
    size_t first = item.find_first_not_of(' '), last = item.find_last_not_of(' ');
    if (first == std::string::npos) continue;
    item = item.substr(first, last - first + 1);
    Entry entry = {0, 0, item == "*"};
    if (!entry.native && !OVI_ParseSize(item.c_str(), &entry.width, &entry.height, false)) {
      OV_LogLevel(LOG_WARNING, "Supported resolutions: '%s' is not a size such as 1280x720; skipped.", item.c_str());
      continue;
    }
    entries.push_back(entry);
  }
  return entries;
}

bool Supported(int width, int height, bool windowed) {
  return core.renderer && core.renderer->IsResolutionSupported(width, height, windowed);
}

void Take(int width, int height) {
  core.requested.width = width;
  core.requested.height = height;
}

// The size a "*" entry stands for.
void NativeSize(Entry& entry) {
  if (screen_info.native_width > 0 && screen_info.native_height > 0) {
    entry.width = screen_info.native_width;
    entry.height = screen_info.native_height;
    return;
  }
  if (core.force_variant[0]) {
    std::string forced = core.force_variant;
    size_t slash = forced.find('/');
    int platform = PlatformId(forced.substr(0, slash).c_str());
    bool large = slash != std::string::npos && forced.substr(slash + 1) == "LARGE";
    FallbackResolution(platform, large, &entry.width, &entry.height);
  } else {
    entry.width = core.program->video.reference_width;
    entry.height = core.program->video.reference_height;
    // Without a reference size the platform's typical size keeps the run going.
    if (entry.width <= 0 || entry.height <= 0)
      FallbackResolution(system_information.platform_id, system_information.screen_size_id == SCREEN_SIZE_LARGE,
                         &entry.width, &entry.height);
  }
  OV_Log("Device screen size not set. Using typical fallback resolution %dx%d.", entry.width, entry.height);
}

}  // namespace

bool OVI_SelectOptimalResolution(bool windowed, bool forcing) {
  if (!core.resolutions[0] || !core.program) return false;
  if (core.force_variant[0]) forcing = true;
  OV_Log("Selecting optimal resolution for %s%s.", windowed ? "windowed" : "fullscreen", forcing ? " (forcing)" : "");
  int desktop_width = screen_info.desktop_width, desktop_height = screen_info.desktop_height;
  bool desktop_known = desktop_width > 0 && desktop_height > 0;
  OV_Log("Desktop size %dx%d.", desktop_width, desktop_height);
  core.requested.windowed = windowed;
  if (core.force_resolution) {
    OV_Log("Selected %dx%d. (forced)", core.forced_width, core.forced_height);
    Take(core.forced_width, core.forced_height);
    return true;
  }
  std::vector<Entry> entries = Entries(core.resolutions);

  if (!forcing && desktop_known) {
    float desktop_aspect = static_cast<float>(desktop_width) / desktop_height;
    float best = 10000.0f;
    const Entry* chosen = nullptr;
    for (size_t i = 0; i < entries.size() && i < 64; ++i) {
      Entry entry = entries[i];
      if (entry.native) {
        if (screen_info.native_width <= 0 || screen_info.native_height <= 0) continue;
        entry.width = screen_info.native_width;
        entry.height = screen_info.native_height;
      }
      float aspect = static_cast<float>(entry.width) / entry.height;
      bool closer = fabsf(aspect - desktop_aspect) < fabsf(best - desktop_aspect);
      if (closer && fabsf(aspect - best) > 0.03f && Supported(entry.width, entry.height, windowed)) {
        best = aspect;
        chosen = &entries[i];
        Take(entry.width, entry.height);
      }
    }
    if (chosen) {
      OV_Log("Closest supported aspect ratio is %dx%d (aspect %.2f vs desktop %.2f)", core.requested.width,
             core.requested.height, best, desktop_aspect);
      return true;
    }
  }

  OV_Log("Trying to find any resolution.");
  Entry smallest = {0, 0, false};
  for (size_t i = 0; i < entries.size() && i < 32; ++i) {
    Entry entry = entries[i];
    if (entry.native) NativeSize(entry);
    if (entry.width <= 0 || entry.height <= 0) continue;
    if (!smallest.width || entry.width * entry.height < smallest.width * smallest.height) smallest = entry;
    if (forcing || Supported(entry.width, entry.height, windowed)) {
      OV_Log("Selected resolution %dx%d.", entry.width, entry.height);
      Take(entry.width, entry.height);
      return true;
    }
  }
  if (!windowed && desktop_known && Supported(desktop_width, desktop_height, false)) {
    OV_Log("Selecting desktop resolution for fullscreen.");
    Take(desktop_width, desktop_height);
    return true;
  }
  OV_Log("Trying to select the smallest possible resolution.");
  if (windowed && desktop_known && smallest.width) {
    Take(smallest.width, smallest.height);
    return true;
  }
  OV_LogLevel(LOG_WARNING, "No resolution found in OVI_SelectOptimalResolution!");
  return false;
}
