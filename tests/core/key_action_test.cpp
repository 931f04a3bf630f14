#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/KeyAction.h"
#include "tests/core/recording_keyboard.h"

namespace tvx {
namespace {

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
  area.view.SetAction(alpha, Win, 2, 400);
  const Case cases[] = {
      {"233 as the character itself, never as an Alt code", 0x0101, 0, "u00E9v u00E9^"},
      {"128 is the euro sign of the code page", 0x0103, 0, "u20ACv u20AC^"},
      {"capital A with Shift", 0x0101, 1, "10v 41v 41^ 10^"},
      {"small a without", 0x0101, 2, "41v 41^"},
      {"256 presses F1 alone", 0x0102, 25, "70v 70^"},
      {"Ctrl+Alt+Home bound to F5", 0x0504, 2, "74v 74^"},
      {"the Caps Lock flag adds no Caps Lock press to a key", 0x8504, 2, "74v 74^"},
      {"table 0 carries B itself", 66, 0, "10v 42v 42^ 10^"},
      {"table 0 with the Caps Lock flag: B as itself", 0x8000 | 66, 0, "u0042v u0042^"},
      {"the Caps Lock flag leaves a digit on its key", 0x8000 | '1', 0, "31v 31^"},
      {"Enter is a key", 13, 0, "0Dv 0D^"},
      {"a control character no key types alone goes as itself", 1, 0, "u0001v u0001^"},
      {"a byte the code page lacks does nothing", 0x81, 0, ""},
      {"a carried action wins over the entry named", 0x00410000ull | 0x0504, 2, "10v 41v 41^ 10^"},
      {"a carried action with the Caps Lock flag", 0x01000000ull | 0x8504, 2, "70v 70^"},
      {"a carried action above 315 does nothing", 0xABCD0000ull | 66, 0, ""},
      {"bits above the low 32 are ignored", 0xABCD00000000ull | 66, 0, "10v 42v 42^ 10^"},
      {"empty entry", 0x0101, 3, ""},
      {"empty entry with the Caps Lock flag", 0x8101, 3, ""},
      {"column 0", 0x0100, 0, ""},
      {"column 8", 0x0108, 0, ""},
      {"row past the table", 0x0101, 26, ""},
      {"negative row", 0x0101, -1, ""},
      {"row beyond 32 bits", 0x0101, 0x100000000ll, ""},
      {"damaged entry above 315", 0x0103, 2, ""},
      {"table 6 carries an action above 315", 0x0601, 0, ""},
      {"table 0 with code 0", 0, 0, ""},
  };
  for (const Case& c : cases) {
    RecordingKeyboard keyboard;
    KeyActionMsg(c.wParam, c.lParam, area.view, keyboard);
    EXPECT_EQ(keyboard.events, c.events) << c.what;
  }
}

struct Typing {
  const char* layout;  // in the X keyboard database
  unsigned cell;       // the byte the cell holds, Windows-1252
  bool capsLock;       // the message's Caps Lock flag
  const char* events;
};

// The character the cell shows reaches the window as that character: on its key where the layout types it
// alone or with Shift, as itself everywhere else.
TEST(KeyActionMsg, TypingRuleOverLayouts) {
  const Typing rows[] = {
      // The key alone, and with Shift.
      {"us", '@', false, "10v 32v 32^ 10^"},
      {"de", 'y', false, "59v 59^"},
      {"de", 'Q', false, "10v 51v 51^ 10^"},
      {"de", 0xA7, false, "10v 33v 33^ 10^"},  // section sign, Shift+3
      {"de", 0xFC, false, "DBv DB^"},          // u umlaut on its own key
      {"fr", 'a', false, "41v 41^"},
      {"fr", 0xE9, false, "32v 32^"},  // e acute on the 2 key
      {"fr", '2', false, "10v 32v 32^ 10^"},
      // AltGr: never a synthesised Ctrl+Alt.
      {"de", '@', false, "u0040v u0040^"},
      {"de", '{', false, "u007Bv u007B^"},
      {"de", '\\', false, "u005Cv u005C^"},
      {"de", 0x80, false, "u20ACv u20AC^"},
      {"de", 0xB5, false, "u00B5v u00B5^"},
      {"fr", '@', false, "u0040v u0040^"},
      {"fr", '|', false, "u007Cv u007C^"},
      // Dead keys, alone and with Shift: no dead-key state is left behind.
      {"de", '^', false, "u005Ev u005E^"},
      {"de", '`', false, "u0060v u0060^"},
      {"fr", '^', false, "u005Ev u005E^"},
      // No key of the layout.
      {"us", 0xE9, false, "u00E9v u00E9^"},
      {"us", 0x80, false, "u20ACv u20AC^"},
      {"de", 0xE9, false, "u00E9v u00E9^"},
      // Caps Lock on: a letter it would turn goes as itself, in the case the cell shows.
      {"us", 'a', true, "u0061v u0061^"},
      {"us", 'A', true, "u0041v u0041^"},
      {"us", '@', true, "10v 32v 32^ 10^"},
      {"de", 0xFC, true, "u00FCv u00FC^"},
      {"de", '7', true, "37v 37^"},
      {"fr", 'q', true, "u0071v u0071^"},
  };
  Area area;
  for (const Typing& row : rows) {
    RecordingKeyboard keyboard(row.layout);
    KeyActionMsg((row.capsLock ? 0x8000 : 0) | row.cell, 0, area.view, keyboard);
    EXPECT_EQ(keyboard.events, row.events)
        << row.layout << " " << row.cell << (row.capsLock ? " Caps Lock" : "");
  }
}

// The system's tick wraps after 49.7 days; an action is late only more than a second after its press.
// A character beyond the record, as the hook posts it: by its key where the layout has one, as itself
// otherwise, as two halves beyond U+FFFF; a value no cell can hold types nothing.
TEST(KeyActionMsg, CharacterHotKeyMessages) {
  const Case cases[] = {
      {"a character of the layout goes as its key", 'x', 0, "58v 58^"},
      {"Caps Lock on: as itself", 'x', 1, "u0078v u0078^"},
      {"an arrow as itself", 0x2192, 0, "u2192v u2192^"},
      {"an emoji as its surrogate pair", 0x1F600, 0, "uD83Dv uD83D^ uDE00v uDE00^"},
      {"the last code point", 0x10FFFD, 0, "uDBFFv uDBFF^ uDFFDv uDFFD^"},
      {"a surrogate alone", 0xD83D, 0, ""},
      {"beyond Unicode", 0x110000, 0, ""},
      {"a control code", 0x1B, 0, ""},
      {"bits above 32", 0x100000041ull, 0, ""},
  };
  for (const Case& c : cases) {
    RecordingKeyboard keyboard;
    CharacterHotKeyMsg(c.wParam, c.lParam, keyboard);
    EXPECT_EQ(keyboard.events, c.events) << c.what;
  }
}

TEST(KeyActionMsg, LateIsMoreThanASecondOnAWrappingTick) {
  EXPECT_FALSE(IsLate(5000, 5000));
  EXPECT_FALSE(IsLate(5000, 6000));
  EXPECT_TRUE(IsLate(5000, 6001));
  EXPECT_FALSE(IsLate(0xFFFFFF00u, 0x2E8));
  EXPECT_TRUE(IsLate(0xFFFFFF00u, 0x2E9));
}

// The grey keys and the arrows come from a real keyboard with the extended flag; an injected one without it
// arrives as its keypad twin (Up as keypad 8). Keys with no twin go out plain.
TEST(KeyActionMsg, TheGreyKeysAndTheArrowsGoOutExtended) {
  for (const std::uint8_t vk : {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E, 0x5D, 0x90})
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
