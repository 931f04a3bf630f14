// The main menu, read from inside the program's process (Wine cannot read another process's menu).
#include <gtest/gtest.h>
// After <gtest/gtest.h>, which brings <windows.h>.
#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx::test {
namespace {

std::vector<std::string> Items(HMENU menu) {
  std::vector<std::string> items;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    items.push_back(text);
  }
  return items;
}

class InProcessMainWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ::WritePrivateProfileStringA("Misc", "Current File", folder_.File("MENU.TVX").c_str(),
                                 SettingsFilePath().c_str());
    ::WritePrivateProfileStringA("Misc", "Last File 2", RecentFile().c_str(), SettingsFilePath().c_str());
    mainWin_.Create(Arguments());
  }
  virtual std::vector<ShortString> Arguments() const { return {}; }
  std::string RecentFile() const { return folder_.File("HOME.TVX"); }
  HMENU FileMenu() const { return ::GetSubMenu(mainWin_.Menu(), 0); }
  bool Grayed(int id) const { return ::GetMenuState(mainWin_.Menu(), id, MF_BYCOMMAND) & MF_GRAYED; }
  void TearDown() override {
    ::SendMessageA(mainWin_.hwnd(), WM_CLOSE, 0, 0);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    RemoveSettingsFile();
  }
  TempDir folder_;
  TMainWin mainWin_;
};

TEST_F(InProcessMainWin, MenuCaptionsAndShortcuts) {
  const HMENU bar = mainWin_.Menu();
  EXPECT_EQ(Items(bar), (std::vector<std::string>{"&File", "&Options", "&Help"}));
  EXPECT_EQ(
      Items(::GetSubMenu(bar, 0)),
      (std::vector<std::string>{"&New File\tCtrl+N", "&Open File\tCtrl+O", "", "&Print Mapping Guide\tCtrl+P",
                                "", "E&xit\tCtrl+X", "", "&2   " + RecentFile()}));
  EXPECT_EQ(
      Items(::GetSubMenu(bar, 1)),
      (std::vector<std::string>{"&Network", "", "&Place in System Tray", "&Check Hot Keys",
                                "&Application Mappings", "&Keys...", "", "Pa&use Remapping and Hot Keys"}));
  EXPECT_EQ(Items(::GetSubMenu(bar, 2)),
            (std::vector<std::string>{"&Contents", "&User Manual", "&About", "&Other Products"}));
}

TEST_F(InProcessMainWin, StartUpCreatesTheCurrentFileAndSetsTheProgramWideState) {
  EXPECT_TRUE(FileExists(folder_.File("MENU.TVX")));
  EXPECT_EQ(Settings.CurrentFile, folder_.File("MENU.TVX"));
  EXPECT_EQ(ProgramDir, BuildDir());
  EXPECT_EQ(ScreenWidth, ::GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(ScreenHeight, ::GetSystemMetrics(SM_CYSCREEN));
  EXPECT_FALSE(BrowseOnly || FullBrowseOnly);
  // Identity remap tables are in force.
  EXPECT_EQ(mainWin_.Remaps().Byte(RemapTableId::Punct, 30), '~');
}

TEST_F(InProcessMainWin, TheRecentFilesFollowTheListAndTheFileLeftComesFirst) {
  const std::vector<std::string> fixedItems = Items(FileMenu());
  const std::vector<std::string> withoutRecent(fixedItems.begin(), fixedItems.begin() + 6);
  Settings.LastFile = {};
  mainWin_.SetMenuLastFiles();
  EXPECT_EQ(Items(FileMenu()), withoutRecent);

  Settings.LastFile = {"C:\\A.TVX", "", "C:\\KEYS\\HOME.TVX", "", ""};
  mainWin_.DoLastFiles("C:\\OLD.TVX", "C:\\A.TVX");
  std::vector<std::string> expected = withoutRecent;
  for (const char* item : {"", "&1   C:\\OLD.TVX", "&3   C:\\KEYS\\HOME.TVX"}) expected.push_back(item);
  EXPECT_EQ(Items(FileMenu()), expected);
}

// Only the logon session may open the areas and the mutex: their lists hold that one entry.
TEST_F(InProcessMainWin, TheSharedObjectsLetInOnlyTheLogonSession) {
  for (const char* name : {"TVXH1KGR", "STTT1KGR", "TVJJJKyq"}) {
    HANDLE object = ::OpenFileMappingA(READ_CONTROL, FALSE, name);
    if (!object) object = ::OpenMutexA(READ_CONTROL, FALSE, name);
    ASSERT_NE(object, nullptr) << name;
    const UniqueHandle owned(object);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(::GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(dacl, nullptr);
    EXPECT_EQ(dacl->AceCount, 1) << name;
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(::GetAce(dacl, 0, reinterpret_cast<void**>(&ace)));
    char* text = nullptr;
    ASSERT_TRUE(::ConvertSidToStringSidA(&ace->SidStart, &text));
    EXPECT_EQ(std::string(text).rfind("S-1-5-5-", 0), 0u) << name << ": " << text;
    ::LocalFree(text);
    ::LocalFree(descriptor);
  }
}

// Full browse-only mode and tray mode from the command line, from the first moment.
class InProcessFullBrowseOnly : public InProcessMainWin {
  std::vector<ShortString> Arguments() const override { return {"/ba", "/T"}; }
};

TEST_F(InProcessFullBrowseOnly, DisablesEightItemsKeepsFourAndTheTrayIsOn) {
  EXPECT_TRUE(FullBrowseOnly);
  EXPECT_FALSE(BrowseOnly);
  for (int id : {int{IdNewFile1}, int{IdOpenFile1}, int{IdMenuOutput}, IdMenuLastFile1 + 1,
                 int{IdMenuNetwork}, int{IdMenuSysTray}, int{IdMenuContents}, int{IdMenuUserManual}})
    EXPECT_TRUE(Grayed(id)) << id;
  for (int id : {IdMenuExit, IdMenuAbout, IdMenuOther, IdMenuCheckHotKeys}) EXPECT_FALSE(Grayed(id)) << id;
  EXPECT_TRUE(Settings.UseTray);
  EXPECT_TRUE(::GetMenuState(mainWin_.Menu(), IdMenuSysTray, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(mainWin_.TaskIcon().Active());
}

}  // namespace
}  // namespace tvx::test
