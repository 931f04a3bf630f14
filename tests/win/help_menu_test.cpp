// The Help menu of the real program: the help and the manual opened through the shell (with an "open"
// command of this prefix that records what it is given), their missing-file messages, and the dialogs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/shell/HelpFiles.h"

namespace tvx::test {
namespace {

constexpr char RecorderClass[] = "TavrixTest.Recorder";

void SetClassesValue(const std::string& key, const std::string& value) {
  ::RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size()));
}

std::string ClassesValue(const char* key) {
  char value[256] = {};
  LONG size = sizeof value;
  return ::RegQueryValueA(HKEY_CLASSES_ROOT, key, value, &size) == ERROR_SUCCESS ? value : "";
}

// Has the shell open .htm and .doc files with record_open.exe while the test runs.
class RecordingOpenCommand {
 public:
  RecordingOpenCommand() : htm_(ClassesValue(".htm")), doc_(ClassesValue(".doc")) {
    ::DeleteFileA(Record().c_str());
    SetClassesValue(std::string(RecorderClass) + "\\shell\\open\\command",
                    "\"" + BuildDir() + "\\record_open.exe\" \"%1\"");
    SetClassesValue(".htm", RecorderClass);
    SetClassesValue(".doc", RecorderClass);
  }
  ~RecordingOpenCommand() {
    SetClassesValue(".htm", htm_);
    SetClassesValue(".doc", doc_);
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, RecorderClass);
  }
  static std::string Record() { return BuildDir() + "\\opened.txt"; }
  static std::string Opened() { return ReadFileText(Record()); }

 private:
  std::string htm_, doc_;
};

std::vector<std::string> ChildTexts(HWND dialog) {
  std::vector<std::string> texts;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    texts.push_back(WindowText(child));
  return texts;
}

