#pragma once
// TTrayIcon: the program's icon in the notification area, grey while every mapping is paused. Its clicks
// go to the window it serves, through the handlers that window gives it.

#include <windows.h>

#include <functional>

#include "win/shell/TaskIcon.h"
#include "win/sys/Handles.h"

namespace tvx {

class TTrayIcon {
 public:
  struct Handlers {
    std::function<void()> rightClick;
    std::function<void()> dblClick;
    std::function<void()> lost;  // the shell lost the icon and could not take it back
  };
  // The program's own icon (resource 1) at the small-icon size, and its grey copy.
  void SetUp(Handlers handlers);
  // Wanted in the tray or not; kept wanted through a shell that is not up yet or restarts.
  void Show(bool shown) { icon_.SetActive(shown); }
  // Really in the tray now.
  bool InTray() const { return icon_.Active(); }
  void ShowPaused(bool paused);
  const TTaskIcon& Icon() const { return icon_; }

 private:
  TTaskIcon icon_;
  HICON picture_ = nullptr;  // shared, not owned
  UniqueIcon pausedPicture_;
};

}  // namespace tvx
