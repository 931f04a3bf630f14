#pragma once
// Windows silently removes a low-level hook whose callback once took too long. The hook thread notices
// it when keyboard input reached it well after the callback last ran, and installs the hook again. The
// keyboard input comes as raw input, which arrives whether or not the hook still runs; mouse input
// never counts, since a keyboard hook does not see it. The caller owns the clock (milliseconds of the
// system tick, wrapping).

#include <cstdint>

namespace tvx {

class HookWatchdog {
 public:
  static constexpr std::int32_t Grace = 1000;

  // The callback ran: keyboard input up to `tick` is accounted for.
  void Ran(std::uint32_t tick) { lastRun_ = tick; }
  // Raw keyboard input arrived.
  void KeyboardInput(std::uint32_t tick) { lastKeyboard_ = tick; }

  bool HookLost() const { return static_cast<std::int32_t>(lastKeyboard_ - lastRun_) > Grace; }

 private:
  std::uint32_t lastRun_ = 0;
  std::uint32_t lastKeyboard_ = 0;
};

}  // namespace tvx
