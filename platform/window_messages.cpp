#include "platform/window_messages.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/core_state.h"
#include "core/events.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/service_table.h"
#include "core/video.h"

namespace {

enum { DEVICE_MOUSE = 2, KEY_RETURN = 13, SIZE_MAXIMIZED = 2, ACTIVE_NONE = 0 };

int Low(intptr_t value) { return static_cast<short>(value & 0xffff); }
int High(intptr_t value) { return static_cast<short>((value >> 16) & 0xffff); }

void PostPointer(int type, intptr_t lparam, int button) {
  int x, y;
  OVI_WindowToProgram(Low(lparam), High(lparam), &x, &y);
  ProgramEvent event = {};
  event.type = type;
  event.word[0] = 0;  // pointer 0, the mouse
  event.word[1] = x;
  event.word[2] = y;
  event.word[3] = button;
  event.word[6] = DEVICE_MOUSE;
  OVI_PostOwnedEvent(&event, nullptr, 0);
}

void PostKey(int type, int code) {
  ProgramEvent event = {};
  event.type = type;
  event.word[0] = code;
  OVI_PostOwnedEvent(&event, nullptr, 0);
}

void RequestWindowed(bool windowed) {
  if (!core.program) return;
  VideoParameters parameters = core.program->video;
  parameters.windowed = windowed;
  service_table.ReinitializeWithParameters(parameters);
}

}  // namespace

void OVI_WindowToProgram(int x, int y, int* program_x, int* program_y) {
  float fx = static_cast<float>(x), fy = static_cast<float>(y);
  if (core.framebuffer_scale > 0.0f && core.framebuffer_scale != 1.0f) {
    fx = (fx - core.framebuffer_offset_x) / core.framebuffer_scale;
    fy = (fy - core.framebuffer_offset_y) / core.framebuffer_scale;
  }
  if (core.autoscale && core.autoscale_inverse_x > 0.0f && core.autoscale_inverse_y > 0.0f) {
    fx = (fx - core.autoscale_offset_x) * core.autoscale_inverse_x;
    fy = (fy - core.autoscale_offset_y) * core.autoscale_inverse_y;
  }
  *program_x = static_cast<int>(fx);
  *program_y = static_cast<int>(fy);
}

