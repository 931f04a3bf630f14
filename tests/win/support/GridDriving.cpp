#include "tests/win/support/GridDriving.h"

#include <fstream>
#include <utility>

#include "tests/win/support/TavrixProcess.h"
#include "win/ui/DrawGrid.h"

namespace tvx::test {

POINT CellCentre(HWND grid, const std::vector<int>& colWidths, int col, int row) {
  int x = 0;
  for (int c = 0; c < col; ++c) x += colWidths[static_cast<std::size_t>(c)] + 1;
  return POINT{x + colWidths[static_cast<std::size_t>(col)] / 2, (row - GridTopRow(grid)) * 21 + 10};
}

void PostClick(HWND window, POINT at) {
  ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  ::PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

void PostDoubleClick(HWND window, POINT at) {
  PostClick(window, at);
  ::PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  ::PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

void PostKey(HWND window, WPARAM key) {
  ::PostMessageA(window, WM_KEYDOWN, key, 1);
  ::PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

POINT GridCurrent(HWND grid) {
  const auto packed = static_cast<DWORD>(::SendMessageA(grid, GridGetCurrentMessage, 0, 0));
  return POINT{LOWORD(packed), HIWORD(packed)};
}

int GridTopRow(HWND grid) { return static_cast<int>(::SendMessageA(grid, GridGetTopRowMessage, 0, 0)); }
int GridRowCount(HWND grid) { return static_cast<int>(::SendMessageA(grid, GridGetRowCountMessage, 0, 0)); }

HWND WaitForWindow(DWORD processId, const char* className) {
  HWND found = nullptr;
  WaitFor([&] {
    found = FindProcessWindow(processId, className);
    return found && ::IsWindowVisible(found);
  });
  return found;
}

bool WaitUntilGone(HWND window) {
  return WaitFor([window] { return !::IsWindow(window); });
}

int FocusedControlId(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus) return 0;
  return ::GetDlgCtrlID(info.hwndFocus);
}

int DefaultButtonId(HWND dialog) {
  const auto result = static_cast<DWORD>(::SendMessageA(dialog, DM_GETDEFID, 0, 0));
  return HIWORD(result) == DC_HASDEFID ? LOWORD(result) : 0;
}

RECT RectInParent(HWND window) {
  RECT rect;
  ::GetWindowRect(window, &rect);
  if (const HWND parent = ::GetParent(window); parent && (::GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

namespace {

// The screen's pixels as 32-bit BGRX rows, top row first.
std::vector<std::uint32_t> Grab(const RECT& rect, BITMAPINFO& info) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ::SelectObject(memory, old);
  ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

std::vector<std::uint32_t> ScreenPixels(const RECT& rect) {
  BITMAPINFO info;
  return Grab(rect, info);
}

std::vector<std::uint32_t> SettledScreenPixels(const RECT& rect) {
  std::vector<std::uint32_t> pixels = ScreenPixels(rect);
  WaitFor([&] {
    ::Sleep(100);
    std::vector<std::uint32_t> again = ScreenPixels(rect);
    const bool same = again == pixels;
    pixels = std::move(again);
    return same;
  });
  return pixels;
}

void SaveScreenshot(HWND window, const std::string& name) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  ::Sleep(300);
  RECT rect;
  ::GetWindowRect(window, &rect);
  BITMAPINFO info;
  std::vector<std::uint32_t> pixels = Grab(rect, info);
  for (std::uint32_t& pixel : pixels) pixel |= 0xFF000000;  // opaque: viewers read the fourth byte as alpha
  const DWORD imageSize = static_cast<DWORD>(pixels.size() * sizeof(std::uint32_t));
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageSize;
  std::ofstream out(BuildDir() + "\\..\\screenshots\\" + name + ".bmp", std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(reinterpret_cast<const char*>(pixels.data()), imageSize);
}

std::string ProfileString(const std::string& file, const char* section, const char* key) {
  char value[256] = {};
  ::GetPrivateProfileStringA(section, key, "", value, sizeof value, file.c_str());
  return value;
}

FILETIME LastWriteTime(const std::string& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

}  // namespace tvx::test
