// Named mutexes, named threads with the live-thread count that shutdown waits for, the main-loop
// lock, and the time operations.
#include "core/threads.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/log.h"
#include "core/text.h"
#include "platform/ov_os.h"

namespace {

const char* const engine_mutex_names[ENGINE_MUTEX_COUNT] = {
    "PRINT",    "GET_MUTEX",   "CREATE_DIR",     "GET_PATH",      "GET_BITMAP", "GET_SOUND",     "GET_FONT",
    "GET_SHADER", "MAIN_LOOP", "RESOURCE_QUEUE", "SHARED_BITMAP", "CORE_IMP",   "CORE_VARIABLE"};

EngineMutex* engine_mutexes[ENGINE_MUTEX_COUNT];
EngineMutex* thread_list_mutex;  // "OVT_TIM"
std::vector<EngineMutex*> program_mutexes;

struct ThreadEntry {
  char* name;
  unsigned id;
};
std::vector<ThreadEntry> thread_list;
// Handles returned by OV_CreateThread: the program may wait on them; they are closed at shutdown.
std::vector<void*> thread_handles;
int live_threads;
volatile bool main_loop_locked_by_program;

EngineMutex* NewMutex(const char* name) {
  EngineMutex* mutex = static_cast<EngineMutex*>(calloc(1, sizeof(EngineMutex)));
  mutex->name = OVI_DuplicateText(name);
  mutex->section = OVOS_CreateCriticalSection();
  return mutex;
}

void DeleteMutex(EngineMutex* mutex) {
  if (!mutex) return;
  OVOS_DestroyCriticalSection(mutex->section);
  free(mutex->name);
  free(mutex);
}

// The calling thread's entry, created when missing. Caller holds "OVT_TIM".
ThreadEntry* CurrentThreadEntry() {
  unsigned id = OVOS_CurrentThreadId();
  for (ThreadEntry& entry : thread_list)
    if (entry.id == id) return &entry;
  thread_list.push_back(ThreadEntry{nullptr, id});
  return &thread_list.back();
}

struct ThreadStart {
  char* name;
  OV_ThreadFunction function;
  void* argument;
};

void ThreadMain(void* raw) {
  ThreadStart* start = static_cast<ThreadStart*>(raw);
  OV_LockMutex(thread_list_mutex);
  CurrentThreadEntry()->name = start->name;
  OV_UnlockMutex(thread_list_mutex);

  start->function(start->argument);
  free(start);

  OV_LockMutex(thread_list_mutex);
  int remaining = --live_threads;
  unsigned id = OVOS_CurrentThreadId();
  for (size_t i = 0; i < thread_list.size(); ++i) {
    if (thread_list[i].id != id) continue;
    free(thread_list[i].name);
    thread_list.erase(thread_list.begin() + static_cast<long>(i));
    break;
  }
  OV_UnlockMutex(thread_list_mutex);
  if (remaining < 0) OV_LogLevel(LOG_WARNING, "Thread ref counter reporting %d\n", remaining);
}

}  // namespace

const char* OVI_EngineMutexName(int id) {
  return id >= 0 && id < ENGINE_MUTEX_COUNT ? engine_mutex_names[id] : "UNKNOWN";
}

void OVI_CreateThreadListMutex() {
  if (!thread_list_mutex) thread_list_mutex = NewMutex("OVT_TIM");
}

void OVI_CreateEngineMutexes() {
  for (int i = 0; i < ENGINE_MUTEX_COUNT; ++i)
    if (!engine_mutexes[i]) engine_mutexes[i] = NewMutex(engine_mutex_names[i]);
}

void OVI_ReleaseThreadsAndMutexes() {
  OV_LockMutex(thread_list_mutex);
  for (void* handle : thread_handles) OVOS_CloseThread(handle);
  thread_handles.clear();
  OV_UnlockMutex(thread_list_mutex);
  for (EngineMutex*& mutex : engine_mutexes) {
    DeleteMutex(mutex);
    mutex = nullptr;
  }
  for (EngineMutex* mutex : program_mutexes) DeleteMutex(mutex);
  program_mutexes.clear();
  for (ThreadEntry& entry : thread_list) free(entry.name);
  thread_list.clear();
  DeleteMutex(thread_list_mutex);
  thread_list_mutex = nullptr;
}

EngineMutex* OVI_EngineMutex(int id) { return id >= 0 && id < ENGINE_MUTEX_COUNT ? engine_mutexes[id] : nullptr; }
void OVI_Lock(int id) { OV_LockMutex(OVI_EngineMutex(id)); }
void OVI_Unlock(int id) { OV_UnlockMutex(OVI_EngineMutex(id)); }

int OVI_LiveThreadCount() {
  OV_LockMutex(thread_list_mutex);
  int count = live_threads;
  OV_UnlockMutex(thread_list_mutex);
  return count;
}

void OVI_CurrentThreadName(char* out, int out_size) {
  if (out_size <= 0) return;
  out[0] = 0;
  if (!thread_list_mutex) return;
  OV_LockMutex(thread_list_mutex);
  ThreadEntry* entry = CurrentThreadEntry();
  if (entry->name) snprintf(out, static_cast<size_t>(out_size), "%s", entry->name);
  OV_UnlockMutex(thread_list_mutex);
}

void OVI_ListLiveThreads() {
  OV_Log("List of threads alive:");
  OV_LockMutex(thread_list_mutex);
  std::vector<std::string> names;
  for (const ThreadEntry& entry : thread_list) names.push_back(entry.name ? entry.name : "<null>");
  OV_UnlockMutex(thread_list_mutex);
  for (size_t i = 0; i < names.size(); ++i) OV_Log("#%d. '%s'", static_cast<int>(i), names[i].c_str());
}

