// The tray icon component in this process, against Wine's tray window.
#include <gtest/gtest.h>

#include <string>

#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/shell/TaskIcon.h"

namespace tvx::test {
namespace {

TEST(TaskIcon, SettersChangeOnlyWhatDiffersAndTheCallbackRaisesItsEvents) {
  std::string events;
  {
    TTaskIcon icon;
    icon.SetToolTip(std::string(70, 't'));
    EXPECT_EQ(icon.ToolTip().size(), 64u);
    icon.SetIcon(::LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
    icon.SetActive(true);
    icon.SetActive(true);
    ASSERT_TRUE(icon.Active());
    EXPECT_TRUE(WaitFor([] { return TrayIconCount() == 1; }));
    EXPECT_EQ(TrayIconCount(), 1);

    icon.OnClick = [&events] { events += "click "; };
    icon.OnDblClick = [&events] { events += "double "; };
    icon.OnRightClick = [&events](POINT) { events += "right "; };
    icon.SetTaskIconID(7);  // the callback now answers to this identifier
    const auto callback = [&icon](WPARAM id, LPARAM mouse) {
      ::SendMessageA(icon.hwnd(), TaskIconCallbackMessage, id, mouse);
    };
    for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE,
                         WM_MBUTTONUP})
      callback(7, mouse);
    callback(0, WM_RBUTTONUP);  // another icon's
    EXPECT_EQ(events, "click double right ");
    EXPECT_EQ(TrayIconCount(), 1);
  }
  // Gone with the component.
  EXPECT_TRUE(WaitFor([] { return TrayIconCount() == 0; }));
}

}  // namespace
}  // namespace tvx::test
