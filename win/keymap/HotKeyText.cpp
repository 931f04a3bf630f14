#include "win/keymap/HotKeyText.h"

#include <stdexcept>

#include "core/app/TextAction.h"
#include "win/sys/Dpi.h"

namespace tvx {
namespace {

using namespace hot_key_text;

constexpr DWORD FormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD FormExStyle = WS_EX_DLGMODALFRAME;
constexpr FontSpec FormFont{12};
constexpr FontSpec BoxFont{16};
constexpr RECT BoxRect{8, 28, 452, 52};  // left, top, right, bottom in layout pixels

const ControlSpec HotKeyTextControls[] = {
    {ControlKind::Label, PromptLabel, "Type the text, or the keys to press:", 8, 8, 444, 16, FormFont},
    {ControlKind::Label, SyntaxLabel,
     "Keys: {Enter} {Tab} {F5} {Ctrl+C}    Wait: {Delay 500}    Braces: {{ and }}", 8, 58, 444, 16, FormFont,
     0, SS_NOPREFIX},
    // Three lines: an error names what is wrong and what would be right.
    {ControlKind::Label, ErrorLabel, "", 8, 78, 444, 44, FormFont, 0, SS_NOPREFIX},
    {ControlKind::DefaultButton, OkButton, "&Ok", 280, 128, 81, 23, FormFont},
    {ControlKind::Button, CancelButton, "&Cancel", 371, 128, 81, 23, FormFont},
};

// A character named in braces must have a key in the program's own layout, the one the user types in.
LayoutKey KeyInOwnLayout(char16_t ch) {
  LayoutKey key;
  key.scanned = ::VkKeyScanExW(static_cast<wchar_t>(ch), ::GetKeyboardLayout(0));
  return key;
}

std::wstring Wide(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(static_cast<std::size_t>(::MultiByteToWideChar(
      CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), static_cast<int>(wide.size()))));
  return wide;
}

}  // namespace

void THotKeyText::Create(HWND owner) {
  RegisterWindowClass(HotKeyTextClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const RECT frame = FrameForClient(460, 159, FormStyle, FormExStyle, false, WindowDpi(owner));
  if (!CreateWin(FormExStyle, HotKeyTextClassName, "Text", FormStyle, frame, owner, nullptr))
    throw std::runtime_error("A dialog could not be created.");
  layout_.Build(hwnd(), HotKeyTextControls);
  edit_ = layout_.UnicodeEdit(hwnd(), TextBox, BoxRect, BoxFont, PromptLabel);
  // Room for one unit past the limit, so that a text too long is told rather than cut.
  ::SendMessageW(edit_, EM_LIMITTEXT, MaxTextUnits + 1, 0);
  SetDefaultButton(OkButton);
}

void THotKeyText::FormShow() {
  CentreOnScreen();
  ::SetWindowTextW(edit_, reinterpret_cast<const wchar_t*>(Text.c_str()));
  Text.clear();
  TextBoxChange();
  ::SetFocus(edit_);
  ::SendMessageW(edit_, EM_SETSEL, 0, -1);
}

void THotKeyText::Command(int id, int code) {
  if (id == TextBox && code == EN_CHANGE) TextBoxChange();
  if (code != BN_CLICKED) return;
  if (id == OkButton) OkButtonClick();
  if (id == CancelButton) Close();
}

std::u16string THotKeyText::BoxText() const {
  const int length = ::GetWindowTextLengthW(edit_);
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  ::GetWindowTextW(edit_, reinterpret_cast<wchar_t*>(text.data()), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// An empty box is no error to tell while the user is about to type, but nothing to choose either.
void THotKeyText::TextBoxChange() {
  const std::u16string text = BoxText();
  const ParsedText parsed = ParseText(text, KeyInOwnLayout);
  const bool error = parsed.error.has_value() && !text.empty();
  ::SetWindowTextW(::GetDlgItem(hwnd(), ErrorLabel), error ? Wide(parsed.error->message).c_str() : L"");
  ::EnableWindow(::GetDlgItem(hwnd(), OkButton), !parsed.error);
}

void THotKeyText::OkButtonClick() {
  const std::u16string text = BoxText();
  if (ParseText(text, KeyInOwnLayout).error) return;
  Text = text;
  Close();
}

}  // namespace tvx
