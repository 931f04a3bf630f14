#pragma once
// What the keys of the current keyboard layout type, computed once by the library when it starts, so
// that the per-key decision needs no call into the system.

#include <array>
#include <cstdint>

namespace tvx {

struct KeyLayout {
  // The ANSI character a virtual key types without and with Shift; 0 for none.
  std::array<std::array<std::uint8_t, 2>, 256> chars{};
  // The ANSI code page in UTF-16, for injecting a table's character.
  std::array<char16_t, 256> unicode{};
  // Scan code of each virtual key (MapVirtualKeyA), for the keys the library presses again itself.
  std::array<std::uint8_t, 256> scans{};

  // Takes one character with what VkKeyScanA gives for it; shift states other than none or Shift alone
  // (AltGr characters, say) and unknown characters add nothing.
  void AddScan(std::uint8_t ch, std::int16_t scanned) {
    const int shift = (scanned >> 8) & 0xFF;
    const int vk = scanned & 0xFF;
    if (scanned == -1 || shift > 1 || chars[vk][shift] != 0) return;
    chars[vk][shift] = ch;
  }

  // Caps Lock acts on the keys that type a small letter and its capital.
  bool CapsLockActsOn(std::uint8_t vk) const {
    const auto plain = chars[vk][0], shifted = chars[vk][1];
    return plain >= 'a' && plain <= 'z' && shifted == plain - 'a' + 'A';
  }
};

}  // namespace tvx
