// Input implementations: the XInput gamepad poll against a stand-in library, the entry points the
// core drives them through, and the pointer codes of input events.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "core/core_state.h"
#include "core/events.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/threads.h"
#include "input/input.h"
#include "input/input_xinput.h"

namespace {

// Key codes as the program sees them: 800 + 64 per pad + the control's offset.
int PadCode(int pad, int offset) { return 800 + 64 * pad + offset; }

// The stand-in XInput library: four scripted pads and a record of what the engine sent.
struct FakeXInput {
  XInputState state[XINPUT_PADS];
  uint32_t result[XINPUT_PADS];
  std::vector<std::pair<uint32_t, XInputVibration>> sent;
  std::vector<int> enabled;
} fake;

uint32_t XINPUT_CALL FakeGetState(uint32_t pad, XInputState* state) {
  if (fake.result[pad] == XINPUT_SUCCESS) {
    *state = fake.state[pad];
  } else {
    // What a failing call leaves behind must not count: every button, trigger and stick at full.
    memset(state, 0xff, sizeof *state);
    state->gamepad.thumb_left_x = state->gamepad.thumb_right_x = 32767;
  }
  return fake.result[pad];
}
uint32_t XINPUT_CALL FakeSetState(uint32_t pad, XInputVibration* vibration) {
  fake.sent.push_back({pad, *vibration});
  return fake.result[pad];
}
void XINPUT_CALL FakeEnable(int enable) { fake.enabled.push_back(enable); }

const XInputProvider fake_provider = {FakeGetState, FakeSetState, FakeEnable};

struct Event {
  int type, code;
  bool operator==(const Event& other) const { return type == other.type && code == other.code; }
};
std::ostream& operator<<(std::ostream& out, const Event& event) {
  return out << "{" << event.type << ", " << event.code << "}";
}
std::vector<Event> events;  // what the program received

int OV_CALL ProgramEventCallback(ProgramEvent event) {
  events.push_back({event.type, event.word[0]});
  return 0;
}

std::vector<std::pair<int, std::string>> log_lines;
void CaptureLog(int level, const char* line) { log_lines.push_back({level, line}); }
int Logged(int level, const std::string& text) {
  int count = 0;
  for (const auto& line : log_lines) count += line.first == level && line.second.find(text) != std::string::npos;
  return count;
}

ProgramInterface program;

class Input : public testing::Test {
 protected:
  InputImpXInput xinput{OVI_XInputProvider()};

  void SetUp() override {
    log_lines.clear();
    OVI_SetLogSink(CaptureLog);
    OVI_StartEngineState();
    core.core_ready = true;  // events are queued, as in a running frame
    core.running = true;
    memset(&program, 0, sizeof program);
    program.event = ProgramEventCallback;
    core.program = &program;
    memset(key_states, 0, sizeof key_states);
    memset(analog_values, 0, sizeof analog_values);
    memset(pointers, 0, sizeof pointers);
    fake = FakeXInput();
    for (uint32_t& result : fake.result) result = XINPUT_DEVICE_NOT_CONNECTED;
    events.clear();
    OVI_SetXInputProvider(&fake_provider);
    xinput.Initialize(&core);
  }
  void TearDown() override {
    OVI_ShutdownInputImplementations();
    OVI_ClearEventQueue();
    OVI_SetXInputProvider(nullptr);
    core.program = nullptr;
    OVI_ReleaseThreadsAndMutexes();
    OVI_SetLogSink(nullptr);
  }

