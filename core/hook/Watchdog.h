#pragma once
// Windows silently removes a low-level hook whose callback once took too long. The hook thread notices
// it when input reached the system well after the callback last ran, and installs the hook again. The
// caller owns the clock (milliseconds of the system tick, wrapping).

#include <cstdint>

namespace tvx {

class HookWatchdog {
 public:
  static constexpr std::int32_t Grace = 1000;

  void Ran(std::uint32_t tick) { lastRun_ = tick; }
  bool HookLost(std::uint32_t lastInputTick) const {
    return static_cast<std::int32_t>(lastInputTick - lastRun_) > Grace;
  }

 private:
  std::uint32_t lastRun_ = 0;
};

}  // namespace tvx
