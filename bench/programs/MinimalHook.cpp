// The least a low-level keyboard hook can do, as the baseline of the benchmarks: "pass" lets every key
// through; "remap" turns Q into z with one SendInput, as the hook library does; "key" turns the key E into
// the key R, its press and its release, one SendInput each; "hotkey" turns Alt+W into "@", releasing Alt
// first behind a neutral key (so no menu opens), as a hot key does. Runs until closed.
#include <windows.h>

#include <cstring>

namespace {

constexpr ULONG_PTR Ours = 0x4D494E48;
bool remap = false;
bool keyRemap = false;
bool hotKey = false;
bool hotKeyDown = false;

INPUT Key(WORD vk, WORD scan, DWORD flags) { return {INPUT_KEYBOARD, {.ki = {vk, scan, flags, 0, Ours}}}; }

LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  const bool up = (key->flags & LLKHF_UP) != 0;
  if (code == HC_ACTION && remap && key->vkCode == 'Q' && key->dwExtraInfo != Ours) {
    if (!up) {
      INPUT inputs[] = {Key(0, u'z', KEYEVENTF_UNICODE), Key(0, u'z', KEYEVENTF_UNICODE | KEYEVENTF_KEYUP)};
      ::SendInput(2, inputs, sizeof(INPUT));
    }
    return 1;
  }
  if (code == HC_ACTION && keyRemap && key->vkCode == 'E' && key->dwExtraInfo != Ours) {
    INPUT input = Key('R', 0x13, up ? KEYEVENTF_KEYUP : 0);
    ::SendInput(1, &input, sizeof(INPUT));
    return 1;
  }
  if (code == HC_ACTION && hotKey && key->vkCode == 'W' && key->dwExtraInfo != Ours &&
      (hotKeyDown || (::GetAsyncKeyState(VK_MENU) & 0x8000))) {
    hotKeyDown = !up;
    if (!up) {
      INPUT inputs[] = {Key(0xE8, 0, 0), Key(0xE8, 0, KEYEVENTF_KEYUP), Key(VK_LMENU, 0x38, KEYEVENTF_KEYUP),
                        Key(0, u'@', KEYEVENTF_UNICODE), Key(0, u'@', KEYEVENTF_UNICODE | KEYEVENTF_KEYUP)};
      ::SendInput(5, inputs, sizeof(INPUT));
    }
    return 1;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  remap = std::strcmp(commandLine, "remap") == 0;
  keyRemap = std::strcmp(commandLine, "key") == 0;
  hotKey = std::strcmp(commandLine, "hotkey") == 0;
  HHOOK hook = ::SetWindowsHookExA(WH_KEYBOARD_LL, Hook, instance, 0);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  ::UnhookWindowsHookEx(hook);
  return 0;
}
