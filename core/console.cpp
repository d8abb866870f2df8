#include "core/console.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/events.h"
#include "core/log.h"
#include "core/service_table.h"
#include "core/threads.h"

namespace {

enum {
  CHAR_BACKSPACE = 8,
  CHAR_RETURN = 13,
  KEY_TAB = 9,
  KEY_SHIFT = 16,
  KEY_CONTROL = 17,
  KEY_PAGE_UP = 33,
  KEY_PAGE_DOWN = 34,
  KEY_END = 35,
  KEY_HOME = 36,
  KEY_LEFT = 37,
  KEY_UP = 38,
  KEY_RIGHT = 39,
  KEY_DOWN = 40,
  KEY_DELETE = 46,
  KEY_V = 86,
};

struct Command {
  std::string name;
  std::string description;
};

struct Console {
  bool open;
  float open_amount;
  float blink;
  std::string input;
  int cursor;
  std::vector<std::string> history;
  int history_index;
  bool history_browsing;
  int scroll;
  bool ctrl_held;
  bool shift_held;
  int toggle_key;
  std::vector<Command> commands;
  std::string autocomplete_text;
};

Console console;

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The first command that begins with the text (letters without case), else the first whose name
// contains it; null when none does.
const Command* FindCommand(const std::string& text) {
  std::string wanted = Lower(text);
  for (const Command& command : console.commands)
    if (Lower(command.name).compare(0, wanted.size(), wanted) == 0) return &command;
  for (const Command& command : console.commands)
    if (Lower(command.name).find(wanted) != std::string::npos) return &command;
  return nullptr;
}

void RebuildAutocomplete() {
  std::string wanted = Lower(console.input);
  console.autocomplete_text = "Autocomplete (tab): ";
  bool first = true;
  for (const Command& command : console.commands) {
    if (Lower(command.name).compare(0, wanted.size(), wanted) != 0) continue;
    if (!first) console.autocomplete_text += ' ';
    console.autocomplete_text += "|#ffaa55|" + command.name + "|#ffffff|";
    first = false;
  }
}

void SetInput(const std::string& text) {
  console.input = text.substr(0, CONSOLE_INPUT_SIZE - 1);
  console.cursor = static_cast<int>(console.input.size());
}

void ScrollBy(int lines) {
  console.scroll += lines;
  int limit = OVI_LogEntryCount() > 0 ? OVI_LogEntryCount() - 1 : 0;
  if (console.scroll > limit) console.scroll = limit;
  if (console.scroll < 0) console.scroll = 0;
}

void EnterLine() {
  std::string line = console.input;
  OV_Log("%s", line.c_str());
  console.history.push_back(line);
  console.history_browsing = false;
  if (line.size() > 1 && line[0] == '#' && isdigit(static_cast<unsigned char>(line[1]))) {
    // Scroll so that line n is the newest one shown.
    int target = atoi(line.c_str() + 1);
    console.scroll = 0;
    ScrollBy(OVI_LogLineNumber() - target);
  } else {
    char* text = static_cast<char*>(malloc(line.size() + 1));
    memcpy(text, line.c_str(), line.size() + 1);
    ProgramEvent event = {};
    event.type = OV_EVENT_CONSOLE_LINE;
    event.word[0] = static_cast<int>(reinterpret_cast<intptr_t>(text));
    void* owned[] = {text};
    OVI_PostOwnedEvent(&event, owned, 1);
  }
  SetInput("");
}

void Paste() {
  const char* clipboard = service_table.OV_CallExtension("Clipboard_GetText", nullptr);
  if (!clipboard) return;
  std::string text;
  for (const char* c = clipboard; *c && *c != '\n' && *c != '\r'; ++c) text += *c;
  size_t room = console.input.size() < 510 ? 510 - console.input.size() : 0;
  console.input.insert(static_cast<size_t>(console.cursor), text.substr(0, room));
  console.cursor += static_cast<int>(text.substr(0, room).size());
}

void Character(int code) {
  if (code == CHAR_BACKSPACE) {
    if (console.cursor > 0) console.input.erase(static_cast<size_t>(--console.cursor), 1);
  } else if (code == CHAR_RETURN) {
    EnterLine();
  } else if (code > 31 && code < 256 && console.input.size() < CONSOLE_INPUT_SIZE - 1) {
    console.input.insert(static_cast<size_t>(console.cursor), 1, static_cast<char>(code));
    ++console.cursor;
  }
}

void KeyPressed(int key) {
  int length = static_cast<int>(console.input.size());
  switch (key) {
    case KEY_CONTROL: console.ctrl_held = true; break;
    case KEY_SHIFT: console.shift_held = true; break;
    case KEY_DELETE:
      if (console.cursor < length) console.input.erase(static_cast<size_t>(console.cursor), 1);
      break;
    case KEY_HOME:
      if (console.ctrl_held) ScrollBy(OVI_LogEntryCount());
      else console.cursor = 0;
      break;
    case KEY_END:
      if (console.ctrl_held) console.scroll = 0;
      else console.cursor = length;
      break;
    case KEY_LEFT:
      if (console.cursor > 0) --console.cursor;
      break;
    case KEY_RIGHT:
      if (console.cursor < length) ++console.cursor;
      break;
    case KEY_PAGE_UP: ScrollBy(10); break;
    case KEY_PAGE_DOWN: ScrollBy(-10); break;
    case KEY_UP:
      if (console.ctrl_held) {
        ScrollBy(1);
      } else if (!console.history.empty()) {
        if (!console.history_browsing) {
          console.history_browsing = true;
          console.history_index = static_cast<int>(console.history.size()) - 1;
        } else if (console.history_index > 0) {
          --console.history_index;
        }
        SetInput(console.history[static_cast<size_t>(console.history_index)]);
      }
      break;
    case KEY_DOWN:
      if (console.ctrl_held) {
        ScrollBy(-1);
      } else if (console.history_browsing) {
        if (++console.history_index >= static_cast<int>(console.history.size())) {
          console.history_browsing = false;
          SetInput("");
        } else {
          SetInput(console.history[static_cast<size_t>(console.history_index)]);
        }
      }
      break;
    case KEY_TAB: {
      const Command* command = FindCommand(console.input);
      if (command) SetInput(command->name);
      break;
    }
    case KEY_V:
      if (console.ctrl_held) Paste();
      break;
    default: break;
  }
}

}  // namespace

