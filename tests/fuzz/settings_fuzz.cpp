// Any text in every key of the settings file: the values the program keeps stay in bounds, and what it
// saves reads back the same.
#include <map>

#include "core/settings/Settings.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;

namespace {

constexpr const char* Keys[] = {"Last Keys",   "Use Tray",     "Remap",       "Current File",
                                "Last File 1", "Last File 2",  "Last File 3", "Last File 4",
                                "Last File 5", "Network Mode", "Auto Sync",   "Sync Minutes"};

// A settings file in memory: a key missing from it gives the default, as the profile functions do.
class Store : public ProfileStore {
 public:
  std::map<std::string, std::string> values;
  std::string Get(const char*, const char* key, const char* defaultValue, std::size_t) override {
    const auto found = values.find(key);
    return found == values.end() ? defaultValue : found->second;
  }
  void Put(const char*, const char* key, const std::string& value) override { values[key] = value; }
  std::vector<std::string> Keys(const char*) override { return {}; }
  void Remove(const char*, const char* key) override { values.erase(key); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  Store file;
  const auto parts = input.Split('\n');
  for (std::size_t i = 0; i < parts.size() && i < std::size(Keys); ++i)
    if (parts[i] != "-") file.values[Keys[i]] = parts[i];  // "-": the key is missing
  TSettings settings;
  LoadSettings(settings, file, "C:\\Program Files\\Tavrix 98");
  fuzz::Require(settings.LastKeys >= 1 && settings.LastKeys <= 5);
  fuzz::Require(!settings.CurrentFile.empty() && settings.CurrentFile.size() <= ShortStringCapacity);
  for (const ShortString& name : settings.LastFile) fuzz::Require(name.size() <= ShortStringCapacity);

  Store saved;
  SaveSettings(settings, saved);
  TSettings again;
  LoadSettings(again, saved, "C:\\Program Files\\Tavrix 98");
  fuzz::Require(again == settings);
  return 0;
}
