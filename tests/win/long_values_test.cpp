// Values far longer than the program keeps, from every place a name comes from: the settings file, the
// command line and the recent list. Each is cut as the program's short strings are, and nothing overflows.
#include <gtest/gtest.h>

#include <string>

#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx::test {
namespace {

TEST(LongValues, AreCutWhereverTheyComeFrom) {
  const std::string longName = "C:\\" + std::string(1000, 'n') + ".TVX";
  const std::string settings = SettingsFilePath();
  ::WritePrivateProfileStringA("Misc", "Current File", longName.c_str(), settings.c_str());
  ::WritePrivateProfileStringA("Misc", "Last File 1", longName.c_str(), settings.c_str());
  ::WritePrivateProfileStringA("Network", "Sync Minutes", std::string(1000, '9').c_str(), settings.c_str());
  {
    TMainWin mainWin;
    mainWin.Create({ShortString("/F" + longName), ShortString("/SM" + std::string(1000, '7'))});
    EXPECT_EQ(Settings.CurrentFile.size(), 249u);
    EXPECT_EQ(Settings.LastFile[0].size(), 254u);
    char caption[512] = {};
    mainWin.SetMenuLastFiles();
    ::GetMenuStringA(mainWin.Menu(), IdMenuLastFile1, caption, sizeof caption, MF_BYCOMMAND);
    EXPECT_EQ(std::string(caption), "&1   " + longName.substr(0, 254));
    mainWin.DoLastFiles(ShortString(longName), ShortString(longName));
    EXPECT_EQ(Settings.LastFile[0].size(), 255u);
    ::SendMessageA(mainWin.hwnd(), WM_CLOSE, 0, 0);
  }
  RemoveSettingsFile();
}

}  // namespace
}  // namespace tvx::test
