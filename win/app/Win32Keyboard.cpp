#include "win/app/Win32Keyboard.h"

#include <imm.h>

#include "core/hook/KeyMarker.h"

namespace tvx {
namespace {

constexpr UINT InputMethodTimeout = 100;
constexpr WPARAM GetOpenStatus = 0x0005;  // IMC_GETOPENSTATUS of the input method window
// ToUnicodeEx leaves the layout's dead-key state as it was (Windows 10 1607 and later).
constexpr UINT KeepKeyboardState = 4;

// What the key types with the shift state VkKeyScanEx gave it (and Caps Lock on when asked): the number
// ToUnicodeEx returns, negative for a dead key.
int Typed(const HKL layout, std::int16_t scanned, bool capsLock, wchar_t& typed) {
  BYTE state[256] = {};
  const int shift = (scanned >> 8) & 0xFF;
  if (shift & 1) state[VK_SHIFT] = 0x80;
  if (capsLock) state[VK_CAPITAL] = 1;
  const UINT vk = scanned & 0xFF;
  const UINT scan = ::MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, layout);
  wchar_t text[4] = {};
  const int count = ::ToUnicodeEx(vk, scan, state, text, 4, KeepKeyboardState, layout);
  // Where the flag is not known, a dead key pressed twice gives its mark and clears the state again.
  if (count < 0) ::ToUnicodeEx(vk, scan, state, text, 4, KeepKeyboardState, layout);
  typed = text[0];
  return count;
}

// An input method that is on turns keys into its own composition, so the character must go as itself.
bool InputMethodOn(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(thread, &info) || !info.hwndFocus) return false;
  HWND inputMethod = ::ImmGetDefaultIMEWnd(info.hwndFocus);
  DWORD_PTR open = 0;
  return inputMethod &&
         ::SendMessageTimeoutA(inputMethod, WM_IME_CONTROL, GetOpenStatus, 0, SMTO_ABORTIFHUNG,
                               InputMethodTimeout, &open) &&
         open != 0;
}

}  // namespace

Win32Keyboard::Win32Keyboard() {
  HWND foreground = ::GetForegroundWindow();
  const DWORD thread = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
  layout_ = ::GetKeyboardLayout(thread);
  // Only a layout with an input method can have one on; asking the window in front costs a round trip.
  inputMethodOn_ = thread && ::ImmIsIME(layout_) && InputMethodOn(thread);
}

void Win32Keyboard::PostVKey(std::uint8_t key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyExW(key, MAPVK_VK_TO_VSC, layout_));
  // Without the flag the arrows and their kin share the keypad's scan codes, and applications that read
  // scan codes take them for keypad digits.
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
  input.ki.dwExtraInfo = TavrixKeyMarker;
  events_.push_back(input);
}

void Win32Keyboard::PostUnicode(char16_t ch, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = ch;
  input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
  input.ki.dwExtraInfo = TavrixKeyMarker;
  events_.push_back(input);
}

char16_t Win32Keyboard::FromAnsi(std::uint8_t ch) {
  const char ansi = static_cast<char>(ch);
  wchar_t wide = 0;
  return ::MultiByteToWideChar(CP_ACP, 0, &ansi, 1, &wide, 1) == 1 ? static_cast<char16_t>(wide) : 0;
}

LayoutKey Win32Keyboard::KeyFor(char16_t ch) {
  LayoutKey key;
  if (inputMethodOn_) return key;
  key.scanned = ::VkKeyScanExW(static_cast<wchar_t>(ch), layout_);
  if (key.scanned == -1 || ((key.scanned >> 8) & 0xFF) > 1) return key;
  wchar_t typed = 0;
  key.dead = Typed(layout_, key.scanned, false, typed) < 0;
  key.capsLockChanges = !key.dead && (Typed(layout_, key.scanned, true, typed) != 1 || typed != ch);
  return key;
}

void Win32Keyboard::Send() {
  if (!events_.empty()) ::SendInput(static_cast<UINT>(events_.size()), events_.data(), sizeof(INPUT));
  events_.clear();
}

}  // namespace tvx
