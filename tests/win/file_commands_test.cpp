// The File menu of the real program, driven as a user would: menu commands, the common dialogs filled
// in and confirmed, message boxes answered.
#include <gtest/gtest.h>

#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/sys/Handles.h"
#include "win/sys/SystemError.h"

namespace tvx::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t HotKeyRun = 1078;

void Command(const TavrixProcess& tavrix, int id) { ::PostMessageA(tavrix.MainWindow(), WM_COMMAND, id, 0); }

// Waits for the program's message box, checks it and presses OK.
void ExpectMessage(const TavrixProcess& tavrix, const char* caption, const char* text) {
  const HWND box = WaitForDialog(tavrix.id(), caption);
  ASSERT_NE(box, nullptr) << text;
  EXPECT_EQ(WindowText(::GetDlgItem(box, 0xFFFF)), text);
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitUntilGone(box));
}

TEST(FileCommands, OpenNewRecentFilesAndWhatTheyRefuse) {
  TavrixProcess tavrix;
  const Bytes defaults = ReadFileBytes(tavrix.KeyFile());
  ASSERT_EQ(defaults.size(), 1171u);
  Bytes office = defaults;
  office[0] = 'x';                                                              // Alt+A types "x"
  std::fill(office.begin() + HotKeyRun, office.begin() + HotKeyRun + 26, 'Q');  // every capital types "Q"
  const std::string officeFile = tavrix.folder().File("OFFICE.TVX");
  WriteFileBytes(officeFile, office);
  const HWND main = tavrix.MainWindow();
  RECT upperGrid;
  ::GetWindowRect(tavrix.Control(IdUpperGrid), &upperGrid);
  ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RoundTrip(main);
  const auto defaultPixels = SettledScreenPixels(upperGrid);

  // Open: the chosen file is current, in force and on screen; the file left heads the recent list.
  Command(tavrix, IdOpenFile1);
  HWND open = WaitForDialog(tavrix.id(), "Open Tavrix File");
  ASSERT_NE(open, nullptr);
  ChooseFile(open, officeFile);
  ASSERT_TRUE(WaitFor([&] { return WindowText(main) == "Tavrix 98 (OFFICE)"; }));
  RoundTrip(main);
  EXPECT_EQ(TablesInForce(), office);
  ASSERT_TRUE(WaitFor([&] { return ScreenPixels(upperGrid) != defaultPixels; }));
  const auto officePixels = SettledScreenPixels(upperGrid);

  // "&1" goes back to the file left, and repaints the grids without any dialog uncovering them.
  Command(tavrix, IdMenuLastFile1);
  ASSERT_TRUE(WaitFor([&] { return WindowText(main) == "Tavrix 98 (KEY)"; }));
  RoundTrip(main);
  EXPECT_EQ(TablesInForce(), defaults);
  EXPECT_TRUE(WaitFor([&] { return ScreenPixels(upperGrid) == defaultPixels; }));
  EXPECT_NE(defaultPixels, officePixels);

  // A recent file that is gone: the message, and nothing changes.
  ::DeleteFileA(officeFile.c_str());
  Command(tavrix, IdMenuLastFile1);
  ExpectMessage(tavrix, "Error", "File does not exist.");
  EXPECT_EQ(WindowText(main), "Tavrix 98 (KEY)");

  // Another extension: the message, and nothing changes. The dialog starts from its last choice.
  const std::string notes = tavrix.folder().File("NOTES.TXT");
  WriteFileText(notes, "notes");
  Command(tavrix, IdOpenFile1);
  open = WaitForDialog(tavrix.id(), "Open Tavrix File");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(ChosenName(open), "OFFICE.TVX");
  ChooseFile(open, notes);
  ExpectMessage(tavrix, "Error", "Invalid file type selected.");
  EXPECT_EQ(WindowText(main), "Tavrix 98 (KEY)");
  EXPECT_EQ(TablesInForce(), defaults);

  // A file that cannot be read never becomes current: one too short to be a mapping file, one another
  // program holds open for writing (opened, and as a recent file). Nothing changes, and the error is shown.
  const std::string shortFile = tavrix.folder().File("SHORT.TVX");
  WriteFileBytes(shortFile, Bytes(100, 'x'));
  Command(tavrix, IdOpenFile1);
  open = WaitForDialog(tavrix.id(), "Open Tavrix File");
  ASSERT_NE(open, nullptr);
  ChooseFile(open, shortFile);
  ExpectMessage(tavrix, "Tavrix 98", "Read beyond end of file");
  EXPECT_EQ(WindowText(main), "Tavrix 98 (KEY)");
  EXPECT_EQ(TablesInForce(), defaults);
  WriteFileBytes(officeFile, office);
  {
    const UniqueFile writer(::CreateFileA(officeFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer);
    const std::string reason = officeFile + ": " + SystemErrorText(ERROR_SHARING_VIOLATION);
    for (const int id : {IdOpenFile1, IdMenuLastFile1}) {
      Command(tavrix, id);
      if (id == IdOpenFile1) {
        open = WaitForDialog(tavrix.id(), "Open Tavrix File");
        ASSERT_NE(open, nullptr);
        ChooseFile(open, officeFile);
      }
      ExpectMessage(tavrix, "Error", reason.c_str());
      EXPECT_EQ(WindowText(main), "Tavrix 98 (KEY)") << id;
      EXPECT_EQ(TablesInForce(), defaults) << id;
    }
  }

  // New over an existing file: the replace prompt, then the default tables in it and in force. Held open
  // by another program, it cannot be written: the user is told, naming it, and the current file stays.
  const std::string existing = tavrix.folder().File("EXISTING.TVX");
  WriteFileBytes(existing, office);
  for (const bool held : {true, false}) {
    const UniqueFile writer(held ? ::CreateFileA(existing.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                 : INVALID_HANDLE_VALUE);
    Command(tavrix, IdNewFile1);
    const HWND save = WaitForDialog(tavrix.id(), "New Tavrix File");
    ASSERT_NE(save, nullptr);
    ChooseFile(save, existing);
    const HWND prompt = WaitForDialog(tavrix.id(), [](HWND w) { return ::GetDlgItem(w, IDYES) != nullptr; });
    ASSERT_NE(prompt, nullptr);
    PressButton(prompt, IDYES);
    if (!held) break;
    ExpectMessage(tavrix, "Error",
                  (existing + " could not be written. The current file stays as it was.").c_str());
    EXPECT_EQ(WindowText(main), "Tavrix 98 (KEY)");
  }
  ASSERT_TRUE(WaitFor([&] { return WindowText(main) == "Tavrix 98 (EXISTING)"; }));
  RoundTrip(main);
  EXPECT_EQ(ReadFileBytes(existing), defaults);
  EXPECT_EQ(TablesInForce(), defaults);

  // The list as the settings file keeps it: the files left, newest first; none that could not be read.
  ASSERT_EQ(tavrix.Close(), 0);
  const std::string settings = SettingsFilePath();
  EXPECT_EQ(ProfileString(settings, "Misc", "Current File"), existing);
  EXPECT_EQ(ProfileString(settings, "Misc", "Last File 1"), tavrix.KeyFile());
  EXPECT_EQ(ProfileString(settings, "Misc", "Last File 2"), officeFile);
  EXPECT_EQ(ProfileString(settings, "Misc", "Last File 3"), "");
  EXPECT_EQ(ReadFileBytes(officeFile), office);
  EXPECT_EQ(ReadFileBytes(shortFile), Bytes(100, 'x'));
}

}  // namespace
}  // namespace tvx::test
