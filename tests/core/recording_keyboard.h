#pragma once
// A Keyboard that records what it is asked to post, for the tests of typing.

#include <cstdio>
#include <map>
#include <string>

#include "core/app/KeyAction.h"
#include "tests/core/xkb_layout.h"

namespace tvx {

// Records key events as "10v 41v 41^ 10^" (virtual key in hex, v down, ^ up) and characters sent as
// themselves as "u00E9v u00E9^", over a layout of the X keyboard database and Windows-1252.
class RecordingKeyboard : public Keyboard {
 public:
  explicit RecordingKeyboard(const std::string& layout = "us") : keys_(xkb::TypingKeys(layout)) {}
  std::string events;

  void PostVKey(std::uint8_t key, bool up) override { Add("%02X%c", key, up); }
  void PostUnicode(char16_t ch, bool up) override { Add("u%04X%c", ch, up); }
  char16_t FromAnsi(std::uint8_t ch) override {
    return ch >= 0x80 && ch < 0xA0 ? xkb::Cp1252High[ch - 0x80] : ch;
  }
  LayoutKey KeyFor(char16_t ch) override {
    const auto found = keys_.find(ch);
    return found == keys_.end() ? LayoutKey{} : found->second;
  }

 private:
  void Add(const char* format, unsigned code, bool up) {
    char text[16];
    std::snprintf(text, sizeof text, format, code, up ? '^' : 'v');
    events += (events.empty() ? "" : " ") + std::string(text);
  }
  std::map<char16_t, LayoutKey> keys_;
};

}  // namespace tvx
