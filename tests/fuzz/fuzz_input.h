#pragma once
// Reading a fuzzer's bytes as the parts a harness needs.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tvx::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  std::uint8_t Byte() { return empty() ? 0 : data_[at_++]; }
  template <typename T>
  T Value() {
    T value{};
    const std::size_t n = std::min(sizeof value, size_ - std::min(at_, size_));
    std::memcpy(&value, data_ + at_, n);
    at_ += n;
    return value;
  }
  std::vector<std::uint8_t> Bytes(std::size_t count) {
    const std::size_t n = std::min(count, size_ - std::min(at_, size_));
    std::vector<std::uint8_t> bytes(data_ + at_, data_ + at_ + n);
    at_ += n;
    return bytes;
  }
  // The rest, cut at each `separator`.
  std::vector<std::string> Split(char separator) {
    std::vector<std::string> parts(1);
    for (; !empty(); ++at_) {
      if (data_[at_] == static_cast<std::uint8_t>(separator))
        parts.emplace_back();
      else
        parts.back() += static_cast<char>(data_[at_]);
    }
    return parts;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// A broken promise of the code under test: the fuzzer reports it like a crash.
inline void Require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace tvx::fuzz
