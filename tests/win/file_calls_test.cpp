// The file worker and the wait of the user-interface thread: a call that hangs (a file server that
// stopped answering) never freezes the window, its late answer is honoured, and a close waits for it at
// most 2 s.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "core/hook/Messages.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/TextPlayer.h"
#include "win/files/FileCalls.h"
#include "win/sys/BoundedWorker.h"
#include "win/sys/Handles.h"
#include "win/ui/PumpingWait.h"

namespace tvx::test {
namespace {

// A window of this thread that records what reaches it, with a child control, as the grids are the main
// window's. It is owned by another window, as the main window is by the hidden application window, and is
// a popup, whose root owner (GA_ROOTOWNER) is that other window: the wait must know the owner's windows by
// their root.
struct Recorder {
  static inline std::vector<UINT> seen;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND || message == WM_KEYDOWN || message == WM_LBUTTONDBLCLK ||
        message == KeyActionMessage || message == TextHotKeyMessage || message == WM_TIMER)
      seen.push_back(message);
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  HWND application, window, control;
  Recorder() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.lpszClassName = "FileCallsRecorder";
    ::RegisterClassA(&windowClass);
    application =
        ::CreateWindowA("FileCallsRecorder", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    window = ::CreateWindowA("FileCallsRecorder", "", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 100, 100,
                             application, nullptr, nullptr, nullptr);
    control = ::CreateWindowA("FileCallsRecorder", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, window, nullptr,
                              nullptr, nullptr);
    seen.clear();
  }
  ~Recorder() { ::DestroyWindow(application); }  // and the windows it owns
};

ULONGLONG Since(ULONGLONG start) { return ::GetTickCount64() - start; }

TEST(FileCalls, AHangingCallKeepsTheWindowAnsweringEndsAtFiveSecondsAndIsHonouredLate) {
  Recorder owner;
  TFileCalls calls;
  const UniqueHandle release(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const HANDLE server = release.get();
  auto lateAnswers = std::make_shared<std::atomic<int>>(0);

  // Meanwhile: key actions and texts are carried out at once, input to the window and its controls is
  // dropped, a command is held back until the wait ends.
  ::PostMessageA(owner.window, WM_KEYDOWN, 'A', 0);
  ::PostMessageA(owner.control, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
  ::PostMessageA(owner.window, WM_COMMAND, 1, 0);
  ::PostMessageA(owner.window, KeyActionMessage, 0, 0);
  ::PostMessageA(owner.window, TextHotKeyMessage, 0, 0);
  const ULONGLONG start = ::GetTickCount64();
  const std::optional<int> answer = calls.Run<int>(
      owner.window,
      [server](TFileCalls::Parts&) {
        ::WaitForSingleObject(server, INFINITE);
        return 7;
      },
      [lateAnswers](TFileCalls::Parts&, int& late) { *lateAnswers = late; });
  const ULONGLONG waited = Since(start);
  EXPECT_FALSE(answer);
  EXPECT_GE(waited, 4900u);
  EXPECT_LE(waited, 5500u);
  EXPECT_EQ(Recorder::seen, (std::vector<UINT>{KeyActionMessage, TextHotKeyMessage}));
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  EXPECT_EQ(Recorder::seen, (std::vector<UINT>{KeyActionMessage, TextHotKeyMessage, WM_COMMAND}));

  // One call at a time: another call is refused at once while the first hangs, and never runs later.
  EXPECT_TRUE(calls.Busy());
  auto secondRan = std::make_shared<std::atomic<bool>>(false);
  const ULONGLONG second = ::GetTickCount64();
  EXPECT_FALSE(calls.Run<int>(owner.window, [secondRan](TFileCalls::Parts&) {
    *secondRan = true;
    return 1;
  }));
  EXPECT_LE(Since(second), 500u);
  ::SetEvent(server);
  for (int i = 0; i < 200 && calls.Busy(); ++i) ::Sleep(10);
  EXPECT_EQ(*lateAnswers, 7);
  ::Sleep(200);
  EXPECT_FALSE(*secondRan);

  // A call that answers in time gives its answer, and its error.
  EXPECT_EQ(calls.Run<int>(owner.window, [](TFileCalls::Parts&) { return 3; }), 3);
  EXPECT_THROW(calls.Run<int>(owner.window, [](TFileCalls::Parts&) -> int { throw IoError::System(5); }),
               IoError);
}

// A window of its own, in front, that records the characters typed into it.
struct Typed {
  static inline std::u16string text;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR) text += static_cast<char16_t>(wParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  HWND window;
  Typed() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.lpszClassName = L"FileCallsTyped";
    ::RegisterClassW(&windowClass);
    window = ::CreateWindowW(L"FileCallsTyped", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                             nullptr, nullptr, nullptr, nullptr);
    text.clear();
  }
  ~Typed() { ::DestroyWindow(window); }
};

// A text that plays on after a delay while the window waits for a call: the wait holds back the owner's
// timers, not the player's.
TEST(FileCalls, ATextGoesOnAfterItsDelayWhileACallIsWaitedFor) {
  Recorder owner;
  Typed typed;
  ASSERT_TRUE(TakeForeground(typed.window));
  TTextPlayer player;
  player.Create();
  TFileCalls calls;
  player.Play(u"a{Delay 200}b", false);
  const std::optional<bool> answer = calls.Run<bool>(owner.window, [](TFileCalls::Parts&) {
    ::Sleep(2000);
    return true;
  });
  EXPECT_TRUE(answer);
  EXPECT_EQ(typed.text, u"ab");
  EXPECT_FALSE(player.Playing());
}

TEST(FileCalls, AClosingProgramWaitsAtMostTwoSecondsForAHangingCall) {
  const UniqueHandle release(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const HANDLE server = release.get();
  auto ended = std::make_shared<std::atomic<bool>>(false);
  {
    BoundedWorker worker(2000);
    ASSERT_TRUE(worker.Start([server, ended] {
      ::WaitForSingleObject(server, INFINITE);
      *ended = true;
    }));
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_FALSE(worker.Close());
    EXPECT_GE(Since(start), 1900u);
    EXPECT_LE(Since(start), 2500u);
    EXPECT_FALSE(worker.Start([] {}));
  }
  // Left behind, the call ends when the server answers, with what it holds still there.
  ::SetEvent(server);
  for (int i = 0; i < 200 && !*ended; ++i) ::Sleep(10);
  EXPECT_TRUE(*ended);
  BoundedWorker quick(2000);
  ASSERT_TRUE(quick.Start([] {}));
  const ULONGLONG start = ::GetTickCount64();
  EXPECT_TRUE(quick.Close());
  EXPECT_LE(Since(start), 500u);
}

}  // namespace
}  // namespace tvx::test
