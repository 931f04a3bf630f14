// The real TAVRIX.EXE, seen from another process: its windows, its named areas, its start and its end.
#include <gtest/gtest.h>

#include "core/hook/Messages.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/keymap/SessionSecurity.h"

namespace tvx::test {
namespace {

bool Shown(HWND window) { return ::IsWindowVisible(window) && ::IsWindowEnabled(window); }

TEST(MainWindow, SharesItsAreasAndEndsCleanly) {
  TavrixProcess tavrix;
  const HWND main = tavrix.MainWindow();
  EXPECT_EQ(WindowText(main).rfind("Tavrix 98 (", 0), 0u) << WindowText(main);
  EXPECT_EQ(WindowText(main), "Tavrix 98 (KEY)");

  RECT client;
  ::GetClientRect(main, &client);
  EXPECT_EQ(client.right, 388);
  EXPECT_EQ(client.bottom, 454);

  const HWND application = ::GetWindow(main, GW_OWNER);
  ASSERT_NE(application, nullptr);
  EXPECT_EQ(WindowText(application), "Tavrix 98");

  {
    SharedArea hotKeys("TVXH1KGR"), remap("STTT1KGR");
    ASSERT_TRUE(hotKeys.IsOpen());
    ASSERT_TRUE(remap.IsOpen());
    const auto handle = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(main));
    EXPECT_EQ(hotKeys.Dword(0), handle);
    EXPECT_EQ(remap.Dword(0), handle);
  }

  EXPECT_EQ(tavrix.Close(), 0);
  EXPECT_FALSE(SharedArea("TVXH1KGR").IsOpen());
  EXPECT_FALSE(SharedArea("STTT1KGR").IsOpen());
}

TEST(MainWindow, ASecondCopyShowsTheNoticeAndLeavesTheFirstAlone) {
  TavrixProcess tavrix;
  UniqueHandle second = tavrix.StartAnother();
  const DWORD secondId = ::GetProcessId(second.get());
  MessageBoxInfo box;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(secondId)).window != nullptr; }));
  EXPECT_EQ(box.text, "Tavrix 98 is already running.");
  EXPECT_EQ(box.caption, "");
  EXPECT_EQ(FindProcessWindow(secondId, "TMainWin"), nullptr);
  PressOk(box);
  EXPECT_EQ(WaitForExit(second.get()), 0);
  EXPECT_TRUE(tavrix.Running());
  EXPECT_TRUE(::IsWindow(tavrix.MainWindow()));
  EXPECT_EQ(tavrix.Close(), 0);
}

TEST(MainWindow, ModeButtonsSwapThePanelsAndLeaveTheAreasAlone) {
  TavrixProcess tavrix;
  const HWND hotKeyPanel = tavrix.Control(IdPanel1), remapPanel = tavrix.Control(IdPanel2);
  ASSERT_TRUE(hotKeyPanel && remapPanel);
  // A first start has Remap on: the remapper page shows.
  EXPECT_TRUE(Shown(remapPanel));
  EXPECT_FALSE(::IsWindowVisible(hotKeyPanel) || ::IsWindowEnabled(hotKeyPanel));

  SharedArea hotKeys("TVXH1KGR"), remap("STTT1KGR");
  const auto hotKeysBefore = hotKeys.Snapshot(), remapBefore = remap.Snapshot();

  ::SendMessageA(tavrix.Control(IdHotKeys), BM_CLICK, 0, 0);
  EXPECT_TRUE(Shown(hotKeyPanel));
  EXPECT_FALSE(::IsWindowVisible(remapPanel) || ::IsWindowEnabled(remapPanel));
  EXPECT_EQ(::SendMessageA(tavrix.Control(IdHotKeys), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(::SendMessageA(tavrix.Control(IdRemap), BM_GETCHECK, 0, 0), BST_UNCHECKED);

  ::SendMessageA(tavrix.Control(IdRemap), BM_CLICK, 0, 0);
  EXPECT_TRUE(Shown(remapPanel));
  EXPECT_FALSE(::IsWindowVisible(hotKeyPanel));

  EXPECT_EQ(hotKeys.Snapshot(), hotKeysBefore);
  EXPECT_EQ(remap.Snapshot(), remapBefore);
  EXPECT_EQ(tavrix.Close(), 0);
}

TEST(MainWindow, AHookThatCannotBeInstalledIsReportedOnceAndTheProgramGoesOn) {
  TavrixProcess tavrix({}, "", -1, "HookStub.DLL");
  MessageBoxInfo box;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(tavrix.id())).window != nullptr; }));
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.text, "The keyboard hook could not be installed.  Remapping and hot keys are not in force.");
  PressOk(box);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(tavrix.MainWindow()) != FALSE; }));
  EXPECT_EQ(FindMessageBox(tavrix.id()).window, nullptr);
  EXPECT_TRUE(tavrix.Running());
  EXPECT_EQ(tavrix.Close(), 0);
}

