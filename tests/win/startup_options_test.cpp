// The command line in real starts of the program: what each option changes, what lasts to the next
// start, and what the browse-only modes refuse.
#include <gtest/gtest.h>

#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/sys/Handles.h"
#include "win/sys/SystemError.h"

namespace tvx::test {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Setting(const char* section, const char* key) {
  return ProfileString(SettingsFilePath(), section, key);
}

TEST(StartupOptions, SettingsOptionsLastAndBrowseOnlyDoesNot) {
  TavrixProcess tavrix;
  std::vector<std::uint8_t> other(1171);
  for (std::size_t i = 0; i < other.size(); ++i) other[i] = static_cast<std::uint8_t>(i * 5 + 1);
  const std::string otherFile = tavrix.folder().File("Other.tvx");
  WriteFileBytes(otherFile, other);
  ASSERT_EQ(tavrix.Close(), 0);
  ::WritePrivateProfileStringA("Network", "Auto Sync", "No", SettingsFilePath().c_str());

  // The last existing "/F" file stays current; of the "/SM" values only 30 is one to take.
  tavrix.Restart("/f" + Lower(otherFile) + " /fmissing.tvx /f /n /s /sm30 /sm99 /sm0 /sm /t /b stray");
  EXPECT_EQ(WindowText(tavrix.MainWindow()), "Tavrix 98 (OTHER)  [Browse Only Mode]");
  EXPECT_EQ(TablesInForce(), other);
  EXPECT_EQ(TrayIconCount(), 1);
  ASSERT_EQ(tavrix.Close(), 0);
  EXPECT_EQ(TrayIconCount(), 0);
  EXPECT_EQ(Setting("Misc", "Current File"), Upper(otherFile));
  EXPECT_EQ(Setting("Misc", "Use Tray"), "Yes");
  EXPECT_EQ(Setting("Network", "Network Mode"), "Yes");
  EXPECT_EQ(Setting("Network", "Auto Sync"), "Yes");
  EXPECT_EQ(Setting("Network", "Sync Minutes"), "30");

  tavrix.Restart();
  EXPECT_EQ(WindowText(tavrix.MainWindow()), "Tavrix 98 (OTHER)");
  EXPECT_EQ(TablesInForce(), other);
  EXPECT_EQ(TrayIconCount(), 1);

  tavrix.Restart("/SM5x");
  ASSERT_EQ(tavrix.Close(), 0);
  EXPECT_EQ(Setting("Network", "Sync Minutes"), "5");
}

// An unreadable "/F" file is reported on its own: the current file stays, and the options after it apply.
// Unreadable: too short, or held open for writing by another program for longer than a save takes.
TEST(StartupOptions, AnUnreadableFileCostsNeitherTheCurrentFileNorTheOptionsAfterIt) {
  TavrixProcess tavrix;
  const auto tables = TablesInForce();
  ASSERT_EQ(tavrix.Close(), 0);
  const std::string shortFile = tavrix.folder().File("X.TVX"), heldFile = tavrix.folder().File("HELD.TVX");
  WriteFileBytes(shortFile, std::vector<std::uint8_t>(10, 0x41));
  WriteFileBytes(heldFile, std::vector<std::uint8_t>(1171, 0x42));
  const UniqueFile writer(::CreateFileA(heldFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer);

  tavrix.Restart("/FX.TVX /FHELD.TVX /BA");
  for (const std::string& expected :
       {std::string("Read beyond end of file"), "HELD.TVX: " + SystemErrorText(ERROR_SHARING_VIOLATION)}) {
    MessageBoxInfo box;
    ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(tavrix.id())).window != nullptr; }));
    EXPECT_EQ(box.text, expected);
    PressOk(box);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindow(box.window) == FALSE; }));
  }
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(tavrix.MainWindow()) != FALSE; }));
  EXPECT_EQ(WindowText(tavrix.MainWindow()), "Tavrix 98 (KEY)  [Browse Only Mode]");
  EXPECT_EQ(TablesInForce(), tables);
  // Full browse-only: the tray command is refused.
  EXPECT_TRUE(Handled(tavrix.MainWindow(), WM_COMMAND, IdMenuSysTray, 0));
  EXPECT_EQ(TrayIconCount(), 0);
  ASSERT_EQ(tavrix.Close(), 0);
  EXPECT_EQ(Upper(Setting("Misc", "Current File")), Upper(tavrix.KeyFile()));
  EXPECT_EQ(ReadFileBytes(shortFile), std::vector<std::uint8_t>(10, 0x41));
}

