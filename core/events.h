// The event queue, its dispatch to the program, and the key, analog and pointer states.
#pragma once

#include "core/orvel.h"
#include "input/key_names.h"

// Pointer i has the codes 524 + 20 i to 531 + 20 i; fourteen pointers stay clear of the gamepad
// codes that start at 800.
enum { KEY_CODES = 2048, POINTERS = 14 };
enum { KEY_POINTER_LEFT = KEY_MOUSE_BUTTON_LEFT, KEY_POINTER_RIGHT = KEY_MOUSE_BUTTON_RIGHT };

struct PointerState {
  float x, y;
  int left, right;
};

extern int key_states[KEY_CODES];
extern float analog_values[KEY_CODES];
extern PointerState pointers[POINTERS];

// Queues an event; the texts and arrays listed in owned (heap blocks, freed with free()) belong
// to the event and are freed after the program has seen it. Before the core is ready the event
// is dispatched at once.
void OVI_PostOwnedEvent(const ProgramEvent* event, void* const* owned, int owned_count);
// Dispatches one event now: input states, then the program's callback; returns its answer.
int OVI_DispatchEvent(ProgramEvent* event);
// Moves the queue aside and dispatches it in posting order (called by the frame).
void OVI_DispatchQueuedEvents();
// Frees queued events without dispatching them (shutdown).
void OVI_ClearEventQueue();
void OVI_ClearInputStates();  // 256 key words, the pointer buttons and the pointer record

void OV_CALL OV_PostEvent(const ProgramEvent* event);
int OV_CALL OV_InitEvent(ProgramEvent* event, int type);
int OV_CALL OV_GetKeyState(int key_code);
void OV_CALL OV_SetKeyState(int key_code, int state);
float OV_CALL OV_GetAnalogValue(int code);
void OV_CALL OV_SetAnalogValue(int code, float value);
