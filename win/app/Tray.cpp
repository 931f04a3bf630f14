// Tray mode: the program lives as an icon in the notification area, hides when it loses the focus and
// comes back with a right click on the icon. A double-click pauses or resumes every mapping.
#include <vector>

#include "win/app/HookExports.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx {
namespace {

// Visible windows of this thread that `owner` owns, directly or through another owned window.
std::vector<HWND> OwnedWindows(HWND owner) {
  struct Search {
    HWND owner;
    std::vector<HWND> found;
  } search{owner, {}};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (!::IsWindowVisible(window)) return TRUE;
        for (HWND up = ::GetWindow(window, GW_OWNER); up; up = ::GetWindow(up, GW_OWNER)) {
          if (up != s->owner) continue;
          s->found.push_back(window);
          break;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

// A double-click, which is how a tray program's window is opened, does what the right click does.
void TMainWin::SetUpTaskIcon() {
  TaskIcon1.SetUp(
      {[this] { TaskIcon1RightClick(); }, [this] { TaskIcon1RightClick(); }, [this] { ShowFromTray(); }});
}

void TMainWin::ShowFromTray() {
  if (::IsWindowVisible(hwnd())) return;
  ::ShowWindow(application_.hwnd(), SW_SHOWNORMAL);
  ::ShowWindow(hwnd(), SW_SHOW);
}

void TMainWin::ShowTrayIcon(bool shown) {
  TaskIcon1.Show(shown);
  ShowCheckMarks();
}

void TMainWin::MenuSysTrayClick() {
  if (Settings.UseTray) {
    Settings.UseTray = false;
    return ShowTrayIcon(false);
  }
  if (!TrayCapable) {
    ::MessageBoxA(hwnd(),
                  "System Tray Icons are only available for Windows 95 or later or Windows NT 4.0 or later.",
                  "Error", MB_OK);
    return;
  }
  Settings.UseTray = true;
  ShowTrayIcon(true);
}

void TMainWin::SetPaused(bool paused) {
  const auto pause = HookPause();
  if (!pause) return;
  Paused = paused;
  pause(Paused);
  if (Paused) textPlayer_.Stop();
  sheet_.Hide();
  ShowPaused();
}

void TMainWin::ShowPaused() {
  ShowCheckMarks();
  SetCaption(Settings.CurrentFile);
  TaskIcon1.ShowPaused(Paused);
}

// A common dialog or a message box disables the main window while it shows: it counts as a dialog too,
// so the window is never hidden from under it. Nor is it hidden while the icon is not really in the
// tray (the shell not up yet, or refusing it): there would be no way back.
void TMainWin::AppDeactivate() {
  if (ModalForm::AnyOpen() || !::IsWindowEnabled(hwnd())) return;
  if (!Settings.UseTray || !TaskIcon1.InTray()) return;
  ::ShowWindow(application_.hwnd(), SW_HIDE);
  ::ShowWindow(hwnd(), SW_HIDE);
}

void TMainWin::TaskIcon1RightClick() {
  ShowFromTray();
  CancelDialogs(false);
  ::SetForegroundWindow(hwnd());
}

// A close cannot wait for the user: every dialog and message box ends as if cancelled (a box with an OK
// button alone ends with OK).
bool TMainWin::CancelDialogs(bool boxesToo) {
  const std::vector<HWND> owned = boxesToo ? OwnedWindows(hwnd()) : std::vector<HWND>();
  const bool any = ModalForm::AnyOpen() || !owned.empty();
  ModalForm::CancelAll();
  for (HWND window : owned) ::SendMessageA(window, WM_CLOSE, 0, 0);
  return any;
}

}  // namespace tvx
