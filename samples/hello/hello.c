/* The bundled sample program: clears the screen every frame, logs in init, counts frames and
   quits on Escape or after the number of frames given on the command line ("frames=N").
   Written in C against the public headers only. */
#include <stdlib.h>
#include <string.h>

#include "orvel.h"

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

enum { KEY_ESCAPE = 27 };

static ProgramInterface* program;
static int frames;
static int frame_limit;

static ov_bool OV_CALL Init(void) {
  const char* line = program->video.command_line ? program->video.command_line : "";
  const char* limit = strstr(line, "frames=");
  frame_limit = limit ? atoi(limit + 7) : 0;
  program->ov->OV_Log("hello: init '%s' %s at %dx%d, at least %d ms per frame, %s", program->title, program->version,
                      program->video.width, program->video.height, program->video.frame_time_ms,
                      frame_limit > 0 ? "quitting after the frame limit" : "quit with Escape");
  return 1;
}

static void OV_CALL Update(float seconds) {
  (void)seconds;
  ++frames;
  if ((frame_limit > 0 && frames >= frame_limit) || (program->ov->OV_GetKeyState(KEY_ESCAPE) & 2)) {
    program->ov->OV_Log("hello: %d frames, quitting", frames);
    program->ov->OV_Quit();
  }
}

static void OV_CALL Render(float seconds) {
  (void)seconds;
  program->ov->OV_Clear(0.1f, 0.2f, 0.4f);
}

static void OV_CALL Shutdown(void) { program->ov->OV_Log("hello: shutdown after %d frames", frames); }

EXPORT ov_bool OV_CALL OV_GetProgramInterface(ProgramInterface* record, int version) {
  if (version != OV_INTERFACE_VERSION) return 0;
  program = record;
  record->api_version = OV_INTERFACE_VERSION;
  strcpy(record->id, "hello");
  strcpy(record->title, "Hello ORVEL");
  strcpy(record->version, "1.0.0");
  strcpy(record->developer_name, "ORVEL");
  record->video.width = 640;
  record->video.height = 480;
  record->video.windowed = 1;
  record->init = Init;
  record->update = Update;
  record->render = Render;
  record->shutdown = Shutdown;
  return 1;
}
