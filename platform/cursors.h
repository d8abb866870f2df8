// Mouse cursors by name: "ARROW", "FINGER_POINT", "IBEAM" and the rest of the system set.
#pragma once

#include "core/orvel.h"

enum { CURSOR_COUNT = 13, CURSOR_HIDDEN = -1 };

extern const char* const cursor_names[CURSOR_COUNT];

// The cursor a name selects: hidden for null, "NULL" or the HIDE_CURSOR feature, the arrow (0)
// for a name it does not know.
int OVI_CursorIndex(const char* name);

// Loads the system cursors (the start of the run loop).
void OVI_LoadCursors();
void OV_CALL OV_SetCursor(const char* name);
