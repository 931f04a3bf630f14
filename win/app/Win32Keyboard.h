#pragma once
// Key events into the system's input stream, marked as the program's own so the hook library lets them
// through as they are.

#include "core/app/KeyAction.h"

namespace tvx {

class Win32Keyboard : public Keyboard {
 public:
  void PostVKey(std::uint8_t key, bool up) override;
  std::int16_t VkKeyScanA(char ch) override;
};

}  // namespace tvx
