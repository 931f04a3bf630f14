#pragma once
// Carrying out a hot key's action: the key events the main window synthesizes for a WM_USER+1 message,
// over a keyboard interface so that every case runs without Windows.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/keymap/Areas.h"

namespace tvx {

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // One key event; Up false presses, true releases.
  virtual void PostVKey(std::uint8_t key, bool up) = 0;
  // Virtual key in the low byte and shift state in the high byte, -1 when the layout lacks the character.
  virtual std::int16_t VkKeyScanA(char ch) = 0;
};

// Keys whose events carry the extended-key flag: the arrows, Home, End, Page Up and Down, Insert,
// Delete, keypad "/", PrtScr, the Win keys, right Ctrl and right Alt.
bool IsExtendedKey(std::uint8_t vk);

// Alt held while the digits are typed on the numeric keypad.
void TypeAltCode(Keyboard& keyboard, std::string_view digits);

// A message pointing outside the tables, an empty entry and a character the layout cannot type do nothing.
// An action carried in bits 16 to 31 of `wParam` is carried out in place of the entry the message names.
void KeyActionMsg(std::uint64_t wParam, std::int64_t lParam, const HotKeyAreaView& area, Keyboard& keyboard);

// The lines the trace messages append, carriage return and line feed included.
std::string TraceParamsLine(std::uint64_t wParam, std::int64_t lParam);
std::string TraceCodeLine(std::uint64_t wParam, std::int64_t lParam);

}  // namespace tvx
