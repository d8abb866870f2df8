// Choosing the screen resolution from the configured list of supported resolutions.
#pragma once

// Fills the requested width and height from the configured resolutions ("1280x720,*"; "*" is
// the native size) for a windowed or fullscreen run; forcing takes the first usable entry
// without asking the renderer. False when nothing fits.
bool OVI_SelectOptimalResolution(bool windowed, bool forcing);
