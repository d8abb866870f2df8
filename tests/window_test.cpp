// The window layer above the Win32 calls: message translation into events and key states,
// resolution selection, cursor names, popups from worker threads and dropped files.
#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/core_state.h"
#include "core/events.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "core/video.h"
#include "platform/cursors.h"
#include "platform/popups.h"
#include "platform/resolution.h"
#include "platform/window_messages.h"
#include "render/renderer_headless.h"
#include "tests/support/file_system_fixture.h"

namespace {

// Accepts the sizes it is given (any size when the list is empty).
class SizedRenderer : public RendImpHeadless {
 public:
  std::set<std::string> sizes;
  bool IsResolutionSupported(int width, int height, bool) override {
    return sizes.empty() || sizes.count(std::to_string(width) + "x" + std::to_string(height)) > 0;
  }
};

SizedRenderer renderer;
ProgramInterface record;
std::vector<ProgramEvent> received;
std::vector<std::string> extension_texts;  // the texts of extension events, read while they live
int close_answer = 0;

int OV_CALL Event(ProgramEvent event) {
  received.push_back(event);
#if OV_LAYOUT_32
  if (event.type == OV_EVENT_EXTENSION)
    for (int i = 0; i < 3; ++i) extension_texts.push_back(reinterpret_cast<const char*>(event.word[i]));
#endif
  return event.type == OV_EVENT_CLOSE_REQUESTED ? close_answer : 0;
}

intptr_t Position(int x, int y) { return static_cast<intptr_t>((y & 0xffff) << 16 | (x & 0xffff)); }

class Window : public testing::Test {
 protected:
  void SetUp() override {
    CapturedLog().clear();
    OVI_SetLogSink(CaptureLog);
    OVI_StartEngineState();
    core.unattended = true;
    renderer = SizedRenderer();
    core.renderer = &renderer;
    OVI_FillServiceTable();
    memset(&record, 0, sizeof record);
    record.video.width = record.video.reference_width = 640;
    record.video.height = record.video.reference_height = 480;
    record.video.windowed = 1;
    record.event = Event;
    core.program = &record;
    core.requested = core.current = record.video;
    screen_info.native_width = 640;
    screen_info.native_height = 480;
    strcpy(core.resolutions, "*");
    core.running = core.core_ready = core.renderer_ready = true;
    received.clear();
    extension_texts.clear();
    close_answer = 0;
  }
  void TearDown() override {
    OVI_ClearEventQueue();
    OVI_ReleaseThreadsAndMutexes();
    OVI_SetLogSink(nullptr);
  }
  // Translates one message and delivers what it queued.
  WindowAnswer Send(unsigned message, uintptr_t wparam, intptr_t lparam) {
    WindowAnswer answer = OVI_TranslateWindowMessage(message, wparam, lparam);
    OVI_DispatchQueuedEvents();
    return answer;
  }
};

TEST_F(Window, MessagesBecomeEventsAndKeyStates) {
  struct Case {
    unsigned message;
    uintptr_t wparam;
    intptr_t lparam;
    WindowAnswer answer;
    int type;                  // the event the program receives, 0 for none
    int word0, word1, word2, word3;
    int state_code, state;     // a key state afterwards
  } cases[] = {
      {WINDOW_MOUSE_MOVE, 0, Position(30, 40), WINDOW_DONE, OV_EVENT_POINTER_MOVED, 0, 30, 40, 0, 504, 30},
      {WINDOW_LEFT_DOWN, 1, Position(31, 41), WINDOW_DONE, OV_EVENT_POINTER_PRESSED, 0, 31, 41, 510, 510, 3},
      {WINDOW_LEFT_UP, 0, Position(31, 41), WINDOW_DONE, OV_EVENT_POINTER_RELEASED, 0, 31, 41, 510, 510, 0},
      {WINDOW_RIGHT_DOWN, 2, Position(5, 6), WINDOW_DONE, OV_EVENT_POINTER_PRESSED, 0, 5, 6, 511, 511, 3},
      {WINDOW_MIDDLE_DOWN, 16, Position(5, 6), WINDOW_DONE, OV_EVENT_POINTER_PRESSED, 0, 5, 6, 512, 512, 3},
      {WINDOW_EXTRA_DOWN, 2u << 16, Position(5, 6), WINDOW_DONE_TRUE, OV_EVENT_POINTER_PRESSED, 0, 5, 6, 514, 514, 3},
      {WINDOW_EXTRA_UP, 1u << 16, Position(5, 6), WINDOW_DONE_TRUE, OV_EVENT_POINTER_RELEASED, 0, 5, 6, 513, 513, 0},
      {WINDOW_MOUSE_MOVE, 0, Position(-3, 700), WINDOW_DONE, OV_EVENT_POINTER_MOVED, 0, -3, 700, 0, 504, -3},
      {WINDOW_WHEEL, static_cast<uintptr_t>(static_cast<unsigned short>(-120)) << 16, Position(7, 8), WINDOW_DONE,
       OV_EVENT_WHEEL, 0, 7, 8, static_cast<int>(0xff880000u), 507, -120},
      {WINDOW_KEY_DOWN, 'A', 0, WINDOW_DONE, OV_EVENT_KEY_PRESSED, 'A', 1, 0, 0, 'A', 3},
      {WINDOW_KEY_DOWN, 'A', 0, WINDOW_DONE, OV_EVENT_KEY_PRESSED, 'A', 0, 0, 0, 'A', 3},  // a repeat is no new press
      {WINDOW_KEY_UP, 'A', 0, WINDOW_DONE, OV_EVENT_KEY_RELEASED, 'A', 1, 0, 0, 'A', 0},
      {WINDOW_CHARACTER, 'q', 0, WINDOW_DONE, OV_EVENT_CHARACTER, 'q', 0, 0, 0, 'q', 0},
      {WINDOW_SYSTEM_KEY_DOWN, 18, 0, WINDOW_PASS_ON, 0, 0, 0, 0, 0, 18, 3},
      {WINDOW_SYSTEM_KEY_UP, 18, 0, WINDOW_PASS_ON, 0, 0, 0, 0, 0, 18, 0},
      {WINDOW_PAINT, 0, 0, WINDOW_VALIDATE, 0, 0, 0, 0, 0, 0, 0},
      {WINDOW_DESTROY, 0, 0, WINDOW_POST_QUIT, 0, 0, 0, 0, 0, 0, 0},
      {0x0084, 0, 0, WINDOW_PASS_ON, 0, 0, 0, 0, 0, 0, 0},  // anything else
  };
  for (const Case& c : cases) {
    received.clear();
    EXPECT_EQ(Send(c.message, c.wparam, c.lparam), c.answer) << std::hex << c.message;
    if (c.type == 0) {
      EXPECT_TRUE(received.empty()) << std::hex << c.message;
    } else {
      ASSERT_EQ(received.size(), 1u) << std::hex << c.message;
      const ProgramEvent& e = received[0];
      EXPECT_EQ(e.type, c.type) << std::hex << c.message;
      EXPECT_EQ(e.word[0], c.word0) << std::hex << c.message;
      EXPECT_EQ(e.word[1] & (c.type == OV_EVENT_KEY_PRESSED || c.type == OV_EVENT_KEY_RELEASED ? 0xff : ~0), c.word1)
          << std::hex << c.message;
      EXPECT_EQ(e.word[2], c.word2) << std::hex << c.message;
      EXPECT_EQ(e.word[3], c.word3) << std::hex << c.message;
      if (c.type == OV_EVENT_POINTER_MOVED || c.type == OV_EVENT_WHEEL) {
        EXPECT_EQ(e.word[6], 2);  // the mouse
      }
    }
    if (c.state_code) {
      EXPECT_EQ(key_states[c.state_code], c.state) << std::hex << c.message;
    }
  }
  // The previous pointer position travels with the next pointer event.
  received.clear();
  Send(WINDOW_MOUSE_MOVE, 0, Position(50, 60));
  Send(WINDOW_MOUSE_MOVE, 0, Position(51, 62));
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[1].word[4], 50);
  EXPECT_EQ(received[1].word[5], 60);
  EXPECT_EQ(key_states[505], 62);
  EXPECT_FLOAT_EQ(analog_values[504], 51.0f);
}