  static XInputGamepad& Connect(int pad) {
    fake.result[pad] = XINPUT_SUCCESS;
    ++fake.state[pad].packet_number;
    return fake.state[pad].gamepad;
  }
  // One frame's poll with the events it queued handed out; returns them.
  std::vector<Event> Poll() {
    events.clear();
    xinput.Update();
    OVI_DispatchQueuedEvents();
    return events;
  }
};

TEST_F(Input, XInputNamesItselfAndAnswersNoExtensionFunction) {
  EXPECT_TRUE(xinput.IsSupported());
  EXPECT_STREQ(xinput.GetName(), "XInput");
  EXPECT_EQ(xinput.CallExtensionFunction("anything", "1"), nullptr);
  EXPECT_EQ(xinput.GetContext(), &core);
  EXPECT_EQ(fake.enabled, std::vector<int>{1});
  xinput.SetActive(false);
  xinput.SetActive(true);
  xinput.Shutdown();
  EXPECT_EQ(fake.enabled, (std::vector<int>{1, 0, 1, 0}));
}

TEST_F(Input, EachButtonBitPressesAndReleasesItsCode) {
  struct Case {
    uint16_t bit;
    int offset;
  } cases[] = {
      {0x0001, 10}, {0x0002, 11}, {0x0004, 12}, {0x0008, 13}, {0x0010, 20}, {0x0020, 21}, {0x0040, 22},
      {0x0080, 23}, {0x0100, 24}, {0x0200, 25}, {0x1000, 26}, {0x2000, 27}, {0x4000, 28}, {0x8000, 29},
  };
  const int pad = 1;
  XInputGamepad& gamepad = Connect(pad);
  EXPECT_TRUE(Poll().empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    int code = PadCode(pad, c.offset);
    gamepad.buttons = c.bit;
    events.clear();
    xinput.Update();
    EXPECT_EQ(key_states[code], 0);  // the state changes when the event is handled
    OVI_DispatchQueuedEvents();
    EXPECT_EQ(events, (std::vector<Event>{{OV_EVENT_KEY_PRESSED, code}}));
    EXPECT_EQ(key_states[code], 3);
    for (int other = 1; other < 64; ++other) {
      if (other == c.offset) continue;
      EXPECT_EQ(key_states[PadCode(pad, other)], 0) << other;
    }
    EXPECT_TRUE(Poll().empty());  // held: no further event
    gamepad.buttons = 0;
    EXPECT_EQ(Poll(), (std::vector<Event>{{OV_EVENT_KEY_RELEASED, code}}));
    EXPECT_EQ(key_states[code], 0);
  }
  // The bits without a control give nothing.
  gamepad.buttons = 0x0400 | 0x0800;
  EXPECT_TRUE(Poll().empty());
}

TEST_F(Input, TriggersReadZeroToOneAndPressAboveOneFifth) {
  struct Case {
    uint8_t XInputGamepad::*trigger;
    int offset;
  } cases[] = {{&XInputGamepad::left_trigger, 1}, {&XInputGamepad::right_trigger, 2}};
  const int pad = 0;
  XInputGamepad& gamepad = Connect(pad);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    int code = PadCode(pad, c.offset);
    gamepad.*c.trigger = 64;  // about 0.25
    EXPECT_EQ(Poll(), (std::vector<Event>{{OV_EVENT_KEY_PRESSED, code}}));
    EXPECT_NEAR(analog_values[code], 0.25f, 0.002f);
    gamepad.*c.trigger = 60;  // still above 0.2: no new event
    EXPECT_TRUE(Poll().empty());
    gamepad.*c.trigger = 50;  // below 0.2
    EXPECT_EQ(Poll(), (std::vector<Event>{{OV_EVENT_KEY_RELEASED, code}}));
    EXPECT_NEAR(analog_values[code], 50 / 255.0f, 1e-6f);
    EXPECT_TRUE(Poll().empty());
    gamepad.*c.trigger = 255;
    Poll();
    EXPECT_FLOAT_EQ(analog_values[code], 1.0f);
    gamepad.*c.trigger = 0;
    Poll();
    EXPECT_EQ(analog_values[code], 0.0f);
  }
}