bool Has(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class HelpMenu : public ::testing::Test {
 protected:
  HWND Open(int menuId, const char* className) {
    ::PostMessageA(main_, WM_COMMAND, static_cast<WPARAM>(menuId), 0);
    return WaitForWindow(tavrix_.id(), className);
  }
  void Install(const char* name) {
    ASSERT_TRUE(::CopyFileA((BuildDir() + "\\" + name).c_str(), tavrix_.folder().File(name).c_str(), FALSE));
  }
  // The box's text, after pressing its OK.
  std::string ErrorBoxText() {
    const HWND box = WaitForDialog(tavrix_.id(), "Error");
    if (!box) return "";
    const std::string text = WindowText(::GetDlgItem(box, 0xFFFF));
    PressButton(box, IDOK);
    EXPECT_TRUE(WaitUntilGone(box));
    return text;
  }

  RecordingOpenCommand shell_;
  TavrixProcess tavrix_;
  HWND main_ = tavrix_.MainWindow();
};

TEST_F(HelpMenu, HelpAndManualOpenThroughTheShellWithTheirFullNames) {
  Install("TAVRIX.HTM");
  Install("TAVRIX.DOC");
  ASSERT_TRUE(Handled(main_, WM_COMMAND, IdMenuContents, 0));
  const std::string help = tavrix_.folder().File("TAVRIX.HTM") + "\n";
  EXPECT_TRUE(WaitFor([&] { return RecordingOpenCommand::Opened() == help; }))
      << RecordingOpenCommand::Opened();

  const HWND notice = Open(IdMenuUserManual, "TUserManual");
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(WindowText(notice), "User Manual Notice");
  const auto texts = ChildTexts(notice);
  EXPECT_TRUE(Has(texts,
                  "The \"Word Viewer\" will allow you to view and print the user manual in its proper "
                  "format.  Click \"Ok\" below to view the manual."));
  EXPECT_TRUE(Has(texts, "&Ok") && Has(texts, "&Cancel"));
  RECT client;
  ::GetClientRect(notice, &client);
  EXPECT_EQ(client.right, 445);
  EXPECT_EQ(client.bottom, 141);
  SaveScreenshot(notice, "user_manual_notice");
  // Enter acts as "&Ok": the notice closes at once and the shell gets the manual.
  PostKey(::GetDlgItem(notice, IDOK), VK_RETURN);
  EXPECT_TRUE(WaitUntilGone(notice));
  const std::string manual = help + tavrix_.folder().File("TAVRIX.DOC") + "\n";
  EXPECT_TRUE(WaitFor([&] { return RecordingOpenCommand::Opened() == manual; }))
      << RecordingOpenCommand::Opened();
}

TEST_F(HelpMenu, MissingFilesAreReportedAndEscapeOrTheTrayCancelTheNotice) {
  ASSERT_TRUE(::PostMessageA(main_, WM_COMMAND, IdMenuContents, 0));
  EXPECT_EQ(ErrorBoxText(), HelpFileMissing);

  HWND notice = Open(IdMenuUserManual, "TUserManual");
  ASSERT_NE(notice, nullptr);
  PressButton(notice, IDOK);
  EXPECT_EQ(ErrorBoxText(), UserManualMissing);
  EXPECT_TRUE(WaitUntilGone(notice));

  // Escape, and the WM_CLOSE a right click on the tray icon sends, cancel: nothing is opened.
  Install("TAVRIX.DOC");
  notice = Open(IdMenuUserManual, "TUserManual");
  ASSERT_NE(notice, nullptr);
  PostKey(::GetDlgItem(notice, IDOK), VK_ESCAPE);
  EXPECT_TRUE(WaitUntilGone(notice));
  notice = Open(IdMenuUserManual, "TUserManual");
  ASSERT_NE(notice, nullptr);
  ::PostMessageA(notice, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntilGone(notice));
  RoundTrip(main_);
  EXPECT_EQ(FindMessageBox(tavrix_.id()).window, nullptr);
  // Opening goes through the shell and another process: nothing may come in as long as an open is
  // waited for.
  EXPECT_FALSE(WaitFor([] { return !RecordingOpenCommand::Opened().empty(); }))
      << RecordingOpenCommand::Opened();
}

TEST_F(HelpMenu, AboutBoxShowsItsTextsAndPictureAtTheScreenCentre) {
  const HWND about = Open(IdMenuAbout, "TAboutBox");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(WindowText(about), "About");
  const auto texts = ChildTexts(about);
  EXPECT_TRUE(Has(texts, "Tavrix 98") && Has(texts, "Version 1.0") && Has(texts, "&Ok"));
  RECT frame, client;
  ::GetWindowRect(about, &frame);
  ::GetClientRect(about, &client);
  EXPECT_EQ(client.right, 298);
  EXPECT_EQ(client.bottom, 228);
  EXPECT_EQ(frame.left, (::GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
  EXPECT_EQ(frame.top, (::GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2);

  // The picture is the program's blue keycap.
  ASSERT_TRUE(WaitFor([about] { return ::SetForegroundWindow(about) && ::GetForegroundWindow() == about; }));
  RoundTrip(about);
  POINT origin{16, 16};
  ::ClientToScreen(about, &origin);
  int blue = 0;
  for (std::uint32_t pixel : SettledScreenPixels({origin.x, origin.y, origin.x + 143, origin.y + 102})) {
    const int r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
    if (b > 150 && b > r + 60 && b > g + 20) ++blue;
  }
  EXPECT_GT(blue, 96 * 96 / 3);
  SaveScreenshot(about, "about");
  PostKey(::GetDlgItem(about, IDOK), VK_RETURN);
  EXPECT_TRUE(WaitUntilGone(about));

  const HWND other = Open(IdMenuOther, "TOtherProducts");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(WindowText(other), "Other Products");
  SaveScreenshot(other, "other_products");
  ::PostMessageA(other, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntilGone(other));
}

}  // namespace
}  // namespace tvx::test
