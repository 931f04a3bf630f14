// Characters beyond the code page and texts through the real program and library, with real X keystrokes
// into a window that records the UTF-16 units and the key events it receives: a remapped key types its
// character from the hook, a hot key's character goes through the main window, one beyond U+FFFF as its
// surrogate pair, and a hot key set to a text types it or plays its keys.
#include <gtest/gtest.h>

#include <string>

#include "core/keymap/CellTexts.h"
#include "tests/win/support/hook_harness.h"

namespace tvx::test {
namespace {

constexpr char PausedCaption[] = "Tavrix 98 (KEY)  [Paused]";
constexpr WORD VkM = 0x4D, ScanM = 0x32;

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// M as an on-screen keyboard sends a held key (Xvfb repeats no key held through XTest): pressed again
// every 100 ms for 1.2 s, then released.
void HoldM() {
  INPUT input{INPUT_KEYBOARD, {.ki = {VkM, ScanM, 0, 0, 0}}};
  for (int press = 0; press < 13; ++press) {
    if (press) ::Sleep(100);
    ::SendInput(1, &input, sizeof input);
  }
  input.ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(1, &input, sizeof input);
}

TEST(UnicodeCharacters, ARemappedKeyHotKeysAndTextsTypeCharactersBeyondTheCodePage) {
  Tables tables;
  tables.Identity();
  tables.RemapCharacter(RemapTableId::Lower, 'q', U'α');
  tables.BindCharacter(Alphabetic, CtrlAlt, 6, U'→');  // Ctrl+Alt+G
  tables.BindCharacter(Alphabetic, Alt, 7, 0x1F600);   // Alt+H
  tables.Bind(Alphabetic, Alt, 0, 'x');                // a hot key of the record beside them
  tables.BindCharacter(Alphabetic, CtrlAlt, 'M' - 'A', TextId(u"H\u00E9\u20AC\U0001F600{Enter}{Tab}x"));
  tables.BindCharacter(Alphabetic, CtrlAlt, 'K' - 'A', TextId(u"k{Ctrl+Alt+K}k"));
  tables.BindCharacter(Alphabetic, CtrlAlt, 'P' - 'A', TextId(u"a{Delay 2000}b"));
  tables.BindCharacter(Alphabetic, CtrlAlt, 'R' - 'A', TextId(u"Kind"));
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  Target target;
  ASSERT_TRUE(target.Focus());

  std::size_t mark = target.Mark();
  Xdotool("key q");
  EXPECT_EQ(Units(target, mark, 1), "03B1") << "q";
  mark = target.Mark();
  Xdotool("key ctrl+alt+g");
  EXPECT_EQ(Units(target, mark, 1), "2192") << "Ctrl+Alt+G";
  mark = target.Mark();
  Xdotool("key alt+h");
  EXPECT_EQ(Units(target, mark, 2), "D83D DE00") << "Alt+H";
  mark = target.Mark();
  Xdotool("key alt+a");
  EXPECT_EQ(Units(target, mark, 1), "0078") << "Alt+A";
  EXPECT_EQ(target.KeysDown(), "") << "a key stayed down";

  // Held for over a second: typed once, the Enter with no modifier of the hot key, nothing left down.
  mark = target.Mark();
  Xdotool("keydown --delay 30 ctrl+alt");
  HoldM();
  Xdotool("keyup --delay 30 ctrl+alt");
  EXPECT_EQ(Units(target, mark, 8), "0048 00E9 20AC D83D DE00 000D 0009 0078");
  const std::string log = target.Settled().substr(mark);
  const std::size_t enter = log.find("k 0Dv\nm ");
  ASSERT_NE(enter, std::string::npos) << log;
  EXPECT_EQ(log.substr(enter + 8, 1), "0") << "the Enter came with modifiers held: " << log;
  EXPECT_EQ(target.KeysDown(), "") << "a key stayed down";

  // A text that presses its own hot key runs once: k, Ctrl+Alt+K, k.
  mark = target.Mark();
  Xdotool("key --delay 30 ctrl+alt+k");
  EXPECT_EQ(Units(target, mark, 2), "006B 006B");
  EXPECT_EQ(Count(target.Since(mark, "k"), "4Bv"), 3u) << target.Settled().substr(mark);
  EXPECT_EQ(target.KeysDown(), "") << "a key stayed down";

  // With Caps Lock on, a text types its letters in the case it shows, not turned by the lock.
  Xdotool("key --delay 30 Caps_Lock");
  mark = target.Mark();
  Xdotool("key --delay 30 ctrl+alt+r");
  EXPECT_EQ(Units(target, mark, 4), "004B 0069 006E 0064") << "Caps Lock on";
  Xdotool("key --delay 30 Caps_Lock");
  EXPECT_EQ(target.KeysDown(), "") << "a key stayed down";

  // A delay goes on by itself, the modifier the user pressed meanwhile released first.
  mark = target.Mark();
  Xdotool("key --delay 30 ctrl+alt+p");
  EXPECT_EQ(Units(target, mark, 1), "0061");
  Xdotool("keydown shift");
  EXPECT_EQ(Units(target, mark, 2), "0061 0062") << "the rest after the delay, unshifted";
  Xdotool("keyup shift");
  EXPECT_EQ(target.KeysDown(), "") << "a key stayed down";

  // Another window in front, or the pause, stops the rest, which the same wait then never sees.
  Target other("other");
  ASSERT_TRUE(target.Focus());
  mark = target.Mark();
  Xdotool("key --delay 30 ctrl+alt+p");
  EXPECT_EQ(Units(target, mark, 1), "0061");
  ASSERT_TRUE(other.Focus());
  EXPECT_EQ(Units(other, 0, 1), "") << "the rest came into the other window";
  EXPECT_EQ(Units(target, mark, 2), "0061") << "the rest came though another window is in front";
  ASSERT_TRUE(target.Focus());
  mark = target.Mark();
  Xdotool("key --delay 30 ctrl+alt+p");
  EXPECT_EQ(Units(target, mark, 1), "0061");
  Xdotool("key --delay 30 ctrl+alt+Scroll_Lock");
  EXPECT_TRUE(WaitFor([&] { return WindowText(tavrix.MainWindow()) == PausedCaption; }));
  EXPECT_EQ(Units(target, mark, 2), "0061") << "the rest came though paused";
  Xdotool("key --delay 30 ctrl+alt+Scroll_Lock");
  EXPECT_TRUE(WaitFor([&] { return WindowText(tavrix.MainWindow()) != PausedCaption; }));
  EXPECT_EQ(target.KeysDown(), "") << "a key stayed down";
}

// An older version saved the file since: its record is in force, and the program says once why the
// characters are gone.
TEST(UnicodeCharacters, AStaleExtensionIsIgnoredAndReported) {
  Tables tables;
  tables.Identity();
  tables.RemapCharacter(RemapTableId::Lower, 'q', U'α');
  std::vector<std::uint8_t> file = tables.MappingFile();
  file[1078] = 'C';  // the older version remapped A to C and saved the record alone over the first bytes
  TavrixProcess tavrix(file);
  MessageBoxInfo box;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(tavrix.id())).window != nullptr; }, 20s));
  EXPECT_EQ(box.caption, "Notice");
  EXPECT_NE(box.text.find("an older version of Tavrix 98 has saved the file since"), std::string::npos)
      << box.text;
  EXPECT_EQ(AnswerMessageBoxes(tavrix.id()), 1);
  EXPECT_TRUE(WaitFor([&] {
    return TablesInForce() == std::vector<std::uint8_t>(file.begin(), file.begin() + 1171);
  })) << "the record as the older version left it";
}

}  // namespace
}  // namespace tvx::test
