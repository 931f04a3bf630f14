// Pausing every mapping at once: real X keystrokes through the real program and hook library, paused and
// resumed by Ctrl+Alt+Scroll Lock, the Options menu and another program's message; and what the
// caption, the menu and the tray icon show meanwhile, read inside the program's process.
#include <gtest/gtest.h>

#include <algorithm>

#include "win/hook/TavrixHook.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/hook_harness.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx::test {
namespace {

constexpr char Running[] = "Tavrix 98 (KEY)";
constexpr char PausedCaption[] = "Tavrix 98 (KEY)  [Paused]";

Tables QTypesZ() {
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'q', 'z');
  return tables;
}

// "qzqz...": what q types after each of `toggles` toggles from running.
std::string Alternating(int toggles) {
  std::string typed;
  for (int i = 0; i < toggles; ++i) typed += i % 2 ? 'z' : 'q';
  return typed;
}

// Whether what the display shows of a window is all greys.
bool ShownGrey(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  void* bits = nullptr;
  const HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = ::SelectObject(memory, dib);
  ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  const bool grey = std::all_of(pixels, pixels + width * height, [](std::uint32_t p) {
    return (p & 0xFF) == (p >> 8 & 0xFF) && (p & 0xFF) == (p >> 16 & 0xFF);
  });
  ::SelectObject(memory, old);
  ::DeleteObject(dib);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return grey;
}

class Pause : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tavrix_.loaded());
    ASSERT_TRUE(CaptionBecomes(Running)) << "a start is never paused: " << WindowText(main_);
    ASSERT_TRUE(target_.Focus());
    start_ = target_.Mark();
  }
  std::string TypeQ() {
    const std::size_t mark = target_.Mark();
    Xdotool("key --delay 30 q");
    return Typed(target_, mark);
  }
  bool CaptionBecomes(const std::string& caption) {
    return WaitFor([&] { return WindowText(main_) == caption; });
  }
  // Nothing but the typed characters reached the target: no Scroll Lock, no menu, no key left down.
  void ExpectNothingElse() {
    EXPECT_EQ(target_.Since(start_, "k").find("91"), std::string::npos) << "a Scroll Lock got through";
    EXPECT_EQ(target_.ScrollLock(), "0");
    EXPECT_FALSE(target_.MenuOpened(start_));
    EXPECT_EQ(target_.KeysDown(), "") << "a key stayed down";
  }

  TavrixRun tavrix_{QTypesZ()};
  HWND main_ = tavrix_.MainWindow();
  Target target_;
  std::size_t start_ = 0;
};

TEST_F(Pause, CtrlAltScrollLockPausesAndResumes) {
  EXPECT_EQ(TypeQ(), "z");
  Xdotool("key --delay 30 ctrl+alt+Scroll_Lock");
  EXPECT_TRUE(CaptionBecomes(PausedCaption)) << WindowText(main_);
  EXPECT_EQ(TypeQ(), "q");
  Xdotool("key --delay 30 ctrl+alt+Scroll_Lock");
  EXPECT_TRUE(CaptionBecomes(Running)) << WindowText(main_);
  EXPECT_EQ(TypeQ(), "z");

  // Twenty in a row, a key between each: the library decides, so no toggle waits for the program.
  std::string keys;
  for (int i = 0; i < 20; ++i) keys += " ctrl+alt+Scroll_Lock q";
  const std::size_t mark = target_.Mark();
  Xdotool("key --delay 30" + keys);
  EXPECT_EQ(Typed(target_, mark), Alternating(20));
  EXPECT_TRUE(CaptionBecomes(Running)) << WindowText(main_);
  ExpectNothingElse();
}

