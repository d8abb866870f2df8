// The Windows step of the extension call: clipboard, URLs, native paths, file dialogs, the
// edit-value dialog, the user's region and name, account actions and mouse capture.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/events.h"
#include "core/log.h"
#include "filesystem/paths.h"
#include "platform/ov_window.h"

namespace {

char answer[1100];

bool Is(const char* a, const char* b) { return a && b && strcmp(a, b) == 0; }

const char* Answer(const char* text) {
  snprintf(answer, sizeof answer, "%s", text ? text : "");
  return answer;
}

HWND Window() { return static_cast<HWND>(OVI_WindowHandle()); }

const char* OpenWithShell(const char* target) {
  HINSTANCE result = ShellExecuteA(nullptr, "open", target ? target : "", nullptr, nullptr, SW_SHOWNORMAL);
  OV_Log("ShellExecute open '%s' returned %x", target ? target : "", static_cast<unsigned>(reinterpret_cast<uintptr_t>(result)));
  return "OK";
}

void SetClipboardText(const char* text) {
  if (!text || !OpenClipboard(Window())) return;
  EmptyClipboard();
  size_t size = strlen(text) + 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (block) {
    memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
  }
  CloseClipboard();
}

const char* ClipboardText() {
  answer[0] = 0;
  if (!OpenClipboard(Window())) return answer;
  HANDLE data = GetClipboardData(CF_TEXT);
  const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
  if (text) {
    snprintf(answer, 1023, "%s", text);  // at most 1022 characters
    GlobalUnlock(data);
  }
  CloseClipboard();
  return answer;
}

// The centre of the window's client area, in screen coordinates.
POINT ClientCentre() {
  RECT client = {0, 0, 0, 0};
  GetClientRect(Window(), &client);
  POINT centre = {(client.right - client.left) / 2, (client.bottom - client.top) / 2};
  ClientToScreen(Window(), &centre);
  return centre;
}

const char* FileDialog(bool open, const char* filter) {
  // A filter such as "Images|*.png;*.jpg|All|*.*" ('|' stands for the separators Windows wants).
  std::vector<char> filters(filter ? filter : "", filter ? filter + strlen(filter) : nullptr);
  for (char& c : filters)
    if (c == '|') c = 0;
  filters.push_back(0);
  filters.push_back(0);
  char path[260] = "";
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Window();
  dialog.lpstrFilter = filters.data();
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.Flags = 0x808 | (open ? 0x1000 : 0);
  BOOL chosen = open ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog);
  if (!chosen) return nullptr;
  for (char* c = path; *c; ++c)
    if (*c == '\\') *c = '/';
  if (!OVFS_Virtualise(path, answer, sizeof answer)) return Answer(path);
  return answer;
}

// The edit-value dialog, laid out in memory: an edit control (1001) with OK and Cancel.
struct EditValueState {
  char text[512];
};

INT_PTR CALLBACK EditValueProcedure(HWND dialog, UINT message, WPARAM w, LPARAM l) {
  EditValueState* state = reinterpret_cast<EditValueState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, l);
      SetWindowTextA(dialog, "Edit value");
      SetDlgItemTextA(dialog, 1001, reinterpret_cast<EditValueState*>(l)->text);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(w) == IDOK) {
        GetDlgItemTextA(dialog, 1001, state->text, sizeof state->text);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(w) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

void AddItem(std::vector<WORD>& t, DWORD style, short x, short y, short cx, short cy, WORD id, WORD kind,
             const wchar_t* text) {
  while (t.size() % 2) t.push_back(0);  // items start on a DWORD boundary
  DLGITEMTEMPLATE item = {style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id};
  const WORD* words = reinterpret_cast<const WORD*>(&item);
  t.insert(t.end(), words, words + sizeof item / 2);
  t.push_back(0xFFFF);
  t.push_back(kind);  // a predefined control class
  for (; *text; ++text) t.push_back(static_cast<WORD>(*text));
  t.push_back(0);
  t.push_back(0);  // no creation data
}

const char* EditValue(const char* initial) {
  EditValueState state;
  snprintf(state.text, sizeof state.text, "%s", initial && *initial ? initial : "<insert text here>");
  std::vector<WORD> t;
  DLGTEMPLATE header = {DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 3, 0, 0, 260, 50};
  const WORD* words = reinterpret_cast<const WORD*>(&header);
  t.insert(t.end(), words, words + sizeof header / 2);
  t.push_back(0);  // no menu
  t.push_back(0);  // the standard dialog class
  t.push_back(0);  // the title is set when the dialog opens
  AddItem(t, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 246, 14, 1001, 0x0081, L"");
  AddItem(t, BS_DEFPUSHBUTTON | WS_TABSTOP, 146, 29, 50, 14, IDOK, 0x0080, L"OK");
  AddItem(t, BS_PUSHBUTTON | WS_TABSTOP, 203, 29, 50, 14, IDCANCEL, 0x0080, L"Cancel");
  INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.data()),
                                           Window(), EditValueProcedure, reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return nullptr;
  return Answer(state.text);
}

