#pragma once
// The user's lasting choices and the settings file they live in ("TAVRIX.INI": sections "Misc" and
// "Network" here, "Applications" in core/settings/Applications.h). The file is reached one key at a time
// through a profile store, so the core stays portable.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/common/Numbers.h"
#include "core/common/ShortString.h"

namespace tvx {

struct TSettings {
  std::int32_t LastKeys = 1;  // the KeyCategory shown in the hot-key grid
  bool UseTray = false;
  ShortString CurrentFile;
  std::array<ShortString, 5> LastFile;  // [0] is the most recent; empty holds no file
  bool Remap = true;
  bool NetworkMode = false;
  bool AutoSync = true;
  std::uint16_t SyncMinutes = 10;

  friend bool operator==(const TSettings&, const TSettings&) = default;
};

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // The value of `key`, at most `maxLength` characters; `defaultValue` when the key is missing.
  virtual std::string Get(const char* section, const char* key, const char* defaultValue,
                          std::size_t maxLength) = 0;
  // Failures are not reported: a settings file that cannot be written must not stop the program.
  virtual void Put(const char* section, const char* key, const std::string& value) = 0;
  // The keys of `section` in the file's order; none for a missing section.
  virtual std::vector<std::string> Keys(const char* section) = 0;
  virtual void Remove(const char* section, const char* key) = 0;
};

inline constexpr char SettingsFileName[] = "TAVRIX.INI";
inline constexpr char DefaultMappingFileName[] = "KEY.TVX";

// "Current File" empty or missing gives defaultMappingDir + "\KEY.TVX". A "Last Keys" outside the five
// categories falls back to 1, so nothing ever indexes a category that does not exist.
void LoadSettings(TSettings& settings, ProfileStore& store, const ShortString& defaultMappingDir);
void SaveSettings(const TSettings& settings, ProfileStore& store);

// The value forms of the file, shared with anything else that reads the same texts.
bool ReadYesNo(const std::string& text);
const char* YesNo(bool value);

}  // namespace tvx
