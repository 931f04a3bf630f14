// A target window for the keyboard tests: it takes the focus and writes every key event and character
// it receives to the log file named on its command line, one token per line:
//   "k 41v" / "k 41^"  key down / up (virtual key in hex), "m 5" the modifiers held at a key down
//   (1 Shift, 2 Ctrl, 4 Alt, 8 Win), "e 26" the key down came with the extended-key flag, "c 0041" a
//   character (UTF-16 code in hex), "menu" a menu bar opened, on WM_APP+1 "down 41 12" the keys the
//   window's input state holds down, and on WM_APP+2 "scroll 0" or "scroll 1", the Scroll Lock toggle.
//   "t 1234" after a key down's modifiers: its message time. On WM_APP+3 it opens a window it owns, as a
//   dialog, and logs "dialog HHHHHHHH"; that window records into the same log.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HANDLE logFile = INVALID_HANDLE_VALUE;

void Log(const std::string& line) {
  const std::string text = line + "\n";
  DWORD written = 0;
  ::WriteFile(logFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string Hex(unsigned value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", width, value);
  return text;
}

bool Down(int vk) { return (::GetKeyState(vk) & 0x8000) != 0; }

int HeldModifiers() {
  return (Down(VK_SHIFT) ? 1 : 0) | (Down(VK_CONTROL) ? 2 : 0) | (Down(VK_MENU) ? 4 : 0) |
         (Down(VK_LWIN) || Down(VK_RWIN) ? 8 : 0);
}

void LogKeysDown() {
  std::string line = "down";
  for (int vk = 8; vk < 256; ++vk)
    if (Down(vk)) line += " " + Hex(static_cast<unsigned>(vk), 2);
  Log(line);
}

LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      Log("k " + Hex(static_cast<unsigned>(wParam), 2) + "v");
      Log("m " + std::to_string(HeldModifiers()));
      Log("t " + std::to_string(::GetMessageTime()));
      if (lParam & (1 << 24)) Log("e " + Hex(static_cast<unsigned>(wParam), 2));
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      Log("k " + Hex(static_cast<unsigned>(wParam), 2) + "^");
      break;
    case WM_CHAR:
    case WM_SYSCHAR:
      Log("c " + Hex(static_cast<unsigned>(wParam), 4));
      break;
    case WM_ENTERMENULOOP:
      Log("menu");
      break;
    case WM_APP + 1:
      LogKeysDown();
      return 0;
    case WM_APP + 2:
      Log("scroll " + std::to_string(::GetKeyState(VK_SCROLL) & 1));
      return 0;
    case WM_APP + 3: {
      HWND dialog = ::CreateWindowExW(0, L"TavrixKeyTarget", L"Key target dialog", WS_POPUP | WS_CAPTION, 150,
                                      150, 200, 100, hwnd, nullptr, nullptr, nullptr);
      ::ShowWindow(dialog, SW_SHOW);
      Log("dialog " + Hex(static_cast<unsigned>(reinterpret_cast<UINT_PTR>(dialog)), 8));
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  logFile =
      ::CreateFileA(commandLine, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (logFile == INVALID_HANDLE_VALUE) return 1;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = TargetProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"TavrixKeyTarget";
  windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  ::RegisterClassW(&windowClass);
  HMENU menu = ::CreateMenu();
  HMENU file = ::CreatePopupMenu();
  ::AppendMenuW(file, MF_STRING, 1, L"E&xit");
  ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  HWND window = ::CreateWindowExW(0, L"TavrixKeyTarget", L"Key target", WS_OVERLAPPEDWINDOW, 100, 100, 400,
                                  300, nullptr, menu, instance, nullptr);
  ::ShowWindow(window, SW_SHOW);
  ::SetForegroundWindow(window);
  ::SetFocus(window);
  Log("ready " + Hex(static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window)), 8));
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ::CloseHandle(logFile);
  return 0;
}
