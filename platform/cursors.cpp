#include "platform/cursors.h"

#include <string.h>

#include "core/core_state.h"
#include "platform/ov_window.h"

const char* const cursor_names[CURSOR_COUNT] = {
    "ARROW",           "FINGER_POINT",    "IBEAM", "WAIT",     "CROSS", "UPARROW", "SIZE_DIAGONAL_DOWN",
    "SIZE_DIAGONAL_UP", "SIZE_HORIZONTAL", "SIZE_VERTICAL", "SIZE_ALL", "NO", "HELP",
};

int OVI_CursorIndex(const char* name) {
  if (!name || strcmp(name, "NULL") == 0 || OVI_HasFeature("HIDE_CURSOR")) return CURSOR_HIDDEN;
  for (int i = 0; i < CURSOR_COUNT; ++i)
    if (strcmp(cursor_names[i], name) == 0) return i;
  return 0;
}

void OV_CALL OV_SetCursor(const char* name) { OVI_ShowCursor(OVI_CursorIndex(name)); }
