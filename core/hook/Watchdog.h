#pragma once
// Windows silently removes a low-level hook whose callback once took too long. The hook thread notices
// it when input reached the system well after the callback last ran, and installs the hook again. The
// caller owns the clock (milliseconds of the system tick, wrapping).

#include <cstdint>

namespace tvx {

struct PointerPosition {
  std::int32_t x = 0, y = 0;
  friend bool operator==(const PointerPosition&, const PointerPosition&) = default;
};

class HookWatchdog {
 public:
  static constexpr std::int32_t Grace = 1000;

  // The callback ran: input up to `tick` is accounted for.
  void Ran(std::uint32_t tick) { lastRun_ = tick; }

  // Checked now and then with the system's last-input time and the pointer's position. The last input
  // may be the mouse's, which a keyboard hook never sees: while the pointer moves, input counts as
  // seen, so moving the mouse does not make the hook look lost.
  bool HookLost(std::uint32_t lastInputTick, std::uint32_t now, PointerPosition pointer) {
    if (pointer != pointer_) {
      pointer_ = pointer;
      Ran(now);
      return false;
    }
    return static_cast<std::int32_t>(lastInputTick - lastRun_) > Grace;
  }

 private:
  std::uint32_t lastRun_ = 0;
  PointerPosition pointer_;
};

}  // namespace tvx
