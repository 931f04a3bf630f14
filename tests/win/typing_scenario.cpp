// Hot keys type the characters their cells show on the keymap the display carries: keyboard_layouts_test.sh
// runs this on the US, German and French keymaps, each on a display and a Wine machine of its own (a Wine
// server keeps the keymap it first saw).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/win/support/GridDriving.h"
#include "tests/win/support/hook_harness.h"
#include "win/app/MainWin.h"

namespace tvx::test {
namespace {

struct Binding {
  char key;           // Alt+key
  std::uint8_t cell;  // the cell's byte, Windows-1252
  char16_t shown;     // what the cell shows
};

// The characters layouts put on AltGr, on dead keys or nowhere, and a capital letter. Alt+F is left out:
// the target's menu is F.
constexpr Binding Bindings[] = {{'A', '@', u'@'},       {'B', '{', u'{'},       {'C', '[', u'['},
                                {'D', ']', u']'},       {'E', '\\', u'\\'},     {'G', '|', u'|'},
                                {'H', '~', u'~'},       {'I', 0x80, u'\u20AC'}, {'J', 0xE9, u'\u00E9'},
                                {'K', 0xB5, u'\u00B5'}, {'L', 'Z', u'Z'}};

// The characters as the target logs them: UTF-16 codes in hex, joined by blanks.
std::string Codes(const std::u16string& text) {
  std::string codes;
  for (const char16_t ch : text) {
    char code[8];
    std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(ch));
    codes += (codes.empty() ? "" : " ") + std::string(code);
  }
  return codes;
}

class TypingScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    keymap_ = std::getenv("TAVRIX_KEYMAP");
    if (!keymap_) GTEST_SKIP() << "runs on a keymap of its own: keyboard_layouts_test.sh";
  }
  const char* keymap_ = nullptr;
};

TEST_F(TypingScenario, HotKeysTypeTheirCellsCharacters) {
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'x', '@');
  std::string keys;
  std::u16string shown;
  for (const Binding& binding : Bindings) {
    tables.Bind(Alphabetic, Alt, binding.key - 'A', binding.cell);
    keys += std::string(keys.empty() ? "" : " ") + "alt+" + static_cast<char>(binding.key + 'a' - 'A');
    shown += binding.shown;
  }
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  Target target;
  ASSERT_TRUE(target.Focus());

  std::size_t mark = target.Mark();
  Xdotool("key --delay 30 " + keys);
  EXPECT_EQ(target.Since(mark, "c"), Codes(shown)) << keymap_ << ", Caps Lock off";
  mark = target.Mark();
  Xdotool("key --delay 30 Caps_Lock " + keys + " Caps_Lock");
  EXPECT_EQ(target.Since(mark, "c"), Codes(shown)) << keymap_ << ", Caps Lock on";
  mark = target.Mark();
  Xdotool("key --delay 30 x");
  EXPECT_EQ(target.Since(mark, "c"), Codes(u"@")) << keymap_ << ", a remapped key";
  EXPECT_EQ(target.KeysDown(), "") << keymap_ << ": a key stayed down";

  // What a program that reads keys sees: the layout's key where it types the character alone or with
  // Shift, the packet that carries the character (VK_PACKET, E7) everywhere else. (Wine's VkKeyScanExW finds
  // keys for ASCII characters only, so the French e acute goes as a packet here; on Windows it is a key.)
  const bool us = std::string(keymap_) == "us", fr = std::string(keymap_) == "fr";
  const struct {
    std::uint8_t cell;
    const char* keys;
  } seen[] = {{'@', us ? "10v 32v 32^ 10^" : "E7v E7^"}, {'2', fr ? "10v 32v 32^ 10^" : "32v 32^"}};
  for (const auto& c : seen) {
    mark = target.Mark();
    ::PostMessageA(tavrix.MainWindow(), WM_USER + 1, c.cell, 0);
    EXPECT_EQ(target.Since(mark, "k"), c.keys) << keymap_ << " " << int{c.cell};
  }

  // An arrow pressed while the Alt of a hot key is still held: the library presses Alt again and sends
  // the arrow itself, as the arrow key and not keypad 8.
  mark = target.Mark();
  Xdotool("keydown --delay 30 alt key --delay 30 l Up keyup --delay 30 alt");
  EXPECT_EQ(target.Since(mark, "c"), "005A") << keymap_;
  EXPECT_EQ(target.Since(mark, "e"), "26") << keymap_ << ": " << target.Settled().substr(mark);
  EXPECT_EQ(target.KeysDown(), "") << keymap_ << ": a key stayed down";
}

// Options > Check Hot Keys on the display's keymap: Ctrl+Alt+Q is AltGr+Q, "@", on the German one; the US
// and the French ones type nothing there. (Wine reports every layout as the US one, 00000409, so the
// line names the layout "US", and it finds AltGr characters of one byte only.)
TEST_F(TypingScenario, CheckHotKeysFindsTheKeymapsAltGrCharacter) {
  Tables tables;
  tables.Identity();
  tables.Bind(Alphabetic, CtrlAlt, 'Q' - 'A', 'x');
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  DWORD id = 0;
  ::GetWindowThreadProcessId(tavrix.MainWindow(), &id);
  ::PostMessageA(tavrix.MainWindow(), WM_COMMAND, IdMenuCheckHotKeys, 0);
  const HWND dialog = WaitForWindow(id, "TCheckHotKeys");
  ASSERT_TRUE(dialog);
  char text[1024] = {};
  ::SendMessageA(::GetDlgItem(dialog, 101), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  const std::string report = text;
  if (std::string(keymap_) == "de")
    EXPECT_NE(report.find("Ctrl+Alt+Q types \"@\"."), std::string::npos) << report;
  else
    EXPECT_EQ(report.find("types"), std::string::npos) << keymap_ << ": " << report;
  ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntilGone(dialog));
}

}  // namespace
}  // namespace tvx::test