TEST_F(Window, AutoscaledWindowsReportProgramCoordinates) {
  core.autoscale = true;
  core.autoscale_offset_x = 100;
  core.autoscale_offset_y = 0;
  core.autoscale_inverse_x = core.autoscale_inverse_y = 0.5f;
  Send(WINDOW_LEFT_DOWN, 1, Position(300, 200));
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].word[1], 100);
  EXPECT_EQ(received[0].word[2], 100);
}

TEST_F(Window, AltEnterAndMaximiseSwitchTheScreenMode) {
  EXPECT_EQ(Send(WINDOW_SYSTEM_KEY_DOWN, 13, 0), WINDOW_DONE);
  EXPECT_TRUE(core.reinit_requested);
  EXPECT_EQ(core.requested.windowed, 0);
  core.reinit_requested = false;
  Send(WINDOW_SYSTEM_KEY_DOWN, 13, static_cast<intptr_t>(1) << 30);  // held down: no second toggle
  EXPECT_FALSE(core.reinit_requested);

  record.video.windowed = 0;
  Send(WINDOW_SYSTEM_KEY_DOWN, 13, 0);
  EXPECT_EQ(core.requested.windowed, 1);

  record.video.windowed = 1;
  core.reinit_requested = false;
  EXPECT_EQ(Send(WINDOW_SIZE, 2, Position(800, 600)), WINDOW_RESTORE);
  EXPECT_TRUE(core.reinit_requested);
  EXPECT_EQ(core.requested.windowed, 0);
  EXPECT_EQ(Logged("Window maximized: size 800x600.."), 1);
  EXPECT_EQ(Send(WINDOW_SIZE, 0, Position(800, 600)), WINDOW_PASS_ON);  // restored, not maximised
}

