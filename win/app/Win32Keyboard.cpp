#include "win/app/Win32Keyboard.h"

#include <windows.h>

#include "core/hook/KeyMarker.h"

namespace tvx {

void Win32Keyboard::PostVKey(std::uint8_t key, bool up) {
  const auto scan = static_cast<BYTE>(::MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  ::keybd_event(key, scan, up ? KEYEVENTF_KEYUP : 0, TavrixKeyMarker);
}

std::int16_t Win32Keyboard::VkKeyScanA(char ch) { return ::VkKeyScanA(ch); }

}  // namespace tvx
