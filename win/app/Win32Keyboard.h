#pragma once
// Key events into the system's input stream, marked as the program's own so the hook library lets them
// through as they are. The events of one action are collected and sent in one go, so that the user's own
// keys cannot land between them (between Alt and the keypad digits of an Alt code, say).

#include <windows.h>

#include <vector>

#include "core/app/KeyAction.h"

namespace tvx {

class Win32Keyboard : public Keyboard {
 public:
  void PostVKey(std::uint8_t key, bool up) override;
  std::int16_t VkKeyScanA(char ch) override;
  // Sends what was collected.
  void Send();

 private:
  std::vector<INPUT> events_;
};

}  // namespace tvx
