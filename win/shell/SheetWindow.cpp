#include "win/shell/SheetWindow.h"

#include <utility>

#include "win/shell/PrintGuide.h"
#include "win/sys/Dpi.h"

namespace tvx {
namespace {

constexpr UINT_PTR SheetTimer = 1;
constexpr UINT SheetLife = 60000;
constexpr int SheetTextHeight = 16;  // at 96 DPI
constexpr DWORD SheetExStyle =
    WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT;

RECT WorkAreaOf(HWND window) {
  MONITORINFO monitor{sizeof monitor, {}, {}, 0};
  ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  return monitor.rcWork;
}

// Centred, or clear of the mouse pointer where the work area leaves room: a window that comes under the
// pointer makes Wine take the keys held from the X server again, and the sheet's own key with them.
int SheetTop(const RECT& area, int left, int width, int height) {
  const int centred = area.top + (area.bottom - area.top - height) / 2;
  POINT pointer{};
  if (!::GetCursorPos(&pointer) || pointer.x < left || pointer.x >= left + width) return centred;
  if (pointer.y < centred || pointer.y >= centred + height) return centred;
  if (pointer.y - area.top >= height) return area.top;
  if (area.bottom - pointer.y > height) return area.bottom - height;
  return centred;
}

}  // namespace

void TSheetWindow::Show(HWND front, const ShortString& file, std::vector<SheetLine> lines) {
  const RECT area = WorkAreaOf(front);
  if (!hwnd()) {
    RegisterWindowClass(SheetClassName, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)), 0);
    if (!CreateWin(SheetExStyle, SheetClassName, "", WS_POPUP, area, nullptr, nullptr)) return;
    ::SetLayeredWindowAttributes(hwnd(), 0, 255, LWA_ALPHA);
  }
  // On the monitor first, so that its DPI is the one measured in.
  ::SetWindowPos(hwnd(), HWND_TOPMOST, area.left, area.top, 1, 1, SWP_NOACTIVATE);
  title_ = SheetTitle(file);
  lines_ = std::move(lines);
  const HDC dc = ::GetDC(hwnd());
  {
    GdiCanvas canvas(dc);
    layout_ = LayOutSheet(canvas, area.right - area.left, area.bottom - area.top,
                          ScaledToDpi(SheetTextHeight, WindowDpi(hwnd())), title_, lines_);
  }
  ::ReleaseDC(hwnd(), dc);
  const int left = area.left + (area.right - area.left - layout_.width) / 2;
  const int top = SheetTop(area, left, layout_.width, layout_.height);
  ::SetWindowPos(hwnd(), HWND_TOPMOST, left, top, layout_.width, layout_.height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
  ::UpdateWindow(hwnd());
  // Named once drawn, for tools that read the screen and for the benchmark that waits for it.
  ::SetWindowTextA(hwnd(), title_.c_str());
  ::SetTimer(hwnd(), SheetTimer, SheetLife, nullptr);
}

void TSheetWindow::Hide() {
  if (!hwnd()) return;
  ::KillTimer(hwnd(), SheetTimer);
  ::ShowWindow(hwnd(), SW_HIDE);
  ::SetWindowTextA(hwnd(), "");
}

void TSheetWindow::Paint() {
  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(hwnd(), &paint);
  {
    GdiCanvas canvas(dc);
    DrawHotKeySheet(canvas, layout_, title_, lines_);
  }
  ::EndPaint(hwnd(), &paint);
}

LRESULT TSheetWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_TIMER:
      Hide();
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace tvx
