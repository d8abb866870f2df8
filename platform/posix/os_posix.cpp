// POSIX implementation of the operating-system services, for the native (headless) build.
// There is no display: message boxes write to standard error and answer with the first button.
#include "platform/ov_os.h"

#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <string>

namespace {

struct Thread {
  pthread_t id;
  OVOS_ThreadFunction function;
  void* argument;
  pthread_mutex_t lock;
  pthread_cond_t done_signal;
  bool done;
  int references;  // the thread itself and the handle's owner
};

void ReleaseThread(Thread* thread) {
  pthread_mutex_lock(&thread->lock);
  bool last = --thread->references == 0;
  pthread_mutex_unlock(&thread->lock);
  if (!last) return;
  pthread_mutex_destroy(&thread->lock);
  pthread_cond_destroy(&thread->done_signal);
  delete thread;
}

void* ThreadEntry(void* raw) {
  Thread* thread = static_cast<Thread*>(raw);
  thread->function(thread->argument);
  pthread_mutex_lock(&thread->lock);
  thread->done = true;
  pthread_cond_broadcast(&thread->done_signal);
  pthread_mutex_unlock(&thread->lock);
  ReleaseThread(thread);
  return nullptr;
}

thread_local char library_error[512];

unsigned MonotonicMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<unsigned>(static_cast<unsigned long long>(now.tv_sec) * 1000u + now.tv_nsec / 1000000);
}

}  // namespace

struct OVOS_CriticalSection {
  pthread_mutex_t mutex;
};

struct OVOS_NamedMutex {
  int fd;
  std::string path;
};

void* OVOS_StartThread(OVOS_ThreadFunction function, void* argument) {
  Thread* thread = new Thread{};
  thread->function = function;
  thread->argument = argument;
  thread->references = 2;
  pthread_mutex_init(&thread->lock, nullptr);
  pthread_cond_init(&thread->done_signal, nullptr);
  if (pthread_create(&thread->id, nullptr, ThreadEntry, thread) != 0) {
    pthread_mutex_destroy(&thread->lock);
    pthread_cond_destroy(&thread->done_signal);
    delete thread;
    return nullptr;
  }
  pthread_detach(thread->id);
  return thread;
}

bool OVOS_WaitThread(void* handle, unsigned timeout_ms) {
  Thread* thread = static_cast<Thread*>(handle);
  if (!thread) return false;
  timespec deadline;
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += timeout_ms / 1000;
  deadline.tv_nsec += static_cast<long>(timeout_ms % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }
  pthread_mutex_lock(&thread->lock);
  while (!thread->done) {
    if (pthread_cond_timedwait(&thread->done_signal, &thread->lock, &deadline) == ETIMEDOUT) break;
  }
  bool done = thread->done;
  pthread_mutex_unlock(&thread->lock);
  return done;
}

void OVOS_CloseThread(void* handle) {
  if (handle) ReleaseThread(static_cast<Thread*>(handle));
}

unsigned OVOS_CurrentThreadId() { return static_cast<unsigned>(gettid()); }

OVOS_CriticalSection* OVOS_CreateCriticalSection() {
  OVOS_CriticalSection* section = new OVOS_CriticalSection;
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&section->mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
  return section;
}

void OVOS_DestroyCriticalSection(OVOS_CriticalSection* section) {
  if (!section) return;
  pthread_mutex_destroy(&section->mutex);
  delete section;
}

void OVOS_EnterCriticalSection(OVOS_CriticalSection* section) { pthread_mutex_lock(&section->mutex); }
bool OVOS_TryEnterCriticalSection(OVOS_CriticalSection* section) {
  return pthread_mutex_trylock(&section->mutex) == 0;
}
void OVOS_LeaveCriticalSection(OVOS_CriticalSection* section) { pthread_mutex_unlock(&section->mutex); }