int OVI_WaitForThreads(int steps, int step_ms) {
  OV_LogLevel(LOG_SYSTEM, "Waiting for threads to exit... (%d threads)", OVI_LiveThreadCount());
  for (int step = 0; step < steps && OVI_LiveThreadCount() > 0; ++step) OVOS_Sleep(static_cast<unsigned>(step_ms));
  int left = OVI_LiveThreadCount();
  if (left > 0) {
    OV_LogLevel(LOG_WARNING, "Time out: %d threads left running!", left);
    OVI_ListLiveThreads();
  }
  return left;
}

EngineMutex* OV_CALL OV_CreateMutex(const char* name) {
  if (!name) name = "";
  OVI_Lock(MUTEX_GET_MUTEX);
  if (*name) {
    for (EngineMutex* mutex : program_mutexes) {
      if (strcmp(mutex->name, name) == 0) {
        OVI_Unlock(MUTEX_GET_MUTEX);
        return mutex;
      }
    }
  }
  EngineMutex* mutex = NewMutex(name);
  program_mutexes.push_back(mutex);
  OVI_Unlock(MUTEX_GET_MUTEX);
  OV_Log("Created Mutex '%s'..", name);
  return mutex;
}

void OV_CALL OV_DestroyMutex(EngineMutex* mutex) {
  if (!mutex) return;
  EngineMutex* list_lock = OVI_EngineMutex(MUTEX_GET_MUTEX);
  bool lock = mutex != list_lock;
  if (lock) OV_LockMutex(list_lock);
  for (size_t i = 0; i < program_mutexes.size(); ++i) {
    if (program_mutexes[i] == mutex) {
      program_mutexes.erase(program_mutexes.begin() + static_cast<long>(i));
      break;
    }
  }
  if (lock) OV_UnlockMutex(list_lock);
  DeleteMutex(mutex);
}

void OV_CALL OV_LockMutex(EngineMutex* mutex) {
  if (!mutex) return;
  OVOS_EnterCriticalSection(mutex->section);
  mutex->held = 1;
}

void OV_CALL OV_UnlockMutex(EngineMutex* mutex) {
  if (!mutex) return;
  mutex->held = 0;
  OVOS_LeaveCriticalSection(mutex->section);
}

void* OV_CALL OV_CreateThread(const char* name, OV_ThreadFunction function, void* argument, int flags) {
  if (!name && core.developer_mode)
    OV_Report(LOG_WARNING, "OV_CreateThread trying to create thread with null name.");
  if (flags != 0) {
    OV_Report(LOG_WARNING, "OV_CreateThread flags parm must be set to zero - reserved for future use.");
    return nullptr;
  }
  if (!function) return nullptr;
  ThreadStart* start = static_cast<ThreadStart*>(malloc(sizeof(ThreadStart)));
  start->name = OVI_DuplicateText(name);
  start->function = function;
  start->argument = argument;
  // Counted before the thread runs, so that shutdown never misses a thread that is starting.
  OV_LockMutex(thread_list_mutex);
  ++live_threads;
  OV_UnlockMutex(thread_list_mutex);
  void* thread = OVOS_StartThread(ThreadMain, start);
  OV_LockMutex(thread_list_mutex);
  if (thread) {
    thread_handles.push_back(thread);
  } else {
    --live_threads;
    free(start->name);
    free(start);
  }
  OV_UnlockMutex(thread_list_mutex);
  return thread;
}

int OV_CALL OV_GetCurrentThreadId(void) { return static_cast<int>(OVOS_CurrentThreadId()); }
ov_bool OV_CALL OV_IsMainThread(void) { return OVOS_CurrentThreadId() == main_thread_id; }

void OV_CALL OV_LockMainLoop(void) {
  main_loop_locked_by_program = true;
  if (!OV_IsMainThread()) OVI_Lock(MUTEX_MAIN_LOOP);
}

void OV_CALL OV_UnlockMainLoop(void) {
  main_loop_locked_by_program = false;
  if (!OV_IsMainThread()) OVI_Unlock(MUTEX_MAIN_LOOP);
}

ov_bool OV_CALL OV_IsMainLoopLocked(void) { return OV_IsMainThread() || main_loop_locked_by_program; }

void OV_CALL OV_Sleep(int milliseconds) { OVOS_Sleep(milliseconds > 0 ? static_cast<unsigned>(milliseconds) : 0); }
int OV_CALL OV_GetTime(void) { return static_cast<int>(OVOS_Milliseconds() - start_time); }
int OV_CALL OV_GetSystemTime(void) { return static_cast<int>(static_cast<unsigned long long>(time(nullptr))); }

namespace {
bool LocalTime(time_t value, tm* out) {
#ifdef _WIN32
  return localtime_s(out, &value) == 0;
#else
  return localtime_r(&value, out) != nullptr;
#endif
}
}  // namespace

OV_Time* OV_CALL OV_ConvertTime(OV_Time* out, int value) {
  if (!out) return out;
  tm local = {};
  LocalTime(static_cast<time_t>(static_cast<unsigned>(value)), &local);
  *out = OV_Time{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
  return out;
}

OV_Date* OV_CALL OV_GetDate(OV_Date* out) {
  if (!out) return out;
  tm local = {};
  LocalTime(time(nullptr), &local);
  *out = OV_Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                 local.tm_min,         local.tm_sec,     local.tm_wday, local.tm_yday};
  return out;
}
