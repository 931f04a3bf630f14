#pragma once
// TTaskIcon: one icon in the taskbar's notification area, with a hidden window of its own that receives
// the shell's callback and turns its mouse messages into events.

#include <windows.h>
// After <windows.h>, which it needs.
#include <shellapi.h>

#include <functional>

#include "core/common/ShortString.h"
#include "win/ui/Window.h"

namespace tvx {

inline constexpr char TaskIconClassName[] = "TTaskIcon";
inline constexpr UINT TaskIconCallbackMessage = WM_USER;
inline constexpr std::size_t ToolTipCapacity = 64;

class TTaskIcon : public Window {
 public:
  TTaskIcon() = default;
  ~TTaskIcon() override;

  // The shell's notification service; a test puts a refusing one in its place.
  using ShellNotifier = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAA data);
  static inline ShellNotifier NotifyShell = &::Shell_NotifyIconA;

  // True while the icon is in the tray: it follows the shell's answer.
  bool Active() const { return active_; }
  // Asks for the icon, or for its removal. An icon asked for and refused is added when the shell comes: it
  // is tried again for a minute, and at every start of the shell.
  void SetActive(bool active);
  HICON Icon() const { return icon_; }
  // The picture is copied; the component owns its copy.
  void SetIcon(HICON icon);
  const ShortString& ToolTip() const { return toolTip_; }
  void SetToolTip(const ShortString& toolTip);  // kept to 64 characters; the shell is given 63
  int TaskIconID() const { return taskIconId_; }
  void SetTaskIconID(int id);

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void(POINT screenPosition)> OnRightClick;
  // The shell started again and took the icon back: whatever hid in the tray needs another way back.
  std::function<void()> OnLost;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  NOTIFYICONDATAA NotifyData();
  HWND EnsureWindow();
  bool AddIcon();
  bool ModifyIcon();
  bool DeleteIcon();
  void RetryAdd();
  void RetryTimerTimer();

  NOTIFYICONDATAA added_{};  // as handed to the shell by AddIcon; DeleteIcon finds the icon by it
  bool active_ = false;
  bool wanted_ = false;
  DWORD retryStart_ = 0;
  HICON icon_ = nullptr;
  ShortString toolTip_;
  int taskIconId_ = 0;
};

}  // namespace tvx
