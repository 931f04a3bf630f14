#include "win/sys/Dpi.h"

#include "win/sys/LateBound.h"

namespace tvx {

// Windows before 10 (1607) have neither function: there the system's DPI is every window's.
int WindowDpi(HWND window) {
  static const auto getDpiForWindow = LateBound<UINT WINAPI(HWND)>("user32.dll", "GetDpiForWindow");
  if (window && getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  const HDC dc = ::GetDC(nullptr);
  const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ::ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : LayoutDpi;
}

// The frame of the DPI asked for; Windows before 10 (1607) know only the system's.
RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu, int dpi) {
  static const auto adjustForDpi =
      LateBound<BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT)>("user32.dll", "AdjustWindowRectExForDpi");
  RECT frame{0, 0, ScaledToDpi(clientWidth, dpi), ScaledToDpi(clientHeight, dpi)};
  if (adjustForDpi)
    adjustForDpi(&frame, style, hasMenu, exStyle, static_cast<UINT>(dpi));
  else
    ::AdjustWindowRectEx(&frame, style, hasMenu, exStyle);
  return frame;
}

}  // namespace tvx
