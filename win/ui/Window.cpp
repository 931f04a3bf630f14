#include "win/ui/Window.h"

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

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

namespace {
// The `make` of each class registered with one, by class name.
std::map<std::string, Window* (*)(), std::less<>>& Makers() {
  static std::map<std::string, Window* (*)(), std::less<>> makers;
  return makers;
}
}  // namespace

void Window::RegisterWindowClass(const char* className, HBRUSH background, UINT style, HICON icon,
                                 Window* (*make)()) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExA(::GetModuleHandleA(nullptr), className, &existing)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.hIcon = icon;
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  if (!::RegisterClassExA(&wc)) throw std::runtime_error("Window class could not be registered.");
  if (make) Makers()[className] = make;
}

HWND Window::CreateWin(DWORD exStyle, const char* className, const char* title, DWORD style,
                       const RECT& frame, HWND parent, HMENU menu) {
  return ::CreateWindowExA(exStyle, className, title, style, frame.left, frame.top, frame.right - frame.left,
                           frame.bottom - frame.top, parent, menu, ::GetModuleHandleA(nullptr), this);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

Window* Window::From(HWND window) {
  DWORD processId = 0;
  if (!::GetWindowThreadProcessId(window, &processId) || processId != ::GetCurrentProcessId()) return nullptr;
  if (reinterpret_cast<WNDPROC>(::GetClassLongPtrA(window, GCLP_WNDPROC)) != WindowProc) return nullptr;
  return reinterpret_cast<Window*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The object a window is created for, or one made for it by its class.
Window* Window::Attach(HWND window, const CREATESTRUCTA& create) {
  auto* self = static_cast<Window*>(create.lpCreateParams);
  if (!self) {
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    const auto maker = Makers().find(std::string_view(className));
    if (maker == Makers().end() || !(self = maker->second())) return nullptr;
    self->ownedByWindow_ = true;
  }
  self->hwnd_ = window;
  ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  return self;
}

LRESULT CALLBACK Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE && !Attach(window, *reinterpret_cast<CREATESTRUCTA*>(lParam)))
    return ::DefWindowProcA(window, message, wParam, lParam);
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    if (self->ownedByWindow_) delete self;
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  Reported([&] { result = self->HandleMessage(message, wParam, lParam); });
  return result;
}

}  // namespace tvx
