// Measurements of the sheet of the hot keys in force for scripts/bench.sh, printed as one number (the median,
// in microseconds):
//   SheetBench keyfile PATH   writes a mapping file where Ctrl+K shows the sheet and Alt+W types "@"
//   SheetBench sheet COUNT    SendInput of Ctrl+K held down to the sheet drawn (named: the program names it
//                             once drawn), in a focused window; released after each
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/files/MappingExtension.h"
#include "core/keymap/Catalogue.h"
#include "win/shell/SheetWindow.h"

namespace {

void Send(std::initializer_list<std::pair<WORD, bool>> keys) {
  std::vector<INPUT> inputs;
  for (const auto& [vk, up] : keys)
    inputs.push_back(
        {INPUT_KEYBOARD,
         {.ki = {vk, static_cast<WORD>(::MapVirtualKeyA(vk, 0)), up ? KEYEVENTF_KEYUP : 0u, 0, 0}}});
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Pumps this program's own window while it waits.
bool WaitUntil(bool (*done)(), DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  MSG msg;
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  }
  return true;
}

bool SheetDrawn() {
  const HWND sheet = ::FindWindowA(tvx::SheetClassName, nullptr);
  return sheet && ::IsWindowVisible(sheet) && ::GetWindowTextLengthA(sheet) > 0;
}
bool SheetGone() { return !SheetDrawn(); }

int Sheet(int count) {
  HWND window = ::CreateWindowExW(0, L"STATIC", L"SheetBench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                  200, nullptr, nullptr, nullptr, nullptr);
  ::SetForegroundWindow(window);
  ::SetFocus(window);
  std::vector<double> samples;
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < count; ++i) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    Send({{VK_LCONTROL, false}, {'K', false}});
    const bool drawn = WaitUntil(SheetDrawn, 3000);
    ::QueryPerformanceCounter(&end);
    Send({{'K', true}, {VK_LCONTROL, true}});
    if (!drawn) return std::printf("no sheet\n"), 1;
    samples.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                      static_cast<double>(frequency.QuadPart));
    if (!WaitUntil(SheetGone, 3000)) return std::printf("the sheet stayed\n"), 1;
    ::Sleep(20);
  }
  std::sort(samples.begin(), samples.end());
  std::printf("%.1f\n", samples[samples.size() / 2]);
  return 0;
}

int KeyFile(const char* path) {
  std::array<std::uint8_t, tvx::AreaSize> hotKeys{}, remap{};
  const tvx::HotKeyAreaView hotKeyView(hotKeys.data());
  const tvx::RemapAreaView remapView(remap.data());
  tvx::InitTavrix(hotKeyView, remapView);
  const tvx::HotKeyTable& letters = *tvx::TableByCategory(tvx::Alphabetic);
  hotKeyView.SetAction(letters, tvx::Alt, 'W' - 'A', '@');
  tvx::MappingCharacters characters;
  characters.Set(tvx::HotKeyCellNumber(letters, tvx::Ctrl, 'K' - 'A'), tvx::SheetMarker);
  const std::vector<std::uint8_t> bytes =
      tvx::MappingBytes(tvx::RecordFromAreas(hotKeyView, remapView), characters);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "keyfile" && argc == 3) return KeyFile(argv[2]);
  if (mode == "sheet" && argc == 3) return Sheet(std::max(1, std::atoi(argv[2])));
  std::puts("usage: SheetBench keyfile PATH | sheet COUNT");
  return 2;
}
