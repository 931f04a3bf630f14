#include "core/keymap/TextSyntax.h"

#include <array>

#include "core/keymap/CellCharacters.h"
#include "core/keymap/KeyNames.h"

namespace tvx {
namespace {

constexpr std::uint8_t VkTab = 0x09;
constexpr std::uint8_t VkEnter = 0x0D;

struct Modifier {
  std::string_view name;
  TextModifier bit;
};
constexpr std::array<Modifier, 4> Modifiers{
    {{"Ctrl", TextCtrl}, {"Alt", TextAlt}, {"Shift", TextShift}, {"Win", TextWin}}};

char16_t Lower(char16_t unit) {
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
}

bool SameName(std::u16string_view text, std::string_view name) {
  if (text.size() != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (Lower(text[i]) != Lower(static_cast<char16_t>(name[i]))) return false;
  return true;
}

bool StartsWithName(std::u16string_view text, std::string_view name) {
  return text.size() >= name.size() && SameName(text.substr(0, name.size()), name);
}

// A key's name as the Keys table takes it (core/keymap/KeyNames.h), so that a key has one set of names.
std::optional<std::uint8_t> KeyOfName(std::u16string_view name) {
  std::string narrow;
  for (const char16_t unit : name) {
    if (unit >= 0x80) return std::nullopt;
    narrow += static_cast<char>(unit);
  }
  return KeyNamed(narrow);
}

// The character at `at` and its length in units: a surrogate pair is one; a lone half is returned as
// itself, which no cell can hold.
std::pair<char32_t, std::size_t> CharacterAt(std::u16string_view source, std::size_t at) {
  const char16_t unit = source[at];
  if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < source.size() && source[at + 1] >= 0xDC00 &&
      source[at + 1] <= 0xDFFF)
    return {0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (source[at + 1] - 0xDC00u), 2};
  return {unit, 1};
}

bool IsLetterOrDigit(char32_t code) {
  return (code >= U'0' && code <= U'9') || (code >= U'A' && code <= U'Z') || (code >= U'a' && code <= U'z');
}

class Parser {
 public:
  Parser(std::u16string_view source, const std::function<bool(char16_t)>& hasKey)
      : source_(source), hasKey_(hasKey) {}

  ParsedText Parse() {
    if (source_.size() > MaxTextUnits)
      return Fail(MaxTextUnits, "The text is longer than " + std::to_string(MaxTextUnits) + " characters.");
    if (source_.empty()) return Fail(0, "The text is empty.");
    while (at_ < source_.size() && !error_) Step();
    if (error_) return {{}, error_};
    return {std::move(steps_), std::nullopt};
  }

 private:
  ParsedText Fail(std::size_t at, const std::string& what) {
    Error(at, what);
    return {{}, error_};
  }
  void Error(std::size_t at, const std::string& what) {
    error_ = TextError{at + 1, "Position " + std::to_string(at + 1) + ": " + what};
  }
  bool Next(std::size_t at, char16_t unit) const {
    return at + 1 < source_.size() && source_[at + 1] == unit;
  }
  void Key(std::uint8_t vk, std::uint8_t modifiers = 0) {
    steps_.push_back({TextStep::Kind::Key, 0, vk, modifiers, 0});
  }

  void Step() {
    const char16_t unit = source_[at_];
    if ((unit == u'{' || unit == u'}') && Next(at_, unit)) {
      steps_.push_back({TextStep::Kind::Character, unit, 0, 0, 0});
      at_ += 2;
    } else if (unit == u'{') {
      Group();
    } else if (unit == u'}') {
      Error(at_, "A } alone is written }}.");
    } else if (unit == u'\t') {
      Key(VkTab);
      ++at_;
    } else if (unit == u'\r' || unit == u'\n') {
      // A line break, however it is written, is one Enter.
      Key(VkEnter);
      at_ += unit == u'\r' && Next(at_, u'\n') ? 2 : 1;
    } else {
      const auto [code, length] = CharacterAt(source_, at_);
      if (!IsCellCharacter(code)) return Error(at_, "This is no character that can be typed.");
      steps_.push_back({TextStep::Kind::Character, code, 0, 0, 0});
      at_ += length;
    }
  }

