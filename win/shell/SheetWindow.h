#pragma once
// The sheet of the hot keys in force on the screen: a topmost tool window that is never activated and lets
// clicks through, so the window in front keeps its focus, its caret and its place. It stands on the monitor
// of the window it is shown for, in that monitor's DPI, and goes after a minute at the latest.

#include <windows.h>

#include <vector>

#include "core/common/ShortString.h"
#include "core/shell/HotKeySheet.h"
#include "win/ui/Window.h"

namespace tvx {

inline constexpr char SheetClassName[] = "TTavrixSheet";

class TSheetWindow : public Window {
 public:
  // Shows the sheet of `file`'s `lines` on the monitor of `front`, drawn before it returns.
  void Show(HWND front, const ShortString& file, std::vector<SheetLine> lines);
  void Hide();
  bool Showing() const { return hwnd() && ::IsWindowVisible(hwnd()); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  ShortString title_;
  std::vector<SheetLine> lines_;
  SheetLayout layout_{};
};

}  // namespace tvx
