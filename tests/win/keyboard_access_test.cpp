// The real TAVRIX.EXE used with real X keystrokes alone: mnemonics, Tab, the arrows and Enter reach every
// editor, and the focus stays on the grids.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include "core/files/MappingFile.h"
#include "tests/win/support/hook_harness.h"
#include "tests/win/support/EditorTest.h"
#include "tests/win/support/GridDriving.h"
#include "win/app/MainWin.h"
#include "win/keymap/Pickers.h"

namespace tvx::test {
namespace {

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
  // the window is lost: while the focus has not moved at all, the keys are pressed again.
  static bool MovesFocus(HWND window, const std::string& keys) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      const int before = FocusedControlId(window);
      Keys(window, keys);
      if (WaitFor([&] { return FocusedControlId(window) != before; }, std::chrono::seconds(5))) return true;
    }
    return false;
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
