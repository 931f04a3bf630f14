#include "win/shell/InfoForm.h"

#include <stdexcept>

namespace tvx {
namespace {
constexpr DWORD InfoStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD InfoExStyle = WS_EX_DLGMODALFRAME;

// The centre of the screen as measured at start-up.
POINT ScreenCentred(SIZE frame) { return {(ScreenWidth - frame.cx) / 2, (ScreenHeight - frame.cy) / 2}; }

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
  Showing.*spec_.showing = true;
  RECT frame;
  ::GetWindowRect(hwnd(), &frame);
  const POINT at = ScreenCentred({frame.right - frame.left, frame.bottom - frame.top});
  ::SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetFocus(Control(spec_.defaultButton));
}

void InfoForm::FormClose() { Showing.*spec_.showing = false; }

}  // namespace tvx
