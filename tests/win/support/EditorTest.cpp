#include "tests/win/support/EditorTest.h"

#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "win/app/MainWin.h"
#include "win/keymap/Pickers.h"

namespace tvx::test {

void EditorTest::TearDown() {
  if (tavrix_) {
    EXPECT_EQ(tavrix_->Close(), 0);
  }
}

void EditorTest::Finish(HWND dialog) {
  ASSERT_TRUE(WaitUntilGone(dialog));
  Settle();
}

// All the program's windows share one thread, whose posted messages are handled in order: once a
// highlight posted now shows, everything posted before it has been handled. A sent message would not do,
// since it overtakes posted ones. The wait for a file call handles them too: a save is done once the
// round trip after it is.
void EditorTest::Settle() {
  const HWND button = tavrix_->Control(IdRemap);
  ::PostMessageA(button, BM_SETSTATE, TRUE, 0);
  EXPECT_TRUE(WaitFor([&] { return (::SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }));
  ::SendMessageA(button, BM_SETSTATE, FALSE, 0);
  RoundTrip(tavrix_->MainWindow());
}

void EditorTest::CancelBothWays(const std::function<HWND()>& open, int escapeTargetId) {
  for (const bool byCloseBox : {false, true}) {
    const HWND dialog = open();
    ASSERT_NE(dialog, nullptr);
    PostKey(::GetDlgItem(dialog, escapeTargetId), VK_ESCAPE);
    Settle();
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "no button answers Escape";
    if (byCloseBox)
      ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    else
      ::SendMessageA(::GetDlgItem(dialog, picker::CancelButton), BM_CLICK, 0, 0);
    Finish(dialog);
  }
}

}  // namespace tvx::test