  // `{` at at_: modifiers while they match, then a one-character name, a key's name or a delay.
  void Group() {
    const std::size_t open = at_;
    std::size_t at = open + 1;
    std::uint8_t modifiers = 0;
    for (bool matched = true; matched;) {
      matched = false;
      for (const Modifier& modifier : Modifiers) {
        const std::u16string_view rest = source_.substr(at);
        if (StartsWithName(rest, modifier.name) && rest.size() > modifier.name.size() &&
            rest[modifier.name.size()] == u'+') {
          modifiers |= modifier.bit;
          at += modifier.name.size() + 1;
          matched = true;
        }
      }
    }
    if (at < source_.size()) {
      const auto [code, length] = CharacterAt(source_, at);
      // {+}, {Ctrl++}, {Ctrl+}} and {}} name a character; {} and {Ctrl+} name nothing.
      if (at + length < source_.size() && source_[at + length] == u'}')
        return Character(code, at, length, modifiers);
    }
    const std::size_t close = source_.find(u'}', at);
    if (close == std::u16string_view::npos) return Error(open, "A { is closed by }; the brace itself is {{.");
    const std::u16string_view name = source_.substr(at, close - at);
    at_ = close + 1;
    if (name.empty()) return Error(at, "A key's name is missing.");
    if (!modifiers && StartsWithName(name, "Delay ")) return Delay(name.substr(6), at + 6);
    if (const std::optional<std::uint8_t> vk = KeyOfName(name)) return Key(*vk, modifiers);
    Error(at,
          "No key has this name: the names are those of the Hot Key Action dialog ({F5}, {PgUp}, "
          "{KeyP 0}...) or Enter, Tab, Esc, Space, Backspace, Left, Right, Up, Down, Del, Ins, PageUp, "
          "CapsLock, "
          "LWin, VK E2...");
  }

  // A one-character name: a letter or digit its virtual key, another character the key that types it.
  void Character(char32_t code, std::size_t at, std::size_t length, std::uint8_t modifiers) {
    at_ = at + length + 1;
    if (IsLetterOrDigit(code))
      return Key(static_cast<std::uint8_t>(code >= U'a' ? code - 32 : code), modifiers);
    if (!IsCellCharacter(code)) return Error(at, "This is no character that can be typed.");
    if (code > 0xFFFF || (hasKey_ && !hasKey_(static_cast<char16_t>(code))))
      return Error(at, "No key of the keyboard layout in front types this character.");
    steps_.push_back({TextStep::Kind::Key, code, 0, modifiers, 0});
  }

  void Delay(std::u16string_view digits, std::size_t at) {
    std::uint32_t ms = 0;
    for (const char16_t unit : digits) {
      if (unit < u'0' || unit > u'9' || ms > MaxTextDelayMs) {
        ms = 0;
        break;
      }
      ms = ms * 10 + (unit - u'0');
    }
    if (ms < 1 || ms > MaxTextDelayMs)
      return Error(at, "A delay is {Delay N}, N from 1 to " + std::to_string(MaxTextDelayMs) + " ms.");
    steps_.push_back({TextStep::Kind::Delay, 0, 0, 0, ms});
  }

  std::u16string_view source_;
  const std::function<bool(char16_t)>& hasKey_;
  std::size_t at_ = 0;
  std::vector<TextStep> steps_;
  std::optional<TextError> error_;
};

}  // namespace

ParsedText ParseTextSyntax(std::u16string_view source, const std::function<bool(char16_t)>& hasKey) {
  return Parser(source, hasKey).Parse();
}

}  // namespace tvx
