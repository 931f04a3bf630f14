// Another running program with a hot key of its own: registers Ctrl+Win+J, then shows a window titled
// "Hot key holder" (so a test knows the key is taken) until it is closed.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcA(window, message, wParam, lParam);
  };
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "HotKeyHolder";
  ::RegisterClassA(&windowClass);
  const HWND window = ::CreateWindowA("HotKeyHolder", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                      nullptr, instance, nullptr);
  if (!window || !::RegisterHotKey(window, 1, MOD_CONTROL | MOD_WIN, 'J')) return 1;
  ::SetWindowTextA(window, "Hot key holder");
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  return 0;
}
