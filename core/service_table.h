// The engine service table handed to the program.
#pragma once

#include "core/orvel.h"

extern EngineServices service_table;

// Zeroes and fills the table and its sub-tables; slot 121 follows the renderer's vertex colour
// order when a renderer exists.
void OVI_FillServiceTable();

// Operations of later subsystems that are not built yet answer 0, false or null and log once
// that they were called. True when the slot still holds such a placeholder (tests).
bool OVI_IsPlaceholder(int slot);

ProgramInterface* OV_CALL OV_Quit(void);
ov_bool OV_CALL OV_IsQuitting(void);
ov_bool OV_CALL OV_HasFeature(const char* word);
ov_bool OV_CALL ReinitializeWithParameters(VideoParameters parameters);
const char* OV_CALL OV_CallExtension(const char* function, const char* parameter, ...);
