// The real program carries out WM_USER+1 messages posted by another process: the focused window receives
// the action's key events, or the character itself where no key of its layout types it alone or with
// Shift; an action that waited too long goes nowhere; WM_USER+2 and +3 append their lines to c:\test.
#include <gtest/gtest.h>

#include "core/app/KeyAction.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/hook_harness.h"

namespace tvx::test {
namespace {

struct Posted {
  const char* what;
  WPARAM wParam;
  LPARAM lParam;
  const char* kind;  // what the target logs: "k" key events, "c" characters
  const char* seen;
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
      {"233 as the character itself", 0x0101, 0, "c", "00E9"},
      {"and no key but the packet that carries it", 0x0101, 0, "k", "E7v E7^"},
      {"capital A", 0x0101, 1, "k", "10v 41v 41^ 10^"},
      {"small a", 0x0101, 2, "k", "41v 41^"},
      {"256 presses F1", 0x0402, 0, "k", "70v 70^"},
      {"no Caps Lock press around F5", 0x8504, 2, "k", "74v 74^"},
      {"table 0 carries B", 66, 0, "k", "10v 42v 42^ 10^"},
      {"bits above the low 16 are ignored", 0xABCD0000u | 0x0504, 2, "k", "74v 74^"},
      {"row outside the table", 0x0101, 26, "k", ""},
      {"column outside the table", 0x0108, 0, "k", ""},
  };
  for (const Posted& c : cases) {
    const std::size_t mark = target.Mark();
    ::PostMessageA(tavrix.MainWindow(), WM_USER + 1, c.wParam, c.lParam);
    // A message that types nothing is followed by one that types "a": handled in order, it shows that the
    // first was handled too.
    const bool nothing = *c.seen == '\0';
    if (nothing) ::PostMessageA(tavrix.MainWindow(), WM_USER + 1, 0x0101, 2);
    EXPECT_EQ(target.Since(mark, c.kind), nothing ? "41v 41^" : c.seen) << c.what;
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

// The program's thread held up past a second (a slow save, say): the action pressed before goes nowhere,
// not into whatever window is in front by then; the next one, pressed after, is typed.
TEST(KeyAction, AnActionThatWaitedOverASecondIsDropped) {
  Tables tables;
  tables.Identity();
  tables.Bind(Alphabetic, Alt, 1, 'b');
  tables.Bind(Alphabetic, Alt, 2, 'a');
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  Target target("late");
  ASSERT_TRUE(target.Focus());
  const UniqueHandle thread(
      ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, ::GetWindowThreadProcessId(tavrix.MainWindow(), nullptr)));
  ASSERT_TRUE(thread);
  const std::size_t mark = target.Mark();
  ASSERT_NE(::SuspendThread(thread.get()), static_cast<DWORD>(-1));
  ::PostMessageA(tavrix.MainWindow(), WM_USER + 1, 0x0101, 1);
  ::Sleep(LateActionMs + 200);  // the message ages; nothing is awaited here
  ::ResumeThread(thread.get());
  // Handled in order: once "a" is there, the late "b" has had its turn.
  ::PostMessageA(tavrix.MainWindow(), WM_USER + 1, 0x0101, 2);
  EXPECT_TRUE(WaitFor([&] { return Typed(target, mark).find('a') != std::string::npos; }, 5s));
  EXPECT_EQ(Typed(target, mark), "a");
  EXPECT_EQ(target.KeysDown(), "");
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
