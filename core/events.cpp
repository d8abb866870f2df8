// Events reach the program in the frame after they were posted, in posting order.
#include "core/events.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

#include "core/console.h"
#include "core/core_state.h"
#include "core/threads.h"

int key_states[KEY_CODES];
float analog_values[KEY_CODES];
PointerState pointers[POINTERS];

namespace {

struct QueuedEvent {
  ProgramEvent event;
  std::vector<void*> owned;
};

std::vector<QueuedEvent> event_queue;

// Pointer i's codes: position as analog values, buttons as key states.
enum {
  POINTER_X_CODE = 524,
  POINTER_Y_CODE = 525,
  POINTER_LEFT_CODE = 530,
  POINTER_RIGHT_CODE = 531,
  POINTER_CODE_STEP = 20,
};

bool ValidCode(int code) { return code >= 0 && code < KEY_CODES; }

void UpdateInputStates(ProgramEvent* event) {
  switch (event->type) {
    case OV_EVENT_KEY_PRESSED:
    case OV_EVENT_KEY_RELEASED: {
      int code = event->word[0];
      if (code < 1 || code >= KEY_CODES) return;
      bool pressed = event->type == OV_EVENT_KEY_PRESSED;
      bool changed = pressed ? key_states[code] == 0 : key_states[code] != 0;
      event->word[1] = (event->word[1] & ~0xff) | (changed ? 1 : 0);
      key_states[code] = pressed ? 3 : 0;
      return;
    }
    case OV_EVENT_POINTER_MOVED:
    case OV_EVENT_POINTER_PRESSED:
    case OV_EVENT_POINTER_RELEASED: {
      int index = event->word[0] & 0xff;
      if (index >= POINTERS) return;
      PointerState& pointer = pointers[index];
      event->word[4] = static_cast<int>(pointer.x);
      event->word[5] = static_cast<int>(pointer.y);
      pointer.x = static_cast<float>(event->word[1]);
      pointer.y = static_cast<float>(event->word[2]);
      int codes = POINTER_CODE_STEP * index;
      analog_values[POINTER_X_CODE + codes] = pointer.x;
      analog_values[POINTER_Y_CODE + codes] = pointer.y;
      if (index == 0) {  // the mouse
        key_states[KEY_MOUSE_X] = event->word[1];
        key_states[KEY_MOUSE_Y] = event->word[2];
        analog_values[KEY_MOUSE_X] = pointer.x;
        analog_values[KEY_MOUSE_Y] = pointer.y;
      }
      if (event->type == OV_EVENT_POINTER_MOVED) return;
      int state = event->type == OV_EVENT_POINTER_PRESSED ? 3 : 0;
      int code = event->word[3] & 0xffff;
      if (code == KEY_POINTER_LEFT) pointer.left = key_states[POINTER_LEFT_CODE + codes] = state;
      if (code == KEY_POINTER_RIGHT) pointer.right = key_states[POINTER_RIGHT_CODE + codes] = state;
      if (index == 0 && ValidCode(code)) key_states[code] = state;
      return;
    }
    default:
      return;
  }
}

}  // namespace

int OVI_DispatchEvent(ProgramEvent* event) {
  if (OVI_ConsoleHandleEvent(event)) return 0;
  UpdateInputStates(event);
  // Render-target bitmaps must be redrawn after a new screen size; they arrive with the bitmap
  // resources, until then there are none.
  ProgramInterface* program = core.program;
  if (!core.running || !program || !program->event) return 0;
  return program->event(*event);
}

void OVI_PostOwnedEvent(const ProgramEvent* event, void* const* owned, int owned_count) {
  if (!event) return;
  if (!core.core_ready) {
    ProgramEvent copy = *event;
    OVI_DispatchEvent(&copy);
    for (int i = 0; i < owned_count; ++i) free(owned[i]);
    return;
  }
  QueuedEvent queued{*event, std::vector<void*>(owned, owned + owned_count)};
  OVI_Lock(MUTEX_RESOURCE_QUEUE);
  event_queue.push_back(std::move(queued));
  OVI_Unlock(MUTEX_RESOURCE_QUEUE);
}

void OVI_DispatchQueuedEvents() {
  std::vector<QueuedEvent> taken;
  OVI_Lock(MUTEX_RESOURCE_QUEUE);
  taken.swap(event_queue);
  OVI_Unlock(MUTEX_RESOURCE_QUEUE);
  for (QueuedEvent& queued : taken) {
    OVI_DispatchEvent(&queued.event);
    for (void* block : queued.owned) free(block);
  }
}

void OVI_ClearEventQueue() {
  std::vector<QueuedEvent> taken;
  OVI_Lock(MUTEX_RESOURCE_QUEUE);
  taken.swap(event_queue);
  OVI_Unlock(MUTEX_RESOURCE_QUEUE);
  for (QueuedEvent& queued : taken)
    for (void* block : queued.owned) free(block);
}

void OVI_ClearInputStates() {
  memset(key_states, 0, 256 * sizeof key_states[0]);
  for (int code = KEY_POINTER_LEFT; code <= 514; ++code) key_states[code] = 0;
  for (int pointer = 0; pointer < POINTERS; ++pointer) {
    key_states[POINTER_LEFT_CODE + POINTER_CODE_STEP * pointer] = 0;
    key_states[POINTER_RIGHT_CODE + POINTER_CODE_STEP * pointer] = 0;
  }
  memset(pointers, 0, sizeof pointers);
}

// Events posted by the program own nothing: the engine never frees the program's memory.
void OV_CALL OV_PostEvent(const ProgramEvent* event) { OVI_PostOwnedEvent(event, nullptr, 0); }

int OV_CALL OV_InitEvent(ProgramEvent* event, int type) {
  if (!event) return type;
  memset(event, 0, sizeof *event);
  event->type = type;
  return type;
}

int OV_CALL OV_GetKeyState(int key_code) {
  if (!ValidCode(key_code)) return 0;
  int state = key_states[key_code];
  if (key_code <= 255) key_states[key_code] &= ~1;
  return state;
}

void OV_CALL OV_SetKeyState(int key_code, int state) {
  if (ValidCode(key_code)) key_states[key_code] = state;
}

float OV_CALL OV_GetAnalogValue(int code) { return ValidCode(code) ? analog_values[code] : 0.0f; }

void OV_CALL OV_SetAnalogValue(int code, float value) {
  if (ValidCode(code)) analog_values[code] = value;
}
