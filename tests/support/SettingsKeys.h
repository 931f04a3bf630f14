#pragma once
// The twelve keys of the settings file, spelled once for the native and the Win32 tests: in the order a
// save writes them, each with what a missing one reads as and the longest value read.

#include <cstddef>

namespace tvx::test {

struct SettingsFileKey {
  const char* section;
  const char* key;
  const char* defaultValue;
  std::size_t maxLength;
};

inline constexpr SettingsFileKey SettingsFileKeys[] = {
    {"Misc", "Last Keys", "1", 14},      {"Misc", "Use Tray", "No", 14},
    {"Misc", "Remap", "Yes", 14},        {"Misc", "Current File", "", 249},
    {"Misc", "Last File 1", "", 254},    {"Misc", "Last File 2", "", 254},
    {"Misc", "Last File 3", "", 254},    {"Misc", "Last File 4", "", 254},
    {"Misc", "Last File 5", "", 254},    {"Network", "Network Mode", "No", 14},
    {"Network", "Auto Sync", "Yes", 14}, {"Network", "Sync Minutes", "10", 14},
};

}  // namespace tvx::test
