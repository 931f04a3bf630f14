#include "win/app/ApplicationWindow.h"

#include <stdexcept>

namespace tvx {

void TApplicationWindow::Create(const char* title) {
  const HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  RegisterWindowClass(ApplicationClassName, nullptr, 0, icon);
  const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2, y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
  if (!CreateWin(0, ApplicationClassName, title,
                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, RECT{x, y, x, y}, nullptr,
                 nullptr))
    throw std::runtime_error("The main window could not be created.");
}

LRESULT TApplicationWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE && main_) ::ShowWindow(main_, SW_HIDE);
      if ((wParam & 0xFFF0) == SC_RESTORE && main_) {
        const LRESULT result = Window::HandleMessage(message, wParam, lParam);
        ::ShowWindow(main_, SW_SHOW);
        ::SetForegroundWindow(main_);
        return result;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && main_ && ::IsWindowVisible(main_)) ::SetActiveWindow(main_);
      return 0;
    case WM_CLOSE:
      if (main_) ::PostMessageA(main_, WM_CLOSE, 0, 0);
      return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace tvx
