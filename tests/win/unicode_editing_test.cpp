// Any character through the editors of the real TAVRIX.EXE: "&Other..." in the Select Character and Hot
// Key Action dialogs takes a character written as U+XXXX or pasted; the table keeps its fallback, the
// character goes into the file's extension and at once into force, and the grid shows it.
#include <gtest/gtest.h>

#include "core/files/MappingExtension.h"
#include "tests/win/support/EditorTest.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "tests/win/support/hook_harness.h"
#include "win/app/MainWin.h"
#include "win/keymap/OtherCharacter.h"
#include "win/keymap/Pickers.h"

namespace tvx::test {
namespace {

const std::vector<int> RemapColumns{20, 40};
const std::vector<int> NewGridColumns(8, 40);

class UnicodeEditing : public EditorTest {
 protected:
  // "&Other..." of an open picker, `text` put into its box as the user would type or paste it, then Ok.
  void PickOther(HWND picker, const wchar_t* text) {
    ::PostMessageA(::GetDlgItem(picker, picker::OtherButton), BM_CLICK, 0, 0);
    const HWND other = WaitForWindow(tavrix_->id(), OtherCharacterClassName);
    ASSERT_NE(other, nullptr);
    ::SendMessageW(::GetDlgItem(other, other_character::CharacterBox), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(text));
    ::PostMessageA(::GetDlgItem(other, other_character::OkButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntilGone(other));
    Finish(picker);
  }
  ExtensionRead Extension() const {
    const std::vector<std::uint8_t> file = File();
    EXPECT_GE(file.size(), MappingRecordSize);
    MappingRecord record;
    std::copy_n(file.begin(), MappingRecordSize, record.begin());
    return ReadExtension(record, std::span(file).subspan(MappingRecordSize));
  }
};

// Typed from the keyboard into the box: a character outside the code page arrives whole.
TEST_F(UnicodeEditing, ACharacterTypedIntoTheBoxArrivesWhole) {
  tavrix_ = std::make_unique<TavrixProcess>(std::vector<std::uint8_t>{});
  const HWND upper = tavrix_->Control(IdUpperGrid);
  PostDoubleClick(upper, CellCentre(upper, RemapColumns, 1, 0));  // "A"
  const HWND select = WaitForWindow(tavrix_->id(), "TDoSpecial");
  ASSERT_NE(select, nullptr);
  ::PostMessageA(::GetDlgItem(select, picker::OtherButton), BM_CLICK, 0, 0);
  const HWND other = WaitForWindow(tavrix_->id(), OtherCharacterClassName);
  ASSERT_NE(other, nullptr);
  const HWND box = ::GetDlgItem(other, other_character::CharacterBox);
  ASSERT_TRUE(TakeForeground(other));
  ASSERT_TRUE(WaitFor([&] { return ::GetWindowTextLengthW(box) == 0 && TakeForeground(other); }));
  INPUT keys[2] = {};
  for (int i = 0; i < 2; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wScan = 0x03A9;  // Ω
    keys[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
  }
  ::SendInput(2, keys, sizeof(INPUT));
  wchar_t typed[8] = {};
  EXPECT_TRUE(
      WaitFor([&] { return ::SendMessageW(box, WM_GETTEXT, 8, reinterpret_cast<LPARAM>(typed)) > 0; }));
  EXPECT_EQ(std::wstring(typed), L"\u03A9");
  ::PostMessageA(::GetDlgItem(other, other_character::OkButton), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntilGone(other));
  Finish(select);
  EXPECT_EQ(Extension().characters.At(RemapCellNumber(RemapTableId::Upper, 0)), U'Ω');
}

TEST_F(UnicodeEditing, OtherCharactersGoIntoTheFileAndIntoForce) {
  tavrix_ = std::make_unique<TavrixProcess>(std::vector<std::uint8_t>{});
  const HWND lower = tavrix_->Control(IdLowerGrid);
  PostDoubleClick(lower, CellCentre(lower, RemapColumns, 1, 16));  // "q"
  const HWND select = WaitForWindow(tavrix_->id(), "TDoSpecial");
  ASSERT_NE(select, nullptr);
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(select, picker::OtherButton)));
  PickOther(select, L"U+03B1");
  ExtensionRead read = Extension();
  EXPECT_EQ(read.state, ExtensionState::Loaded) << read.problem;
  EXPECT_EQ(read.characters.At(RemapCellNumber(RemapTableId::Lower, 16)), U'α');
  EXPECT_EQ(File().at(1104 + 16), 'q') << "the table keeps the key's own character";
  SaveScreenshot(tavrix_->MainWindow(), "unicode_remap_grid");

  ::SendMessageA(tavrix_->Control(IdHotKeys), BM_CLICK, 0, 0);
  const HWND grid = tavrix_->Control(IdNewGrid);
  PostDoubleClick(grid, CellCentre(grid, NewGridColumns, CtrlAlt, 6));  // Ctrl+Alt+G
  const HWND action = WaitForWindow(tavrix_->id(), "TDoSpecial2");
  ASSERT_NE(action, nullptr);
  PickOther(action, L"\u2192");
  read = Extension();
  EXPECT_EQ(read.characters.At(HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 6)), U'→');
  SaveScreenshot(tavrix_->MainWindow(), "unicode_hot_key_grid");

  // In force at once: q and Ctrl+Alt+G type the characters.
  Target target;
  ASSERT_TRUE(target.Focus());
  const std::size_t mark = target.Mark();
  Xdotool("key q");
  EXPECT_TRUE(WaitFor([&] { return target.Since(mark, "c") == "03B1"; }, 5s)) << target.Since(mark, "c");
  const std::size_t arrow = target.Mark();
  Xdotool("key ctrl+alt+g");
  EXPECT_TRUE(WaitFor([&] { return target.Since(arrow, "c") == "2192"; }, 5s)) << target.Since(arrow, "c");
  EXPECT_EQ(target.KeysDown(), "");
}

}  // namespace
}  // namespace tvx::test
