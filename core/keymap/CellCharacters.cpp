#include "core/keymap/CellCharacters.h"

namespace tvx {
namespace {

bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\n'; }

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<char32_t> HexCode(std::u16string_view digits) {
  if (digits.size() < 4 || digits.size() > 6) return std::nullopt;
  char32_t code = 0;
  for (const char16_t unit : digits) {
    int value = -1;
    if (unit >= u'0' && unit <= u'9') value = unit - u'0';
    if (unit >= u'A' && unit <= u'F') value = unit - u'A' + 10;
    if (unit >= u'a' && unit <= u'f') value = unit - u'a' + 10;
    if (value < 0) return std::nullopt;
    code = code * 16 + static_cast<char32_t>(value);
  }
  return code;
}

bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::optional<char32_t> CharacterFromInput(std::u16string_view text) {
  text = Trimmed(text);
  std::optional<char32_t> code;
  if (text.size() > 2 && (text[0] == u'U' || text[0] == u'u') && text[1] == u'+') {
    code = HexCode(text.substr(2));
  } else if (text.size() == 1) {
    code = text[0];
  } else if (text.size() == 2 && IsHigh(text[0]) && IsLow(text[1])) {
    code = 0x10000 + ((static_cast<char32_t>(text[0]) - 0xD800) << 10) +
           (static_cast<char32_t>(text[1]) - 0xDC00);
  }
  if (!code || !IsCellCharacter(*code)) return std::nullopt;
  return code;
}

std::u16string Utf16Of(char32_t code) {
  if (code <= 0xFFFF) return std::u16string(1, static_cast<char16_t>(code));
  const char32_t rest = code - 0x10000;
  return {static_cast<char16_t>(0xD800 + (rest >> 10)), static_cast<char16_t>(0xDC00 + (rest & 0x3FF))};
}

std::optional<std::uint8_t> CodePageByte(char32_t code,
                                         const std::function<char16_t(std::uint8_t)>& fromAnsi) {
  if (code > 0xFFFF || !IsCellCharacter(code)) return std::nullopt;
  for (int byte = 0x20; byte <= 0xFF; ++byte)
    if (fromAnsi(static_cast<std::uint8_t>(byte)) == code) return static_cast<std::uint8_t>(byte);
  return std::nullopt;
}

}  // namespace tvx
