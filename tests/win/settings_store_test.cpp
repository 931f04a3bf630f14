// The settings file through the real private profile functions, and where it lives.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <sstream>

#include "tests/support/SettingsKeys.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/settings/Win32ProfileStore.h"

namespace tvx {
namespace {

using namespace test;

// The lines of an INI file, without the blank ones.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// Both places a settings file can be, put back as they were afterwards: other tests start the program.
class SettingsPlaces : public ::testing::Test {
 protected:
  void SetUp() override {
    userFolder_ = UserDataFolder();
    ASSERT_FALSE(userFolder_.empty());
    for (const std::string& path : Paths()) {
      saved_.emplace_back(FileExists(path), ReadFileText(path));
      ::DeleteFileA(path.c_str());
    }
  }
  void TearDown() override {
    const auto paths = Paths();
    for (std::size_t i = 0; i < paths.size(); ++i) {
      ::SetFileAttributesA(paths[i].c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileA(paths[i].c_str());
      if (saved_[i].first) WriteFileText(paths[i], saved_[i].second);
    }
    ::RemoveDirectoryA(userFolder_.c_str());  // only if this test left it empty
  }
  std::vector<std::string> Paths() const {
    return {SettingsFilePath(), UserIni(), userFolder_ + "\\KEY.TVX", TempFolder() + "KEY.TVX"};
  }
  std::string UserIni() const { return userFolder_ + "\\TAVRIX.INI"; }
  static std::string TempFolder() {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    return temp;
  }

  std::string userFolder_;
  std::vector<std::pair<bool, std::string>> saved_;
};

TSettings Unusual() {
  TSettings settings;
  settings.LastKeys = 4;
  settings.UseTray = true;
  settings.CurrentFile = "\\\\server\\maps\\team.tvx";
  settings.LastFile = {"C:\\a.tvx", "", "C:\\Long Folder Name\\c.tvx", "", "e.tvx"};
  settings.Remap = false;
  settings.NetworkMode = true;
  settings.AutoSync = false;
  settings.SyncMinutes = 65535;
  return settings;
}

TEST_F(SettingsPlaces, AllTwelveKeysRoundTripThroughARealIniFile) {
  Win32ProfileStore store(TempFolder() + "tvx-settings.ini");
  ::DeleteFileA(store.FileName().c_str());
  SaveSettings(Unusual(), store);
  // Unusual()'s values, key by key.
  const char* const values[] = {"4",
                                "Yes",
                                "No",
                                "\\\\server\\maps\\team.tvx",
                                "C:\\a.tvx",
                                "",
                                "C:\\Long Folder Name\\c.tvx",
                                "",
                                "e.tvx",
                                "Yes",
                                "No",
                                "65535"};
  static_assert(std::size(values) == std::size(SettingsFileKeys));
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < std::size(values); ++i) {
    const SettingsFileKey& key = SettingsFileKeys[i];
    if (i == 0 || std::string(key.section) != SettingsFileKeys[i - 1].section)
      expected.push_back("[" + std::string(key.section) + "]");
    expected.push_back(std::string(key.key) + "=" + values[i]);
  }
  EXPECT_EQ(Lines(ReadFileText(store.FileName())), expected);
  TSettings loaded;
  LoadSettings(loaded, store, "C:");
  EXPECT_EQ(loaded, Unusual());
  ::DeleteFileA(store.FileName().c_str());
}

TEST_F(SettingsPlaces, AWritableWindowsDirectoryKeepsTheBareName) {
  Win32ProfileStore store = Win32ProfileStore::ForCurrentUser([](const std::string&) { return true; });
  EXPECT_EQ(store.FileName(), "TAVRIX.INI");
  SaveSettings(Unusual(), store);
  EXPECT_TRUE(FileExists(SettingsFilePath()));
  EXPECT_FALSE(FileExists(UserIni()));
}

TEST_F(SettingsPlaces, AWindowsDirectoryTheUserCannotWriteSendsTheFileToTheUsersFolder) {
  std::vector<std::string> probed;
  Win32ProfileStore store = Win32ProfileStore::ForCurrentUser([&](const std::string& folder) {
    probed.push_back(folder);
    return false;
  });
  ASSERT_EQ(probed.size(), 1u);
  EXPECT_EQ(probed[0] + "\\TAVRIX.INI", SettingsFilePath());
  EXPECT_EQ(store.FileName(), UserIni());
  SaveSettings(Unusual(), store);
  EXPECT_FALSE(FileExists(SettingsFilePath()));
  TSettings loaded;
  LoadSettings(loaded, store, "C:");
  EXPECT_EQ(loaded, Unusual());
}

TEST_F(SettingsPlaces, TheUsersFirstSettingsFileStartsFromTheOneInTheWindowsDirectory) {
  WriteFileText(SettingsFilePath(), "[Misc]\r\nLast Keys=3\r\n");
  ::SetFileAttributesA(SettingsFilePath().c_str(), FILE_ATTRIBUTE_READONLY);  // Wine's root writes anything
  Win32ProfileStore store = Win32ProfileStore::ForCurrentUser([](const std::string&) { return false; });
  TSettings loaded;
  LoadSettings(loaded, store, "C:");
  EXPECT_EQ(loaded.LastKeys, 3);
  loaded.LastKeys = 5;
  SaveSettings(loaded, store);
  // Later runs keep the user's own file.
  ::SetFileAttributesA(SettingsFilePath().c_str(), FILE_ATTRIBUTE_NORMAL);
  WriteFileText(SettingsFilePath(), "[Misc]\r\nLast Keys=2\r\n");
  ::SetFileAttributesA(SettingsFilePath().c_str(), FILE_ATTRIBUTE_READONLY);
  Win32ProfileStore again = Win32ProfileStore::ForCurrentUser([](const std::string&) { return false; });
  LoadSettings(loaded, again, "C:");
  EXPECT_EQ(loaded.LastKeys, 5);
}

TEST_F(SettingsPlaces, TheDefaultMappingFileFollowsTheSameRule) {
  const std::string programDir = TempFolder().substr(0, TempFolder().size() - 1);
  EXPECT_EQ(DefaultMappingDir(programDir).str(), programDir);  // a writable folder: the real probe
  WriteFileText(programDir + "\\KEY.TVX", "shipped");
  ::SetFileAttributesA((programDir + "\\KEY.TVX").c_str(), FILE_ATTRIBUTE_READONLY);
  const ShortString fallback = DefaultMappingDir(programDir, [](const std::string&) { return false; });
  EXPECT_EQ(fallback.str(), userFolder_);
  EXPECT_EQ(ReadFileText(userFolder_ + "\\KEY.TVX"), "shipped");
}

// A file that is already there decides by itself, so start-up writes no probe file into the Windows
// directory; the probe is tried only where no file exists yet.
TEST_F(SettingsPlaces, AnExistingFileDecidesWithoutAProbe) {
  struct Case {
    const char* what;
    std::optional<DWORD> attributes;  // nothing: no file
    bool kept;
    int probes;
  };
  const Case cases[] = {
      {"a writable file", FILE_ATTRIBUTE_NORMAL, true, 0},
      {"a read-only file", FILE_ATTRIBUTE_READONLY, false, 0},
      {"no file, a folder that takes one", std::nullopt, true, 1},
  };
  const std::string folder = TempFolder().substr(0, TempFolder().size() - 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = folder + "\\KEY.TVX";
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(file.c_str());
    if (c.attributes) {
      WriteFileText(file, "kept");
      ::SetFileAttributesA(file.c_str(), *c.attributes);
    }
    int probes = 0;
    EXPECT_EQ(CanKeepFileIn(folder, "KEY.TVX",
                            [&](const std::string&) {
                              ++probes;
                              return true;
                            }),
              c.kept);
    EXPECT_EQ(probes, c.probes);
  }
}

TEST(WritableFolder, TheProbeCreatesNothingAndFailsWhereNoFileCanBeMade) {
  const TempDir probed;
  const std::string folder = probed.path();
  EXPECT_TRUE(IsWritableFolder(folder));
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA((folder + "\\*.TMP").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
  EXPECT_FALSE(IsWritableFolder(folder + "\\missing"));
}

}  // namespace
}  // namespace tvx
