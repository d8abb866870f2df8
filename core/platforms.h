// The platforms a configuration can name, their screen sizes, audio formats and fallback
// resolutions. The runtime itself always runs as WINDOWS on a LARGE screen.
#pragma once

enum { PLATFORM_UNKNOWN = 0, PLATFORM_WINDOWS = 1, PLATFORM_IOS = 3 };
enum { SCREEN_SIZE_SMALL = 0, SCREEN_SIZE_MEDIUM = 1, SCREEN_SIZE_LARGE = 2 };

// Unknown ids name "UNKNOWN" (platforms) or "SMALL" (screen sizes), and unknown names give
// those ids back.
const char* PlatformName(int platform);
int PlatformId(const char* name);
const char* ScreenSizeName(int screen_size);
int ScreenSizeId(const char* name);
const char* SoundEffectFormat(int platform);
const char* MusicFormat(int platform);
// The resolution used when the device size is unknown.
void FallbackResolution(int platform, bool large_screen, int* width, int* height);
