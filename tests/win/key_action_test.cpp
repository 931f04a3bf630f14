// The real program carries out WM_USER+1 messages posted by another process: the focused window receives
// the action's key events; WM_USER+2 and +3 append their lines to c:\test.
#include <gtest/gtest.h>

#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/hook_harness.h"

namespace tvx::test {
namespace {

struct Posted {
  const char* what;
  WPARAM wParam;
  LPARAM lParam;
  const char* keys;
};

TEST(KeyAction, PostedMessagesReachTheFocusedWindow) {
  Tables tables;
  tables.Identity();
  tables.Bind(Alphabetic, Alt, 0, 233);
  tables.Bind(Alphabetic, Alt, 1, 'A');
  tables.Bind(Alphabetic, Alt, 2, 'a');
  tables.Bind(Alphabetic, Alt, 3, 256 + 18);  // UpA
  tables.Bind(FunctionKeys, Ctrl, 0, 256);
  tables.Bind(Editing, CtrlAlt, 2, 260);
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  Target target;
  ASSERT_TRUE(target.Focus());
  const Posted cases[] = {
      {"233 as an Alt code", 0x0101, 0, "12v 60v 60^ 62v 62^ 63v 63^ 63v 63^ 12^"},
      {"capital A", 0x0101, 1, "10v 41v 41^ 10^"},
      {"small a", 0x0101, 2, "41v 41^"},
      {"256 presses F1", 0x0402, 0, "70v 70^"},
      {"Caps Lock flag around F5", 0x8504, 2, "14v 14^ 74v 74^ 14v 14^"},
      {"table 0 carries B", 66, 0, "10v 42v 42^ 10^"},
      {"bits above the low 16 are ignored", 0xABCD0000u | 0x0504, 2, "74v 74^"},
      {"row outside the table", 0x0101, 26, ""},
      {"column outside the table", 0x0108, 0, ""},
  };
  for (const Posted& c : cases) {
    const std::size_t mark = target.Mark();
    ::PostMessageA(tavrix.MainWindow(), WM_USER + 1, c.wParam, c.lParam);
    // A message that types nothing is followed by one that types "a": handled in order, it shows that the
    // first was handled too.
    const bool nothing = *c.keys == '\0';
    if (nothing) ::PostMessageA(tavrix.MainWindow(), WM_USER + 1, 0x0101, 2);
    EXPECT_EQ(target.Since(mark, "k"), nothing ? "41v 41^" : c.keys) << c.what;
  }
  const std::size_t mark = target.Mark();
  ::PostMessageA(tavrix.MainWindow(), WM_USER + 1, 0x0101, 1);
  ::PostMessageA(tavrix.MainWindow(), WM_USER + 1, 0x0101, 2);
  EXPECT_EQ(target.Since(mark, "c"), "0041 0061");
  // The arrow goes out as the arrow key, not as keypad 8 with the same scan code; F5 stays plain.
  const std::size_t arrow = target.Mark();
  ::PostMessageA(tavrix.MainWindow(), WM_USER + 1, 0x0101, 3);
  ::PostMessageA(tavrix.MainWindow(), WM_USER + 1, 0x0504, 2);
  EXPECT_EQ(target.Since(arrow, "k"), "26v 26^ 74v 74^");
  EXPECT_EQ(target.Since(arrow, "e"), "26");
  EXPECT_EQ(target.KeysDown(), "") << "a key stayed down";
}

TEST(KeyAction, TraceMessagesAppendLines) {
  Tables tables;
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  ::DeleteFileA("c:\\test");
  ::PostMessageA(tavrix.MainWindow(), WM_USER + 3, 5, -1);
  ::PostMessageA(tavrix.MainWindow(), WM_USER + 2, 1025, -7);
  ::PostMessageA(tavrix.MainWindow(), WM_USER + 3, 0xFFFFFFFF, 0x7FFFFFFF);
  const std::string expected = "Code = 5,-1\r\nWParam = 1025    LParam = -7\r\nCode = -1,2147483647\r\n";
  EXPECT_TRUE(WaitFor([&] { return ReadFileText("c:\\test") == expected; }, 5s)) << ReadFileText("c:\\test");
  ::DeleteFileA("c:\\test");

  // A trace file that cannot be written: its error shows once, however many lines come while it is up.
  ASSERT_TRUE(::CreateDirectoryA("c:\\test", nullptr));
  DWORD id = 0;
  ::GetWindowThreadProcessId(tavrix.MainWindow(), &id);
  EXPECT_FALSE(Handled(tavrix.MainWindow(), WM_USER + 3, 5, -1));  // held up by its report
  ASSERT_TRUE(WaitFor([&] { return FindMessageBox(id).window != nullptr; }));
  for (int line = 0; line < 3; ++line)
    EXPECT_TRUE(Handled(tavrix.MainWindow(), WM_USER + 3, 5, line)) << line;
  EXPECT_EQ(AnswerMessageBoxes(id), 1);
  ::RemoveDirectoryA("c:\\test");
}

}  // namespace
}  // namespace tvx::test
