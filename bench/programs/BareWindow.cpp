// A bare Win32 window program: the baseline for the program's start-up time.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  };
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "BareWindow";
  ::RegisterClassA(&windowClass);
  HWND window = ::CreateWindowExA(0, "BareWindow", "Bare window", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                  nullptr, nullptr, instance, nullptr);
  ::ShowWindow(window, show);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}
