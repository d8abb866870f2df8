// The Steam extension module. Its module object is not built yet: the export answers null, which
// the engine reports as a module it cannot load.
#include "core/orvel.h"

extern "C" __declspec(dllexport) void* OV_CALL OV_GetExtensionModuleInterface() { return nullptr; }
