// Options > Keys on the real TAVRIX.EXE: a source picked by pressing it (the hook hands the key over) and
// targets from the lists are listed and saved at once, and changed the same way; a source remapped
// already is refused. (Removing: keyboard_access_test.)
#include <gtest/gtest.h>

#include <cwchar>

#include "core/files/MappingExtension.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "tests/win/support/hook_harness.h"
#include "win/app/MainWin.h"
#include "win/keymap/KeysDialog.h"

namespace tvx::test {
namespace {

using namespace keys_dialog;

KeyRemapList KeysIn(const std::vector<std::uint8_t>& file) {
  return ReadFileExtension(file).characters.keys.List();
}

std::vector<std::string> Lines(HWND dialog) {
  std::vector<std::string> lines;
  for (int i = 0; i < ::SendMessageA(::GetDlgItem(dialog, RemapList), LB_GETCOUNT, 0, 0); ++i) {
    wchar_t line[200] = {};  // Wine hands another process a list's lines as wide text
    ::SendMessageW(::GetDlgItem(dialog, RemapList), LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
    lines.emplace_back(line, line + std::wcslen(line));
  }
  return lines;
}

// The list box's line for `vk`, found by the key each line holds.
void Choose(HWND form, int box, std::uint8_t vk) {
  const HWND list = ::GetDlgItem(form, box);
  for (int i = 0; i < ::SendMessageA(list, CB_GETCOUNT, 0, 0); ++i)
    if (::SendMessageA(list, CB_GETITEMDATA, i, 0) == vk) ::SendMessageA(list, CB_SETCURSEL, i, 0);
}

std::string TextOf(HWND control) {
  char text[100] = {};
  ::SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST(KeysDialog, ARemapPickedByPressingTheKeyIsSavedChangedAndRefusedTwice) {
  TavrixProcess tavrix;
  ::PostMessageA(tavrix.MainWindow(), WM_COMMAND, IdMenuKeys, 0);
  const HWND dialog = WaitForWindow(tavrix.id(), KeysDialogClassName);
  ASSERT_NE(dialog, nullptr);
  const auto edit = [&](int button, const std::function<void(HWND)>& choose) {
    PressButton(dialog, button);
    const HWND form = WaitForWindow(tavrix.id(), KeyRemapFormClassName);
    ASSERT_NE(form, nullptr);
    choose(form);
    PressButton(form, OkButton);
    ASSERT_TRUE(WaitUntilGone(form));
  };
  const auto listed = [&](const std::vector<std::string>& lines) {
    return WaitFor([&] { return Lines(dialog) == lines; });
  };

  edit(AddButton, [](HWND form) {
    PressButton(form, keys_dialog::PressButton);
    ASSERT_TRUE(WaitFor([&] { return TextOf(::GetDlgItem(form, PressLabel)) == "Press the key to remap..."; }));
    Xdotool("key Insert");
    ASSERT_TRUE(WaitFor([&] { return TextOf(::GetDlgItem(form, FromBox)) == "Insert"; }));
    PressButton(form, TapHoldRadio);
    ::SendMessageA(::GetDlgItem(form, DelayBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("300"));
  });
  EXPECT_TRUE(listed({"Insert\t\tEsc\tLCtrl\t300 ms"}));
  EXPECT_EQ(KeysIn(ReadFileBytes(tavrix.KeyFile())),
            (KeyRemapList{{0x2D, KeyRemapKind::TapHold, 0x1B, 0xA2, 300}}));

  ::SendMessageA(::GetDlgItem(dialog, RemapList), LB_SETCURSEL, 0, 0);
  edit(ChangeButton, [](HWND form) {
    PressButton(form, KeyRadio);
    Choose(form, ToBox, 0xA2);
  });
  EXPECT_TRUE(listed({"Insert\tLCtrl"}));
  EXPECT_EQ(KeysIn(ReadFileBytes(tavrix.KeyFile())), (KeyRemapList{{0x2D, KeyRemapKind::Key, 0xA2}}));

  // Added again, the same source is refused, and nothing changes.
  PressButton(dialog, AddButton);
  const HWND again = WaitForWindow(tavrix.id(), KeyRemapFormClassName);
  ASSERT_NE(again, nullptr);
  Choose(again, FromBox, 0x2D);
  PressButton(again, OffRadio);
  PressButton(again, OkButton);
  ASSERT_TRUE(WaitUntilGone(again));
  MessageBoxInfo box;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(tavrix.id())).window != nullptr; }));
  EXPECT_EQ(box.text, "Insert is remapped already: choose it in the list to change it.");
  PressOk(box);
  ASSERT_TRUE(WaitUntilGone(box.window));
  RoundTrip(dialog);  // the handler the box was in has ended
  EXPECT_EQ(Lines(dialog), std::vector<std::string>{"Insert\tLCtrl"});
}

}  // namespace
}  // namespace tvx::test
