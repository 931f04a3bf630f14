#pragma once
// Text helpers on the program's ANSI strings.

#include <algorithm>
#include <string>
#include <string_view>

namespace tvx {

// Upper case for the letters a to z only; every other byte stays as it is, whatever the code page.
inline std::string UpperCaseAscii(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
  return upper;
}

// Without leading and trailing spaces.
inline std::string_view TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace tvx
