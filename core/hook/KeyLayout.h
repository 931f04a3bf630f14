#pragma once
// What the keys of a keyboard layout type, computed by the library on the first key typed with that
// layout, so that the per-key decision needs no call into the system.

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

// Keys whose events carry the extended-key flag: the arrows, Home, End, Page Up and Down, Insert,
// Delete, keypad "/", PrtScr, Num Lock, the Win keys, the menu key, right Ctrl and right Alt. Without it an
// injected grey key arrives as its keypad twin (Up as keypad 8).
constexpr bool IsExtendedKey(std::uint8_t vk) {
  switch (vk) {
    case 0x21:  // Page Up, Page Down, End, Home, the four arrows
    case 0x22:
    case 0x23:
    case 0x24:
    case 0x25:
    case 0x26:
    case 0x27:
    case 0x28:
    case 0x2C:  // PrtScr, Insert, Delete
    case 0x2D:
    case 0x2E:
    case 0x5B:  // the Win keys, the menu key
    case 0x5C:
    case 0x5D:
    case 0x6F:  // keypad "/"
    case 0x90:  // Num Lock
    case 0xA3:  // right Ctrl, right Alt
    case 0xA5:
      return true;
    default:
      return false;
  }
}

// The layouts met so far, in a fixed number of slots inside the library's state: a layout not seen before
// takes the least recently used slot, so nothing is allocated however often the user switches.
class LayoutSlots {
 public:
  static constexpr std::size_t Count = 8;

  // The layout known by `id` (the system's layout handle); `fill(layout, id)` computes it into a slot.
  template <typename Fill>
  const KeyLayout& For(std::uintptr_t id, Fill&& fill) {
    Slot* slot = &slots_[0];
    for (Slot& candidate : slots_) {
      if (candidate.lastUse != 0 && candidate.id == id) {
        slot = &candidate;
        break;
      }
      if (candidate.lastUse < slot->lastUse) slot = &candidate;
    }
    if (slot->lastUse == 0 || slot->id != id) {
      slot->id = id;
      slot->layout = KeyLayout{};
      fill(slot->layout, id);
    }
    slot->lastUse = ++uses_;
    return slot->layout;
  }

 private:
  struct Slot {
    std::uintptr_t id = 0;
    std::uint64_t lastUse = 0;  // 0 for a slot never used
    KeyLayout layout;
  };
  std::array<Slot, Count> slots_{};
  std::uint64_t uses_ = 0;
};

}  // namespace tvx
