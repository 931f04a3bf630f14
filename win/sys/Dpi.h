#pragma once
// Layout tables and grids give lengths in pixels at 96 DPI; each window scales them by its own DPI.

#include <windows.h>

namespace tvx {

inline constexpr int LayoutDpi = 96;

// The DPI a window is shown at (the system's for no window); 96 where Windows knows nothing of DPI.
int WindowDpi(HWND window);

// A layout length in the device pixels of `dpi`.
inline int ScaledToDpi(int length, int dpi) { return ::MulDiv(length, dpi, LayoutDpi); }

// The frame that gives a window of this style exactly the client size asked for (in layout pixels,
// scaled to `dpi`).
RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu,
                    int dpi = LayoutDpi);

}  // namespace tvx