// A lock file under the temporary folder stands in for a system-wide named mutex.
OVOS_NamedMutex* OVOS_CreateNamedMutex(const char* name, bool* already_exists) {
  if (already_exists) *already_exists = false;
  std::string path = "/tmp/orvel-mutex-";
  for (const char* c = name ? name : ""; *c; ++c) path += (*c == '/' ? '_' : *c);
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (already_exists) *already_exists = true;
  }
  return new OVOS_NamedMutex{fd, path};
}

void OVOS_CloseNamedMutex(OVOS_NamedMutex* mutex) {
  if (!mutex) return;
  close(mutex->fd);
  delete mutex;
}

void OVOS_BeginTimerPeriod() {}
void OVOS_EndTimerPeriod() {}
unsigned OVOS_Milliseconds() { return MonotonicMilliseconds(); }

void OVOS_Sleep(unsigned milliseconds) {
  timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

// Like the Windows library search, a bare name is looked for first beside the executable.
void* OVOS_LoadLibrary(const char* path) {
  void* library = nullptr;
  if (path && !strchr(path, '/')) {
    char executable[4096];
    ssize_t length = readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length > 0) {
      executable[length] = 0;
      std::string beside(executable);
      beside = beside.substr(0, beside.rfind('/') + 1) + path;
      library = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
  }
  if (!library) library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!library) snprintf(library_error, sizeof library_error, "%s", dlerror());
  return library;
}

void* OVOS_GetSymbol(void* library, const char* name) {
  dlerror();
  void* symbol = dlsym(library, name);
  if (!symbol) snprintf(library_error, sizeof library_error, "symbol '%s' not found", name ? name : "");
  return symbol;
}

void OVOS_FreeLibrary(void* library) {
  if (library) dlclose(library);
}

const char* OVOS_LibraryError() { return library_error; }

bool OVOS_GetUserFolder(OVOS_Folder folder, char* out, size_t out_size) {
  const char* home = getenv("HOME");
  std::string path;
  if (folder == OVOS_FOLDER_APP_DATA) {
    const char* data = getenv("XDG_DATA_HOME");
    if (data && *data) path = data;
    else if (home && *home) path = std::string(home) + "/.local/share";
  } else if (home && *home) {
    path = std::string(home) + "/Documents";
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty() || path.size() + 1 > out_size) return false;
  memcpy(out, path.c_str(), path.size() + 1);
  return true;
}

void OVOS_SetHeadlessPopups(bool) {}

int OVOS_MessageBox(const char* caption, const char* text, int, int buttons, void*) {
  fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
  return buttons == OVOS_BUTTONS_YES_NO || buttons == OVOS_BUTTONS_YES_NO_CANCEL ? OVOS_RESULT_YES : OVOS_RESULT_OK;
}

bool OVOS_ExecutableFolder(char* out, size_t out_size) {
  char executable[4096];
  ssize_t length = readlink("/proc/self/exe", executable, sizeof executable - 1);
  if (length <= 0) return false;
  executable[length] = 0;
  char* slash = strrchr(executable, '/');
  if (!slash) return false;
  *slash = 0;
  if (strlen(executable) + 1 > out_size) return false;
  memcpy(out, executable, strlen(executable) + 1);
  return true;
}

bool OVOS_CreateFolder(const char* path) {
  struct stat info;
  if (mkdir(path, 0755) == 0) return true;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool OVOS_RemoveFolder(const char* path) { return rmdir(path) == 0; }
bool OVOS_DeleteFile(const char* path) { return unlink(path) == 0; }

bool OVOS_ListFolder(const char* path, OVOS_FolderVisitor visit, void* context) {
  DIR* folder = opendir(path);
  if (!folder) return false;
  while (dirent* entry = readdir(folder)) {
    if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
    std::string full = std::string(path) + "/" + entry->d_name;
    struct stat info;
    bool is_folder = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    visit(entry->d_name, is_folder, context);
  }
  closedir(folder);
  return true;
}

bool OVOS_RenameFile(const char* from, const char* to) { return rename(from, to) == 0; }
