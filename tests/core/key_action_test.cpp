#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/KeyAction.h"

namespace tvx {
namespace {

// Records key events as "10v 41v 41^ 10^" (virtual key in hex, v down, ^ up) over a US layout.
class RecordingKeyboard : public Keyboard {
 public:
  std::string events;

  void PostVKey(std::uint8_t key, bool up) override {
    char text[8];
    std::snprintf(text, sizeof text, "%s%02X%c", events.empty() ? "" : " ", key, up ? '^' : 'v');
    events += text;
  }
  std::int16_t VkKeyScanA(char ch) override {
    if (ch >= 'a' && ch <= 'z') return static_cast<std::int16_t>(ch - 'a' + 'A');
    if (ch >= 'A' && ch <= 'Z') return static_cast<std::int16_t>(0x100 | ch);
    if (ch == 1) return 0x0241;  // Ctrl+A
    if (ch == 13) return 0x0D;
    return -1;
  }
};

struct Area {
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(AreaSize, 0);
  HotKeyAreaView view{bytes.data()};
};

struct Case {
  const char* what;
  std::uint64_t wParam;
  std::int64_t lParam;
  const char* events;
};

TEST(KeyActionMsg, EventSequences) {
  Area area;
  const HotKeyTable& alpha = *TableByNumber(1);
  area.view.SetAction(alpha, Alt, 0, 233);
  area.view.SetAction(alpha, Alt, 1, 65);
  area.view.SetAction(alpha, Alt, 2, 97);
  area.view.SetAction(alpha, Ctrl, 25, 256);
  area.view.SetAction(*TableByNumber(5), CtrlAlt, 2, 260);
  area.view.SetAction(alpha, Win, 0, 128);
  area.view.SetAction(alpha, Win, 1, 1);
  area.view.SetAction(alpha, Win, 2, 400);
  area.view.SetAction(alpha, Win, 3, 126);
  const Case cases[] = {
      {"233 through its ANSI code", 0x0101, 0, "12v 60v 60^ 62v 62^ 63v 63^ 63v 63^ 12^"},
      {"128, the lowest Alt code", 0x0103, 0, "12v 60v 60^ 61v 61^ 62v 62^ 68v 68^ 12^"},
      {"capital A with Shift", 0x0101, 1, "10v 41v 41^ 10^"},
      {"small a without", 0x0101, 2, "41v 41^"},
      {"256 presses F1 alone", 0x0102, 25, "70v 70^"},
      {"Ctrl+Alt+Home bound to F5", 0x0504, 2, "74v 74^"},
      {"Caps Lock flag wraps the action", 0x8504, 2, "14v 14^ 74v 74^ 14v 14^"},
      {"table 0 carries B itself", 66, 0, "10v 42v 42^ 10^"},
      {"table 0 with the Caps Lock flag", 0x8000 | 66, 0, "14v 14^ 10v 42v 42^ 10^ 14v 14^"},
      {"a carried action wins over the entry named", 0x00410000ull | 0x0504, 2, "10v 41v 41^ 10^"},
      {"a carried action with the Caps Lock flag", 0x01000000ull | 0x8504, 2, "14v 14^ 70v 70^ 14v 14^"},
      {"a carried action above 315 does nothing", 0xABCD0000ull | 66, 0, ""},
      {"bits above the low 32 are ignored", 0xABCD00000000ull | 66, 0, "10v 42v 42^ 10^"},
      {"a shift state other than 1 adds no modifier", 0x0103, 1, "41v 41^"},
      {"empty entry", 0x0101, 3, ""},
      {"empty entry with the Caps Lock flag", 0x8101, 3, ""},
      {"column 0", 0x0100, 0, ""},
      {"column 8", 0x0108, 0, ""},
      {"row past the table", 0x0101, 26, ""},
      {"negative row", 0x0101, -1, ""},
      {"row beyond 32 bits", 0x0101, 0x100000000ll, ""},
      {"damaged entry above 315", 0x0103, 2, ""},
      {"character the layout lacks", 0x8103, 3, ""},
      {"table 6 carries an action above 315", 0x0601, 0, ""},
      {"table 0 with code 0", 0, 0, ""},
  };
  for (const Case& c : cases) {
    RecordingKeyboard keyboard;
    KeyActionMsg(c.wParam, c.lParam, area.view, keyboard);
    EXPECT_EQ(keyboard.events, c.events) << c.what;
  }
}

// The grey keys and the arrows come from a real keyboard with the extended flag; an injected one without it
// arrives as its keypad twin (Up as keypad 8). Keys with no twin go out plain.
TEST(KeyActionMsg, TheGreyKeysAndTheArrowsGoOutExtended) {
  for (const std::uint8_t vk : {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E})
    EXPECT_TRUE(IsExtendedKey(vk)) << std::hex << int{vk};
  for (const std::uint8_t vk : {0x0D, 0x41, 0x60, 0x68, 0x74})
    EXPECT_FALSE(IsExtendedKey(vk)) << std::hex << int{vk};
}

TEST(KeyActionMsg, TraceLinesAreSigned32BitDecimals) {
  EXPECT_EQ(TraceCodeLine(5, -1), "Code = 5,-1\r\n");
  EXPECT_EQ(TraceParamsLine(0xFFFFFFFFull, 0x100000003ll), "WParam = -1    LParam = 3\r\n");
  EXPECT_EQ(TraceParamsLine(1025, -2147483648ll), "WParam = 1025    LParam = -2147483648\r\n");
}

}  // namespace
}  // namespace tvx
