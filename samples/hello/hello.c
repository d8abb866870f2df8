/* The smallest program library: fills its record, logs once in init and asks to quit after a
   few frames. Written in C to keep the public headers C-compatible. */
#include <string.h>

#include "orvel.h"

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

static ProgramInterface* program;
static int frames;

static ov_bool OV_CALL Init(void) {
  program->ov->OV_Log("hello: init, %dx%d", program->video.width, program->video.height);
  return 1;
}

static void OV_CALL Update(float seconds) {
  (void)seconds;
  if (++frames == 3) program->ov->OV_Quit();
}

static void OV_CALL Render(float seconds) {
  float black = 0.0f;
  (void)seconds;
  program->ov->OV_Clear(black, black, black);
}

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
  return 1;
}
