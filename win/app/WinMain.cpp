#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "win/app/MainWin.h"
#include "win/app/Program.h"
#include "win/keymap/SessionSecurity.h"
#include "win/sys/Handles.h"

namespace {

constexpr char InstanceMarkerName[] = "TVRX321Z";

// Test and creation of the marker are one step, so two copies started at the same instant cannot both
// run. Nothing when another instance holds the marker; a marker that cannot be created is no obstacle.
std::optional<tvx::UniqueHandle> ClaimSingleInstance() {
  tvx::LogonSessionOnly security;
  tvx::UniqueHandle marker(::CreateFileMappingA(INVALID_HANDLE_VALUE, security.Attributes(), PAGE_READWRITE,
                                                0, 10, InstanceMarkerName));
  if (marker && ::GetLastError() == ERROR_ALREADY_EXISTS) return std::nullopt;
  if (marker) tvx::MappedView view(::MapViewOfFile(marker.get(), FILE_MAP_WRITE, 0, 0, 0));
  return marker;
}

void RunMessageLoop(tvx::TMainWin& mainWin, HACCEL accelerators) {
  const HWND mainWindow = mainWin.hwnd();
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    mainWin.InputArrives(msg.message);
    if (::TranslateAcceleratorA(mainWindow, accelerators, &msg)) continue;
    // Tab, the arrows in a radio group and the captions' mnemonics work as in a dialog box; a mnemonic
    // no control has goes on to the menu bar.
    if (::IsDialogMessageA(mainWindow, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// The arguments after the program's own name, each cut to 255 characters.
std::vector<tvx::ShortString> CommandLineArguments() {
  return {__argv + std::min(__argc, 1), __argv + __argc};
}

void RunTavrix() {
  const std::optional<tvx::UniqueHandle> marker = ClaimSingleInstance();
  if (!marker) {
    ::MessageBoxA(nullptr, "Tavrix 98 is already running.", "", MB_OK);
    return;
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  tvx::TMainWin mainWin;
  mainWin.Create(CommandLineArguments());
  ::ShowWindow(mainWin.hwnd(), SW_SHOW);
  RunMessageLoop(mainWin, tvx::MainAccelerators());
}

}  // namespace

// Whatever escapes, of any type, the marker is released on the way out and the exit code is 0.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    RunTavrix();
  } catch (...) {
  }
  return 0;
}
