// Tray mode of the real program, with Wine's tray window standing for the shell's notification area.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"

namespace tvx::test {
namespace {

bool IconsBecome(int count) {
  return WaitFor([count] { return TrayIconCount() == count; }) && TrayIconCount() == count;
}

bool TakesTheFocus(HWND window) {
  return WaitFor([window] {
    ::SetForegroundWindow(window);
    return ::GetForegroundWindow() == window;
  });
}

// Another application's window, to take the focus from the program.
class OtherApplication {
 public:
  OtherApplication()
      : window_(::CreateWindowExA(0, "STATIC", "Other application", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500,
                                  500, 200, 100, nullptr, nullptr, nullptr, nullptr)) {}
  HWND window() const { return window_.get(); }

 private:
  UniqueWindow window_;
};

class Tray : public ::testing::Test {
 protected:
  void ToggleTray() { ASSERT_TRUE(Handled(main_, WM_COMMAND, IdMenuSysTray, 0)); }
  void RightClickIcon() {
    ASSERT_EQ(TrayIconCount(), 1);
    PostRightClick(TrayIcon(0));
  }
  // The program is active, then another application takes the focus.
  void SwitchAway() {
    ASSERT_TRUE(TakesTheFocus(main_));
    ASSERT_TRUE(TakesTheFocus(other_.window()));
  }
  bool ComesBackToTheFront() {
    return WaitFor([this] {
      return ::IsWindowVisible(main_) && ::IsWindowVisible(application_) && ::GetForegroundWindow() == main_;
    });
  }

  TavrixProcess tavrix_;
  HWND main_ = tavrix_.MainWindow();
  HWND application_ = ::GetWindow(main_, GW_OWNER);
  OtherApplication other_;
};

TEST_F(Tray, OnAndOffAddsAndRemovesOneIconEachTime) {
  EXPECT_EQ(TrayIconCount(), 0);
  for (int round = 0; round < 2; ++round) {
    ToggleTray();
    EXPECT_TRUE(IconsBecome(1));
    ToggleTray();
    EXPECT_TRUE(IconsBecome(0));
  }
  ToggleTray();
  EXPECT_TRUE(IconsBecome(1));
  ASSERT_EQ(tavrix_.Close(), 0);
  EXPECT_TRUE(IconsBecome(0));
}

// A right click and a double-click do the same: bring the window back, closing the picker; neither pauses.
TEST_F(Tray, LosingTheFocusHidesAndAClickOnTheIconBringsBackClosingTheDialog) {
  ToggleTray();
  ASSERT_TRUE(IconsBecome(1));
  const std::pair<const char*, std::function<void()>> clicks[] = {
      {"right click", [this] { RightClickIcon(); }},
      {"double-click",
       [] {
         PostDoubleClick(TrayIcon(0), POINT{4, 4});
       }},
  };
  const auto file = ReadFileBytes(tavrix_.KeyFile());
  for (const auto& [name, click] : clicks) {
    SCOPED_TRACE(name);
    SwitchAway();
    EXPECT_TRUE(WaitFor([this] { return !::IsWindowVisible(main_) && !::IsWindowVisible(application_); }));
    click();
    EXPECT_TRUE(ComesBackToTheFront());
    EXPECT_EQ(WindowText(main_), "Tavrix 98 (KEY)");

    // With a picker on screen the window stays; the click cancels the picker.
    PostDoubleClick(tavrix_.Control(IdUpperGrid), POINT{30, 10});
    const HWND picker = WaitForWindow(tavrix_.id(), "TDoSpecial");
    ASSERT_NE(picker, nullptr);
    ASSERT_TRUE(TakesTheFocus(picker));
    ASSERT_TRUE(TakesTheFocus(other_.window()));
    // As long as the hiding above was given.
    EXPECT_FALSE(WaitFor([this] { return !::IsWindowVisible(main_); })) << "hidden with a picker on screen";
    click();
    EXPECT_TRUE(WaitUntilGone(picker));
    EXPECT_TRUE(ComesBackToTheFront());
    EXPECT_EQ(WindowText(main_), "Tavrix 98 (KEY)");
  }
  EXPECT_EQ(ReadFileBytes(tavrix_.KeyFile()), file);
}

TEST_F(Tray, TheIconComesBackWhenTheShellStartsAgain) {
  ToggleTray();
  ASSERT_TRUE(IconsBecome(1));
  // A restarted shell has forgotten the icon, and says so to every top-level window.
  NOTIFYICONDATAA forgotten{};
  forgotten.cbSize = NOTIFYICONDATAA_V1_SIZE;
  forgotten.hWnd = FindProcessWindow(tavrix_.id(), "TTaskIcon");
  forgotten.uID = 0;
  ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &forgotten));
  ASSERT_TRUE(IconsBecome(0));
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(HWND_BROADCAST, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG,
                        5000, &result);
  RoundTrip(main_);
  EXPECT_TRUE(IconsBecome(1));
  // And it is the program's own: a right click on it reaches the program.
  SwitchAway();
  ASSERT_TRUE(WaitFor([this] { return !::IsWindowVisible(main_); }));
  RightClickIcon();
  EXPECT_TRUE(ComesBackToTheFront());
}

