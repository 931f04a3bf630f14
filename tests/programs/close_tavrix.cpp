// Closes a running Tavrix 98 the way the user would: WM_CLOSE to its main window, so the close
// handler saves the settings and takes the hooks down.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  HWND main = ::FindWindowA("TMainWin", nullptr);
  if (!main) return 1;
  DWORD processId = 0;
  ::GetWindowThreadProcessId(main, &processId);
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  if (process) {
    ::WaitForSingleObject(process, 10000);
    ::CloseHandle(process);
  }
  return 0;
}
