#pragma once
// A hot key that types a text or plays a key sequence, written in one line:
//   characters stand for themselves, any Unicode character;
//   {NAME}              presses and releases an action key by its name in the Hot Key Action dialog
//                       ({F5}, {PgUp}, {KeyP 0}), or by a usual alias ({Enter}, {Tab}, {Esc}, {Left}...);
//   {Ctrl+Shift+NAME}   the same with modifiers (Ctrl, Alt, Shift, Win) held; NAME may be one character:
//                       a letter or digit presses its virtual key, another character the key that types it
//                       in the layout in front;
//   {Delay N}           waits N ms, 1 to 5000;
//   {{ and }}           the braces themselves.
// Letter case is ignored inside braces. A text has at most MaxTextUnits UTF-16 units of source.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/KeyAction.h"

namespace tvx {

inline constexpr std::size_t MaxTextUnits = 255;
inline constexpr std::uint32_t MaxTextDelayMs = 5000;

// The modifiers a key step holds, as bits.
enum TextModifier : std::uint8_t { TextCtrl = 1, TextAlt = 2, TextShift = 4, TextWin = 8 };

struct TextStep {
  enum class Kind : std::uint8_t { Character, Key, Delay };
  Kind kind = Kind::Character;
  // Character: the character typed. Key: the character whose key in the layout in front is pressed, when
  // the step names a character other than a letter or digit; 0 for a step that names a virtual key.
  char32_t character = 0;
  std::uint8_t vk = 0;         // Key: the virtual key pressed, when it names one
  std::uint8_t modifiers = 0;  // Key: TextModifier bits held around it
  std::uint32_t delayMs = 0;   // Delay
  friend bool operator==(const TextStep&, const TextStep&) = default;
};

struct TextError {
  std::size_t position = 0;  // 1-based, in UTF-16 units of the source
  std::string message;       // what is wrong, with its position, for the user
  friend bool operator==(const TextError&, const TextError&) = default;
};

struct ParsedText {
  std::vector<TextStep> steps;
  std::optional<TextError> error;  // set: no steps
};

// The steps of `source`. With `keyFor`, a character named inside braces must have a key in that layout.
ParsedText ParseText(std::u16string_view source, const std::function<LayoutKey(char16_t)>& keyFor = {});

// Where playing stopped: the step after the delay that ended a segment (steps.size() at the end), and
// that delay.
struct TextSegment {
  std::size_t next = 0;
  std::uint32_t delayMs = 0;
};

// Plays the steps from `from` up to the next delay or the end through `keyboard`: characters as
// TypeCharacter types them (beyond U+FFFF as the surrogate pair), keys pressed and released with their
// modifiers around them, nothing left held. A character step of a key the layout lacks is left out.
TextSegment PlayTextSegment(Keyboard& keyboard, const std::vector<TextStep>& steps, std::size_t from,
                            bool capsLock);

}  // namespace tvx
