#include "win/ui/Window.h"

#include <stdexcept>

namespace tvx {
namespace {
HWND errorReportOwner = nullptr;
}

void SetErrorReportOwner(HWND owner) { errorReportOwner = owner; }

void ReportError(const std::exception& error) {
  ::MessageBoxA(errorReportOwner, error.what(), "Tavrix 98", MB_OK);
}

void ReportCurrentError() {
  try {
    throw;
  } catch (const std::exception& error) {
    ReportError(error);
  } catch (...) {
    ReportError(std::runtime_error("Unexpected error"));
  }
}

Window::~Window() {
  if (hwnd_) {
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
}

void Window::RegisterWindowClass(const char* className, HBRUSH background, UINT style) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExA(::GetModuleHandleA(nullptr), className, &existing)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  if (!::RegisterClassExA(&wc)) throw std::runtime_error("Window class could not be registered.");
}

HWND Window::CreateWin(DWORD exStyle, const char* className, const char* title, DWORD style,
                       const RECT& frame, HWND parent, HMENU menu) {
  return ::CreateWindowExA(exStyle, className, title, style, frame.left, frame.top, frame.right - frame.left,
                           frame.bottom - frame.top, parent, menu, ::GetModuleHandleA(nullptr), this);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = window;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  Reported([&] { result = self->HandleMessage(message, wParam, lParam); });
  return result;
}

}  // namespace tvx
