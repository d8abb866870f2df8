#include "core/packages.h"

#include <stdlib.h>
#include <string.h>

#include <string>

#include "core/configuration.h"
#include "core/core_state.h"
#include "core/log.h"
#include "filesystem/file_api.h"

namespace {

const int kMaxEntries = 32;

struct PackageEntry {
  std::string condition;  // empty for an unconditional entry
  std::string name;
  bool conditional = false;
};

// Calls visit for each usable entry; entries of length 0 or 1 are skipped, spaces around an
// entry are ignored.
template <typename Visit>
void ForEachEntry(const char* list, Visit visit) {
  if (!list) return;
  int count = 0;
  for (const char* at = list; *at;) {
    const char* end = strchr(at, ',');
    if (!end) end = at + strlen(at);
    std::string entry(at, static_cast<size_t>(end - at));
    at = *end ? end + 1 : end;
    size_t first = entry.find_first_not_of(" \t\r\n");
    size_t last = entry.find_last_not_of(" \t\r\n");
    entry = first == std::string::npos ? std::string() : entry.substr(first, last - first + 1);
    if (entry.size() <= 1) continue;
    if (++count > kMaxEntries) {
      OV_LogLevel(LOG_WARNING, "Package list holds more than %d entries: '%s' and the rest are ignored.", kMaxEntries,
                  entry.c_str());
      return;
    }
    PackageEntry package;
    if (entry[0] == '@') {
      size_t colon = entry.find(':');
      if (colon == std::string::npos) {
        OV_LogLevel(LOG_WARNING, "prog.xml: package entry '%s' has a condition but no ':' before its name.",
                    entry.c_str());
        continue;
      }
      package.conditional = true;
      package.condition = entry.substr(1, colon - 1);
      package.name = entry.substr(colon + 1);
    } else {
      package.name = entry;
    }
    visit(package);
  }
}

std::string SearchPathOf(std::string name) {
  size_t pak = name.find(".pak");
  if (pak != std::string::npos) {
    OV_LogLevel(LOG_WARNING, "Adding search path with .pak extension! Remove it from '%s'", name.c_str());
    name.erase(pak, 4);
  }
  return "res://" + name;
}

bool Compare(int actual, int wanted, const std::string& op) {
  if (wanted < 0) return true;  // '*'
  if (op == ">=") return actual >= wanted;
  if (op == "<=") return actual <= wanted;
  return actual == wanted;
}

int NumberAfterLastSeparator(const std::string& name) {
  size_t separator = name.find_last_of("-_");
  if (separator == std::string::npos) return 0;
  return atoi(name.c_str() + separator + 1);
}

}  // namespace

bool OVI_ParseSize(const char* text, int* width, int* height, bool allow_wildcards) {
  if (!text) return false;
  int values[2];
  const char* at = text;
  for (int i = 0; i < 2; ++i) {
    while (*at == ' ') ++at;
    if (allow_wildcards && *at == '*') {
      values[i] = -1;
      ++at;
    } else {
      char* end;
      long value = strtol(at, &end, 10);
      if (end == at || value <= 0 || value > 65535) return false;
      values[i] = static_cast<int>(value);
      at = end;
    }
    while (*at == ' ') ++at;
    if (i == 0 && *at++ != 'x') return false;
  }
  if (*at) return false;
  *width = values[0];
  *height = values[1];
  return true;
}

bool OVI_PackageConditionHolds(const char* condition) {
  if (!condition) return false;
  const VideoParameters& video = core.program->video;
  std::string text = condition;
  if (text == "open") return true;
  if (text.compare(0, 8, "feature=") == 0) return OVI_HasFeature(condition + 8);
  if (text.compare(0, 10, "resolution") == 0) {
    size_t size_at = text.compare(10, 2, "==") == 0 ? 12 : text.compare(10, 1, "=") == 0 ? 11 : 0;
    int width, height;
    if (!size_at || !OVI_ParseSize(condition + size_at, &width, &height, false)) return false;
    return (video.width == width && video.height == height) || (video.width == height && video.height == width);
  }
  if (text.compare(0, 3, "res") == 0) {
    std::string op;
    size_t size_at;
    if (text.compare(3, 2, "==") == 0 || text.compare(3, 2, ">=") == 0 || text.compare(3, 2, "<=") == 0) {
      op = text.substr(3, 2);
      size_at = 5;
    } else if (text.compare(3, 1, "=") == 0) {
      op = "==";
      size_at = 4;
    } else if (text.compare(3, 1, ">") == 0 || text.compare(3, 1, "<") == 0) {
      OV_LogLevel(LOG_WARNING, "prog.xml: res comparison needs to be ==, >=, or <=. '%s' is not supported.", condition);
      op = text.substr(3, 1) + "=";
      size_at = 4;
    } else {
      return false;
    }
    int width, height;
    if (!OVI_ParseSize(condition + size_at, &width, &height, true)) return false;
    return Compare(video.width, width, op) && Compare(video.height, height, op);
  }
  return false;
}

void OVI_MountPackageList(const char* list, bool high_priority) {
  ForEachEntry(list, [high_priority](const PackageEntry& entry) {
    if (entry.conditional && !OVI_PackageConditionHolds(entry.condition.c_str())) return;
    OV_AddSearchPath(SearchPathOf(entry.name).c_str(), high_priority);
  });
}

void OVI_UnmountPackageList(const char* list) {
  ForEachEntry(list, [](const PackageEntry& entry) {
    std::string name = entry.name;
    size_t pak = name.find(".pak");
    if (pak != std::string::npos) name.erase(pak, 4);
    OV_RemoveSearchPath(("res://" + name).c_str());
  });
}

void OVI_SelectGraphicsPackage() {
  OVI_UnmountPackageList(core.gfx_packages);
  const VideoParameters& video = core.program->video;
  int best = video.reference_height;
  std::string chosen;
  ForEachEntry(core.gfx_packages, [&](const PackageEntry& entry) {
    if (entry.conditional && !OVI_PackageConditionHolds(entry.condition.c_str())) return;
    int n = NumberAfterLastSeparator(entry.name);
    if (n > 0 && abs(n - video.height) < abs(video.height - best)) {
      chosen = entry.name;
      best = n;
    }
  });
  if (!chosen.empty()) OV_AddSearchPath(SearchPathOf(chosen).c_str(), 1);
}

void OVI_AddPackages() {
  OV_LogLevel(LOG_SYSTEM, "Adding packages...");
  OVI_MountPackageList(core.packages, true);
  OVI_MountPackageList(core.addon_packages, true);
  OVI_MountPackageList(core.sound_effect_package, true);
  OVI_MountPackageList(core.music_package, true);
  OVI_MountPackageList(core.developer_packages, false);
  OVI_SelectGraphicsPackage();
}
