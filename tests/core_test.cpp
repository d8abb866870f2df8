// The core in-process: a test program record and a scriptable renderer, driven frame by frame.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/core_state.h"
#include "core/events.h"
#include "core/frame.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "core/video.h"
#include "platform/ov_os.h"
#include "render/colour.h"
#include "render/renderer_headless.h"

namespace {

std::vector<std::string> log_lines;
std::vector<std::string> calls;

void CaptureLog(int, const char* line) { log_lines.push_back(line); }

bool Logged(const std::string& text) {
  for (const std::string& line : log_lines)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

// Fails initialisation for the sizes it is told to refuse and counts its calls.
class ScriptedRenderer : public RendImpHeadless {
 public:
  std::vector<std::string> refused;  // "WxH"
  int initialize_calls = 0;
  int vertex_colour_order = 1;
  bool Initialize(const EngineServices*, CoreState*, VideoParameters* parameters) override {
    ++initialize_calls;
    std::string size = std::to_string(parameters->width) + "x" + std::to_string(parameters->height);
    for (const std::string& r : refused)
      if (r == size) return false;
    return true;
  }
  int GetVertexColorOrder() override { return vertex_colour_order; }
  void Present() override {}
};

ScriptedRenderer renderer;
ProgramInterface record;

ov_bool OV_CALL Init(void) {
  calls.push_back("init");
  return 1;
}
void OV_CALL Update(float seconds) { calls.push_back("update " + std::to_string(static_cast<int>(seconds * 1000 + 0.5f))); }
void OV_CALL Render(float) { calls.push_back("render"); }
int OV_CALL Event(ProgramEvent event) {
  calls.push_back("event " + std::to_string(event.type) + " " + std::to_string(event.word[0]));
  return 0;
}

class Core : public testing::Test {
 protected:
  void SetUp() override {
    log_lines.clear();
    calls.clear();
    OVI_SetLogSink(CaptureLog);
    OVI_StartEngineState();
    core.developer_mode = true;  // reports are logged (and their popups answered) only then
    core.unattended = true;
    OVI_ResetRendererFailureCount();
    renderer = ScriptedRenderer();
    core.renderer = &renderer;
    OVI_FillServiceTable();
    memset(&record, 0, sizeof record);
    record.api_version = OV_INTERFACE_VERSION;
    record.ov = &service_table;
    record.video.width = 640;
    record.video.height = 480;
    record.video.windowed = 1;
    record.init = Init;
    record.update = Update;
    record.render = Render;
    record.event = Event;
    core.program = &record;
    core.requested = core.current = record.video;
  }
  void TearDown() override {
    OVI_ClearEventQueue();
    OVI_ReleaseThreadsAndMutexes();
    OVI_SetLogSink(nullptr);
  }
  void Start() {
    ASSERT_TRUE(OVI_InitializeRenderer());
    core.running = core.core_ready = true;
  }
  // Runs one frame as if `elapsed` milliseconds had passed since the previous one.
  void FrameAfter(int elapsed) {
    core.last_frame_start = OVOS_Milliseconds() - static_cast<unsigned>(elapsed);
    OVI_Frame();
  }
};

TEST_F(Core, FirstFrameInitialisesWithoutUpdateThenStepsAreClamped) {
  Start();
  OVI_Frame();  // the first frame's step is 0: init and render, no update
  FrameAfter(5000);
  FrameAfter(-5000);
  FrameAfter(50);
  std::vector<std::string> expected = {"init", "render", "update 30", "render", "update 1", "render", "update 50", "render"};
  EXPECT_EQ(calls, expected);
}

TEST_F(Core, UnbalancedPushIsReportedAfterRenderAndAtFrameEnd) {
  Start();
  record.render = [](float) { service_table.OV_PushTransform(nullptr); };
  OVI_Frame();
  EXPECT_TRUE(Logged("Too many Push(World)Transform calls made. Check your code."));
  EXPECT_TRUE(Logged("Transform stack is not empty at frame end: there are 1 more ov->PushTransform calls"));
}

TEST_F(Core, StereoRendersTwoPassesButUpdatesOnce) {
  core.render_stereo = true;
  Start();
  OVI_Frame();
  FrameAfter(20);
  std::vector<std::string> expected = {"init", "render", "render", "update 20", "render", "render"};
  EXPECT_EQ(calls, expected);
}

struct RollbackCase {
  const char* name;
  VideoParameters previous;
  VideoParameters requested;
  std::vector<std::string> refused;
  bool succeeds;
  int initialize_calls;
  int width_after;
};

TEST_F(Core, RendererInitialisationRollsBackOrGivesUp) {
  VideoParameters small = {}, large = {};
  small.width = 640, small.height = 480, small.windowed = 1;
  large.width = 1024, large.height = 768, large.windowed = 1;
  const RollbackCase cases[] = {
      {"succeeds at once", small, large, {}, true, 1, 1024},
      {"same parameters give up without a roll-back", large, large, {"1024x768"}, false, 1, 1024},
      {"failure rolls back to the previous size", small, large, {"1024x768"}, true, 2, 640},
      // Every roll-back fails too: the requested size is tried again until the counter passes 2.
      {"third failure of the requested size gives up", small, large, {"1024x768", "640x480"}, false, 5, 1024},
  };
  for (const RollbackCase& c : cases) {
    SCOPED_TRACE(c.name);
    OVI_ResetRendererFailureCount();
    renderer.refused = c.refused;
    renderer.initialize_calls = 0;
    core.renderer_ready = false;
    core.current = c.previous;
    core.requested = c.requested;
    EXPECT_EQ(OVI_InitializeRenderer(), c.succeeds);
    EXPECT_EQ(renderer.initialize_calls, c.initialize_calls);
    EXPECT_EQ(core.current.width, c.width_after);
    EXPECT_EQ(core.renderer_ready, c.succeeds);
  }
}

TEST_F(Core, FullscreenBelow640x480InitialisesWindowed) {
  core.requested.width = 320;
  core.requested.height = 240;
  core.requested.windowed = 0;
  ASSERT_TRUE(OVI_InitializeRenderer());
  EXPECT_EQ(core.current.windowed, 1);
}

TEST_F(Core, ReinitSendsEventsInOrderAndAdoptsTheSize) {
  strcpy(core.program_features, "FREE_RESOLUTION");  // the program's own size is taken when supported
  Start();
  VideoParameters wanted = record.video;
  wanted.width = 800;
  wanted.height = 600;
  ASSERT_TRUE(service_table.ReinitializeWithParameters(wanted));
  OVI_Frame();
  std::vector<std::string> expected = {"init", "event 11 0", "event 11 1",
                                       "event 12 " + std::to_string(800 | 600 << 16), "render"};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(record.video.width, 800);
  EXPECT_EQ(core.current.height, 600);
}

TEST_F(Core, EngineEventsFromAWorkerArriveInOrderAndTheirTextsAreFreedAfterward) {
  Start();
  static const char* seen_text;
  record.event = [](ProgramEvent event) {
    seen_text = reinterpret_cast<const char*>(static_cast<intptr_t>(event.word[0]));
    calls.push_back(std::string("event ") + std::to_string(event.type) + " " + seen_text);
    return 0;
  };
  void* thread = OVOS_StartThread(
      [](void*) {
        for (int i = 0; i < 3; ++i) {
          char* text = static_cast<char*>(malloc(8));
          snprintf(text, 8, "line%d", i);
          ProgramEvent event = {};
          event.type = OV_EVENT_CONSOLE_LINE;
          event.word[0] = static_cast<int>(reinterpret_cast<intptr_t>(text));
          void* owned[] = {text};
          OVI_PostOwnedEvent(&event, owned, 1);
        }
      },
      nullptr);
  ASSERT_TRUE(OVOS_WaitThread(thread, 5000));
  OVOS_CloseThread(thread);
  EXPECT_TRUE(calls.size() == 0 || calls.back() == "init" || calls.empty());
  if (sizeof(void*) == 4) {  // event words hold pointers only in the 32-bit build
    OVI_Frame();
    std::vector<std::string> expected = {"init", "event 7 line0", "event 7 line1", "event 7 line2", "render"};
    EXPECT_EQ(calls, expected);
  } else {
    OVI_ClearEventQueue();  // the owned texts are still freed (the sanitizers check it)
  }
}

TEST_F(Core, ProgramEventsArriveInTheNextFrameInPostingOrder) {
  Start();
  OVI_Frame();
  calls.clear();
  ProgramEvent event;
  for (int type = 100; type < 103; ++type) {
    service_table.OV_InitEvent(&event, type);
    event.word[0] = type;
    service_table.OV_PostEvent(&event);
  }
  EXPECT_TRUE(calls.empty());
  FrameAfter(10);
  std::vector<std::string> expected = {"event 100 100", "event 101 101", "event 102 102", "update 10", "render"};
  EXPECT_EQ(calls, expected);
}

TEST_F(Core, KeyStatesFollowEventsAndReadsClearThePressedBit) {
  Start();
  ProgramEvent press = {};
  press.type = OV_EVENT_KEY_PRESSED;
  press.word[0] = 65;
  OVI_DispatchEvent(&press);
  EXPECT_EQ(press.word[1] & 0xff, 1);  // the key was up before
  EXPECT_EQ(service_table.OV_GetKeyState(65), 3);
  EXPECT_EQ(service_table.OV_GetKeyState(65), 2);
  press.word[0] = 300;
  OVI_DispatchEvent(&press);
  EXPECT_EQ(service_table.OV_GetKeyState(300), 3);
  EXPECT_EQ(service_table.OV_GetKeyState(300), 3);
  ProgramEvent release = {};
  release.type = OV_EVENT_KEY_RELEASED;
  release.word[0] = 65;
  OVI_DispatchEvent(&release);
  EXPECT_EQ(service_table.OV_GetKeyState(65), 0);

  ProgramEvent event;
  memset(&event, 0xff, sizeof event);
  EXPECT_EQ(service_table.OV_InitEvent(&event, 42), 42);
  for (int word : event.word) EXPECT_EQ(word, 0);
}

TEST_F(Core, AutoscalingFitsTheReferenceResolution) {
  struct Case {
    const char* features;
    int reference_width, reference_height, native_width, native_height;
    bool stays_on;
    float scale_x, scale_y, offset_x, offset_y;
  } cases[] = {
      {"AUTOSCALE,AUTOSCALE_RETAIN_ASPECT_RATIO", 1280, 720, 1920, 1200, true, 1.5f, 1.5f, 0.0f, 60.0f},
      {"AUTOSCALE", 1280, 720, 1920, 1200, true, 1.5f, 1200.0f / 720.0f, 0.0f, 0.0f},
      {"AUTOSCALE", 640, 480, 640, 480, false, 1.0f, 1.0f, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.features);
    strcpy(core.program_features, c.features);
    core.autoscale = OVI_HasFeature("AUTOSCALE");
    record.video.reference_width = c.reference_width;
    record.video.reference_height = c.reference_height;
    record.video.width = c.native_width;
    record.video.height = c.native_height;
    screen_info.native_width = c.native_width;
    screen_info.native_height = c.native_height;
    screen_info.native_orientation = 4;
    OVI_SetupAutoscaling();
    EXPECT_EQ(core.autoscale, c.stays_on);
    EXPECT_FLOAT_EQ(core.autoscale_scale_x, c.scale_x);
    EXPECT_FLOAT_EQ(core.autoscale_scale_y, c.scale_y);
    EXPECT_FLOAT_EQ(core.autoscale_offset_x, c.offset_x);
    EXPECT_FLOAT_EQ(core.autoscale_offset_y, c.offset_y);
  }
  EXPECT_TRUE(Logged("Target resolution matches source, no need for scaling."));
}

TEST(Features, WholeWordsOnly) {
  struct Case {
    const char* list;
    const char* word;
    bool present;
  } cases[] = {
      {"AUTOSCALE,NO_SOUND", "AUTOSCALE", true}, {"AUTOSCALE,NO_SOUND", "NO_SOUND", true},
      {"XNO_SOUND", "NO_SOUND", false},          {"NO_SOUNDS", "NO_SOUND", false},
      {"A; NO_SOUND B", "NO_SOUND", true},       {"no_sound", "NO_SOUND", false},
      {"", "NO_SOUND", false},                   {"NO_SOUND", "", false},
      {"X NO_SOUNDY NO_SOUND", "NO_SOUND", true},
  };
  for (const Case& c : cases) EXPECT_EQ(OVI_HasWord(c.list, c.word), c.present) << c.list << " / " << c.word;
  EXPECT_FALSE(OVI_HasWord(nullptr, "NO_SOUND"));
}

TEST_F(Core, ExtensionCallAnswers) {
  struct Case {
    const char* command_line;
    const char* program_features;
    const char* variant_features;
    const char* function;
    const char* parameter;
    const char* answer;  // null: no answer
  } cases[] = {
      {"x Mandarin Chinese", "", "", "GetLanguage", nullptr, "mdr"},
      {"Chinese", "", "", "GetLanguage", nullptr, "zh"},
      {"German Russian", "", "", "GetLanguage", nullptr, "de"},
      {"nothing", "", "", "GetLanguage", nullptr, nullptr},
      {"", "", "B,C", "ProgramInfo", "Features", "B,C"},
      {"", "A", "", "ProgramInfo", "Features", "A"},
      {"", "A", "B", "ProgramInfo", "Features", "A,B"},
      {"", "", "", "PlatformInfo", "PlatformId", "WINDOWS"},
      {"", "", "", "Renderer", "MaximumTextureSize", "4096"},
      {"", "", "", "Renderer", "EyeMode", "Mono"},
      {"", "", "", "NoSuchFunction", "x", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " " + (c.parameter ? c.parameter : ""));
    char line[64];
    strcpy(line, c.command_line);
    core.command_line = line;
    strcpy(core.program_features, c.program_features);
    strcpy(core.variant_features, c.variant_features);
    const char* answer = service_table.OV_CallExtension(c.function, c.parameter);
    if (c.answer) {
      ASSERT_NE(answer, nullptr);
      EXPECT_STREQ(answer, c.answer);
    } else {
      EXPECT_EQ(answer, nullptr);
    }
  }
  core.command_line = nullptr;
  strcpy(core.force_variant, "IOS/SMALL");
  EXPECT_STREQ(service_table.OV_CallExtension("PlatformInfo", "PlatformId"), "IOS");
  EXPECT_STREQ(service_table.OV_CallExtension("PlatformInfo", "ScreenSizeId"), "SMALL");
  strcpy(record.id, "game-id");
  EXPECT_STREQ(service_table.OV_CallExtension("ProgramInfo", "ProgramId"), "game-id");

  OV_Date date;
  service_table.OV_GetDate(&date);
  char expected[32];
  snprintf(expected, sizeof expected, "%d-%.2d-%.2d", date.year, date.month, date.day);
  EXPECT_STREQ(service_table.OV_CallExtension("GetDate", nullptr), expected);
  const char* stamp = service_table.OV_CallExtension("GetTimeStamp", nullptr);
  ASSERT_NE(stamp, nullptr);
  EXPECT_EQ(strncmp(stamp, expected, strlen(expected)), 0);
  EXPECT_EQ(strlen(stamp), strlen(expected) + 6);  // ":hh-mm"
}

TEST_F(Core, SetColorVariantFollowsTheRenderersVertexColourOrder) {
  const float red = 1.0f, green = 0.0f, blue = 0.0f;
  for (int order : {0, 1}) {
    renderer.vertex_colour_order = order;
    OVI_FillServiceTable();
    service_table.OV_SetColor(&red, &green, &blue);
    // bytes from the lowest address: order 1 (Direct3D) blue, green, red, alpha; order 0 red,
    // green, blue, alpha
    unsigned expected = order == 1 ? 0xffff0000u : 0xff0000ffu;
    EXPECT_EQ(OVI_PackedColour(), expected) << "order " << order;
  }
}

TEST_F(Core, PlaceholdersAnswerZeroAndLogOnce) {
  EXPECT_TRUE(OVI_IsPlaceholder(62));  // OV_GetSound
  EXPECT_FALSE(OVI_IsPlaceholder(0));
  EXPECT_EQ(service_table.OV_GetSound("a"), nullptr);
  EXPECT_EQ(service_table.OV_GetSound("b"), nullptr);
  EXPECT_EQ(service_table.OV_GetTextWidth(nullptr, "%d", 1), 0.0f);
  int mentions = 0;
  for (const std::string& line : log_lines) mentions += line.find("OV_GetSound is not available yet") != std::string::npos;
  EXPECT_EQ(mentions, 1);
  for (int slot = 0; slot < OV_SERVICE_SLOTS; ++slot)
    EXPECT_NE(reinterpret_cast<void* const*>(&service_table)[slot], nullptr) << "slot " << slot;
}

TEST_F(Core, MutexesWithTheSameNameAreShared) {
  EngineMutex* a = service_table.OV_CreateMutex("Cache");
  EXPECT_EQ(service_table.OV_CreateMutex("Cache"), a);
  EXPECT_NE(service_table.OV_CreateMutex(""), service_table.OV_CreateMutex(""));
  service_table.OV_LockMutex(a);
  EXPECT_EQ(a->held, 1);
  service_table.OV_UnlockMutex(a);
  EXPECT_EQ(a->held, 0);
  service_table.OV_LockMutex(nullptr);  // ignored
  EXPECT_TRUE(service_table.OV_IsMainLoopLocked());
}

TEST_F(Core, ThreadsAreCountedUntilTheyFinish) {
  EXPECT_EQ(service_table.OV_CreateThread("bad flags", [](void*) {}, nullptr, 1), nullptr);
  EXPECT_TRUE(Logged("OV_CreateThread flags parm must be set to zero - reserved for future use."));
  static std::atomic<bool> release;
  release = false;
  void* thread = service_table.OV_CreateThread(
      "worker", [](void*) {
        while (!release) OVOS_Sleep(1);
      },
      nullptr, 0);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(OVI_LiveThreadCount(), 1);
  bool listed = false;
  for (int i = 0; i < 500 && !listed; ++i) {  // the thread names itself once it runs
    log_lines.clear();
    OVI_ListLiveThreads();
    listed = Logged("'worker'");
    if (!listed) OVOS_Sleep(2);
  }
  EXPECT_TRUE(listed);
  release = true;
  for (int i = 0; i < 500 && OVI_LiveThreadCount() > 0; ++i) OVOS_Sleep(2);
  EXPECT_EQ(OVI_LiveThreadCount(), 0);
}

}  // namespace
