#pragma once
// The syntax of a hot key's text (core/app/TextAction.h has it in full): its steps and its errors, read
// without a keyboard layout, so that the mapping file can tell a text it cannot read from one it can.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The steps of `source`. With `hasKey`, a character named inside braces must be one it answers true for.
ParsedText ParseTextSyntax(std::u16string_view source, const std::function<bool(char16_t)>& hasKey = {});

}  // namespace tvx
