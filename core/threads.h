// Mutexes, threads and time.
#pragma once

#include "core/orvel.h"

struct OVOS_CriticalSection;

struct EngineMutex {
  char* name;
  OVOS_CriticalSection* section;
  volatile unsigned char held;
};

enum EngineMutexId {
  MUTEX_PRINT,
  MUTEX_GET_MUTEX,
  MUTEX_CREATE_DIR,
  MUTEX_GET_PATH,
  MUTEX_GET_BITMAP,
  MUTEX_GET_SOUND,
  MUTEX_GET_FONT,
  MUTEX_GET_SHADER,
  MUTEX_MAIN_LOOP,
  MUTEX_RESOURCE_QUEUE,
  MUTEX_SHARED_BITMAP,
  MUTEX_CORE_IMP,
  MUTEX_CORE_VARIABLE,
  ENGINE_MUTEX_COUNT
};

const char* OVI_EngineMutexName(int id);  // "UNKNOWN" outside 0..12
void OVI_CreateThreadListMutex();
void OVI_CreateEngineMutexes();
// Closes the handles of the threads OV_CreateThread started and frees every mutex (shutdown).
void OVI_ReleaseThreadsAndMutexes();
EngineMutex* OVI_EngineMutex(int id);
void OVI_Lock(int id);
void OVI_Unlock(int id);
int OVI_LiveThreadCount();
// The calling thread's name from the thread list ("" when it has none).
void OVI_CurrentThreadName(char* out, int out_size);
void OVI_ListLiveThreads();
// Waits in steps while threads started by OV_CreateThread run; logs the time-out and the thread
// list when some remain. Returns how many remain.
int OVI_WaitForThreads(int steps, int step_ms);

EngineMutex* OV_CALL OV_CreateMutex(const char* name);
void OV_CALL OV_DestroyMutex(EngineMutex* mutex);
void OV_CALL OV_LockMutex(EngineMutex* mutex);
void OV_CALL OV_UnlockMutex(EngineMutex* mutex);
void* OV_CALL OV_CreateThread(const char* name, OV_ThreadFunction function, void* argument, int flags);
int OV_CALL OV_GetCurrentThreadId(void);
ov_bool OV_CALL OV_IsMainThread(void);
void OV_CALL OV_LockMainLoop(void);
void OV_CALL OV_UnlockMainLoop(void);
ov_bool OV_CALL OV_IsMainLoopLocked(void);
void OV_CALL OV_Sleep(int milliseconds);
int OV_CALL OV_GetTime(void);
int OV_CALL OV_GetSystemTime(void);
OV_Time* OV_CALL OV_ConvertTime(OV_Time* out, int time);
OV_Date* OV_CALL OV_GetDate(OV_Date* out);