// A library with the first version's three exports only: the program starts with its hook, without a
// word, and refuses the pause and the application mappings, which that library cannot do.
TEST(MainWindow, RunsWithTheFirstVersionOfTheLibrary) {
  TavrixProcess tavrix({}, "", -1, "HookFirst.DLL");
  const HWND main = tavrix.MainWindow();
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(main) != FALSE; }));
  RoundTrip(main);
  EXPECT_EQ(FindMessageBox(tavrix.id()).window, nullptr);
  EXPECT_NE(SharedArea("TVXH1KGR").Dword(hotkey_area::HookHandle), 0u);
  EXPECT_TRUE(Handled(main, WM_COMMAND, IdMenuPause, 0));
  EXPECT_TRUE(Handled(main, PauseChangedMessage, 1, 0));
  EXPECT_TRUE(Handled(main, WM_COMMAND, IdMenuApplicationMappings, 0));
  EXPECT_EQ(WindowText(main), "Tavrix 98 (KEY)");
  EXPECT_EQ(FindProcessWindow(tavrix.id(), "TApplicationMappings"), nullptr);
  EXPECT_EQ(tavrix.Close(), 0);
}

TEST(MainWindow, AShortMappingFileIsReportedAndTheProgramGoesOn) {
  TavrixProcess tavrix(std::vector<std::uint8_t>(1000, 0x41));
  MessageBoxInfo box;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(tavrix.id())).window != nullptr; }));
  EXPECT_EQ(box.text, "Read beyond end of file");
  EXPECT_EQ(::GetWindow(box.window, GW_OWNER), tavrix.MainWindow());
  {
    // The areas stay as they were: all zero, as the system made them.
    SharedArea hotKeys("TVXH1KGR");
    for (std::size_t i = 8; i < 1086; ++i) ASSERT_EQ(hotKeys.data()[i], 0) << i;
  }
  PressOk(box);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(tavrix.MainWindow()) != FALSE; }));
  EXPECT_EQ(FindMessageBox(tavrix.id()).window, nullptr);
  EXPECT_TRUE(tavrix.Running());
  EXPECT_EQ(tavrix.Close(), 0);
}

