#include "win/app/Win32Keyboard.h"

#include "core/hook/KeyMarker.h"

namespace tvx {

void Win32Keyboard::PostVKey(std::uint8_t key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  // Without the flag the arrows and their kin share the keypad's scan codes, and applications that read
  // scan codes take them for keypad digits.
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
  input.ki.dwExtraInfo = TavrixKeyMarker;
  events_.push_back(input);
}

std::int16_t Win32Keyboard::VkKeyScanA(char ch) { return ::VkKeyScanA(ch); }

void Win32Keyboard::Send() {
  if (!events_.empty()) ::SendInput(static_cast<UINT>(events_.size()), events_.data(), sizeof(INPUT));
  events_.clear();
}

}  // namespace tvx
