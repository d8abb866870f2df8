// The in-game console's state and input: the toggle key, the input line with its cursor,
// history, scrolling, clipboard paste, registered commands and their completion. Lines that are
// not console directives reach the program as events of type 7. Drawing comes with text drawing.
#pragma once

#include "core/orvel.h"

enum { CONSOLE_INPUT_SIZE = 512 };

void OVI_ResetConsole(int toggle_key);
// Called by the event dispatch before anything else; true when the console consumed the event.
bool OVI_ConsoleHandleEvent(const ProgramEvent* event);
// Slides the view toward open or closed (4 per second) and advances the cursor blink.
void OVI_AnimateConsole(float seconds);

bool OVI_ConsoleOpen();
float OVI_ConsoleOpenAmount();
const char* OVI_ConsoleInput();
int OVI_ConsoleCursor();
int OVI_ConsoleScroll();  // lines from the newest entry
const char* OVI_ConsoleAutocompleteText();
int OVI_ConsoleCommandCount();

void OV_CALL OV_AddConsoleCommand(const char* name, const char* description);
