// The real TAVRIX.EXE used with real X keystrokes alone: mnemonics, Tab, the arrows and Enter reach every
// editor, and the focus stays on the grids.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/files/MappingExtension.h"
#include "core/files/MappingFile.h"
#include "core/keymap/CellTexts.h"
#include "tests/win/support/EditorTest.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/hook_harness.h"
#include "win/app/MainWin.h"
#include "win/keymap/HotKeyText.h"
#include "win/keymap/KeysDialog.h"
#include "win/keymap/Pickers.h"

namespace tvx::test {
namespace {

// Where each key went while the object lives: the foreground window as each key went down, seen by a
// low-level hook of the test's own (it runs while the test pumps its messages, as it does waiting for
// xdotool).
class KeyArrivals {
 public:
  KeyArrivals() : hook_(::SetWindowsHookExA(WH_KEYBOARD_LL, &Record, ::GetModuleHandleA(nullptr), 0)) {
    foregrounds_.clear();
  }
  KeyArrivals(const KeyArrivals&) = delete;
  KeyArrivals& operator=(const KeyArrivals&) = delete;
  ~KeyArrivals() { ::UnhookWindowsHookEx(hook_); }
  // True when some key went down while the window was the foreground: it reached the window.
  bool Reached(HWND window) const {
    return std::find(foregrounds_.begin(), foregrounds_.end(), window) != foregrounds_.end();
  }
  int count() const { return static_cast<int>(foregrounds_.size()); }

