#pragma once
// Key events into the system's input stream, marked as the program's own so the hook library lets them
// through as they are. The events of one action are collected and sent in one go, so that the user's own
// keys cannot land between them (between Shift and the key it shifts, say).

#include <windows.h>

#include <vector>

#include "core/app/KeyAction.h"

namespace tvx {

class Win32Keyboard : public Keyboard {
 public:
  Win32Keyboard();
  void PostVKey(std::uint8_t key, bool up) override;
  void PostUnicode(char16_t ch, bool up) override;
  char16_t FromAnsi(std::uint8_t ch) override;
  LayoutKey KeyFor(char16_t ch) override;
  // Sends what was collected.
  void Send();

 private:
  // The layout and the input method of the thread the keys go to, not this program's.
  HKL layout_ = nullptr;
  bool inputMethodOn_ = false;
  std::vector<INPUT> events_;
};

}  // namespace tvx