// A double-click on a cell of either page: in a browse-only mode each is handled at once and opens no
// picker.
void ExpectNoEditorOpens(const TavrixProcess& tavrix) {
  const auto doubleClick = [](HWND grid, LPARAM cell) {
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
      EXPECT_TRUE(Handled(grid, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, cell));
  };
  ::SendMessageA(tavrix.Control(IdRemap), BM_CLICK, 0, 0);
  doubleClick(tavrix.Control(IdUpperGrid), MAKELPARAM(30, 10));
  ::SendMessageA(tavrix.Control(IdHotKeys), BM_CLICK, 0, 0);
  const HWND hotKeys = tavrix.Control(IdNewGrid);
  ASSERT_TRUE(::IsWindowVisible(hotKeys));
  doubleClick(hotKeys, MAKELPARAM(60, 10));
  for (const char* picker : {"#32770", "TDoSpecial", "TDoSpecial2"})
    EXPECT_EQ(FindProcessWindow(tavrix.id(), picker), nullptr) << picker;
}

TEST(StartupOptions, BrowseOnlyEditsNothingAndStillSwitchesFiles) {
  TavrixProcess tavrix({}, "/B");
  const HWND main = tavrix.MainWindow();
  const auto tables = TablesInForce();
  const auto file = ReadFileBytes(tavrix.KeyFile());
  std::vector<std::uint8_t> other = file;
  other[0] = 'x';
  const std::string otherFile = tavrix.folder().File("OTHER.TVX");
  WriteFileBytes(otherFile, other);
  FolderWatch watch(tavrix.folder().path());

  ExpectNoEditorOpens(tavrix);
  EXPECT_EQ(TablesInForce(), tables);

  // Open, then the file left from the recent list.
  ::PostMessageA(main, WM_COMMAND, IdOpenFile1, 0);
  const HWND open = WaitForDialog(tavrix.id(), "Open Tavrix File");
  ASSERT_NE(open, nullptr);
  ChooseFile(open, otherFile);
  ASSERT_TRUE(WaitFor([&] { return WindowText(main) == "Tavrix 98 (OTHER)  [Browse Only Mode]"; }));
  RoundTrip(main);
  EXPECT_EQ(TablesInForce(), other);
  ::PostMessageA(main, WM_COMMAND, IdMenuLastFile1, 0);
  ASSERT_TRUE(WaitFor([&] { return WindowText(main) == "Tavrix 98 (KEY)  [Browse Only Mode]"; }));
  RoundTrip(main);
  EXPECT_EQ(TablesInForce(), tables);

  ASSERT_EQ(tavrix.Close(), 0);
  EXPECT_EQ(ReadFileBytes(tavrix.KeyFile()), file);
  EXPECT_EQ(ReadFileBytes(otherFile), other);
  EXPECT_EQ(watch.RenamesOnto("KEY.TVX"), 0);
}

TEST(StartupOptions, FullBrowseOnlyRefusesEveryChange) {
  TavrixProcess tavrix({}, "/ba");
  const HWND main = tavrix.MainWindow();
  EXPECT_EQ(WindowText(main), "Tavrix 98 (KEY)  [Browse Only Mode]");
  const auto file = ReadFileBytes(tavrix.KeyFile());
  FolderWatch watch(tavrix.folder().path());

  // Menu commands and shortcuts of the disabled items do nothing, and an edit of either page opens no
  // picker.
  for (int id : {IdNewFile1, IdOpenFile1, IdMenuSysTray})
    EXPECT_TRUE(Handled(main, WM_COMMAND, static_cast<WPARAM>(id), 0)) << id;
  ExpectNoEditorOpens(tavrix);
  EXPECT_EQ(TrayIconCount(), 0);

  ASSERT_EQ(tavrix.Close(), 0);
  EXPECT_EQ(ReadFileBytes(tavrix.KeyFile()), file);
  EXPECT_EQ(watch.RenamesOnto("KEY.TVX"), 0);
}

}  // namespace
}  // namespace tvx::test
