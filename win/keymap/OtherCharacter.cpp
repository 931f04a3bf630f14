#include "win/keymap/OtherCharacter.h"

#include <stdexcept>
#include <string>

#include "core/keymap/CellCharacters.h"
#include "win/sys/Dpi.h"

namespace tvx {
namespace {

using namespace other_character;

constexpr DWORD FormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD FormExStyle = WS_EX_DLGMODALFRAME;
constexpr FontSpec FormFont{12};
constexpr FontSpec BoxFont{20};
constexpr RECT BoxRect{8, 28, 148, 56};  // left, top, right, bottom in layout pixels

const ControlSpec OtherCharacterControls[] = {
    {ControlKind::Label, PromptLabel, "Type or paste the character, or write U+ and its code (U+20AC):", 8, 8,
     334, 16, FormFont},
    {ControlKind::DefaultButton, OkButton, "&Ok", 164, 66, 81, 23, FormFont},
    {ControlKind::Button, CancelButton, "&Cancel", 256, 66, 81, 23, FormFont},
};

}  // namespace

void TOtherCharacter::Create(HWND owner) {
  RegisterWindowClass(OtherCharacterClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const RECT frame = FrameForClient(350, 97, FormStyle, FormExStyle, false, WindowDpi(owner));
  if (!CreateWin(FormExStyle, OtherCharacterClassName, "Other Character", FormStyle, frame, owner, nullptr))
    throw std::runtime_error("A dialog could not be created.");
  layout_.Build(hwnd(), OtherCharacterControls);
  edit_ = layout_.UnicodeEdit(hwnd(), CharacterBox, BoxRect, BoxFont, PromptLabel);
  SetDefaultButton(OkButton);
}

void TOtherCharacter::FormShow() {
  CentreOnScreen();
  Character = 0;
  ::SetFocus(edit_);
}

void TOtherCharacter::Command(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == OkButton) OkButtonClick();
  if (id == CancelButton) Close();
}

// Stays open on a text that is no character, so the user can put it right.
void TOtherCharacter::OkButtonClick() {
  const int length = ::GetWindowTextLengthW(edit_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  ::GetWindowTextW(edit_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  const std::optional<char32_t> character =
      CharacterFromInput(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
  if (!character) {
    ::MessageBoxA(hwnd(), "Type or paste one character, or write U+ and its code in hexadecimal (U+20AC).",
                  "Error", MB_OK);
    ::SetFocus(edit_);
    return;
  }
  Character = *character;
  Close();
}

}  // namespace tvx