TEST_F(Input, ThumbSticksCutTheDeadZoneAndPointYDown) {
  const float diagonal = sqrtf(0.5f);
  struct Case {
    int16_t raw_x, raw_y;
    float x, y;
  } cases[] = {
      {3277, 0, 0.0f, 0.0f},                   // 10 % tilt
      {0, -3277, 0.0f, 0.0f},                  //
      {2317, 2317, 0.0f, 0.0f},                // 10 % on the diagonal
      {19661, 0, 0.5f, 0.0f},                  // 60 % right
      {-19661, 0, -0.5f, 0.0f},                // 60 % left
      {0, 19661, 0.0f, -0.5f},                 // 60 % up reads negative
      {0, -19661, 0.0f, 0.5f},                 // 60 % down reads positive
      {15729, 0, 0.35f, 0.0f},                 // 48 %: not beyond 0.4, not pressed
      {-32768, 0, -1.0f, 0.0f},                // full tilt
      {0, 32767, 0.0f, -1.0f},                 //
      {32767, 32767, diagonal, -diagonal},     // beyond full tilt on the diagonal: length 1
      {-23170, -23170, -diagonal, diagonal},   // full tilt on the diagonal
  };
  struct Stick {
    int16_t XInputGamepad::*x;
    int16_t XInputGamepad::*y;
    int offset;
  } sticks[] = {{&XInputGamepad::thumb_left_x, &XInputGamepad::thumb_left_y, 4},
                {&XInputGamepad::thumb_right_x, &XInputGamepad::thumb_right_y, 6}};
  const int pad = 3;
  XInputGamepad& gamepad = Connect(pad);
  for (const Stick& stick : sticks) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << stick.offset << ": " << c.raw_x << ", " << c.raw_y);
      int x_code = PadCode(pad, stick.offset), y_code = x_code + 1;
      gamepad.*stick.x = c.raw_x;
      gamepad.*stick.y = c.raw_y;
      std::vector<Event> got = Poll();
      EXPECT_NEAR(analog_values[x_code], c.x, 1e-4f);
      EXPECT_NEAR(analog_values[y_code], c.y, 1e-4f);
      std::vector<Event> expected;
      if (fabsf(c.x) > 0.4f) expected.push_back({OV_EVENT_KEY_PRESSED, x_code});
      if (fabsf(c.y) > 0.4f) expected.push_back({OV_EVENT_KEY_PRESSED, y_code});
      EXPECT_EQ(got, expected);
      gamepad.*stick.x = gamepad.*stick.y = 0;  // back to the centre releases what was pressed
      std::vector<Event> released = Poll();
      EXPECT_EQ(released.size(), expected.size());
      for (const Event& event : released) EXPECT_EQ(event.type, OV_EVENT_KEY_RELEASED);
      EXPECT_EQ(key_states[x_code] | key_states[y_code], 0);
    }
  }
}

TEST_F(Input, ConnectedCodeFollowsThePadAndDisconnectingKeepsTheOtherStates) {
  const int pad = 2;
  for (int i = 0; i < XINPUT_PADS; ++i) key_states[PadCode(i, 0)] = 7;  // overwritten by every poll
  Poll();
  for (int i = 0; i < XINPUT_PADS; ++i) EXPECT_EQ(key_states[PadCode(i, 0)], 0) << i;
  XInputGamepad& gamepad = Connect(pad);
  gamepad.buttons = 0x1000;
  gamepad.left_trigger = 255;
  EXPECT_EQ(Poll().size(), 2u);
  for (int i = 0; i < XINPUT_PADS; ++i) EXPECT_EQ(key_states[PadCode(i, 0)], i == pad ? 1 : 0) << i;
  EXPECT_EQ(xinput.GetPad(pad).result, static_cast<uint32_t>(XINPUT_SUCCESS));

  fake.result[pad] = XINPUT_DEVICE_NOT_CONNECTED;
  gamepad.buttons = 0;
  EXPECT_TRUE(Poll().empty());
  EXPECT_EQ(key_states[PadCode(pad, 0)], 0);
  EXPECT_EQ(key_states[PadCode(pad, 26)], 3);
  EXPECT_EQ(key_states[PadCode(pad, 1)], 3);
  EXPECT_EQ(analog_values[PadCode(pad, 1)], 1.0f);
  EXPECT_EQ(xinput.GetPad(pad).result, static_cast<uint32_t>(XINPUT_DEVICE_NOT_CONNECTED));
}

