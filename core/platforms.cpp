#include "core/platforms.h"

#include <string.h>

namespace {

struct Platform {
  const char* name;
  const char* sound_effect_format;
  const char* music_format;
  int width, height;              // fallback resolution
  int large_width, large_height;  // on a large screen, when it differs
};

const Platform platforms[] = {
    {"UNKNOWN", "UNKNOWN", "UNKNOWN", 800, 600, 0, 0},
    {"WINDOWS", "OGG_44100", "OGG_44100", 1280, 720, 0, 0},
    {"MAC", "OGG_44100", "OGG_44100", 1280, 720, 0, 0},
    {"IOS", "WAV_22050", "MP3_44100", 960, 640, 1024, 768},
    {"UNKNOWN", "UNKNOWN", "UNKNOWN", 800, 600, 0, 0},
    {"ANDROID", "WAV_22050_MONO", "MP3_44100", 854, 480, 0, 0},
    {"QT", "WAV_22050_MONO", "MP3_44100", 640, 360, 0, 0},
    {"WEBOS", "WAV_22050_MONO", "MP3_22050_STEREO", 480, 320, 1024, 768},
    {"QNX", "WAV_22050_MONO", "MP3_22050_STEREO", 1024, 600, 0, 0},
    {"PS3", "MP3_44100", "MP3_44100", 1920, 1080, 0, 0},
    {"PS_VITA", "WAV_22050_MONO", "OGG_44100", 960, 544, 0, 0},
    {"PS4", "MP3_44100", "MP3_44100", 1920, 1080, 0, 0},
    {"LINUX", "WAV_44100", "WAV_44100", 1280, 720, 0, 0},
    {"WINDOWS_RT", "WAV_22050_MONO", "MP3_22050_STEREO", 1280, 720, 0, 0},
    {"WINDOWS_PHONE", "WAV_22050_MONO", "MP3_22050_STEREO", 800, 480, 0, 0},
    {"FLASH", "MP3_44100", "MP3_44100", 550, 400, 0, 0},
    {"TIZEN", "WAV_22050_MONO", "MP3_22050_STEREO", 1280, 720, 0, 0},
    {"XBOX_ONE", "OGG_44100", "OGG_44100", 1920, 1080, 0, 0},
    {"APPLE_TV", "WAV_22050", "MP3_44100", 1920, 1080, 0, 0},
    {"ANDROID_TV", "WAV_22050_MONO", "MP3_44100", 1920, 1080, 0, 0},
    {"SWITCH", "ADPCM", "ADPCM", 1280, 720, 0, 0},
};
const int platform_count = static_cast<int>(sizeof platforms / sizeof platforms[0]);

const char* const screen_sizes[] = {"SMALL", "MEDIUM", "LARGE"};

const Platform& Find(int platform) { return platforms[platform >= 0 && platform < platform_count ? platform : 0]; }

}  // namespace

const char* PlatformName(int platform) { return Find(platform).name; }

int PlatformId(const char* name) {
  if (!name) return PLATFORM_UNKNOWN;
  for (int i = 0; i < platform_count; ++i)
    if (strcmp(platforms[i].name, name) == 0) return i;
  return PLATFORM_UNKNOWN;
}

const char* ScreenSizeName(int screen_size) {
  return screen_sizes[screen_size >= 0 && screen_size <= SCREEN_SIZE_LARGE ? screen_size : 0];
}

int ScreenSizeId(const char* name) {
  if (!name) return SCREEN_SIZE_SMALL;
  for (int i = 0; i <= SCREEN_SIZE_LARGE; ++i)
    if (strcmp(screen_sizes[i], name) == 0) return i;
  return SCREEN_SIZE_SMALL;
}

const char* SoundEffectFormat(int platform) { return Find(platform).sound_effect_format; }
const char* MusicFormat(int platform) { return Find(platform).music_format; }

void FallbackResolution(int platform, bool large_screen, int* width, int* height) {
  const Platform& p = Find(platform);
  bool large = large_screen && p.large_width > 0;
  *width = large ? p.large_width : p.width;
  *height = large ? p.large_height : p.height;
}
