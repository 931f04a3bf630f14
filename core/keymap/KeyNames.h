#pragma once
// The names of keys in the Keys table, one list for tvxtool, the Keys dialog and the guide: letters A-Z,
// digits 0-9, the sixty action keys' names, then Esc, Enter, Tab, Space, Backspace, Insert, Delete, Home,
// End, PageUp, PageDown, Up, Down, Left, Right, CapsLock, NumLock, ScrollLock, PrintScreen, Pause, LCtrl,
// RCtrl, LShift, RShift, LAlt, RAlt, LWin, RWin, Apps; "VK xx" (hexadecimal) for any other key.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvx {

// The key's name as the list spells it (where two names in the list mean one key, the usual one: "Esc",
// "PageUp", "Up", "Backspace", "PrintScreen"), or "VK E2".
std::string KeyName(std::uint8_t vk);
// The key a name stands for: case-insensitive, the list's names, the aliases a text's {NAME} takes, and
// "VK xx"; nothing for anything else, or for "VK 00" and "VK FF".
std::optional<std::uint8_t> KeyNamed(std::string_view name);
// Every named key once, in the list's order, for the dialog's lists.
std::vector<std::uint8_t> NamedKeys();

}  // namespace tvx
