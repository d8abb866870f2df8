// What the device is (the system information record of core/core_state.h), the installed
// DirectX version, and the choice of renderer.
#pragma once

struct SystemInformation;
class RendererImplementation;

// Platform 1 (WINDOWS) on a LARGE screen, device model "PC", the operating-system text, a unique
// id and the graphics adapter.
void OVI_CollectSystemInformation();
// The renderer for the configured renderer implementation; null when DirectX is too old.
RendererImplementation* OVI_SelectRenderer();
// The runtime's one built-in renderer object, made on the first call: Direct3D 9 on Windows,
// the renderer that draws nothing natively.
RendererImplementation* OVI_BuiltInRenderer();

// Platform parts: the texts of the record, and the DirectX version as major x 65536 + minor x 256
// + letter (-1 where there is no DirectX to ask).
void OVI_ReadPlatformInformation(SystemInformation* information);
int OVI_ProbeDirectXVersion();
