// Key names to codes and back.
#include <gtest/gtest.h>

#include "input/key_names.h"

namespace {

TEST(KeyNames, NamesGiveTheirCodes) {
  struct Case {
    const char* name;
    int code;
  } cases[] = {
      {"BACK", 8},           {"BACKSPACE", 8},        {"RETURN", 13},          {"SPACE", 32},
      {"PAGEDOWN", 34},      {"DOWN", 40},            {"HELP", 47},            {"7", 55},
      {"a", 65},             {"A", 65},               {"z", 90},               {"NUMPAD9", 105},
      {"DIVIDE", 111},       {"MENU", 300},           {"MOUSE_WHEEL", 507},    {"MOUSE_BUTTON_LEFT", 510},
      {"MOUSE_BUTTON_1", 511}, {"MOUSE_BUTTON_7", 517}, {"ACCELEROMETER_Z", 1612}, {"VOLUME_DOWN", 1633},
      {"GAMEPAD_0_LEFT_TRIGGER", 801}, {"GAMEPAD_3_BUTTON_Y", 1021}, {"GAMEPAD_1_DPAD_RIGHT", 877},
      {"GAMEPAD_2_RIGHT_THUMB_Y", 935},
      // Nothing matches.
      {"GAMEPAD_4_BUTTON_A", 0}, {"GAMEPAD_10_BUTTON_A", 0}, {"GAMEPAD_-1_BUTTON_A", 0}, {"GAMEPAD_0_", 0},
      {"GAMEPAD_0", 0},      {"GAMEPAD_x_BUTTON_A", 0}, {"space", 0},        {"%", 0},
      {"", 0},               {"F1", 0},               {"MOUSE_BUTTON_8", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(OVI_KeyCodeOfName(c.name), c.code) << c.name;
  EXPECT_EQ(OVI_KeyCodeOfName(nullptr), 0);
}

TEST(KeyNames, EveryNamedCodeNamesItselfBack) {
  int named = 0;
  char name[64];
  for (int code = 0; code < KEY_CODE_COUNT; ++code) {
    if (!OVI_KeyNameOfCode(code, name, sizeof name)) {
      EXPECT_STREQ(name, "") << code;
      continue;
    }
    ++named;
    EXPECT_EQ(OVI_KeyCodeOfName(name), code) << name;
  }
  // 37 keyboard codes, 10 digits, 26 letters, 18 device codes and 20 controls on each of 4 pads.
  EXPECT_EQ(named, 37 + 10 + 26 + 18 + 20 * 4);
  ASSERT_TRUE(OVI_KeyNameOfCode(8, name, sizeof name));
  EXPECT_STREQ(name, "BACK");
  ASSERT_TRUE(OVI_KeyNameOfCode(1021, name, sizeof name));
  EXPECT_STREQ(name, "GAMEPAD_3_BUTTON_Y");
  EXPECT_FALSE(OVI_KeyNameOfCode(1021, name, 8));  // does not fit
  EXPECT_FALSE(OVI_KeyNameOfCode(800, name, sizeof name));  // the connected state has no name
}

}  // namespace
