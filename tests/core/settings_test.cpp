#include "core/settings/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <tuple>
#include <vector>

#include "tests/support/SettingsKeys.h"

namespace tvx {
namespace {

// An INI file in memory that remembers how it was used.
class FakeStore : public ProfileStore {
 public:
  struct Request {
    std::string section, key, defaultValue;
    std::size_t maxLength;
    bool operator==(const Request&) const = default;
  };
  std::map<std::pair<std::string, std::string>, std::string> values;
  std::vector<Request> gets;
  std::vector<std::tuple<std::string, std::string, std::string>> puts;

  std::string Get(const char* section, const char* key, const char* defaultValue,
                  std::size_t maxLength) override {
    gets.push_back({section, key, defaultValue, maxLength});
    const auto found = values.find({section, key});
    return found == values.end() ? defaultValue : found->second;
  }
  void Put(const char* section, const char* key, const std::string& value) override {
    puts.emplace_back(section, key, value);
    values[{section, key}] = value;
  }
  std::vector<std::string> Keys(const char* section) override {
    std::vector<std::string> keys;
    for (const auto& [place, value] : values)
      if (place.first == section) keys.push_back(place.second);
    return keys;
  }
  void Remove(const char* section, const char* key) override { values.erase({section, key}); }
};

TSettings Loaded(FakeStore& store, const ShortString& dir = "C:\\Tavrix") {
  TSettings settings;
  settings.LastKeys = 99;  // proves every field is filled, not left as it was
  settings.UseTray = true;
  LoadSettings(settings, store, dir);
  return settings;
}

TEST(Settings, NoFileGivesTheDefaultsAndTheFirstSaveWritesAllTwelveKeysInOrder) {
  FakeStore store;
  const TSettings settings = Loaded(store);
  TSettings expected;
  expected.CurrentFile = "C:\\Tavrix\\KEY.TVX";
  EXPECT_EQ(settings, expected);

  SaveSettings(settings, store);
  std::vector<std::tuple<std::string, std::string, std::string>> written;
  for (const test::SettingsFileKey& key : test::SettingsFileKeys)
    written.emplace_back(
        key.section, key.key,
        std::string_view(key.key) == "Current File" ? "C:\\Tavrix\\KEY.TVX" : key.defaultValue);
  EXPECT_EQ(store.puts, written);
}

TEST(Settings, EachKeyIsReadOnceWithItsDefaultAndLongestValue) {
  FakeStore store;
  Loaded(store);
  std::vector<FakeStore::Request> expected;
  for (const test::SettingsFileKey& key : test::SettingsFileKeys)
    expected.push_back({key.section, key.key, key.defaultValue, key.maxLength});
  const auto byName = [](const FakeStore::Request& a, const FakeStore::Request& b) {
    return std::tie(a.section, a.key) < std::tie(b.section, b.key);
  };
  std::sort(expected.begin(), expected.end(), byName);
  std::vector<FakeStore::Request> gets = store.gets;
  std::sort(gets.begin(), gets.end(), byName);
  EXPECT_EQ(gets, expected);
}

TEST(Settings, YesNoValues) {
  const std::pair<const char*, bool> cases[] = {{"Yes", true},
                                                {"YES", true},
                                                {"yes", true},
                                                {"yEs", true},
                                                {"No", false},
                                                {"Y", false},
                                                {"1", false},
                                                {"TRUE", false},
                                                {"", false},
                                                {"Yess", false},
                                                {"Y es", false},
                                                {"\xD9"
                                                 "ES",
                                                 false}};
  for (const auto& [text, value] : cases) {
    FakeStore store;
    store.values[{"Misc", "Use Tray"}] = text;
    store.values[{"Network", "Auto Sync"}] = text;
    const TSettings settings = Loaded(store);
    EXPECT_EQ(settings.UseTray, value) << '"' << text << '"';
    EXPECT_EQ(settings.AutoSync, value) << '"' << text << '"';
  }
}

TEST(Settings, NumberValues) {
  struct Case {
    const char* text;
    std::uint16_t syncMinutes;
    std::int32_t lastKeys;  // outside the five categories it falls back to 1
  };
  const Case cases[] = {
      {"4", 4, 4},     {"70000", 4464, 1},   {"15x", 15, 1},   {"4x", 4, 4}, {"x4", 0, 1},
      {"", 0, 1},      {"   +5", 5, 5},      {"-1", 65535, 1}, {"0", 0, 1},  {"65536", 0, 1},
      {"00003", 3, 3}, {"4294967299", 3, 3},  // wraps like the 32-bit number it fills
  };
  for (const Case& c : cases) {
    FakeStore store;
    store.values[{"Network", "Sync Minutes"}] = c.text;
    store.values[{"Misc", "Last Keys"}] = c.text;
    const TSettings settings = Loaded(store);
    EXPECT_EQ(settings.SyncMinutes, c.syncMinutes) << '"' << c.text << '"';
    EXPECT_EQ(settings.LastKeys, c.lastKeys) << '"' << c.text << '"';
  }
}

TEST(Settings, FileNames) {
  struct Case {
    std::optional<std::string> stored;
    const char* dir;
    std::string currentFile;
  };
  const std::string long300(300, 'n');
  const Case cases[] = {
      {std::nullopt, "C:\\Program Files\\Tavrix", "C:\\Program Files\\Tavrix\\KEY.TVX"},
      {"", "C:\\Tavrix", "C:\\Tavrix\\KEY.TVX"},  // present but empty, as if missing
      {std::nullopt, "D:", "D:\\KEY.TVX"},        // program in the root of a drive
      {"\\\\server\\share\\team.tvx", "C:", "\\\\server\\share\\team.tvx"},
      {long300, "C:", long300.substr(0, 249)},
  };
  for (const Case& c : cases) {
    FakeStore store;
    if (c.stored) store.values[{"Misc", "Current File"}] = *c.stored;
    EXPECT_EQ(Loaded(store, c.dir).CurrentFile.str(), c.currentFile) << c.dir;
  }
  FakeStore store;
  store.values[{"Misc", "Last File 2"}] = long300;
  EXPECT_EQ(Loaded(store).LastFile[1].str(), long300.substr(0, 254));
}

}  // namespace
}  // namespace tvx