 private:
  static LRESULT CALLBACK Record(int code, WPARAM message, LPARAM event) {
    if (code == HC_ACTION && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN))
      foregrounds_.push_back(::GetForegroundWindow());
    return ::CallNextHookEx(nullptr, code, message, event);
  }
  static inline std::vector<HWND> foregrounds_;
  HHOOK hook_;
};

class KeyboardAccess : public EditorTest {
 protected:
  // Alt+B of the Alphabetic table holds 'X', so its dialog opens on the character grid.
  void SetUp() override {
    Tables tables;
    tables.Identity();
    tables.Bind(Alphabetic, Alt, 1, 'X');
    tavrix_ = std::make_unique<TavrixProcess>(tables.MappingFile());
    ASSERT_TRUE(TakeForeground(Main()));
  }
  HWND Main() const { return tavrix_->MainWindow(); }
  // X keystrokes go to the foreground window, and a thread without it has no focus: `window` is made the
  // foreground again if it has dropped to the desktop.
  static void Foreground(HWND window) {
    if (::GetForegroundWindow() != window) TakeForeground(window);
  }
  static void Keys(HWND window, const std::string& keys) {
    Foreground(window);
    Xdotool("key --delay 60 " + keys);
  }
  void Keys(const std::string& keys) const { Keys(Main(), keys); }
  static bool FocusOn(HWND window, int id) {
    Foreground(window);
    return WaitFor([&] { return FocusedControlId(window) == id; }, std::chrono::seconds(5));
  }
  // Keys that move the focus. A keystroke that reaches the display while its focus is still on its way to
  // the window is lost: keys that provably never reached the window (none went down while it was the
  // foreground) are pressed again, and said so; keys that reached it and moved nothing fail.
  static bool MovesFocus(HWND window, const std::string& keys) {
    for (int attempt = 1;; ++attempt) {
      const int before = FocusedControlId(window);
      const KeyArrivals arrivals;
      Keys(window, keys);
      if (WaitFor([&] { return FocusedControlId(window) != before; }, std::chrono::seconds(5))) return true;
      if (attempt == 3 || arrivals.Reached(window)) return false;
      std::printf("pressed again: \"%s\", whose %d keys went down while another window was the foreground\n",
                  keys.c_str(), arrivals.count());
    }
  }
  static bool MoveFocus(HWND window, const std::string& keys, int id) {
    return MovesFocus(window, keys) && FocusOn(window, id);
  }
  bool MoveFocus(const std::string& keys, int id) const { return MoveFocus(Main(), keys, id); }
};

TEST_F(KeyboardAccess, BothEditorsWorkFromTheKeyboardAlone) {
  EXPECT_TRUE(FocusOn(Main(), IdUpperGrid)) << "at start, on the first grid of the page shown";
  // "Keyboard &Hot Keys" shares its letter with "&Help": on the main window the button wins.
  ASSERT_TRUE(MoveFocus("alt+h", IdNewGrid));
  EXPECT_TRUE(::IsWindowVisible(tavrix_->Control(IdPanel1)));
  Keys("Down Return");  // Alt+B
  HWND dialog = WaitForWindow(tavrix_->id(), "TDoSpecial2");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(FocusOn(dialog, picker::SymbolGrid));
  ASSERT_TRUE(MoveFocus(dialog, "Tab Tab", picker::KeyGrid));
  EXPECT_EQ(DefaultButtonId(dialog), picker::OkKey) << "Tab into the key grid makes Select Key the default";
  Keys(dialog, "Right Return");  // the key grid's second key
  Finish(dialog);
  EXPECT_EQ(SharedArea(HotKeyAreaName).Word(10), FirstKeyAction + 1);
  EXPECT_EQ(File().at(2) | File().at(3) << 8, FirstKeyAction + 1);
  EXPECT_TRUE(FocusOn(Main(), IdNewGrid)) << "the focus is back on the grid";

  // A text: Alt+T, the text typed into the box that has the focus, Enter.
  Keys("Return");
  dialog = WaitForWindow(tavrix_->id(), "TDoSpecial2");
  ASSERT_NE(dialog, nullptr);
  Keys(dialog, "alt+t");
  const HWND text = WaitForWindow(tavrix_->id(), HotKeyTextClassName);
  ASSERT_NE(text, nullptr);
  ASSERT_TRUE(FocusOn(text, hot_key_text::TextBox));
  Keys(text, "h i Return");
  ASSERT_TRUE(WaitUntilGone(text));
  Finish(dialog);
  const std::vector<std::uint8_t> file = File();
  ASSERT_GT(file.size(), MappingRecordSize);
  const ExtensionRead read = ReadFileExtension(file);
  EXPECT_EQ(TextOfId(read.characters.At(HotKeyCellNumber(*TableByCategory(Alphabetic), Alt, 1))), u"hi");
  EXPECT_EQ(SharedArea(HotKeyAreaName).Word(10), 0) << "the table holds no action beside the text";
  EXPECT_TRUE(FocusOn(Main(), IdNewGrid)) << "the focus is back on the grid";

  // The sheet of the hot keys in force, over the text: Alt+H.
  Keys("Return");
  dialog = WaitForWindow(tavrix_->id(), "TDoSpecial2");
  ASSERT_NE(dialog, nullptr);
  Keys(dialog, "alt+h");
  Finish(dialog);
  EXPECT_EQ(ReadFileExtension(File()).characters.At(HotKeyCellNumber(*TableByCategory(Alphabetic), Alt, 1)),
            SheetMarker);

  ASSERT_TRUE(MoveFocus("alt+r", IdUpperGrid));
  ASSERT_TRUE(MoveFocus("Tab", IdLowerGrid));
  Keys("Down F2");  // "b"
  dialog = WaitForWindow(tavrix_->id(), "TDoSpecial");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(FocusOn(dialog, picker::SymbolGrid));
  Keys(dialog, "Right Return");  // "c"
  Finish(dialog);
  EXPECT_EQ(SharedArea(RemapAreaName).data()[34 + 1], 'c');
  EXPECT_EQ(File().at(1104 + 1), 'c');
  EXPECT_TRUE(FocusOn(Main(), IdLowerGrid)) << "back on the grid it was opened from";
}

// Options > Keys... from the menu, a remap added with the keys alone (the source's first letter and an
// arrow, the kind's mnemonic, Enter for OK) and removed again.
TEST_F(KeyboardAccess, TheKeysDialogWorksFromTheKeyboardAlone) {
  Keys("alt+o k");
  const HWND dialog = WaitForWindow(tavrix_->id(), KeysDialogClassName);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(FocusOn(dialog, keys_dialog::RemapList));
  Keys(dialog, "alt+a");
  const HWND form = WaitForWindow(tavrix_->id(), KeyRemapFormClassName);
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(FocusOn(form, keys_dialog::FromBox));
  Keys(form, "c Down alt+t Return");  // C, then CapsLock; tap and hold as offered: Esc, LCtrl, 200 ms
  ASSERT_TRUE(WaitUntilGone(form));
  const auto keys = [&] { return ReadFileExtension(File()).characters.keys.List(); };
  EXPECT_TRUE(WaitFor([&] {
    return keys() == KeyRemapList{{0x14, KeyRemapKind::TapHold, 0x1B, 0xA2, 200}};
  }));
  const HWND list = ::GetDlgItem(dialog, keys_dialog::RemapList);
  ASSERT_TRUE(WaitFor([&] { return ::SendMessageA(list, LB_GETCURSEL, 0, 0) == 0; })) << "the line added";
  Keys(dialog, "alt+r");
  EXPECT_TRUE(WaitFor([&] { return keys().empty(); }));
}

TEST_F(KeyboardAccess, TabReachesTheButtonsAndTheArrowsStayInTheirGroup) {
  ASSERT_TRUE(MoveFocus("alt+h", IdNewGrid));
  ASSERT_TRUE(MovesFocus(Main(), "shift+Tab"));
  const auto category = [&] {
    const int* at = nullptr;
    WaitFor([&] {
      at = std::find(CategoryButtons.begin(), CategoryButtons.end(), FocusedControlId(Main()));
      return at != CategoryButtons.end();
    });
    return at == CategoryButtons.end() ? -1 : static_cast<int>(at - CategoryButtons.begin());
  };
  const int first = category();
  ASSERT_GE(first, 0) << "Shift+Tab reaches the category buttons, focus on " << FocusedControlId(Main());
  // Around the group both ways, past its ends, and never out of it.
  EXPECT_TRUE(MoveFocus("Left", CategoryButtons[(first + 4) % 5]));
  EXPECT_TRUE(MoveFocus("Right Right", CategoryButtons[(first + 1) % 5]));
  EXPECT_TRUE(MoveFocus("alt+n", IdNewGrid));
  // Letters typed on a grid are no mnemonics: neither page nor category changes. Posted, as the keys'
  // characters arrive, with an arrow after them that shows when they have been handled.
  const HWND grid = tavrix_->Control(IdNewGrid);
  const LONG row = GridCurrent(grid).y;
  for (const char letter : {'r', 'e'}) ::PostMessageA(grid, WM_CHAR, static_cast<WPARAM>(letter), 0);
  PostKey(grid, VK_DOWN);
  ASSERT_TRUE(WaitFor([&] { return GridCurrent(grid).y == row + 1; }));
  EXPECT_TRUE(::IsWindowVisible(grid));
  EXPECT_EQ(FocusedControlId(Main()), IdNewGrid);
  EXPECT_EQ(GridRowCount(tavrix_->Control(IdNewGrid)), 10) << "the Numeric category";
  EXPECT_TRUE(MoveFocus("Tab", IdHotKeys))
      << "on into the mode buttons, at the checked one; focus on " << FocusedControlId(Main());
}

}  // namespace
}  // namespace tvx::test
