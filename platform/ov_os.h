// Operating-system services used by the portable engine code: threads, critical sections, named
// (system-wide) mutexes, the millisecond clock, sleeping, dynamic libraries, user folders and
// message boxes. Implemented once for Win32 (platform/windows) and once for POSIX and headless
// runs (platform/posix). Nothing here logs; callers decide what a failure means.
#pragma once

#include <stddef.h>

// Threads. The handle is what the operating system gives (a HANDLE on Windows); the thread runs
// detached and its handle stays valid until OVOS_CloseThread.
typedef void (*OVOS_ThreadFunction)(void* argument);
void* OVOS_StartThread(OVOS_ThreadFunction function, void* argument);
// Waits up to timeout_ms for the thread to finish; true when it did.
bool OVOS_WaitThread(void* thread, unsigned timeout_ms);
void OVOS_CloseThread(void* thread);
unsigned OVOS_CurrentThreadId();

// Critical sections are recursive: the owning thread may enter again.
struct OVOS_CriticalSection;
OVOS_CriticalSection* OVOS_CreateCriticalSection();
void OVOS_DestroyCriticalSection(OVOS_CriticalSection* section);
void OVOS_EnterCriticalSection(OVOS_CriticalSection* section);
bool OVOS_TryEnterCriticalSection(OVOS_CriticalSection* section);
void OVOS_LeaveCriticalSection(OVOS_CriticalSection* section);

// A system-wide named mutex, created owned; already_exists tells whether another process (or an
// earlier call) holds the name. Used for the single-instance check.
struct OVOS_NamedMutex;
OVOS_NamedMutex* OVOS_CreateNamedMutex(const char* name, bool* already_exists);
void OVOS_CloseNamedMutex(OVOS_NamedMutex* mutex);

// Clock and sleep. The clock is the multimedia clock on Windows (1 ms resolution once
// OVOS_BeginTimerPeriod has run); it wraps after about 49 days like the Windows one.
void OVOS_BeginTimerPeriod();
void OVOS_EndTimerPeriod();
unsigned OVOS_Milliseconds();
void OVOS_Sleep(unsigned milliseconds);

// Dynamic libraries. OVOS_LibraryError describes the last failure of this thread's
// OVOS_LoadLibrary or OVOS_GetSymbol call.
// A bare name is looked for beside the executable first (the Windows search order).
void* OVOS_LoadLibrary(const char* path);
void* OVOS_GetSymbol(void* library, const char* name);
void OVOS_FreeLibrary(void* library);
const char* OVOS_LibraryError();

// User folders, without a trailing separator; false when the system has none.
enum OVOS_Folder {
  OVOS_FOLDER_APP_DATA = 0,   // roaming application data (Windows CSIDL_APPDATA)
  OVOS_FOLDER_DOCUMENTS = 1,  // the user's documents (CSIDL_PERSONAL)
};
bool OVOS_GetUserFolder(OVOS_Folder folder, char* out, size_t out_size);

// Message boxes. Kinds use the log-level numbers: 0 information, 1 warning, 2 error, 3 question.
// Buttons: OK, OK+Cancel, Yes+No+Cancel, Yes+No. The result is one of OVOS_RESULT_*.
enum OVOS_PopupButtons {
  OVOS_BUTTONS_OK = 0,
  OVOS_BUTTONS_OK_CANCEL = 1,
  OVOS_BUTTONS_YES_NO_CANCEL = 3,
  OVOS_BUTTONS_YES_NO = 4
};
enum OVOS_PopupResult { OVOS_RESULT_OK = 1, OVOS_RESULT_CANCEL = 2, OVOS_RESULT_YES = 6, OVOS_RESULT_NO = 7 };
// When headless (no display, or OVOS_SetHeadlessPopups(true)), nothing is shown: the text goes to
// standard error and the first button's result is returned.
// owner: the window the box belongs to, or null for a box of its own.
int OVOS_MessageBox(const char* caption, const char* text, int kind, int buttons, void* owner = nullptr);
void OVOS_SetHeadlessPopups(bool headless);

// Folders and files by native path ('/' or the system's separator).
// The folder of the running executable, without a trailing separator.
bool OVOS_ExecutableFolder(char* out, size_t out_size);
// Creates one folder; true when it exists afterwards.
bool OVOS_CreateFolder(const char* path);
// Removes an empty folder; true when it was removed.
bool OVOS_RemoveFolder(const char* path);
bool OVOS_DeleteFile(const char* path);
// Calls visit for every entry of a folder except "." and ".."; false when the folder cannot be read.
typedef void (*OVOS_FolderVisitor)(const char* name, bool is_folder, void* context);
bool OVOS_ListFolder(const char* path, OVOS_FolderVisitor visit, void* context);
// Renames a file, replacing the target when it exists.
bool OVOS_RenameFile(const char* from, const char* to);
