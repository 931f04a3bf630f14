#include "core/app/KeyAction.h"

#include <climits>
#include <optional>

#include "core/keymap/Catalogue.h"
#include "core/keymap/CellCharacters.h"

namespace tvx {
namespace {

constexpr std::uint8_t VkShift = 16;
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

// The key alone or with Shift alone; nothing for any other shift state or a dead key.
bool TypeWithKey(Keyboard& keyboard, const LayoutKey& key, bool capsLock) {
  const int shift = (key.scanned >> 8) & 0xFF;
  if (key.scanned == -1 || shift > 1 || key.dead || (capsLock && key.capsLockChanges)) return false;
  if (shift) keyboard.PostVKey(VkShift, false);
  Press(keyboard, static_cast<std::uint8_t>(key.scanned & 0xFF));
  if (shift) keyboard.PostVKey(VkShift, true);
  return true;
}

std::string Signed(std::int64_t value) { return std::to_string(static_cast<std::int32_t>(value)); }

}  // namespace

void TypeCharacter(Keyboard& keyboard, char16_t ch, bool capsLock) {
  if (TypeWithKey(keyboard, keyboard.KeyFor(ch), capsLock)) return;
  keyboard.PostUnicode(ch, false);
  keyboard.PostUnicode(ch, true);
}

bool IsLate(std::uint32_t pressedMs, std::uint32_t nowMs) { return nowMs - pressedMs > LateActionMs; }

void KeyActionMsg(std::uint64_t wParam, std::int64_t lParam, const HotKeyAreaView& area, Keyboard& keyboard) {
  unsigned w = static_cast<unsigned>(wParam & 0xFFFF);
  const bool capsLock = (w & CapsLockFlag) != 0;
  w &= ~CapsLockFlag;
  // The library carries the action of the tables that matched in bits 16 to 31: in a program with a
  // mapping file of its own that is not the entry of the current file's area.
  const auto carried = static_cast<HotKeyAction>((wParam >> 16) & 0xFFFF);
  const std::optional<HotKeyAction> action = carried ? std::optional(carried) : ActionOf(w, lParam, area);
  if (!action || *action == 0 || *action > LastKeyAction) return;
  if (const ActionKey* key = ActionKeyFor(*action)) {
    Press(keyboard, static_cast<std::uint8_t>(key->vk));
  } else if (const char16_t ch = keyboard.FromAnsi(static_cast<std::uint8_t>(*action))) {
    TypeCharacter(keyboard, ch, capsLock);
  }
}

void CharacterHotKeyMsg(std::uint64_t wParam, std::int64_t lParam, Keyboard& keyboard) {
  if (wParam > 0x10FFFF || !IsCellCharacter(static_cast<char32_t>(wParam))) return;
  const auto code = static_cast<char32_t>(wParam);
  if (code <= 0xFFFF) {
    TypeCharacter(keyboard, static_cast<char16_t>(code), lParam == 1);
    return;
  }
  for (const char16_t unit : {static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)),
                              static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF))}) {
    keyboard.PostUnicode(unit, false);
    keyboard.PostUnicode(unit, true);
  }
}

std::string TraceParamsLine(std::uint64_t wParam, std::int64_t lParam) {
  return "WParam = " + Signed(static_cast<std::int64_t>(wParam)) + "    LParam = " + Signed(lParam) + "\r\n";
}

std::string TraceCodeLine(std::uint64_t wParam, std::int64_t lParam) {
  return "Code = " + Signed(static_cast<std::int64_t>(wParam)) + "," + Signed(lParam) + "\r\n";
}

}  // namespace tvx
