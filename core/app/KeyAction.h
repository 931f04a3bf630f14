#pragma once
// Carrying out a hot key's action: the key events the main window synthesizes for a WM_USER+1 message,
// over a keyboard interface so that every case runs without Windows.

#include <cstdint>
#include <string>

#include "core/hook/KeyLayout.h"
#include "core/keymap/Areas.h"

namespace tvx {

// Where the keyboard layout of the window in front puts a character.
struct LayoutKey {
  // Virtual key in the low byte and shift state in the high byte (1 Shift, 2 Ctrl, 4 Alt, so AltGr is 6),
  // as VkKeyScanEx gives them; -1 when no key of the layout types the character.
  std::int16_t scanned = -1;
  // A dead key: it types nothing itself but changes the next key.
  bool dead = false;
  // With Caps Lock on, the key and its shift state type another character (the other case).
  bool capsLockChanges = false;
};

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // One key event; Up false presses, true releases.
  virtual void PostVKey(std::uint8_t key, bool up) = 0;
  // One event that carries a character itself rather than a key.
  virtual void PostUnicode(char16_t ch, bool up) = 0;
  // A byte of the system's ANSI code page as UTF-16; 0 where the code page has no character.
  virtual char16_t FromAnsi(std::uint8_t ch) = 0;
  // The key of the layout of the window in front for the character.
  virtual LayoutKey KeyFor(char16_t ch) = 0;
};

// Types one character into the window in front. A character its layout types with a key alone or with
// Shift alone goes out as that key, so that programs which read keys see a real one; every other character
// (AltGr, a dead key, no key, a letter whose case the Caps Lock that is on would turn) goes out as the
// character itself. No other modifier is ever pressed: a synthesised Ctrl+Alt would fire hot keys.
void TypeCharacter(Keyboard& keyboard, char16_t ch, bool capsLock);

// Actions whose key was pressed longer ago than this are dropped: by then another window may be in front.
inline constexpr std::uint32_t LateActionMs = 1000;
// Whether an action pressed at `pressedMs` is late at `nowMs`, both on the system's wrapping millisecond
// tick.
bool IsLate(std::uint32_t pressedMs, std::uint32_t nowMs);

// A message pointing outside the tables, an empty entry and a byte the code page lacks do nothing. A
// character action is typed by TypeCharacter, with the Caps Lock flag of the message.
// An action carried in bits 16 to 31 of `wParam` is carried out in place of the entry the message names.
void KeyActionMsg(std::uint64_t wParam, std::int64_t lParam, const HotKeyAreaView& area, Keyboard& keyboard);

// A CharacterHotKeyMessage: types the character in `wParam` by TypeCharacter, with the Caps Lock flag in
// `lParam`; one beyond U+FFFF goes as its surrogate pair, each half as a character of its own. A value
// that is no character a cell can hold does nothing.
void CharacterHotKeyMsg(std::uint64_t wParam, std::int64_t lParam, Keyboard& keyboard);

// The lines the trace messages append, carriage return and line feed included.
std::string TraceParamsLine(std::uint64_t wParam, std::int64_t lParam);
std::string TraceCodeLine(std::uint64_t wParam, std::int64_t lParam);

}  // namespace tvx
