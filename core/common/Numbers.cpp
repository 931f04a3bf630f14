#include "core/common/Numbers.h"

namespace tvx {
namespace {

int DigitValue(char c, unsigned base) {
  int value = 16;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  return value < static_cast<int>(base) ? value : -1;
}

std::int32_t Read(std::string_view text, bool allowHex) {
  std::size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return 0;
  const bool negative = text[i] == '-';
  if (text[i] == '-' || text[i] == '+') ++i;
  unsigned base = 10;
  if (allowHex && i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  }
  std::uint32_t value = 0;  // unsigned, so an over-long number wraps instead of overflowing
  for (int digit; i < text.size() && (digit = DigitValue(text[i], base)) >= 0; ++i)
    value = value * base + static_cast<std::uint32_t>(digit);
  return static_cast<std::int32_t>(negative ? 0u - value : value);
}

}  // namespace

std::int32_t ReadInteger(std::string_view text) { return Read(text, false); }
std::int32_t ReadIntegerOrHex(std::string_view text) { return Read(text, true); }

std::string FormatNumberGrouped(std::int64_t value, std::size_t width) {
  const std::string digits = std::to_string(value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                                      : static_cast<std::uint64_t>(value));
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  if (value < 0) grouped = "-" + grouped;
  return std::string(width > grouped.size() ? width - grouped.size() : 0, ' ') + grouped;
}

}  // namespace tvx
