#pragma once
// Text as the program keeps it: at most 255 characters in the ANSI code page. Longer values are cut.

#include <string>
#include <string_view>

namespace tvx {

inline constexpr std::size_t ShortStringCapacity = 255;

class ShortString {
 public:
  ShortString() = default;
  ShortString(std::string_view text)
      : text_(text.substr(0, ShortStringCapacity)) {}                     // NOLINT: implicit on purpose
  ShortString(const char* text) : ShortString(std::string_view(text)) {}  // NOLINT
  ShortString(const std::string& text) : ShortString(std::string_view(text)) {}  // NOLINT

  const std::string& str() const { return text_; }
  const char* c_str() const { return text_.c_str(); }
  std::size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }
  char operator[](std::size_t i) const { return text_[i]; }

  ShortString& operator+=(std::string_view more) {
    text_.append(more.substr(0, ShortStringCapacity - text_.size()));
    return *this;
  }
  friend ShortString operator+(ShortString left, std::string_view right) { return left += right; }
  friend bool operator==(const ShortString&, const ShortString&) = default;
  friend bool operator==(const ShortString& left, std::string_view right) { return left.text_ == right; }
  friend bool operator==(const ShortString& left, const std::string& right) { return left.text_ == right; }
  friend bool operator==(const ShortString& left, const char* right) { return left.text_ == right; }

 private:
  std::string text_;
};

}  // namespace tvx
