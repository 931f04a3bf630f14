#include "core/settings/Settings.h"

#include "core/common/Text.h"

namespace tvx {
namespace {

constexpr char Misc[] = "Misc";
constexpr char Network[] = "Network";

// Longest value read for each key; a longer value is cut even if the store hands back more.
constexpr std::size_t FlagLength = 14;
constexpr std::size_t CurrentFileLength = 249;
constexpr std::size_t LastFileLength = 254;

constexpr std::array<const char*, 5> LastFileKeys{"Last File 1", "Last File 2", "Last File 3", "Last File 4",
                                                  "Last File 5"};

std::string Read(ProfileStore& store, const char* section, const char* key, const char* defaultValue,
                 std::size_t maxLength) {
  std::string value = store.Get(section, key, defaultValue, maxLength);
  if (value.size() > maxLength) value.resize(maxLength);
  return value;
}

bool ReadFlag(ProfileStore& store, const char* section, const char* key, const char* defaultValue) {
  return ReadYesNo(Read(store, section, key, defaultValue, FlagLength));
}

std::int32_t ReadNumber(ProfileStore& store, const char* section, const char* key, const char* defaultValue) {
  return ReadInteger(Read(store, section, key, defaultValue, FlagLength));
}

bool IsKeyCategory(std::int32_t value) { return value >= 1 && value <= 5; }

}  // namespace

bool ReadYesNo(const std::string& text) { return UpperCaseAscii(text) == "YES"; }

const char* YesNo(bool value) { return value ? "Yes" : "No"; }

void LoadSettings(TSettings& settings, ProfileStore& store, const ShortString& defaultMappingDir) {
  settings.LastKeys = ReadNumber(store, Misc, "Last Keys", "1");
  if (!IsKeyCategory(settings.LastKeys)) settings.LastKeys = 1;
  settings.CurrentFile = ShortString(Read(store, Misc, "Current File", "", CurrentFileLength));
  if (settings.CurrentFile.empty()) settings.CurrentFile = defaultMappingDir + "\\" + DefaultMappingFileName;
  settings.UseTray = ReadFlag(store, Misc, "Use Tray", "No");
  settings.Remap = ReadFlag(store, Misc, "Remap", "Yes");
  for (std::size_t i = 0; i < LastFileKeys.size(); ++i)
    settings.LastFile[i] = ShortString(Read(store, Misc, LastFileKeys[i], "", LastFileLength));
  settings.NetworkMode = ReadFlag(store, Network, "Network Mode", "No");
  settings.AutoSync = ReadFlag(store, Network, "Auto Sync", "Yes");
  settings.SyncMinutes = static_cast<std::uint16_t>(ReadNumber(store, Network, "Sync Minutes", "10"));
}

void SaveSettings(const TSettings& settings, ProfileStore& store) {
  store.Put(Misc, "Last Keys", std::to_string(settings.LastKeys));
  store.Put(Misc, "Use Tray", YesNo(settings.UseTray));
  store.Put(Misc, "Remap", YesNo(settings.Remap));
  store.Put(Misc, "Current File", settings.CurrentFile.str());
  for (std::size_t i = 0; i < LastFileKeys.size(); ++i)
    store.Put(Misc, LastFileKeys[i], settings.LastFile[i].str());
  store.Put(Network, "Network Mode", YesNo(settings.NetworkMode));
  store.Put(Network, "Auto Sync", YesNo(settings.AutoSync));
  store.Put(Network, "Sync Minutes", std::to_string(settings.SyncMinutes));
}

}  // namespace tvx
