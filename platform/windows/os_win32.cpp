// Win32 implementation of the operating-system services.
#include "platform/ov_os.h"

#include <windows.h>
#include <mmsystem.h>
#include <direct.h>
#include <io.h>
#include <process.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

namespace {

struct ThreadStart {
  OVOS_ThreadFunction function;
  void* argument;
};

unsigned __stdcall ThreadEntry(void* raw) {
  ThreadStart start = *static_cast<ThreadStart*>(raw);
  delete static_cast<ThreadStart*>(raw);
  start.function(start.argument);
  return 0;
}

thread_local char library_error[256];
bool headless_popups = false;

void RememberLibraryError(const char* what, const char* name) {
  snprintf(library_error, sizeof library_error, "%s '%s' failed (error %lu)", what, name ? name : "",
           static_cast<unsigned long>(GetLastError()));
}

}  // namespace

struct OVOS_CriticalSection {
  CRITICAL_SECTION section;
};

struct OVOS_NamedMutex {
  HANDLE handle;
};

void* OVOS_StartThread(OVOS_ThreadFunction function, void* argument) {
  ThreadStart* start = new ThreadStart{function, argument};
  uintptr_t handle = _beginthreadex(nullptr, 0, ThreadEntry, start, 0, nullptr);
  if (!handle) {
    delete start;
    return nullptr;
  }
  return reinterpret_cast<void*>(handle);
}

bool OVOS_WaitThread(void* thread, unsigned timeout_ms) {
  return thread && WaitForSingleObject(static_cast<HANDLE>(thread), timeout_ms) == WAIT_OBJECT_0;
}

void OVOS_CloseThread(void* thread) {
  if (thread) CloseHandle(static_cast<HANDLE>(thread));
}

unsigned OVOS_CurrentThreadId() { return GetCurrentThreadId(); }

OVOS_CriticalSection* OVOS_CreateCriticalSection() {
  OVOS_CriticalSection* section = new OVOS_CriticalSection;
  InitializeCriticalSection(&section->section);
  return section;
}

void OVOS_DestroyCriticalSection(OVOS_CriticalSection* section) {
  if (!section) return;
  DeleteCriticalSection(&section->section);
  delete section;
}

void OVOS_EnterCriticalSection(OVOS_CriticalSection* section) { EnterCriticalSection(&section->section); }
bool OVOS_TryEnterCriticalSection(OVOS_CriticalSection* section) {
  return TryEnterCriticalSection(&section->section) != 0;
}
void OVOS_LeaveCriticalSection(OVOS_CriticalSection* section) { LeaveCriticalSection(&section->section); }

OVOS_NamedMutex* OVOS_CreateNamedMutex(const char* name, bool* already_exists) {
  HANDLE handle = CreateMutexA(nullptr, TRUE, name);
  if (already_exists) *already_exists = handle && GetLastError() == ERROR_ALREADY_EXISTS;
  if (!handle) return nullptr;
  return new OVOS_NamedMutex{handle};
}

void OVOS_CloseNamedMutex(OVOS_NamedMutex* mutex) {
  if (!mutex) return;
  ReleaseMutex(mutex->handle);
  CloseHandle(mutex->handle);
  delete mutex;
}

void OVOS_BeginTimerPeriod() { timeBeginPeriod(1); }
void OVOS_EndTimerPeriod() { timeEndPeriod(1); }
unsigned OVOS_Milliseconds() { return timeGetTime(); }
void OVOS_Sleep(unsigned milliseconds) { Sleep(milliseconds); }

void* OVOS_LoadLibrary(const char* path) {
  HMODULE module = LoadLibraryA(path);
  if (!module) RememberLibraryError("LoadLibrary", path);
  return reinterpret_cast<void*>(module);
}

void* OVOS_GetSymbol(void* library, const char* name) {
  FARPROC symbol = GetProcAddress(static_cast<HMODULE>(library), name);
  if (!symbol) RememberLibraryError("GetProcAddress", name);
  return reinterpret_cast<void*>(symbol);
}

void OVOS_FreeLibrary(void* library) {
  if (library) FreeLibrary(static_cast<HMODULE>(library));
}

const char* OVOS_LibraryError() { return library_error; }

bool OVOS_GetUserFolder(OVOS_Folder folder, char* out, size_t out_size) {
  char path[MAX_PATH];
  int csidl = folder == OVOS_FOLDER_DOCUMENTS ? CSIDL_PERSONAL : CSIDL_APPDATA;
  if (FAILED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path))) return false;
  size_t length = strlen(path);
  while (length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/')) path[--length] = 0;
  if (length + 1 > out_size) return false;
  memcpy(out, path, length + 1);
  return true;
}

void OVOS_SetHeadlessPopups(bool headless) { headless_popups = headless; }

int OVOS_MessageBox(const char* caption, const char* text, int kind, int buttons, void* owner) {
  bool yes = buttons == OVOS_BUTTONS_YES_NO || buttons == OVOS_BUTTONS_YES_NO_CANCEL;
  if (headless_popups) {
    fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
    return yes ? OVOS_RESULT_YES : OVOS_RESULT_OK;
  }
  static const UINT icons[] = {MB_ICONINFORMATION, MB_ICONWARNING, MB_ICONERROR, MB_ICONQUESTION};
  UINT icon = kind >= 0 && kind <= 3 ? icons[kind] : MB_ICONINFORMATION;
  UINT type = buttons == OVOS_BUTTONS_OK_CANCEL        ? MB_OKCANCEL
              : buttons == OVOS_BUTTONS_YES_NO_CANCEL ? MB_YESNOCANCEL
              : buttons == OVOS_BUTTONS_YES_NO        ? MB_YESNO
                                                      : MB_OK;
  return MessageBoxA(static_cast<HWND>(owner), text, caption, type | icon | (owner ? 0 : MB_TASKMODAL));
}

bool OVOS_ExecutableFolder(char* out, size_t out_size) {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return false;
  char* cut = strrchr(path, '\\');
  char* slash = strrchr(path, '/');
  if (slash > cut) cut = slash;
  if (!cut) return false;
  *cut = 0;
  if (strlen(path) + 1 > out_size) return false;
  memcpy(out, path, strlen(path) + 1);
  return true;
}

bool OVOS_CreateFolder(const char* path) {
  if (CreateDirectoryA(path, nullptr)) return true;
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool OVOS_RemoveFolder(const char* path) { return _rmdir(path) == 0; }
bool OVOS_DeleteFile(const char* path) { return DeleteFileA(path) != 0; }

bool OVOS_ListFolder(const char* path, OVOS_FolderVisitor visit, void* context) {
  char pattern[MAX_PATH + 4];
  snprintf(pattern, sizeof pattern, "%s/*", path);
  struct _finddata64i32_t entry;
  intptr_t search = _findfirst64i32(pattern, &entry);
  if (search == -1) return false;
  do {
    if (strcmp(entry.name, ".") == 0 || strcmp(entry.name, "..") == 0) continue;
    visit(entry.name, (entry.attrib & _A_SUBDIR) != 0, context);
  } while (_findnext64i32(search, &entry) == 0);
  _findclose(search);
  return true;
}

bool OVOS_RenameFile(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}