void PostAccountsAction(const char* list) {
  if (!list) return;
  std::string first = list;
  size_t comma = first.find(',');
  if (comma != std::string::npos) first.erase(comma);
  if (first != "PairGamepad" && first != "Logout") return;
  char* text = static_cast<char*>(malloc(first.size() + 1));
  if (!text) return;
  memcpy(text, first.c_str(), first.size() + 1);
  ProgramEvent event = {};
  event.type = OV_EVENT_ACCOUNTS;
  event.word[1] = static_cast<int>(reinterpret_cast<intptr_t>(text));
  void* owned[] = {text};
  OVI_PostOwnedEvent(&event, owned, 1);
}

}  // namespace

const char* OVI_WindowExtension(const char* function, const char* parameter) {
  if (!function) return nullptr;
  if (Is(function, "ReadWindowMouseMessages")) {
    MSG message;
    while (PeekMessageA(&message, Window(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) DispatchMessageA(&message);
    return nullptr;
  }
  if (Is(function, "ClipCursor")) {
    if (parameter && _stricmp(parameter, "true") == 0 && Window()) {
      RECT client;
      GetClientRect(Window(), &client);
      POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
      ClientToScreen(Window(), &corners[0]);
      ClientToScreen(Window(), &corners[1]);
      RECT area = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
      ClipCursor(&area);
    } else {
      ClipCursor(nullptr);
    }
    return nullptr;
  }
  if (Is(function, "ReadMouseDelta")) {
    if (!Window()) return nullptr;
    POINT cursor, centre = ClientCentre();
    GetCursorPos(&cursor);
    key_states[508] = cursor.x - centre.x;
    key_states[509] = cursor.y - centre.y;
    SetCursorPos(centre.x, centre.y);
    return nullptr;
  }
  if (Is(function, "Clipboard_SetText")) {
    SetClipboardText(parameter);
    return nullptr;
  }
  if (Is(function, "Clipboard_GetText")) return ClipboardText();
  if (Is(function, "OpenURL") || Is(function, "IPHONE_OpenURL") || Is(function, "ComposeMail"))
    return OpenWithShell(parameter);
  if (Is(function, "GetNativeOSPath") || Is(function, "ConvertStaticPathToNativeOSPath"))
    return parameter && OVFS_Resolve(parameter, answer, sizeof answer) ? answer : nullptr;
  if (Is(function, "ConvertNativeOSPathToStaticPath"))
    return parameter && OVFS_Virtualise(parameter, answer, sizeof answer) ? answer : nullptr;
  if (Is(function, "SetUGCBasePath")) {
    if (parameter && *parameter) OVFS_SetBaseFolder("ugc", parameter);
    return nullptr;
  }
  if (Is(function, "GetRegion")) {
    GEOID nation = GetUserGeoID(GEOCLASS_NATION);
    char code[16] = "";
    if (GetGeoInfoA(nation, GEO_ISO2, code, sizeof code, 0) <= 0) code[0] = 0;
    return Answer(code);
  }
  if (Is(function, "GetUserName")) {
    char name[257] = "";
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) name[0] = 0;
    return Answer(name);
  }
  if (Is(function, "SystemInfo")) return "DEPRECATED";
  if (Is(function, "RawInput")) return nullptr;
  if (Is(function, "OpenFileDialog") || Is(function, "SaveFileDialog"))
    return FileDialog(strstr(function, "Open") != nullptr, parameter);
  if (Is(function, "EditValue")) return EditValue(parameter);
  if (Is(function, "Accounts")) {
    PostAccountsAction(parameter);
    return nullptr;
  }
  return nullptr;
}