// A close from the taskbar button while a picker or a message box is up ends it as if cancelled and then
// closes as always: the settings are saved (the page, kept in memory until then) and the exit code is 0.
TEST(MainWindow, ACloseFromTheTaskbarEndsTheOpenDialogFirst) {
  struct Case {
    const char* what;
    int col, row;  // of the Alphabetic hot-key grid
    const char* windowClass;
  };
  const Case cases[] = {{"a picker", Alt, 0, "TDoSpecial2"}, {"the reserved-cell notice", Win, 3, "#32770"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TavrixProcess tavrix;
    const HWND grid = tavrix.Control(IdNewGrid);
    ::SendMessageA(tavrix.Control(IdHotKeys), BM_CLICK, 0, 0);
    PostDoubleClick(grid, CellCentre(grid, std::vector<int>(8, 40), c.col, c.row));
    ASSERT_NE(WaitForWindow(tavrix.id(), c.windowClass), nullptr);
    const HWND application = ::GetWindow(tavrix.MainWindow(), GW_OWNER);
    EXPECT_EQ(tavrix.CloseBy(application, WM_SYSCOMMAND, SC_CLOSE), 0);
    EXPECT_EQ(ProfileString(SettingsFilePath(), "Misc", "Remap"), "No");
  }
}

// Started minimised, the program minimises itself at its first activation only: a restored window stays
// restored when it is activated again.
TEST(MainWindow, AMinimisedStartMinimisesOnceAndCanBeRestored) {
  TavrixProcess tavrix({}, "", SW_SHOWMINNOACTIVE);
  const HWND main = tavrix.MainWindow(), application = ::GetWindow(main, GW_OWNER);
  ::SetForegroundWindow(main);
  ASSERT_TRUE(WaitFor([&] { return ::IsIconic(application) && !::IsWindowVisible(main); }));

  ::SendMessageA(application, WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(WaitFor([&] { return !::IsIconic(application) && ::IsWindowVisible(main); }));
  ::SetForegroundWindow(main);
  ::SendMessageA(main, WM_ACTIVATE, WA_ACTIVE, 0);
  // As long as the first minimising was given.
  EXPECT_FALSE(WaitFor([&] { return ::IsIconic(application) || !::IsWindowVisible(main); }))
      << "minimised again";
  EXPECT_EQ(tavrix.Close(), 0);
}

// The named objects another process made first: one with the program's own access list (a reader that
// outlived the last run, say) is used; one open to everybody is refused, with the texts of an object that
// cannot be created, before the program writes anything into it.
TEST(MainWindow, UsesNamedObjectsMadeFirstOnlyWhenNobodyElseMayOpenThem) {
  SECURITY_DESCRIPTOR openToAll{};
  ::InitializeSecurityDescriptor(&openToAll, SECURITY_DESCRIPTOR_REVISION);
  ::SetSecurityDescriptorDacl(&openToAll, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES everybody{sizeof everybody, &openToAll, FALSE};
  LogonSessionOnly sessionOnly;
  ASSERT_NE(sessionOnly.Attributes(), nullptr) << "the token names no logon session";
  struct Case {
    const char* name;
    SECURITY_ATTRIBUTES* security;
    const char* refusal;  // null: the program starts
  } const cases[] = {
      {"TVXH1KGR", sessionOnly.Attributes(), nullptr},
      {"TVXH1KGR", &everybody, "Memory Mapped File could not be created.  Tavrix will terminate."},
      {"STTT1KGR", &everybody, "Memory Mapped File could not be created.  Tavrix will terminate."},
      {"TVJJJKyq", &everybody, "Mutex could not be created.  Tavrix will terminate."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const UniqueHandle squatted(
        std::string(c.name) == "TVJJJKyq"
            ? ::CreateMutexA(c.security, FALSE, c.name)
            : ::CreateFileMappingA(INVALID_HANDLE_VALUE, c.security, PAGE_READWRITE, 0, AreaSize, c.name));
    ASSERT_TRUE(squatted);
    TavrixProcess tavrix;
    MessageBoxInfo box;
    if (!c.refusal) {
      EXPECT_EQ(SharedArea(c.name).Dword(0),
                static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(tavrix.MainWindow())));
      EXPECT_EQ(tavrix.Close(), 0);
      continue;
    }
    ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(tavrix.id())).window != nullptr; }));
    EXPECT_EQ(box.caption, "System Error");
    EXPECT_EQ(box.text, c.refusal);
    if (c.name != std::string("TVJJJKyq")) {
      EXPECT_EQ(SharedArea(c.name).Dword(0), 0u);
    }
    PressOk(box);
    EXPECT_TRUE(WaitFor([&] { return !tavrix.Running(); }));
  }
}

}  // namespace
}  // namespace tvx::test
