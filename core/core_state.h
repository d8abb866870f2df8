// Process-wide engine state: one engine per process, held in plain global records.
#pragma once

#include "core/orvel.h"

class RendererImplementation;
struct OVOS_CriticalSection;

// Orientation codes and masks.
enum {
  ORIENTATION_PORTRAIT = 1,
  ORIENTATION_PORTRAIT_UPSIDE_DOWN = 2,
  ORIENTATION_LANDSCAPE_LEFT = 4,   // rotated -90 degrees
  ORIENTATION_LANDSCAPE_RIGHT = 8,  // rotated +90 degrees
  ORIENTATIONS_PORTRAIT = 3,
  ORIENTATIONS_LANDSCAPE = 12,
};

struct CoreState {
  EngineServices* services;  // first word: the service table
  ProgramInterface* program;
  ProgramInterface default_program;  // filled by configuration, laid over the program's record
  VideoParameters requested;
  VideoParameters current;

  bool program_initialized;
  bool quit_requested;
  bool reinit_requested;
  bool active;
  bool running;
  bool renderer_ready;
  bool developer_mode;
  bool allow_multiple_instances;
  bool autoscale;
  bool no_sound;
  bool multitouch;
  bool print_reference_count_changes;
  bool hide_cursor;
  bool unlimited_memory;
  bool fallback_program;
  bool reset_time_delta;
  bool in_renderer_init;
  bool core_ready;
  bool in_frame;
  bool reference_counting;
  bool show_fps;
  bool render_stereo;

  // Log switches of the configuration: keep lines in memory (and the console), write the file.
  bool console_enabled;
  bool logging_enabled;

  // Unattended runs: popups go to the log and standard error, answered OK ("-unattended").
  bool unattended;
  // Use the renderer that draws nothing ("-headless").
  bool headless;

  float autoscale_offset_x, autoscale_offset_y;
  float autoscale_scale_x, autoscale_scale_y;
  float autoscale_inverse_x, autoscale_inverse_y;
  float framebuffer_scale;
  float framebuffer_scale_2;
  int framebuffer_offset_x, framebuffer_offset_y;
  bool framebuffer_transform_disabled;
  float frame_seconds;
  unsigned last_frame_start;  // 0 until the first frame

  int logging_verbose_level;
  int console_toggle_key;
  char force_variant[64];
  bool force_resolution;
  int forced_width, forced_height;
  bool override_size;
  int override_width, override_height;

  int supported_orientations;
  int orientation_target;
  int orientation_current;
  float orientation_blend;
  float orientation_blend_time;
  float orientation_angle;

  int eye;  // 0 mono, 1 first and 2 second stereo pass
  int viewport[6];

  RendererImplementation* renderer;
  int bitmap_channel_order;
  int vertex_color_order;
  bool allow_all_resolutions;
  int resolution_rejections;

  void* program_library;
  char* command_line;

  // Configuration values the core reads (filled by the configuration reader).
  char program_features[512];
  char variant_features[512];
  char renderer_implementation[64];
  char sound_implementation[64];
  char control_interfaces[128];
  char locale[32];
  char developer_name[32];  // from the record, for the user folders
  char program_name[32];
  char variant_id[64];
  char input_implementations[512];
  char resolutions[1024];
  // Package lists: comma-separated entries, each a name or "@condition:name".
  char packages[2048];
  char addon_packages[2048];
  char gfx_packages[1024];
  char sound_effect_package[128];
  char music_package[128];
  char developer_packages[2048];
  char pak_folder[260];  // ends in '/' when set
};

// What the running device is (the window layer collects the rest).
struct SystemInformation {
  int platform_id;
  int screen_size_id;
  char device_model[32];
  char operating_system[256];
  char unique_id[256];
  char graphics_adapter[128];
  char processor[128];
};

struct ScreenInfo {
  int native_width, native_height;
  int native_orientation;
  int desktop_width, desktop_height;
};

extern CoreState core;
extern ScreenInfo screen_info;
extern SystemInformation system_information;
extern unsigned main_thread_id;
extern unsigned start_time;

// Whole-word test in a feature list: a word matches when a space, comma, semicolon or the end of
// the list stands on each side; case-sensitive.
bool OVI_HasWord(const char* list, const char* word);
// The word in the program feature list or in the variant feature list.
bool OVI_HasFeature(const char* word);