// The menu item, and the state another program posts: the library follows it too, so the caption never
// says "paused" while the keys are mapped. A double-click on the tray icon opens the window and leaves
// the mappings as they are.
TEST_F(Pause, TheMenuItemAndAnotherProgramsMessage) {
  std::string typed;
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(Handled(main_, WM_COMMAND, IdMenuPause, 0));
    EXPECT_EQ(WindowText(main_), i % 2 ? Running : PausedCaption);
    typed += TypeQ();
  }
  EXPECT_EQ(typed, Alternating(20));

  for (const WPARAM paused : {1, 1, 0, 0, 1, 0}) {
    ASSERT_TRUE(Handled(main_, PauseChangedMessage, paused, 0));
    EXPECT_EQ(WindowText(main_), paused ? PausedCaption : Running);
    EXPECT_EQ(TypeQ(), paused ? "q" : "z") << paused;
  }

  ASSERT_TRUE(Handled(main_, WM_COMMAND, IdMenuSysTray, 0));
  ASSERT_TRUE(WaitFor([] { return TrayIconCount() == 1; }));
  const HWND icon = TrayIcon(0);
  // Wine draws a moment after the change: wait for the picture.
  EXPECT_TRUE(WaitFor([icon] { return !ShownGrey(icon); })) << "the icon is grey while running";
  ASSERT_TRUE(Handled(main_, WM_COMMAND, IdMenuPause, 0));
  EXPECT_TRUE(WaitFor([icon] { return ShownGrey(icon); })) << "the icon is not grey while paused";
  PostDoubleClick(icon, POINT{4, 4});
  ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == main_; }));
  RoundTrip(main_);
  EXPECT_EQ(WindowText(main_), PausedCaption);
  ASSERT_TRUE(Handled(main_, WM_COMMAND, IdMenuPause, 0));
  ASSERT_TRUE(target_.Focus());
  EXPECT_EQ(TypeQ(), "z");
  ExpectNothingElse();
}

// Under full browse-only the menu item is off, but the library's key still pauses, and the caption, the
// menu's check mark and the tray tip follow.
class InProcessPause : public ::testing::Test {
 protected:
  void SetUp() override {
    ::WritePrivateProfileStringA("Misc", "Current File", folder_.File("PAUSE.TVX").c_str(),
                                 SettingsFilePath().c_str());
    mainWin_.Create({"/BA"});
    mainWin_.MenuSysTrayClick();
    ::ShowWindow(mainWin_.hwnd(), SW_SHOW);
  }
  void TearDown() override {
    ::SendMessageA(mainWin_.hwnd(), WM_CLOSE, 0, 0);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    RemoveSettingsFile();
  }
  bool MenuState(UINT flag) const {
    return ::GetMenuState(mainWin_.Menu(), IdMenuPause, MF_BYCOMMAND) & flag;
  }
  void ExpectShown(bool paused, const std::string& caption) {
    EXPECT_EQ(Paused, paused);
    EXPECT_EQ(WindowText(mainWin_.hwnd()), caption);
    EXPECT_EQ(MenuState(MF_CHECKED), paused);
    EXPECT_EQ(mainWin_.TaskIcon().ToolTip().str(), paused ? "Tavrix (paused)" : "Tavrix");
  }

  TempDir folder_;
  TMainWin mainWin_;
};

TEST_F(InProcessPause, UnderFullBrowseOnlyTheKeyStillPauses) {
  const std::string browsing = "Tavrix 98 (PAUSE)  [Browse Only Mode]";
  ExpectShown(false, browsing);
  EXPECT_TRUE(MenuState(MF_GRAYED));
  ::SendMessageA(mainWin_.hwnd(), WM_COMMAND, IdMenuPause, 0);
  EXPECT_FALSE(Paused);
  ::SendMessageA(mainWin_.hwnd(), PauseChangedMessage, 1, 0);  // the key, in the library, paused
  ExpectShown(true, browsing + "  [Paused]");
  // Shown again: sets the caption anew, as every file command does.
  ::SendMessageA(mainWin_.hwnd(), WM_SHOWWINDOW, TRUE, 0);
  EXPECT_EQ(WindowText(mainWin_.hwnd()), browsing + "  [Paused]");
  ::SendMessageA(mainWin_.hwnd(), PauseChangedMessage, 0, 0);  // the key, in the library, resumed
  ExpectShown(false, browsing);
  ::SendMessageA(mainWin_.hwnd(), PauseChangedMessage, 1, 0);
  ExpectShown(true, browsing + "  [Paused]");
}

}  // namespace
}  // namespace tvx::test
