#include "tests/win/support/ShellDriving.h"

#include <vector>

#include "tests/win/support/TavrixProcess.h"
#include "win/files/FileCalls.h"

namespace tvx::test {
namespace {

constexpr char DialogClass[] = "#32770";
constexpr char WineTrayClass[] = "__winex11_standalone_tray";
constexpr char WineTrayIconClass[] = "__winex11_tray_icon";
// The file name box of the common dialogs: an edit box, or a combo box around one.
constexpr int FileNameEditId = 0x480;
constexpr int FileNameComboId = 0x47C;

std::vector<HWND> TrayIcons() {
  std::vector<HWND> icons;
  for (HWND tray = ::FindWindowExA(nullptr, nullptr, WineTrayClass, nullptr); tray;
       tray = ::FindWindowExA(nullptr, tray, WineTrayClass, nullptr))
    for (HWND icon = ::FindWindowExA(tray, nullptr, WineTrayIconClass, nullptr); icon;
         icon = ::FindWindowExA(tray, icon, WineTrayIconClass, nullptr))
      icons.push_back(icon);
  return icons;
}

HWND FileNameBox(HWND dialog) {
  const HWND edit = ::GetDlgItem(dialog, FileNameEditId);
  return edit ? edit : ::GetDlgItem(dialog, FileNameComboId);
}

}  // namespace

HWND WaitForDialog(DWORD processId, const std::string& caption) {
  return WaitForDialog(processId, [&caption](HWND window) { return WindowText(window) == caption; });
}

HWND WaitForDialog(DWORD processId, const std::function<bool(HWND)>& matches) {
  HWND found = nullptr;
  WaitFor([&] {
    found = nullptr;
    for (HWND window = ::FindWindowExA(nullptr, nullptr, DialogClass, nullptr); window && !found;
         window = ::FindWindowExA(nullptr, window, DialogClass, nullptr)) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(window, &owner);
      if (owner == processId && ::IsWindowVisible(window) && matches(window)) found = window;
    }
    return found != nullptr;
  });
  return found;
}

std::string ChosenName(HWND dialog) { return WindowText(FileNameBox(dialog)); }

void ChooseFile(HWND dialog, const std::string& name) {
  ::SendMessageA(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  PressButton(dialog, IDOK);
}

void PressButton(HWND dialog, int id) { ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// A file call's wait answers messages too: the round trip counts once that wait is over.
void RoundTrip(HWND window) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
  for (const ULONGLONG until = ::GetTickCount64() + 10000;
       ::GetPropA(window, FileCallProperty) && ::GetTickCount64() < until;) {
    ::Sleep(10);
    ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
  }
}

bool Handled(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 3000, &result) != 0;
}

int TrayIconCount() { return static_cast<int>(TrayIcons().size()); }

HWND TrayIcon(int index) {
  const auto icons = TrayIcons();
  return index < static_cast<int>(icons.size()) ? icons[static_cast<std::size_t>(index)] : nullptr;
}

void PostRightClick(HWND window) {
  ::PostMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
  ::PostMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(4, 4));
}

}  // namespace tvx::test
