/* A program library for the lifecycle tests. It logs every callback ("probe: ..."), and the
   words of the command line choose what it does:
     frames=N     quit in the N-th update (default 3)
     stall        sleep 5 s in the first update
     unbalanced   push a world transform without popping it in the first render
     reinit       ask for 800x600 in the first update
     worker       a named thread posts events of types 100..104 in order
     extensions   log the answers of some extension calls and configured values in init
     files        write user://probe/note.txt, read it back and list it in init
     input        log each input event with the state of its key ("probe: input ..."), refuse the
                  first close request and accept the second; updates and renders stay quiet
   The variants v1359 and getinterface build the same program with interface version 1359, or
   exporting only OV_GetInterface. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include "orvel.h"

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

#ifndef PROBE_VERSION
#define PROBE_VERSION OV_INTERFACE_VERSION
#endif

static ProgramInterface record_storage;
static ProgramInterface* program;
static const EngineServices* ov;
static int updates;
static int renders;

static int Has(const char* word) {
  const char* line = program->video.command_line;
  return line && strstr(line, word) != NULL;
}

static void OV_CALL Worker(void* argument) {
  ProgramEvent event;
  int type;
  (void)argument;
  for (type = 100; type <= 104; ++type) {
    ov->OV_InitEvent(&event, type);
    event.word[0] = type * 10;
    ov->OV_PostEvent(&event);
  }
}

static ov_bool OV_CALL Init(void) {
  ov = program->ov;
  ov->OV_Log("probe: init");
  if (Has("worker")) ov->OV_CreateThread("probe worker", Worker, NULL, 0);
  if (Has("extensions")) {
    const char* language = ov->OV_CallExtension("GetLanguage", NULL);
    const char* platform = ov->OV_CallExtension("PlatformInfo", "PlatformId");
    const char* features = ov->OV_CallExtension("ProgramInfo", "Features");
    const char* product = ov->OV_CallExtension("GetProductValue", "store_url");
    ov->OV_Log("probe: GetLanguage=%s", language ? language : "(null)");
    ov->OV_Log("probe: PlatformId=%s", platform ? platform : "(null)");
    ov->OV_Log("probe: Features=%s", features ? features : "(null)");
    ov->OV_Log("probe: store_url=%s", product ? product : "(null)");
    ov->OV_Log("probe: id=%s title=%s frame_time=%d SHOW_INFO=%d", program->id, program->title,
               program->video.frame_time_ms, ov->OV_HasFeature("SHOW_INFO"));
#ifdef _WIN32
    {
      typedef void* (*GetRenderer)(void);
      GetRenderer get = (GetRenderer)(void (*)(void))GetProcAddress(GetModuleHandleA(NULL), "ORVEL_RendImp_GetInterface");
      void* first = get ? get() : NULL;
      ov->OV_Log("probe: renderer export %s", first && get() == first ? "answers one object" : "missing");
    }
    {
      char native[300] = "";
      const char* clip;
      const char* path = ov->OV_CallExtension("GetNativeOSPath", "user://probe/x.txt");
      if (path) strncpy(native, path, sizeof native - 1);
      ov->OV_CallExtension("Clipboard_SetText", "orvel clip");
      clip = ov->OV_CallExtension("Clipboard_GetText", NULL);
      ov->OV_Log("probe: clipboard=%s", clip ? clip : "(null)");
      path = ov->OV_CallExtension("ConvertNativeOSPathToStaticPath", native);
      ov->OV_Log("probe: path back=%s", path ? path : "(null)");
      ov->OV_Log("probe: user name %s", ov->OV_CallExtension("GetUserName", NULL)[0] ? "known" : "empty");
      ov->OV_Log("probe: SystemInfo=%s", ov->OV_CallExtension("SystemInfo", NULL));
      ov->OV_Log("probe: OS=%s", ov->OV_CallExtension("PlatformInfo", "OS"));
      ov->OV_CallExtension("Accounts", "Logout,now");
    }
#endif
  }
  if (Has("files")) {
    char back[32] = {0};
    FileHandle* file;
    FileList* list;
    ov->OV_CreateDirectory("user://probe");
    file = ov->OV_OpenFile("user://probe/note.txt", "w");
    ov->OV_WriteFile("saved", 5, file);
    ov->OV_CloseFile(file);
    file = ov->OV_OpenFile("user://probe/note.txt", "rb");
    ov->OV_ReadFile(back, file ? file->size : 0, file);
    ov->OV_CloseFile(file);
    ov->OV_Log("probe: read back '%s'", back);
    list = ov->OV_FindFiles("res://", "prog.*", 0);
    ov->OV_Log("probe: found %d %s", list->count, list->count ? list->names[0] : "");
    ov->OV_FreeFileList(list);
    ov->OV_DeleteFile("user://probe/note.txt");
  }
  return 1;
}

static void OV_CALL Update(float seconds) {
  const char* limit = strstr(program->video.command_line, "frames=");
  int frames = limit ? atoi(limit + 7) : 3;
  ++updates;
  if (!Has("input")) ov->OV_Log("probe: update %.3f", seconds);
  if (updates == 1 && Has("stall")) ov->OV_Sleep(5000);
  if (updates == 1 && Has("reinit")) {
    VideoParameters wanted = program->video;
    wanted.width = 800;
    wanted.height = 600;
    wanted.windowed = 1;
    ov->ReinitializeWithParameters(wanted);
  }
  if (updates >= frames) ov->OV_Quit();
}

static void OV_CALL Render(float seconds) {
  (void)seconds;
  ++renders;
  if (!Has("input")) ov->OV_Log("probe: render");
  if (renders == 1 && Has("unbalanced")) ov->OV_PushTransform(NULL);
}

static int closes;

/* The state of the key an input event is about, as the program reads it. */
static int KeyOf(const ProgramEvent* event) {
  switch (event->type) {
    case OV_EVENT_KEY_PRESSED:
    case OV_EVENT_KEY_RELEASED: return event->word[0];
    case OV_EVENT_POINTER_PRESSED:
    case OV_EVENT_POINTER_RELEASED: return event->word[3] & 0xffff;
    case OV_EVENT_WHEEL: return 507;
    default: return 0;
  }
}

