// Options > Application Mappings on the real TAVRIX.EXE: a binding added with the Open dialog, removed,
// added again and opened for editing, the default named; closed by the tray icon; read-only in /B.
#include <gtest/gtest.h>

#include <cwchar>

#include "tests/win/support/hook_harness.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "win/app/MainWin.h"

namespace tvx::test {
namespace {

enum DialogId { Bindings = 101, DefaultLabel, ProgramBox, AddButton, RemoveButton, EditButton };

std::string Ini(const char* key) {
  char value[300] = {};
  ::GetPrivateProfileStringA("Applications", key, "(none)", value, sizeof value, SettingsFilePath().c_str());
  return value;
}

std::vector<std::string> Lines(HWND dialog) {
  const HWND list = ::GetDlgItem(dialog, Bindings);
  std::vector<std::string> lines;
  const auto count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    // Wine hands another process a list box's lines as wide text whichever call asks.
    wchar_t line[600] = {};
    ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
    lines.emplace_back(line, line + std::wcslen(line));
  }
  return lines;
}

class ApplicationMappings : public ::testing::Test {
 protected:
  HWND Open() {
    ::PostMessageA(tavrix_->MainWindow(), WM_COMMAND, IdMenuApplicationMappings, 0);
    return WaitForWindow(tavrix_->id(), "TApplicationMappings");
  }
  void Add(HWND dialog, const std::string& program, const std::string& file) {
    ::SendMessageA(::GetDlgItem(dialog, ProgramBox), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(program.c_str()));
    PressButton(dialog, AddButton);
    const HWND open = WaitForDialog(tavrix_->id(), "Mapping File for the Program");
    ASSERT_NE(open, nullptr);
    const std::size_t before = Lines(dialog).size();
    ChooseFile(open, file);
    ASSERT_TRUE(WaitUntilGone(open));
    WaitFor([&] { return Lines(dialog).size() != before; });
  }
  void Select(HWND dialog, int line) {
    ::SendMessageA(::GetDlgItem(dialog, Bindings), LB_SETCURSEL, line, 0);
  }

  Tables bound_ = [] {
    Tables tables;
    tables.Identity();
    tables.Remap(RemapTableId::Lower, 'q', 'y');
    return tables;
  }();
  std::unique_ptr<TavrixProcess> tavrix_ = std::make_unique<TavrixProcess>(std::vector<std::uint8_t>{}, "/T");
  std::string boundFile_ = tavrix_->folder().File("BOUND.TVX");
};

TEST_F(ApplicationMappings, AddRemoveAndEditABindingWhileTheDefaultStays) {
  WriteFileBytes(boundFile_, bound_.MappingFile());
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), "Application Mappings");
  EXPECT_EQ(WindowText(::GetDlgItem(dialog, DefaultLabel)),
            "Other programs use the default file: " + tavrix_->KeyFile());

  Add(dialog, " notepad.exe ", boundFile_);
  EXPECT_EQ(Lines(dialog), std::vector<std::string>{"notepad.exe\t" + boundFile_});
  EXPECT_EQ(Ini("notepad.exe"), boundFile_);
  EXPECT_EQ(Ini("Default"), tavrix_->KeyFile()) << "the file current when the first binding came";

  Select(dialog, 0);
  PressButton(dialog, RemoveButton);
  EXPECT_TRUE(WaitFor([&] { return Lines(dialog).empty(); }));
  EXPECT_EQ(Ini("notepad.exe"), "(none)");

  Add(dialog, "NOTEPAD.EXE", boundFile_);
  Select(dialog, 0);
  PressButton(dialog, EditButton);
  ASSERT_TRUE(WaitUntilGone(dialog));
  EXPECT_TRUE(WaitFor([&] { return TablesInForce() == bound_.MappingFile(); }))
      << "the bound file is current";
  EXPECT_EQ(WindowText(tavrix_->MainWindow()), "Tavrix 98 (BOUND)");
  dialog = Open();
  EXPECT_EQ(WindowText(::GetDlgItem(dialog, DefaultLabel)),
            "Other programs use the default file: " + tavrix_->KeyFile());

  PostRightClick(TrayIcon(0));
  EXPECT_TRUE(WaitUntilGone(dialog));
}

// The bound file does not exist here: it is reported.
TEST_F(ApplicationMappings, BrowseOnlyShowsTheBindingsAndChangesNothing) {
  ::WritePrivateProfileStringA("Applications", "NOTEPAD.EXE", boundFile_.c_str(), SettingsFilePath().c_str());
  tavrix_->Restart("/B");
  MessageBoxInfo box;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(tavrix_->id())).window != nullptr; }));
  EXPECT_EQ(box.caption, "Notice");
  EXPECT_EQ(box.text, "The mapping file " + boundFile_ +
                          " could not be read. The programs bound to it use the default mapping file.");
  PressOk(box);
  ASSERT_TRUE(WaitUntilGone(box.window));

  const HWND dialog = Open();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Lines(dialog), std::vector<std::string>{"NOTEPAD.EXE\t" + boundFile_});
  for (int id : {AddButton, RemoveButton, EditButton})
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, id))) << id;
  PressButton(dialog, IDCANCEL);
  EXPECT_TRUE(WaitUntilGone(dialog));
}

}  // namespace
}  // namespace tvx::test
