// The least a low-level keyboard hook can do, as the baseline of the benchmarks: "pass" lets every key
// through; "remap" turns Q into z with one SendInput, as the hook library does. Runs until closed.
#include <windows.h>

#include <cstring>

namespace {

constexpr ULONG_PTR Ours = 0x4D494E48;
bool remap = false;

LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && remap && key->vkCode == 'Q' && key->dwExtraInfo != Ours) {
    if (!(key->flags & LLKHF_UP)) {
      INPUT inputs[2] = {};
      for (INPUT& input : inputs) input = {INPUT_KEYBOARD, {.ki = {0, u'z', KEYEVENTF_UNICODE, 0, Ours}}};
      inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
      ::SendInput(2, inputs, sizeof(INPUT));
    }
    return 1;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  remap = std::strcmp(commandLine, "remap") == 0;
  HHOOK hook = ::SetWindowsHookExA(WH_KEYBOARD_LL, Hook, instance, 0);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  ::UnhookWindowsHookEx(hook);
  return 0;
}