static int OV_CALL Event(ProgramEvent event) {
#ifdef _WIN32
  if (event.type == OV_EVENT_ACCOUNTS) {
    program->ov->OV_Log("probe: accounts %s", (const char*)(intptr_t)event.word[1]);
    return 0;
  }
#endif
  if (!Has("input")) {
    program->ov->OV_Log("probe: event %d %d", event.type, event.word[0]);
    return 0;
  }
  if (event.type == OV_EVENT_CLOSE_REQUESTED) {
    ++closes;
    program->ov->OV_Log("probe: close %s", closes == 1 ? "refused" : "accepted");
    return closes == 1 ? OV_REFUSE_CLOSE : 0;
  }
  if (event.type == OV_EVENT_SCREEN_SIZE) {
    program->ov->OV_Log("probe: screen %dx%d windowed %d", event.word[0] & 0xffff, (event.word[0] >> 16) & 0xffff,
                        program->video.windowed);
    return 0;
  }
  program->ov->OV_Log("probe: input %d %d %d %d %d state %d", event.type, event.word[0], event.word[1], event.word[2],
                      event.word[3], program->ov->OV_GetKeyState(KeyOf(&event)));
  return 0;
}

static void OV_CALL Shutdown(void) { ov->OV_Log("probe: shutdown"); }

static void Fill(ProgramInterface* record) {
  program = record;
  record->api_version = PROBE_VERSION;
  strcpy(record->id, "probe");
  strcpy(record->title, "Probe");
  record->video.width = 320;
  record->video.height = 240;
  record->video.windowed = 1;
  record->init = Init;
  record->update = Update;
  record->render = Render;
  record->event = Event;
  record->shutdown = Shutdown;
}

#ifdef PROBE_GET_INTERFACE_ONLY
EXPORT ProgramInterface* OV_CALL OV_GetInterface(void) {
  Fill(&record_storage);
  return &record_storage;
}
#else
EXPORT ov_bool OV_CALL OV_GetProgramInterface(ProgramInterface* record, int version) {
  (void)version;
  Fill(record);
  return 1;
}
#endif
