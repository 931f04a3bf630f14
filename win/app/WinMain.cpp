#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <iterator>
#include <optional>
#include <vector>

#include "win/app/MainWin.h"
#include "win/app/Program.h"
#include "win/ui/Handles.h"

namespace {

constexpr char InstanceMarkerName[] = "TVRX321Z";

// Test and creation of the marker are one step, so two copies started at the same instant cannot both
// run. Nothing when another instance holds the marker; a marker that cannot be created is no obstacle.
std::optional<tvx::UniqueHandle> ClaimSingleInstance() {
  tvx::UniqueHandle marker(
      ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 10, InstanceMarkerName));
  if (marker && ::GetLastError() == ERROR_ALREADY_EXISTS) return std::nullopt;
  if (marker) tvx::MappedView view(::MapViewOfFile(marker.get(), FILE_MAP_WRITE, 0, 0, 0));
  return marker;
}

void RunMessageLoop(HWND mainWindow, HACCEL accelerators) {
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (::TranslateAcceleratorA(mainWindow, accelerators, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

HACCEL MainAccelerators() {
  ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'N', tvx::IdNewFile1},
                  {FVIRTKEY | FCONTROL, 'O', tvx::IdOpenFile1},
                  {FVIRTKEY | FCONTROL, 'P', tvx::IdMenuOutput},
                  {FVIRTKEY | FCONTROL, 'X', tvx::IdMenuExit}};
  return ::CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys)));
}

// The arguments after the program's own name, each cut to 255 characters.
std::vector<tvx::ShortString> CommandLineArguments() {
  return {__argv + std::min(__argc, 1), __argv + __argc};
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::optional<tvx::UniqueHandle> marker = ClaimSingleInstance();
  if (!marker) {
    ::MessageBoxA(nullptr, "Tavrix 98 is already running.", "", MB_OK);
    return 0;
  }
  tvx::Showing = {};
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  try {
    tvx::TMainWin mainWin;
    mainWin.Create(CommandLineArguments());
    ::ShowWindow(mainWin.hwnd(), SW_SHOW);
    RunMessageLoop(mainWin.hwnd(), MainAccelerators());
  } catch (const std::exception&) {
    // The marker is released below, and the process ends as on every other path.
  }
  return 0;
}