BOOL WINAPI RefusingShell(DWORD, PNOTIFYICONDATAA) { return FALSE; }
// A shell that still holds the icon: it refuses to add it again.
BOOL WINAPI ShellHoldingTheIcon(DWORD message, PNOTIFYICONDATAA data) {
  return message != NIM_ADD && ::Shell_NotifyIconA(message, data);
}

// In this process, so that the shell can refuse the icon (at logon it may not be up yet): the window
// goes to the tray only while the icon is really there, and the icon comes once the shell takes it.
TEST(TrayInProcess, TheWindowStaysReachableWhileTheShellRefusesTheIcon) {
  const TempDir folder;
  ::WritePrivateProfileStringA("Misc", "Current File", folder.File("TRAY.TVX").c_str(),
                               SettingsFilePath().c_str());
  ::WritePrivateProfileStringA("Misc", "Use Tray", "Yes", SettingsFilePath().c_str());
  TTaskIcon::NotifyShell = RefusingShell;
  {
    TMainWin mainWin;
    mainWin.Create();
    const HWND main = mainWin.hwnd();
    ::ShowWindow(main, SW_SHOW);
    const auto deactivated = [main] {
      ::SendMessageA(main, WM_ACTIVATEAPP, FALSE, 0);
      return ::IsWindowVisible(main) == FALSE;
    };
    EXPECT_FALSE(mainWin.TaskIcon().Active());
    EXPECT_FALSE(deactivated());

    // The shell comes up: the icon is added by the retry, and the window can go to the tray.
    TTaskIcon::NotifyShell = &::Shell_NotifyIconA;
    EXPECT_TRUE(WaitFor([&] { return mainWin.TaskIcon().Active(); }));
    EXPECT_TRUE(IconsBecome(1));
    EXPECT_TRUE(deactivated());

    // The shell starts again and refuses it: the window comes back. One that kept the icon has it changed.
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    TTaskIcon::NotifyShell = RefusingShell;
    ::SendMessageA(mainWin.TaskIcon().hwnd(), taskbarCreated, 0, 0);
    EXPECT_FALSE(mainWin.TaskIcon().Active());
    EXPECT_TRUE(::IsWindowVisible(main));
    TTaskIcon::NotifyShell = ShellHoldingTheIcon;
    ::SendMessageA(mainWin.TaskIcon().hwnd(), taskbarCreated, 0, 0);
    EXPECT_TRUE(mainWin.TaskIcon().Active());
    TTaskIcon::NotifyShell = &::Shell_NotifyIconA;
    ::SendMessageA(main, WM_CLOSE, 0, 0);
  }
  EXPECT_TRUE(IconsBecome(0));
  RemoveSettingsFile();
}

}  // namespace
}  // namespace tvx::test
