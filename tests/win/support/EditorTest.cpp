#include "tests/win/support/EditorTest.h"

#include "tests/win/support/GridDriving.h"
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

void EditorTest::Settle() {
  WaitFor([] { return false; }, std::chrono::milliseconds(200));
  ::SendMessageA(tavrix_->MainWindow(), WM_NULL, 0, 0);
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