TEST_F(Window, CloseAsksTheProgram) {
  close_answer = OV_REFUSE_CLOSE;
  EXPECT_EQ(Send(WINDOW_CLOSE, 0, 0), WINDOW_DONE);
  EXPECT_FALSE(core.quit_requested);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].type, OV_EVENT_CLOSE_REQUESTED);
  close_answer = 0;
  Send(WINDOW_CLOSE, 0, 0);
  EXPECT_TRUE(core.quit_requested);
}

TEST_F(Window, ActivationChangesFocusAndClearsTheKeys) {
  key_states[0x57] = 3;
  key_states[510] = 3;
  Send(WINDOW_ACTIVATE, 0, 0);  // inactive
  EXPECT_FALSE(core.active);
  EXPECT_EQ(key_states[0x57], 0);
  EXPECT_EQ(key_states[510], 3);  // codes from 255 on keep their states
  Send(WINDOW_ACTIVATE, 1 | (1u << 16), 0);  // active but minimised
  EXPECT_FALSE(core.active);
  Send(WINDOW_ACTIVATE, 2, 0);  // activated by a click
  EXPECT_TRUE(core.active);
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0].type, OV_EVENT_FOCUS_CHANGED);
  EXPECT_EQ(received[0].word[0], 1);  // lost
  EXPECT_EQ(received[2].word[0], 0);  // gained
}

TEST_F(Window, DroppedFilesArriveAsExtensionEvents) {
  OVI_FileDropped("C:\\games\\level 2.map", 12, 34);
  OVI_DispatchQueuedEvents();
  EXPECT_EQ(Logged("Dropped file 'C:\\games\\level 2.map'"), 1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].type, OV_EVENT_EXTENSION);
#if OV_LAYOUT_32
  EXPECT_EQ(extension_texts, (std::vector<std::string>{"FILE_DRAGGED", "C:/games/level 2.map", "12,34"}));
#endif
}

