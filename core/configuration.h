// Program configuration. The reader of prog.xml and developer.xml is not built yet: until then
// the configuration holds its defaults, and the run switches come from the command line.
#pragma once

// Fills the engine's default record and the configured values. Command-line words:
//   -unattended  popups go to the log and standard error, answered OK
//   -headless    the renderer that draws nothing
//   -developer   developer mode
void OVI_ReadConfiguration();
