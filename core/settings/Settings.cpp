#include "core/settings/Settings.h"

#include <iterator>

#include "core/common/Text.h"

namespace tvx {
namespace {

constexpr char Misc[] = "Misc";
constexpr char Network[] = "Network";

// Longest value read for each key; a longer value is cut even if the store hands back more.
constexpr std::size_t FlagLength = 14;
constexpr std::size_t CurrentFileLength = 249;
constexpr std::size_t LastFileLength = 254;

// One key of the file: where it lives, its default and longest value, and how its value goes into the
// settings and comes out of them. `saveRank` orders the saving, which differs from the reading; a new
// setting is a member of TSettings and one row here.
struct SettingKey {
  const char* section;
  const char* key;
  const char* defaultValue;
  std::size_t maxLength;
  int saveRank;
  void (*read)(TSettings&, const std::string&);
  std::string (*write)(const TSettings&);
};

template <bool TSettings::*Flag>
constexpr SettingKey FlagKey(const char* section, const char* key, const char* defaultValue, int saveRank) {
  return {section,
          key,
          defaultValue,
          FlagLength,
          saveRank,
          [](TSettings& s, const std::string& value) { s.*Flag = ReadYesNo(value); },
          [](const TSettings& s) { return std::string(YesNo(s.*Flag)); }};
}

template <std::size_t Index>
constexpr SettingKey LastFileKey(const char* key) {
  return {Misc,
          key,
          "",
          LastFileLength,
          4 + static_cast<int>(Index),
          [](TSettings& s, const std::string& value) { s.LastFile[Index] = ShortString(value); },
          [](const TSettings& s) { return s.LastFile[Index].str(); }};
}

// In the order they are read.
constexpr SettingKey SettingKeys[] = {
    {Misc, "Last Keys", "1", FlagLength, 0,
     [](TSettings& s, const std::string& value) { s.LastKeys = ReadInteger(value); },
     [](const TSettings& s) { return std::to_string(s.LastKeys); }},
    {Misc, "Current File", "", CurrentFileLength, 3,
     [](TSettings& s, const std::string& value) { s.CurrentFile = ShortString(value); },
     [](const TSettings& s) { return s.CurrentFile.str(); }},
    FlagKey<&TSettings::UseTray>(Misc, "Use Tray", "No", 1),
    FlagKey<&TSettings::Remap>(Misc, "Remap", "Yes", 2),
    LastFileKey<0>("Last File 1"),
    LastFileKey<1>("Last File 2"),
    LastFileKey<2>("Last File 3"),
    LastFileKey<3>("Last File 4"),
    LastFileKey<4>("Last File 5"),
    FlagKey<&TSettings::NetworkMode>(Network, "Network Mode", "No", 9),
    FlagKey<&TSettings::AutoSync>(Network, "Auto Sync", "Yes", 10),
    {Network, "Sync Minutes", "10", FlagLength, 11,
     [](TSettings& s, const std::string& value) {
       s.SyncMinutes = static_cast<std::uint16_t>(ReadInteger(value));
     },
     [](const TSettings& s) { return std::to_string(s.SyncMinutes); }},
};

// Each rank from 0 to the number of keys names exactly one key: a duplicate would be saved twice and a gap
// would leave a key unsaved, so either one fails the build.
constexpr bool EachKeySavedOnce() {
  for (int rank = 0; rank < static_cast<int>(std::size(SettingKeys)); ++rank) {
    int keys = 0;
    for (const SettingKey& entry : SettingKeys) keys += entry.saveRank == rank ? 1 : 0;
    if (keys != 1) return false;
  }
  return true;
}
static_assert(EachKeySavedOnce(), "the save ranks of SettingKeys must be 0 to n-1, each once");

bool IsKeyCategory(std::int32_t value) { return value >= 1 && value <= 5; }

}  // namespace

bool ReadYesNo(const std::string& text) { return UpperCaseAscii(text) == "YES"; }

const char* YesNo(bool value) { return value ? "Yes" : "No"; }

void LoadSettings(TSettings& settings, ProfileStore& store, const ShortString& defaultMappingDir) {
  for (const SettingKey& entry : SettingKeys) {
    std::string value = store.Get(entry.section, entry.key, entry.defaultValue, entry.maxLength);
    if (value.size() > entry.maxLength) value.resize(entry.maxLength);
    entry.read(settings, value);
  }
  if (!IsKeyCategory(settings.LastKeys)) settings.LastKeys = 1;
  if (settings.CurrentFile.empty()) settings.CurrentFile = defaultMappingDir + "\\" + DefaultMappingFileName;
}

void SaveSettings(const TSettings& settings, ProfileStore& store) {
  for (int rank = 0; rank < static_cast<int>(std::size(SettingKeys)); ++rank) {
    for (const SettingKey& entry : SettingKeys)
      if (entry.saveRank == rank) store.Put(entry.section, entry.key, entry.write(settings));
  }
}

}  // namespace tvx
