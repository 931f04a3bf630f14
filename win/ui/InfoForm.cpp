#include "win/ui/InfoForm.h"

#include <stdexcept>

namespace tvx {
namespace {
constexpr DWORD InfoStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD InfoExStyle = WS_EX_DLGMODALFRAME;
}  // namespace

void InfoForm::Create(HWND owner) {
  RegisterWindowClass(spec_.className, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const RECT frame =
      FrameForClient(spec_.clientWidth, spec_.clientHeight, InfoStyle, InfoExStyle, false, WindowDpi(owner));
  if (!CreateWin(InfoExStyle, spec_.className, spec_.caption, InfoStyle, frame, owner, nullptr))
    throw std::runtime_error("A dialog could not be created.");
  controls_ = layout_.Build(hwnd(), spec_.controls);
  SetDefaultButton(spec_.defaultButton);
}

void InfoForm::FormShow() {
  CentreOnScreen();
  ::SetFocus(Control(spec_.defaultButton));
}

}  // namespace tvx