WindowAnswer OVI_TranslateWindowMessage(unsigned message, uintptr_t wparam, intptr_t lparam) {
  switch (message) {
    case WINDOW_MOUSE_MOVE: {
      int x, y;
      OVI_WindowToProgram(Low(lparam), High(lparam), &x, &y);
      key_states[KEY_MOUSE_X] = x;
      key_states[KEY_MOUSE_Y] = y;
      analog_values[KEY_MOUSE_X] = static_cast<float>(x);
      analog_values[KEY_MOUSE_Y] = static_cast<float>(y);
      PostPointer(OV_EVENT_POINTER_MOVED, lparam, 0);
      return WINDOW_DONE;
    }
    case WINDOW_LEFT_DOWN: PostPointer(OV_EVENT_POINTER_PRESSED, lparam, 510); return WINDOW_DONE;
    case WINDOW_LEFT_UP: PostPointer(OV_EVENT_POINTER_RELEASED, lparam, 510); return WINDOW_DONE;
    case WINDOW_RIGHT_DOWN: PostPointer(OV_EVENT_POINTER_PRESSED, lparam, 511); return WINDOW_DONE;
    case WINDOW_RIGHT_UP: PostPointer(OV_EVENT_POINTER_RELEASED, lparam, 511); return WINDOW_DONE;
    case WINDOW_MIDDLE_DOWN: PostPointer(OV_EVENT_POINTER_PRESSED, lparam, 512); return WINDOW_DONE;
    case WINDOW_MIDDLE_UP: PostPointer(OV_EVENT_POINTER_RELEASED, lparam, 512); return WINDOW_DONE;
    case WINDOW_EXTRA_DOWN:
    case WINDOW_EXTRA_UP: {
      int button = High(static_cast<intptr_t>(wparam));  // 1 or 2
      int type = message == WINDOW_EXTRA_DOWN ? OV_EVENT_POINTER_PRESSED : OV_EVENT_POINTER_RELEASED;
      PostPointer(type, lparam, 512 + button);
      return WINDOW_DONE_TRUE;
    }
    case WINDOW_WHEEL: {
      int delta = High(static_cast<intptr_t>(wparam));
      int x, y;
      OVI_WindowToProgram(Low(lparam), High(lparam), &x, &y);
      key_states[507] += delta;
      ProgramEvent event = {};
      event.type = OV_EVENT_WHEEL;
      event.word[1] = x;
      event.word[2] = y;
      event.word[3] = static_cast<int>(static_cast<unsigned>(delta) << 16);
      event.word[6] = DEVICE_MOUSE;
      OVI_PostOwnedEvent(&event, nullptr, 0);
      return WINDOW_DONE;
    }
    case WINDOW_KEY_DOWN: PostKey(OV_EVENT_KEY_PRESSED, static_cast<int>(wparam)); return WINDOW_DONE;
    case WINDOW_KEY_UP: PostKey(OV_EVENT_KEY_RELEASED, static_cast<int>(wparam)); return WINDOW_DONE;
    case WINDOW_CHARACTER: PostKey(OV_EVENT_CHARACTER, static_cast<int>(wparam)); return WINDOW_DONE;
    case WINDOW_SYSTEM_KEY_DOWN:
      if (wparam < KEY_CODES) key_states[wparam] = 3;
      if (wparam == KEY_RETURN) {
        bool repeat = (lparam >> 30) & 1;  // Enter held down: toggle once
        if (!repeat) RequestWindowed(!(core.program && core.program->video.windowed));
        return WINDOW_DONE;
      }
      return WINDOW_PASS_ON;  // Alt+F4 and the system menu
    case WINDOW_SYSTEM_KEY_UP:
      if (wparam < KEY_CODES) key_states[wparam] = 0;
      return WINDOW_PASS_ON;
    case WINDOW_SIZE:
      if (wparam != SIZE_MAXIMIZED) return WINDOW_PASS_ON;
      OV_Log("Window maximized: size %dx%d..", Low(lparam) & 0xffff, High(lparam) & 0xffff);
      RequestWindowed(false);
      return WINDOW_RESTORE;
    case WINDOW_ACTIVATE: {
      bool active = (wparam & 0xffff) != ACTIVE_NONE && ((wparam >> 16) & 0xffff) == 0;
      OVI_SetActive(active);
      return WINDOW_PASS_ON;
    }
    case WINDOW_PAINT: return WINDOW_VALIDATE;
    case WINDOW_CLOSE: {
      ProgramEvent event = {};
      event.type = OV_EVENT_CLOSE_REQUESTED;
      if (OVI_DispatchEvent(&event) != OV_REFUSE_CLOSE) OV_Quit();
      return WINDOW_DONE;
    }
    case WINDOW_DESTROY: return WINDOW_POST_QUIT;
    default: return WINDOW_PASS_ON;
  }
}

void OVI_FileDropped(const char* name, int x, int y) {
  if (!name) return;
  OV_Log("Dropped file '%s'", name);
  size_t length = strlen(name);
  char* path = static_cast<char*>(malloc(length + 1));
  char* point = static_cast<char*>(malloc(32));
  char* kind = static_cast<char*>(malloc(sizeof "FILE_DRAGGED"));
  if (!path || !point || !kind) {
    free(path);
    free(point);
    free(kind);
    return;
  }
  memcpy(path, name, length + 1);
  for (char* c = path; *c; ++c)
    if (*c == '\\') *c = '/';
  snprintf(point, 32, "%d,%d", x, y);
  memcpy(kind, "FILE_DRAGGED", sizeof "FILE_DRAGGED");
  ProgramEvent event = {};
  event.type = OV_EVENT_EXTENSION;
  // Event words are 32 bits: the texts travel as addresses in the 32-bit runtime.
  event.word[0] = static_cast<int>(reinterpret_cast<intptr_t>(kind));
  event.word[1] = static_cast<int>(reinterpret_cast<intptr_t>(path));
  event.word[2] = static_cast<int>(reinterpret_cast<intptr_t>(point));
  void* owned[] = {kind, path, point};
  OVI_PostOwnedEvent(&event, owned, 3);
}