TEST_F(Input, FailingAndPacketZeroPadsGiveNoEventsAndNoVibration) {
  struct Case {
    const char* name;
    uint32_t result;
    uint32_t packet_number;
  } cases[] = {{"not connected", XINPUT_DEVICE_NOT_CONNECTED, 5}, {"other failure", 87, 5}, {"packet 0", 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake = FakeXInput();
    memset(analog_values, 0, sizeof analog_values);
    XInputGamepad& gamepad = fake.state[0].gamepad;
    gamepad.buttons = 0xffff;
    gamepad.left_trigger = gamepad.right_trigger = 255;
    gamepad.thumb_left_x = gamepad.thumb_right_y = 32767;
    fake.state[0].packet_number = c.packet_number;
    for (uint32_t& result : fake.result) result = c.result;
    analog_values[PadCode(0, 40)] = analog_values[PadCode(0, 41)] = 1.0f;
    EXPECT_TRUE(Poll().empty());
    EXPECT_TRUE(fake.sent.empty());
    for (int offset = 0; offset < 40; ++offset) {
      EXPECT_EQ(key_states[PadCode(0, offset)], 0) << offset;
      EXPECT_EQ(analog_values[PadCode(0, offset)], 0.0f) << offset;
    }
  }
}

TEST_F(Input, MotorSpeedsAreClampedAndSentToConnectedPads) {
  struct Case {
    float left, right;
    int left_speed, right_speed;
  } cases[] = {{0.0f, 0.0f, 0, 0}, {1.0f, 0.0f, 65535, 0}, {0.0f, 1.0f, 0, 65535},
               {-0.5f, 2.0f, 0, 65535}, {0.5f, 0.5f, 32767, 32767}, {NAN, 1.5f, 0, 65535}};
  Connect(0);
  Connect(3);
  fake.result[1] = 87;  // a failing pad between them
  fake.result[2] = XINPUT_SUCCESS;  // packet number 0: not connected
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.left << ", " << c.right);
    fake.sent.clear();
    for (int pad = 0; pad < XINPUT_PADS; ++pad) {
      analog_values[PadCode(pad, 40)] = c.left;
      analog_values[PadCode(pad, 41)] = c.right;
    }
    Poll();
    ASSERT_EQ(fake.sent.size(), 2u);
    for (size_t i = 0; i < fake.sent.size(); ++i) {
      uint32_t pad = fake.sent[i].first;
      EXPECT_EQ(pad, i == 0 ? 0u : 3u);
      EXPECT_NEAR(fake.sent[i].second.left_motor_speed, c.left_speed, 1);
      EXPECT_NEAR(fake.sent[i].second.right_motor_speed, c.right_speed, 1);
      EXPECT_EQ(xinput.GetPad(static_cast<int>(pad)).vibration.left_motor_speed, fake.sent[i].second.left_motor_speed);
    }
  }
}

TEST_F(Input, InitializeForgetsThePadsAndPreviousStateTrailsByOnePoll) {
  XInputGamepad& gamepad = Connect(1);
  gamepad.buttons = 0x0001;
  Poll();
  uint32_t first = fake.state[1].packet_number;
  gamepad.buttons = 0x0002;
  ++fake.state[1].packet_number;
  Poll();
  EXPECT_EQ(xinput.GetPad(1).previous.packet_number, first);
  EXPECT_EQ(xinput.GetPad(1).previous.gamepad.buttons, 0x0001);
  EXPECT_EQ(xinput.GetPad(1).current.gamepad.buttons, 0x0002);
  xinput.Initialize(&core);
  EXPECT_EQ(xinput.GetPad(1).current.packet_number, 0u);
  EXPECT_EQ(xinput.GetPad(1).vibration.left_motor_speed, 0);
}

// Engine entry points.

class CountingImp : public InputImp {
 public:
  explicit CountingImp(const char* answer = nullptr) : answer(answer) {}
  std::vector<std::string> calls;
  bool IsSupported() override { return true; }
  const char* GetName() override { return "Counting"; }
  void Initialize(CoreState* context) override { calls.push_back(context == &core ? "initialize" : "initialize?"); }
  void Shutdown() override { calls.push_back("shutdown"); }
  void SetActive(bool active) override { calls.push_back(active ? "active" : "inactive"); }
  void Update() override { calls.push_back("update"); }
  void PostUpdate() override { calls.push_back("post-update"); }
  const char* CallExtensionFunction(const char* name, const char* argument) override {
    calls.push_back(std::string("call ") + name + " " + argument);
    return answer;
  }

 private:
  const char* answer;
};

