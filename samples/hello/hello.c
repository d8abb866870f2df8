/* The bundled sample program: clears the screen every frame in a colour that follows the mouse,
   draws a ring of spinning sprites (sprite.png), a rectangle under the pointer that turns white
   while the left button is held, logs
   clicks, wheel turns and keys, and quits on Escape or after the number of frames given on the
   command line ("frames=N"). Written in C against the public headers only. */
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "orvel.h"

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

enum { KEY_ESCAPE = 27, KEY_MOUSE_X = 504, KEY_MOUSE_Y = 505, KEY_MOUSE_LEFT = 510 };

static ProgramInterface* program;
static int frames;
static int frame_limit;
static Bitmap* sprite;
static float spin;

static ov_bool OV_CALL Init(void) {
  const char* line = program->video.command_line ? program->video.command_line : "";
  const char* limit = strstr(line, "frames=");
  frame_limit = limit ? atoi(limit + 7) : 0;
  program->ov->OV_Log("hello: init '%s' %s at %dx%d, at least %d ms per frame, %s", program->title, program->version,
                      program->video.width, program->video.height, program->video.frame_time_ms,
                      frame_limit > 0 ? "quitting after the frame limit" : "quit with Escape");
  sprite = program->ov->OV_LoadBitmap("res://sprite.png", 4 /* keep a texture */);
  program->ov->OV_Log("hello: sprite %s", sprite ? "loaded" : "missing");
  return 1;
}

static void OV_CALL Update(float seconds) {
  spin += seconds;
  ++frames;
  if (frame_limit > 0 && frames >= frame_limit) {
    program->ov->OV_Log("hello: %d frames, quitting", frames);
    program->ov->OV_Quit();
  }
}

static void OV_CALL Render(float seconds) {
  const EngineServices* ov = program->ov;
  float x = (float)ov->OV_GetKeyState(KEY_MOUSE_X), y = (float)ov->OV_GetKeyState(KEY_MOUSE_Y);
  float w = program->video.width > 0 ? (float)program->video.width : 1.0f;
  float h = program->video.height > 0 ? (float)program->video.height : 1.0f;
  float size = 32.0f, left = x - 16.0f, top = y - 16.0f;
  float bright = 1.0f, dim = 0.8f, none = 0.0f;
  (void)seconds;
  ov->OV_Clear(0.1f + 0.4f * x / w, 0.2f, 0.4f + 0.4f * y / h);
  if (sprite) {
    int i;
    ov->OV_SetColor(&bright, &bright, &bright);
    for (i = 0; i < 12; ++i) {
      float angle = spin + (float)i * 0.5235988f, scale = 1.5f + 0.5f * (float)(i % 3);
      float sx = w * 0.5f + 200.0f * cosf(angle), sy = h * 0.5f + 200.0f * sinf(angle);
      ov->OV_DrawBitmapTransformed(sprite, &sx, &sy, &angle, &scale);
    }
  }
  if (ov->OV_GetKeyState(KEY_MOUSE_LEFT) & 2) ov->OV_SetColor(&bright, &bright, &bright);
  else ov->OV_SetColor(&dim, &dim, &none);
  ov->OV_DrawRectangle(&left, &top, &size, &size);
}

static int OV_CALL Event(ProgramEvent event) {
  const EngineServices* ov = program->ov;
  switch (event.type) {
    case OV_EVENT_POINTER_PRESSED:
      ov->OV_Log("hello: button %d pressed at %d,%d", event.word[3] & 0xffff, event.word[1], event.word[2]);
      break;
    case OV_EVENT_WHEEL: ov->OV_Log("hello: wheel %d", event.word[3] >> 16); break;
    case OV_EVENT_KEY_PRESSED:
      ov->OV_Log("hello: key %d pressed", event.word[0]);
      /* The event, not the key state: a quick tap can go down and up within one frame. */
      if (event.word[0] == KEY_ESCAPE) {
        ov->OV_Log("hello: %d frames, quitting", frames);
        ov->OV_Quit();
      }
      break;
    default: break;
  }
  return 0;
}

static void OV_CALL Shutdown(void) {
  if (sprite) program->ov->OV_ReleaseBitmap(sprite);
  program->ov->OV_Log("hello: shutdown after %d frames", frames);
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
  record->event = Event;
  record->shutdown = Shutdown;
  return 1;
}
