// The sheet of the hot keys in force through the real program and library, with real X keystrokes: a hot key
// set to show it, held over a target window, shows the file of that window's program, takes neither the focus
// nor a key from it, and goes once the key is let go.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/common/Text.h"
#include "core/keymap/CellTexts.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ProcessWindows.h"
#include "tests/win/support/hook_harness.h"
#include "win/app/MainWin.h"
#include "win/shell/SheetWindow.h"

namespace tvx::test {
namespace {

// Ctrl+K shows the sheet; Alt+A types a character of the file's own.
Tables SheetTables(HotKeyAction altA) {
  Tables tables;
  tables.Identity();
  tables.BindCharacter(Alphabetic, Ctrl, 'K' - 'A', SheetMarker);
  tables.Bind(Alphabetic, Alt, 0, altA);
  return tables;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// What was seen while Ctrl+K was held for a second over the target, and how long after the K's release was
// sent the sheet went.
struct Holding {
  HWND sheet = nullptr;
  bool topmostNoActivate = false, focusKept = true, gone = false;
  std::string title;
  DWORD goneMs = 0;
};

Holding HoldSheetKey(DWORD tavrix, const Target& target, const std::string& screenshot) {
  Holding held;
  const HWND focus = FocusOf(target.window());
  Xdotool("keydown ctrl keydown k");
  WaitFor([&] { return (held.sheet = FindProcessWindow(tavrix, SheetClassName, true)) != nullptr; }, 3s);
  for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 1000; ::Sleep(20))
    held.focusKept =
        held.focusKept && ::GetForegroundWindow() == target.window() && FocusOf(target.window()) == focus;
  if (!held.sheet) return held;
  const LONG_PTR style = ::GetWindowLongPtrA(held.sheet, GWL_EXSTYLE);
  held.topmostNoActivate = (style & WS_EX_TOPMOST) && (style & WS_EX_NOACTIVATE);
  held.title = WindowText(held.sheet);
  SaveScreenshot(held.sheet, screenshot);
  const DWORD released = ::GetTickCount();
  Xdotool("keyup k");
  held.gone = WaitFor([&] { return !::IsWindowVisible(held.sheet); }, 3s);
  held.goneMs = ::GetTickCount() - released;
  Xdotool("keyup ctrl");
  held.focusKept = held.focusKept && ::GetForegroundWindow() == target.window();
  return held;
}

TEST(HotKeySheet, HeldOverAWindowItShowsItsProgramsFileAndTakesNothingFromItAndTheMenuShowsItToo) {
  TempDir files;
  const std::string boundFile = files.File("BOUND.TVX"), boundProgram = files.File("BOUNDAPP.EXE");
  TavrixProcess tavrix(SheetTables('a').MappingFile());
  ::WritePrivateProfileStringA("Applications", "boundapp.exe", boundFile.c_str(), SettingsFilePath().c_str());
  ::WritePrivateProfileStringA("Applications", "Default", tavrix.KeyFile().c_str(),
                               SettingsFilePath().c_str());
  WriteFileBytes(boundFile, SheetTables('b').MappingFile());
  ASSERT_TRUE(::CopyFileA((BuildDir() + "\\KeyTarget.exe").c_str(), boundProgram.c_str(), FALSE));
  tavrix.Restart();
  Target plain("plain");
  Target bound("bound", boundProgram);
  const struct {
    const Target& target;
    const char* altA;  // the unit Alt+A types
    const char* file;
    const char* screenshot;
  } rows[] = {{plain, "0061", "\\KEY.TVX", "hot_key_sheet"},
              {bound, "0062", "\\BOUND.TVX", "hot_key_sheet_bound"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    ASSERT_TRUE(row.target.Focus());
    // Typed until the target's set is in force: its window is resolved.
    ASSERT_TRUE(WaitFor([&] {
      const std::size_t mark = row.target.Mark();
      Xdotool("key alt+a");
      return Units(row.target, mark, 1, 1s) == row.altA;
    }));
    const std::size_t mark = row.target.Mark();
    const Holding held = HoldSheetKey(tavrix.id(), row.target, row.screenshot);
    ASSERT_TRUE(held.sheet) << "no sheet shown";
    EXPECT_TRUE(held.topmostNoActivate);
    EXPECT_TRUE(held.focusKept);
    const std::string title = UpperCaseAscii(held.title);
    EXPECT_EQ(title.rfind("HOT KEYS IN FORCE: ", 0), 0u) << held.title;
    EXPECT_EQ(title.substr(title.size() - std::string(row.file).size()), row.file) << held.title;
    EXPECT_TRUE(held.gone);
    std::printf("%s: the sheet gone %lu ms after the release was sent\n", row.file,
                static_cast<unsigned long>(held.goneMs));
    EXPECT_EQ(row.target.Since(mark, "c"), "");
    EXPECT_EQ(row.target.Since(mark, "k"), "11v 11^") << "the target received more than its Ctrl";
    EXPECT_EQ(row.target.KeysDown(), "");
  }

  // From Options, with no hot key bound to it: the sheet over the main window until the next key, and
  // again until the next click on the main window.
  RECT main{};
  ::GetWindowRect(tavrix.MainWindow(), &main);
  const std::string click =
      "mousemove " + std::to_string(main.left + 20) + " " + std::to_string(main.top + 80) + " click 1";
  for (const std::string& input : {std::string("key Shift_L"), click}) {
    ASSERT_TRUE(TakeForeground(tavrix.MainWindow()));
    ::PostMessageA(tavrix.MainWindow(), WM_COMMAND, IdMenuShowHotKeys, 0);
    HWND sheet = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (sheet = FindProcessWindow(tavrix.id(), SheetClassName, true)) != nullptr; }));
    ::Sleep(300);  // what a sheet that went by itself would have taken
    EXPECT_TRUE(::IsWindowVisible(sheet)) << input;
    Xdotool(input);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(sheet); }, 3s)) << input;
  }
  RemoveSettingsFile();
}

}  // namespace
}  // namespace tvx::test