TEST_F(Input, StartRegistersXInputAndLogsTheConfiguredLibraries) {
  strcpy(core.input_implementations, "ii_pad.dll,,ii_raw.dll,");
  OVI_CreateInputImplementations();
  EXPECT_EQ(Logged(LOG_SYSTEM, "Using static XInput InputImp."), 1);
  EXPECT_EQ(Logged(LOG_WARNING, "XInput is not supported on this system."), 0);
  EXPECT_EQ(Logged(LOG_SYSTEM, "In static build mode. Ignoring InputImp Library: "), 2);
  EXPECT_EQ(Logged(LOG_SYSTEM, "In static build mode. Ignoring InputImp Library: 'ii_pad.dll'"), 1);
  EXPECT_EQ(Logged(LOG_SYSTEM, "In static build mode. Ignoring InputImp Library: 'ii_raw.dll'"), 1);
  ASSERT_EQ(OVI_InputImplementationCount(), 1);
  InputImp* registered = OVI_InputImplementation(0);
  EXPECT_STREQ(registered->GetName(), "XInput");
  EXPECT_EQ(static_cast<InputImpXInput*>(registered)->GetContext(), &core);
  EXPECT_EQ(fake.enabled, (std::vector<int>{1, 1}));  // this fixture's object, then the engine's

  // The engine's object polls through the provider as well.
  Connect(0).buttons = 0x2000;
  events.clear();
  OVI_UpdateInputImplementations();
  OVI_DispatchQueuedEvents();
  EXPECT_EQ(events, (std::vector<Event>{{OV_EVENT_KEY_PRESSED, PadCode(0, 27)}}));

  OVI_ShutdownInputImplementations();
  EXPECT_EQ(OVI_InputImplementationCount(), 0);
  EXPECT_EQ(fake.enabled.back(), 0);
}

TEST_F(Input, XInputIsLeftOutWhenAFunctionIsMissing) {
  XInputProvider missing[] = {{nullptr, FakeSetState, FakeEnable},
                              {FakeGetState, nullptr, FakeEnable},
                              {FakeGetState, FakeSetState, nullptr}};
  for (const XInputProvider& provider : missing) {
    log_lines.clear();
    OVI_SetXInputProvider(&provider);
    OVI_CreateInputImplementations();
    EXPECT_EQ(Logged(LOG_SYSTEM, "Using static XInput InputImp."), 1);
    EXPECT_EQ(Logged(LOG_WARNING, "XInput is not supported on this system."), 1);
    EXPECT_EQ(Logged(LOG_SYSTEM, "Ignoring InputImp Library"), 0);
    EXPECT_EQ(OVI_InputImplementationCount(), 0);
    OVI_ShutdownInputImplementations();
  }
}

TEST_F(Input, ThePlatformProviderRunsWithoutPads) {
  OVI_SetXInputProvider(nullptr);
  OVI_CreateInputImplementations();
  if (OVI_InputImplementationCount() == 0) {
    EXPECT_EQ(Logged(LOG_WARNING, "XInput is not supported on this system."), 1);
    return;
  }
  OVI_UpdateInputImplementations();
  OVI_DispatchQueuedEvents();
  EXPECT_TRUE(events.empty());
  for (int pad = 0; pad < XINPUT_PADS; ++pad) EXPECT_EQ(key_states[PadCode(pad, 0)], 0);
}

TEST_F(Input, EntryPointsReachEveryImplementationInOrder) {
  CountingImp first, second("second"), third("third");
  ASSERT_TRUE(OVI_RegisterInputImplementation(&first));
  ASSERT_TRUE(OVI_RegisterInputImplementation(&second));
  ASSERT_TRUE(OVI_RegisterInputImplementation(&second));  // once only
  ASSERT_TRUE(OVI_RegisterInputImplementation(&third));
  EXPECT_EQ(OVI_InputImplementationCount(), 3);
  OVI_UpdateInputImplementations();
  OVI_PostUpdateInputImplementations();
  EXPECT_STREQ(OVI_InputCallExtension("name", "arg"), "second");
  OVI_SetInputImplementationsActive(true);
  OVI_ShutdownInputImplementations();
  EXPECT_EQ(OVI_InputImplementationCount(), 0);
  const std::vector<std::string> answered = {"update", "post-update", "call name arg", "active", "shutdown"};
  const std::vector<std::string> skipped = {"update", "post-update", "active", "shutdown"};
  EXPECT_EQ(first.calls, answered);
  EXPECT_EQ(second.calls, answered);
  EXPECT_EQ(third.calls, skipped);  // the second answered first
  EXPECT_EQ(OVI_InputCallExtension("name", "arg"), nullptr);
}

TEST_F(Input, TheListHoldsEightImplementations) {
  CountingImp imps[INPUT_IMPLEMENTATIONS_MAX + 1];
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(OVI_RegisterInputImplementation(&imps[i])) << i;
  EXPECT_FALSE(OVI_RegisterInputImplementation(&imps[8]));
  EXPECT_EQ(OVI_InputImplementationCount(), 8);
  EXPECT_EQ(OVI_InputImplementation(8), nullptr);
  EXPECT_EQ(OVI_InputImplementation(-1), nullptr);
  EXPECT_EQ(Logged(LOG_WARNING, "'Counting' is not used"), 1);
  // Created after eight others, XInput finds no room but the others still start.
  OVI_CreateInputImplementations();
  for (int i = 0; i < 8; ++i) EXPECT_EQ(imps[i].calls, std::vector<std::string>{"initialize"}) << i;
  EXPECT_TRUE(imps[8].calls.empty());
  OVI_ShutdownInputImplementations();  // before the implementations go
}

