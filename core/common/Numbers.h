#pragma once
// Whole numbers read from text the way the settings file and the command line write them.

#include <cstdint>
#include <string>
#include <string_view>

namespace tvx {

// Blanks, an optional sign, then the decimal digits up to the first other character; no digits give 0.
// Wraps like the 32-bit integer it fills.
std::int32_t ReadInteger(std::string_view text);
// The same, and a "$" after the sign introduces hexadecimal digits ("$1E" is 30).
std::int32_t ReadIntegerOrHex(std::string_view text);

// A whole number with "," between groups of three digits, right-justified with spaces to `width`.
std::string FormatNumberGrouped(std::int64_t value, std::size_t width);

}  // namespace tvx
