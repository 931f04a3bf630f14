#include "core/app/KeyAction.h"

#include <climits>
#include <optional>

#include "core/keymap/Catalogue.h"

namespace tvx {
namespace {

constexpr std::uint8_t VkShift = 16;
constexpr std::uint8_t VkMenu = 18;
constexpr std::uint8_t VkCapital = 20;
constexpr std::uint8_t VkNumpad0 = 96;
constexpr unsigned CapsLockFlag = 0x8000;

void Press(Keyboard& keyboard, std::uint8_t key) {
  keyboard.PostVKey(key, false);
  keyboard.PostVKey(key, true);
}

// With a table number the message names an entry; without one it carries the action itself.
std::optional<HotKeyAction> ActionOf(unsigned w, std::int64_t lParam, const HotKeyAreaView& area) {
  const int table = static_cast<int>(w >> 8);
  if (!TableByNumber(table)) return static_cast<HotKeyAction>(w);
  if (lParam < 0 || lParam > INT_MAX) return std::nullopt;
  return area.ActionByNumber(table, static_cast<int>(w & 0xFF), static_cast<int>(lParam));
}

void TypeScanned(Keyboard& keyboard, std::int16_t scanned) {
  const auto key = static_cast<std::uint8_t>(scanned & 0xFF);
  const bool shift = ((scanned >> 8) & 0xFF) == 1;
  if (shift) keyboard.PostVKey(VkShift, false);
  Press(keyboard, key);
  if (shift) keyboard.PostVKey(VkShift, true);
}

std::string Signed(std::int64_t value) { return std::to_string(static_cast<std::int32_t>(value)); }

}  // namespace

bool IsExtendedKey(std::uint8_t vk) {
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
    case 0x5B:  // the Win keys
    case 0x5C:
    case 0x6F:  // keypad "/"
    case 0xA3:  // right Ctrl, right Alt
    case 0xA5:
      return true;
    default:
      return false;
  }
}

void TypeAltCode(Keyboard& keyboard, std::string_view digits) {
  keyboard.PostVKey(VkMenu, false);
  for (char digit : digits) Press(keyboard, static_cast<std::uint8_t>(VkNumpad0 + (digit - '0')));
  keyboard.PostVKey(VkMenu, true);
}

void KeyActionMsg(std::uint64_t wParam, std::int64_t lParam, const HotKeyAreaView& area, Keyboard& keyboard) {
  unsigned w = static_cast<unsigned>(wParam & 0xFFFF);
  const bool capsLock = (w & CapsLockFlag) != 0;
  w &= ~CapsLockFlag;
  // The library carries the action of the tables that matched in bits 16 to 31: in a program with a
  // mapping file of its own that is not the entry of the current file's area.
  const auto carried = static_cast<HotKeyAction>((wParam >> 16) & 0xFFFF);
  const std::optional<HotKeyAction> action = carried ? std::optional(carried) : ActionOf(w, lParam, area);
  if (!action || *action == 0 || *action > LastKeyAction) return;
  std::int16_t scanned = 0;
  if (*action < 128) {
    scanned = keyboard.VkKeyScanA(static_cast<char>(*action));
    if ((scanned & 0xFF) == 0xFF) return;  // the layout has no key for it
  }
  if (capsLock) Press(keyboard, VkCapital);
  if (const ActionKey* key = ActionKeyFor(*action))
    Press(keyboard, static_cast<std::uint8_t>(key->vk));
  else if (*action >= 128)
    TypeAltCode(keyboard, std::to_string(*action).insert(0, 1, '0'));
  else
    TypeScanned(keyboard, scanned);
  if (capsLock) Press(keyboard, VkCapital);
}

std::string TraceParamsLine(std::uint64_t wParam, std::int64_t lParam) {
  return "WParam = " + Signed(static_cast<std::int64_t>(wParam)) + "    LParam = " + Signed(lParam) + "\r\n";
}

std::string TraceCodeLine(std::uint64_t wParam, std::int64_t lParam) {
  return "Code = " + Signed(static_cast<std::int64_t>(wParam)) + "," + Signed(lParam) + "\r\n";
}

}  // namespace tvx
