// Any character through the editors of the real TAVRIX.EXE: "&Other..." in the Select Character and Hot
// Key Action dialogs takes a character written as U+XXXX or pasted; the table keeps its fallback, the
// character goes into the file's extension and at once into force, and the grid shows it.
#include <gtest/gtest.h>

#include "core/files/MappingExtension.h"
#include "core/keymap/CellTexts.h"
#include "tests/win/support/EditorTest.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "tests/win/support/hook_harness.h"
#include "win/app/MainWin.h"
#include "win/keymap/HotKeyText.h"
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
    return ReadFileExtension(file);
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

// "&Text...": the error shows as the text is typed and OK waits for a text without one; the text goes into
// the file's extension with 0 in the record, the grid shows it, and the dialog opens on it again.
TEST_F(UnicodeEditing, ATextIsCheckedAsTypedAndGoesIntoTheCell) {
  tavrix_ = std::make_unique<TavrixProcess>(std::vector<std::uint8_t>{});
  ::SendMessageA(tavrix_->Control(IdHotKeys), BM_CLICK, 0, 0);
  const HWND grid = tavrix_->Control(IdNewGrid);
  const POINT cell = CellCentre(grid, NewGridColumns, CtrlAlt, 12);  // Ctrl+Alt+M
  RECT cellRect{cell.x - 18, cell.y - 8, cell.x + 18, cell.y + 8};
  ::MapWindowPoints(grid, nullptr, reinterpret_cast<POINT*>(&cellRect), 2);
  const auto openText = [&] {
    PostDoubleClick(grid, cell);
    const HWND action = WaitForWindow(tavrix_->id(), "TDoSpecial2");
    EXPECT_NE(action, nullptr);
    ::PostMessageA(::GetDlgItem(action, picker::TextButton), BM_CLICK, 0, 0);
    return std::pair{action, WaitForWindow(tavrix_->id(), HotKeyTextClassName)};
  };
  auto [action, text] = openText();
  ASSERT_NE(text, nullptr);
  const std::vector<std::uint32_t> none = SettledScreenPixels(cellRect);
  const HWND box = ::GetDlgItem(text, hot_key_text::TextBox), ok = ::GetDlgItem(text, hot_key_text::OkButton);
  ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ab{Nope}"));
  EXPECT_EQ(WindowText(::GetDlgItem(text, hot_key_text::ErrorLabel)).rfind("Position 4: ", 0), 0u)
      << WindowText(::GetDlgItem(text, hot_key_text::ErrorLabel));
  EXPECT_FALSE(::IsWindowEnabled(ok));
  SaveScreenshot(text, "hot_key_text_error");
  ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"H\u00E9{Enter}"));
  EXPECT_EQ(WindowText(::GetDlgItem(text, hot_key_text::ErrorLabel)), "");
  EXPECT_TRUE(::IsWindowEnabled(ok));
  ::PostMessageA(ok, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntilGone(text));
  Finish(action);

  const ExtensionRead read = Extension();
  const int number = HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 12);
  EXPECT_EQ(read.state, ExtensionState::Loaded) << read.problem;
  EXPECT_EQ(TextOfId(read.characters.At(number)), u"H\u00E9{Enter}");
  EXPECT_EQ(File().at(2 * static_cast<std::size_t>(number)), 0);
  EXPECT_EQ(File().at(2 * static_cast<std::size_t>(number) + 1), 0);
  EXPECT_NE(SettledScreenPixels(cellRect), none) << "the grid still shows the cell empty";
  SaveScreenshot(tavrix_->MainWindow(), "hot_key_text_grid");

  std::tie(action, text) = openText();
  ASSERT_NE(text, nullptr);
  wchar_t shown[32] = {};
  ::SendMessageW(::GetDlgItem(text, hot_key_text::TextBox), WM_GETTEXT, 32, reinterpret_cast<LPARAM>(shown));
  EXPECT_EQ(std::wstring(shown), L"H\u00E9{Enter}");
  ::PostMessageA(::GetDlgItem(text, hot_key_text::CancelButton), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntilGone(text));
  ::PostMessageA(::GetDlgItem(action, picker::CancelButton), BM_CLICK, 0, 0);
  Finish(action);
}

}  // namespace
}  // namespace tvx::test
