// Program configuration: res://prog.xml (application, developer and variant settings) and the
// optional res://developer.xml, read once into the engine's default record and the core state.
#pragma once

#include "core/orvel.h"

// Reads the configuration into the active record (the engine's default record). Ends the
// process with -1 when prog.xml has no variant for this platform. Command-line words:
//   -unattended  popups go to the log and standard error, answered OK
//   -headless    the renderer that draws nothing
void OVI_ReadConfiguration();

// Resolves a locale of "auto" once more (the extension modules may answer now) and adds the
// locale's data package ",data-<locale>" to the addon packages.
void OVI_ApplyLocale();

// Developer runs: reports nodes that share an id within an array of prog.xml, and parameters
// that share a name within a node.
void OVI_CheckConfigurationDuplicates();

const char* OV_CALL OV_GetProductValue(const char* key);
