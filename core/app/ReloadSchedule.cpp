#include "core/app/ReloadSchedule.h"

namespace tvx {
namespace {

// Whether tick a comes before tick b, across a wrap of the clock.
bool Before(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) < 0; }

}  // namespace

void ReloadSchedule::Read(std::uint32_t now, bool allRead) {
  if (allRead) {
    failingSince_.reset();
    return;
  }
  if (!failingSince_) failingSince_ = now;
  if (now - *failingSince_ < RetryFor) ReloadAt(now + RetryEvery);
}

std::optional<std::uint32_t> ReloadSchedule::Wait(std::uint32_t now) const {
  if (!due_) return std::nullopt;
  return Before(now, *due_) ? *due_ - now : 0;
}

bool ReloadSchedule::TakeDue(std::uint32_t now) {
  if (!due_ || Before(now, *due_)) return false;
  due_.reset();
  return true;
}

void ReloadSchedule::ReloadAt(std::uint32_t tick) {
  if (!due_ || Before(tick, *due_)) due_ = tick;
}

}  // namespace tvx
