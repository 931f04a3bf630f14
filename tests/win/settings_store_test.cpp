// The settings file through the real private profile functions, and where it lives.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

#include "win/settings/Win32ProfileStore.h"

namespace tvx {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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

std::string WindowsIni() {
  char windows[MAX_PATH];
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\TAVRIX.INI";
}

// Both places a settings file can be, put back as they were afterwards: other tests start the program.
class SettingsPlaces : public ::testing::Test {
 protected:
  void SetUp() override {
    userFolder_ = UserDataFolder();
    ASSERT_FALSE(userFolder_.empty());
    for (const std::string& path : Paths()) {
      saved_.emplace_back(Exists(path), ReadText(path));
      ::DeleteFileA(path.c_str());
    }
  }
  void TearDown() override {
    const auto paths = Paths();
    for (std::size_t i = 0; i < paths.size(); ++i) {
      ::DeleteFileA(paths[i].c_str());
      if (saved_[i].first) WriteText(paths[i], saved_[i].second);
    }
    ::RemoveDirectoryA(userFolder_.c_str());  // only if this test left it empty
  }
  std::vector<std::string> Paths() const {
    return {WindowsIni(), UserIni(), userFolder_ + "\\KEY.TVX", TempFolder() + "KEY.TVX"};
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
  const std::vector<std::string> expected{"[Misc]",
                                          "Last Keys=4",
                                          "Use Tray=Yes",
                                          "Remap=No",
                                          "Current File=\\\\server\\maps\\team.tvx",
                                          "Last File 1=C:\\a.tvx",
                                          "Last File 2=",
                                          "Last File 3=C:\\Long Folder Name\\c.tvx",
                                          "Last File 4=",
                                          "Last File 5=e.tvx",
                                          "[Network]",
                                          "Network Mode=Yes",
                                          "Auto Sync=No",
                                          "Sync Minutes=65535"};
  EXPECT_EQ(Lines(ReadText(store.FileName())), expected);
  TSettings loaded;
  LoadSettings(loaded, store, "C:");
  EXPECT_EQ(loaded, Unusual());
  ::DeleteFileA(store.FileName().c_str());
}

TEST_F(SettingsPlaces, AWritableWindowsDirectoryKeepsTheBareName) {
  Win32ProfileStore store = Win32ProfileStore::ForCurrentUser([](const std::string&) { return true; });
  EXPECT_EQ(store.FileName(), "TAVRIX.INI");
  SaveSettings(Unusual(), store);
  EXPECT_TRUE(Exists(WindowsIni()));
  EXPECT_FALSE(Exists(UserIni()));
}

TEST_F(SettingsPlaces, AWindowsDirectoryTheUserCannotWriteSendsTheFileToTheUsersFolder) {
  std::vector<std::string> probed;
  Win32ProfileStore store = Win32ProfileStore::ForCurrentUser([&](const std::string& folder) {
    probed.push_back(folder);
    return false;
  });
  ASSERT_EQ(probed.size(), 1u);
  EXPECT_EQ(probed[0] + "\\TAVRIX.INI", WindowsIni());
  EXPECT_EQ(store.FileName(), UserIni());
  SaveSettings(Unusual(), store);
  EXPECT_FALSE(Exists(WindowsIni()));
  TSettings loaded;
  LoadSettings(loaded, store, "C:");
  EXPECT_EQ(loaded, Unusual());
}

TEST_F(SettingsPlaces, TheUsersFirstSettingsFileStartsFromTheOneInTheWindowsDirectory) {
  WriteText(WindowsIni(), "[Misc]\r\nLast Keys=3\r\n");
  Win32ProfileStore store = Win32ProfileStore::ForCurrentUser([](const std::string&) { return false; });
  TSettings loaded;
  LoadSettings(loaded, store, "C:");
  EXPECT_EQ(loaded.LastKeys, 3);
  loaded.LastKeys = 5;
  SaveSettings(loaded, store);
  // Later runs keep the user's own file.
  WriteText(WindowsIni(), "[Misc]\r\nLast Keys=2\r\n");
  Win32ProfileStore again = Win32ProfileStore::ForCurrentUser([](const std::string&) { return false; });
  LoadSettings(loaded, again, "C:");
  EXPECT_EQ(loaded.LastKeys, 5);
}

TEST_F(SettingsPlaces, TheDefaultMappingFileFollowsTheSameRule) {
  const std::string programDir = TempFolder().substr(0, TempFolder().size() - 1);
  EXPECT_EQ(DefaultMappingDir(programDir).str(), programDir);  // a writable folder: the real probe
  WriteText(programDir + "\\KEY.TVX", "shipped");
  const ShortString fallback = DefaultMappingDir(programDir, [](const std::string&) { return false; });
  EXPECT_EQ(fallback.str(), userFolder_);
  EXPECT_EQ(ReadText(userFolder_ + "\\KEY.TVX"), "shipped");
}

TEST(WritableFolder, TheProbeCreatesNothingAndFailsWhereNoFileCanBeMade) {
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "tvx-probe";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  EXPECT_TRUE(IsWritableFolder(folder));
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA((folder + "\\*.TMP").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
  EXPECT_FALSE(IsWritableFolder(folder + "\\missing"));
  ::RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace tvx
