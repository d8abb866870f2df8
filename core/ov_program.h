/* ORVEL binary interface: the program interface record a program library fills, its video
   parameters, and the event record the engine passes to the program's event callback. */
#ifndef ORVEL_OV_PROGRAM_H
#define ORVEL_OV_PROGRAM_H

#include "ov_types.h"

#define OV_INTERFACE_VERSION 1360

struct EngineServices;

/* 104 bytes, at offset 248 of the program record; copied as one unit. */
typedef struct VideoParameters {
  int width;
  int height;
  ov_bool windowed;
  ov_bool no_sound;
  ov_bool multitouch;
  unsigned char unused_11;
  int frame_time_ms; /* minimum milliseconds per frame, 0 for none */
  ov_bool console_open;
  ov_bool developer_mode;
  unsigned char unused_18[2];
  const char* command_line;
  const char* locale;
  ov_bool quitting;
  unsigned char unused_29[3];
  int reference_width;
  int reference_height;
  unsigned char renderer_data[64]; /* not read by the core; handed to the renderer with the block */
} VideoParameters;

/* Nine 32-bit words: the type, then a payload whose meaning depends on the type. Texts and
   arrays an event owns are freed by the engine after the event callback returns. */
typedef struct ProgramEvent {
  int type;
  int word[8];
} ProgramEvent;

/* Event types the engine produces (the services add their own). */
enum {
  OV_EVENT_CHARACTER = 1,
  OV_EVENT_POINTER_MOVED = 2,
  OV_EVENT_WHEEL = 4,
  OV_EVENT_POINTER_RELEASED = 5,
  OV_EVENT_POINTER_PRESSED = 6,
  OV_EVENT_CONSOLE_LINE = 7,
  OV_EVENT_KEY_PRESSED = 8,
  OV_EVENT_KEY_RELEASED = 9,
  OV_EVENT_FOCUS_CHANGED = 10,
  OV_EVENT_VIDEO_REINIT = 11,
  OV_EVENT_SCREEN_SIZE = 12,
  OV_EVENT_CLOSE_REQUESTED = 13,
  OV_EVENT_REDRAW_RENDER_TARGET = 15,
  OV_EVENT_CHECK_VIDEO_PARAMETERS = 16,
  OV_EVENT_LOGIN = 17,
  OV_EVENT_LEADERBOARD = 19,
  OV_EVENT_CLOUD = 37,
  OV_EVENT_SOCIAL = 38,
  OV_EVENT_WORKSHOP = 42,
  OV_EVENT_ACCOUNTS = 43,
  OV_EVENT_EXTENSION = 63
};

/* Answer to OV_EVENT_CLOSE_REQUESTED that keeps the window open. */
#define OV_REFUSE_CLOSE 2

/* 372 bytes. The program fills api_version, the identity texts and the callbacks; the engine
   then lays its configured values over everything but api_version and the callbacks. */
typedef struct ProgramInterface {
  int api_version; /* OV_INTERFACE_VERSION */
  char id[32];
  char title[128];
  char version[16];
  char developer_name[64];
  const struct EngineServices* ov;
  VideoParameters video;
  ov_bool(OV_CALL* init)(void);
  void(OV_CALL* shutdown)(void);
  void(OV_CALL* update)(float seconds);
  void(OV_CALL* render)(float seconds);
  int(OV_CALL* event)(ProgramEvent event);
} ProgramInterface;

/* Exports a program library provides (either one). */
typedef ov_bool(OV_CALL* OV_GetProgramInterfaceFunction)(ProgramInterface* record, int version);
typedef ProgramInterface*(OV_CALL* OV_GetInterfaceFunction)(void);

#if OV_LAYOUT_32
OV_CHECK_LAYOUT(sizeof(VideoParameters) == 104, "VideoParameters");
OV_CHECK_LAYOUT(offsetof(VideoParameters, width) == 0 && offsetof(VideoParameters, height) == 4 &&
                    offsetof(VideoParameters, windowed) == 8 && offsetof(VideoParameters, no_sound) == 9 &&
                    offsetof(VideoParameters, multitouch) == 10 && offsetof(VideoParameters, frame_time_ms) == 12 &&
                    offsetof(VideoParameters, console_open) == 16 && offsetof(VideoParameters, developer_mode) == 17 &&
                    offsetof(VideoParameters, command_line) == 20 && offsetof(VideoParameters, locale) == 24 &&
                    offsetof(VideoParameters, quitting) == 28 && offsetof(VideoParameters, reference_width) == 32 &&
                    offsetof(VideoParameters, reference_height) == 36 && offsetof(VideoParameters, renderer_data) == 40,
                "VideoParameters fields");
OV_CHECK_LAYOUT(sizeof(ProgramEvent) == 36 && offsetof(ProgramEvent, word) == 4, "ProgramEvent");
OV_CHECK_LAYOUT(sizeof(ProgramInterface) == 372, "ProgramInterface");
OV_CHECK_LAYOUT(offsetof(ProgramInterface, api_version) == 0 && offsetof(ProgramInterface, id) == 4 &&
                    offsetof(ProgramInterface, title) == 36 && offsetof(ProgramInterface, version) == 164 &&
                    offsetof(ProgramInterface, developer_name) == 180 && offsetof(ProgramInterface, ov) == 244 &&
                    offsetof(ProgramInterface, video) == 248 && offsetof(ProgramInterface, init) == 352 &&
                    offsetof(ProgramInterface, shutdown) == 356 && offsetof(ProgramInterface, update) == 360 &&
                    offsetof(ProgramInterface, render) == 364 && offsetof(ProgramInterface, event) == 368,
                "ProgramInterface fields");
#endif

#endif