TEST_F(Input, FocusChangeClearsTheKeysBelow255) {
  for (bool active : {false, true}) {
    SCOPED_TRACE(active);
    fake.enabled.clear();
    ASSERT_TRUE(OVI_RegisterInputImplementation(&xinput));
    for (int code = 0; code < KEY_CODES; ++code) key_states[code] = 3;
    OVI_SetInputImplementationsActive(active);
    EXPECT_EQ(fake.enabled, std::vector<int>{active ? 1 : 0});
    for (int code = 0; code < KEY_CODES; ++code) EXPECT_EQ(key_states[code], code < 255 ? 0 : 3) << code;
    OVI_ShutdownInputImplementations();
  }
}

// Pointer events store each pointer's position and buttons under its own codes.
TEST_F(Input, PointerEventsWriteThePointersCodes) {
  struct Case {
    int pointer, type, button, x, y;
  } cases[] = {
      {0, OV_EVENT_POINTER_PRESSED, 510, 10, 20},  {0, OV_EVENT_POINTER_RELEASED, 510, 11, 21},
      {0, OV_EVENT_POINTER_PRESSED, 511, 12, 22},  {0, OV_EVENT_POINTER_MOVED, 0, 13, 23},
      {1, OV_EVENT_POINTER_PRESSED, 510, 30, 40},  {1, OV_EVENT_POINTER_PRESSED, 511, 31, 41},
      {1, OV_EVENT_POINTER_RELEASED, 511, 32, 42}, {3, OV_EVENT_POINTER_MOVED, 0, -5, 7},
      {13, OV_EVENT_POINTER_PRESSED, 510, 99, 98},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pointer << " " << c.type << " " << c.button);
    int before_left = key_states[530 + 20 * c.pointer], before_right = key_states[531 + 20 * c.pointer];
    int before_mouse[4] = {key_states[504], key_states[505], key_states[510], key_states[511]};
    ProgramEvent event = {};
    event.type = c.type;
    event.word[0] = c.pointer;
    event.word[1] = c.x;
    event.word[2] = c.y;
    event.word[3] = c.button;
    event.word[6] = 2;
    OVI_DispatchEvent(&event);
    EXPECT_EQ(analog_values[524 + 20 * c.pointer], static_cast<float>(c.x));
    EXPECT_EQ(analog_values[525 + 20 * c.pointer], static_cast<float>(c.y));
    int state = c.type == OV_EVENT_POINTER_PRESSED ? 3 : 0;
    bool sets = c.type != OV_EVENT_POINTER_MOVED;
    EXPECT_EQ(key_states[530 + 20 * c.pointer], sets && c.button == 510 ? state : before_left);
    EXPECT_EQ(key_states[531 + 20 * c.pointer], sets && c.button == 511 ? state : before_right);
    if (c.pointer == 0) {
      EXPECT_EQ(key_states[504], c.x);
      EXPECT_EQ(key_states[505], c.y);
      EXPECT_EQ(analog_values[504], static_cast<float>(c.x));
      EXPECT_EQ(analog_values[505], static_cast<float>(c.y));
      if (sets) {
        EXPECT_EQ(key_states[c.button], state);
      }
    } else {
      int after_mouse[4] = {key_states[504], key_states[505], key_states[510], key_states[511]};
      EXPECT_EQ(memcmp(before_mouse, after_mouse, sizeof after_mouse), 0);  // the mouse is pointer 0 only
    }
  }
  // Pointer 14 would write into the first gamepad's codes: it is not tracked.
  ProgramEvent beyond = {};
  beyond.type = OV_EVENT_POINTER_PRESSED;
  beyond.word[0] = POINTERS;
  beyond.word[1] = 77;
  beyond.word[3] = 510;
  OVI_DispatchEvent(&beyond);
  EXPECT_EQ(analog_values[524 + 20 * POINTERS], 0.0f);
  EXPECT_EQ(key_states[530 + 20 * POINTERS], 0);
}

}  // namespace