void OVI_ResetConsole(int toggle_key) {
  console = Console();
  console.toggle_key = toggle_key;
  RebuildAutocomplete();
}

bool OVI_ConsoleHandleEvent(const ProgramEvent* event) {
  if (!OVI_LogEnabled() || event->type == OV_EVENT_CONSOLE_LINE) return false;
  bool typed = event->type == OV_EVENT_CHARACTER || event->type == OV_EVENT_KEY_PRESSED;
  if (typed && event->word[0] == console.toggle_key) {
    console.open = !console.open;
    if (core.program) core.program->video.console_open = console.open;
    return true;
  }
  if (!console.open) return false;
  switch (event->type) {
    case OV_EVENT_CHARACTER: Character(event->word[0]); break;
    case OV_EVENT_KEY_PRESSED: KeyPressed(event->word[0]); break;
    case OV_EVENT_KEY_RELEASED:
      if (event->word[0] == KEY_CONTROL) console.ctrl_held = false;
      if (event->word[0] == KEY_SHIFT) console.shift_held = false;
      break;
    default: return false;  // pointer and other events still reach the program
  }
  RebuildAutocomplete();
  return true;
}

void OVI_AnimateConsole(float seconds) {
  if (!OVI_LogEnabled()) return;
  console.open_amount += (console.open ? 4.0f : -4.0f) * seconds;
  if (console.open_amount < 0.0f) console.open_amount = 0.0f;
  if (console.open_amount > 1.0f) console.open_amount = 1.0f;
  console.blink += seconds;
  while (console.blink >= 1.0f) console.blink -= 1.0f;
}

bool OVI_ConsoleOpen() { return console.open; }
float OVI_ConsoleOpenAmount() { return console.open_amount; }
const char* OVI_ConsoleInput() { return console.input.c_str(); }
int OVI_ConsoleCursor() { return console.cursor; }
int OVI_ConsoleScroll() { return console.scroll; }
const char* OVI_ConsoleAutocompleteText() { return console.autocomplete_text.c_str(); }
int OVI_ConsoleCommandCount() { return static_cast<int>(console.commands.size()); }

void OV_CALL OV_AddConsoleCommand(const char* name, const char* description) {
  if (!name || FindCommand(name)) return;
  EngineMutex* mutex = OVI_LogMutex();
  OV_LockMutex(mutex);
  console.commands.push_back(Command{name, description ? description : ""});
  OV_UnlockMutex(mutex);
  RebuildAutocomplete();
}
