#pragma once
// When the per-application worker reads the bound files again: a moment after their folder changed (a save
// writes beside a file and renames it over: the folder settles first), and, while a file could not be read
// (another program writing it, say), every few seconds for a minute and at each foreground change. Ticks
// are milliseconds of a clock that wraps.

#include <cstdint>
#include <optional>

namespace tvx {

class ReloadSchedule {
 public:
  static constexpr std::uint32_t SettleDelay = 100;
  static constexpr std::uint32_t RetryEvery = 3000;
  static constexpr std::uint32_t RetryFor = 60000;

  void FolderChanged(std::uint32_t now) { ReloadAt(now + SettleDelay); }
  // The files were read: every one of them, or not.
  void Read(std::uint32_t now, bool allRead);
  void ForegroundChanged(std::uint32_t now) {
    if (failingSince_) ReloadAt(now);
  }
  // Milliseconds until the next reading, 0 when due; none when nothing is to be read.
  std::optional<std::uint32_t> Wait(std::uint32_t now) const;
  // Takes the reading that is due: true once, when it is.
  bool TakeDue(std::uint32_t now);

 private:
  void ReloadAt(std::uint32_t tick);

  std::optional<std::uint32_t> due_;
  std::optional<std::uint32_t> failingSince_;
};

}  // namespace tvx