TEST_F(Window, ResolutionSelection) {
  struct Case {
    const char* name;
    const char* list;
    int desktop_width, desktop_height;
    bool windowed;
    std::vector<std::string> supported;  // empty: every size
    bool forced;
    int width, height;  // 0 x 0: nothing selected
  } cases[] = {
      {"16:9 desktop takes the first 16:9 entry it may use", "1280x720,1920x1080,*", 1920, 1080, false,
       {"1920x1080"}, false, 1920, 1080},
      {"the closest aspect", "1024x768,1280x800,1280x720", 1680, 1050, true, {}, false, 1280, 800},
      {"an unknown desktop takes the first supported entry", "1920x1080,1280x720,800x600", 0, 0, true,
       {"1280x720", "800x600"}, false, 1280, 720},
      {"nothing supported: the desktop in fullscreen", "3000x2000", 1600, 900, false, {"1600x900"}, false, 1600, 900},
      {"nothing supported: the smallest in a window", "3000x2000,2000x1000", 1600, 900, true, {"1x1"}, false, 2000,
       1000},
      {"forced resolution", "1280x720", 1920, 1080, true, {}, true, 1024, 600},
      {"nothing at all", "3000x2000", 0, 0, true, {"1x1"}, false, 0, 0},
  };
  for (const Case& c : cases) {
    strcpy(core.resolutions, c.list);
    screen_info.desktop_width = c.desktop_width;
    screen_info.desktop_height = c.desktop_height;
    renderer.sizes = std::set<std::string>(c.supported.begin(), c.supported.end());
    core.force_resolution = c.forced;
    core.forced_width = 1024;
    core.forced_height = 600;
    core.requested.width = core.requested.height = 0;
    bool selected = OVI_SelectOptimalResolution(c.windowed, false);
    EXPECT_EQ(selected, c.width > 0) << c.name;
    EXPECT_EQ(core.requested.width, c.width) << c.name;
    EXPECT_EQ(core.requested.height, c.height) << c.name;
    EXPECT_EQ(core.requested.windowed, c.windowed) << c.name;
  }
  EXPECT_EQ(Logged("No resolution found in OVI_SelectOptimalResolution!"), 1);
  EXPECT_FALSE((core.resolutions[0] = 0, OVI_SelectOptimalResolution(true, false)));
}

TEST_F(Window, StarWithoutAScreenSizeUsesTheFallbacks) {
  screen_info.native_width = screen_info.native_height = 0;
  screen_info.desktop_width = screen_info.desktop_height = 0;
  OVI_SelectOptimalResolution(true, false);
  EXPECT_EQ(core.requested.width * 10000 + core.requested.height, 640 * 10000 + 480);  // the reference size
  strcpy(core.force_variant, "IOS/LARGE");
  OVI_SelectOptimalResolution(true, false);
  EXPECT_EQ(core.requested.width * 10000 + core.requested.height, 1024 * 10000 + 768);
  EXPECT_EQ(Logged("Device screen size not set. Using typical fallback resolution 1024x768."), 1);
  EXPECT_EQ(Logged("Selecting optimal resolution for windowed (forcing)."), 1);
}

TEST(Cursors, NamesSelectTheirCursor) {
  EXPECT_EQ(OVI_CursorIndex("ARROW"), 0);
  EXPECT_EQ(OVI_CursorIndex("IBEAM"), 2);
  EXPECT_EQ(OVI_CursorIndex("HELP"), CURSOR_COUNT - 1);
  EXPECT_EQ(OVI_CursorIndex("NOPE"), 0);
  EXPECT_EQ(OVI_CursorIndex("arrow"), 0);
  EXPECT_EQ(OVI_CursorIndex("NULL"), CURSOR_HIDDEN);
  EXPECT_EQ(OVI_CursorIndex(nullptr), CURSOR_HIDDEN);
  for (int i = 0; i < CURSOR_COUNT; ++i) EXPECT_EQ(OVI_CursorIndex(cursor_names[i]), i) << cursor_names[i];
  strcpy(core.program_features, "HIDE_CURSOR");
  EXPECT_EQ(OVI_CursorIndex("ARROW"), CURSOR_HIDDEN);
  core.program_features[0] = 0;
}

TEST_F(Window, PopupsOfWorkerThreadsOnlyReachTheLog) {
  core.unattended = false;  // a worker never shows a box, attended or not
  int answer = 0;
  std::thread worker([&answer] { answer = OVI_ShowPopup(LOG_ERROR, "from a worker"); });
  worker.join();
  EXPECT_EQ(answer, POPUP_RESULT_OK);
  EXPECT_EQ(Logged("from a worker"), 1);
  EXPECT_EQ(Logged("Popup answered OK"), 0);
  core.unattended = true;
  EXPECT_EQ(OVI_ShowPopup(LOG_WARNING, "on the main thread"), POPUP_RESULT_OK);
  EXPECT_EQ(Logged("Popup answered OK: on the main thread"), 1);
}

}  // namespace
