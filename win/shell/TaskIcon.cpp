#include "win/shell/TaskIcon.h"

#include <algorithm>
#include <cstring>

namespace tvx {
namespace {

constexpr UINT NotifyFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
// At logon the program can start before the shell's notification area is there.
constexpr UINT_PTR RetryTimer = 1;
constexpr UINT RetryInterval = 2000;
constexpr DWORD RetryPeriod = 60000;

// Sent to every top-level window when the shell starts again (Explorer restarted): it has forgotten
// every tray icon by then.
UINT TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  return message;
}

}  // namespace

TTaskIcon::~TTaskIcon() {
  if (active_) DeleteIcon();
  if (icon_) ::DestroyIcon(icon_);
}

void TTaskIcon::SetActive(bool active) {
  wanted_ = active;
  if (active == active_) return;
  if (active ? AddIcon() : DeleteIcon()) active_ = active;
  if (wanted_ && !active_) RetryAdd();
}

void TTaskIcon::RetryAdd() {
  retryStart_ = ::GetTickCount();
  ::SetTimer(EnsureWindow(), RetryTimer, RetryInterval, nullptr);
}

void TTaskIcon::RetryTimerTimer() {
  if (wanted_ && !active_) active_ = AddIcon();
  if (!wanted_ || active_ || ::GetTickCount() - retryStart_ >= RetryPeriod) ::KillTimer(hwnd(), RetryTimer);
}

void TTaskIcon::SetIcon(HICON icon) {
  if (icon == icon_) return;
  if (icon_) ::DestroyIcon(icon_);
  icon_ = icon ? ::CopyIcon(icon) : nullptr;
  if (active_) ModifyIcon();
}

void TTaskIcon::SetToolTip(const ShortString& toolTip) {
  const ShortString kept(toolTip.str().substr(0, ToolTipCapacity));
  if (kept == toolTip_) return;
  toolTip_ = kept;
  if (active_) ModifyIcon();
}

void TTaskIcon::SetTaskIconID(int id) {
  if (id == taskIconId_) return;
  taskIconId_ = id;
  if (active_) ModifyIcon();
}

// The first version of the record: the shell reads no field past the 64-byte tip.
NOTIFYICONDATAA TTaskIcon::NotifyData() {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = EnsureWindow();
  data.uID = static_cast<UINT>(taskIconId_);
  data.uFlags = NotifyFlags;
  data.uCallbackMessage = TaskIconCallbackMessage;
  data.hIcon = icon_;
  const std::size_t tipLength = std::min<std::size_t>(toolTip_.size(), 63);
  std::memcpy(data.szTip, toolTip_.c_str(), tipLength);
  return data;
}

// A hidden top-level window: the shell's callback comes to it, and so does "TaskbarCreated", which
// reaches top-level windows only.
HWND TTaskIcon::EnsureWindow() {
  if (!hwnd()) {
    RegisterWindowClass(TaskIconClassName, nullptr, 0);
    CreateWin(0, TaskIconClassName, "", WS_POPUP, RECT{}, nullptr, nullptr);
  }
  return hwnd();
}

// A shell that still has the icon (it kept it over a restart, or an earlier add's answer was lost)
// refuses to add it again: there it is brought up to date instead.
bool TTaskIcon::AddIcon() {
  added_ = NotifyData();
  return NotifyShell(NIM_ADD, &added_) || NotifyShell(NIM_MODIFY, &added_);
}

bool TTaskIcon::ModifyIcon() {
  NOTIFYICONDATAA data = NotifyData();
  return NotifyShell(NIM_MODIFY, &data);
}

bool TTaskIcon::DeleteIcon() { return NotifyShell(NIM_DELETE, &added_); }

LRESULT TTaskIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TaskbarCreatedMessage()) {
    if (!wanted_) return 0;
    const bool wasActive = active_;
    active_ = AddIcon();
    if (active_) return 0;
    RetryAdd();
    if (wasActive && OnLost) OnLost();
    return 0;
  }
  if (message == WM_TIMER && wParam == RetryTimer) {
    RetryTimerTimer();
    return 0;
  }
  if (message != TaskIconCallbackMessage) return Window::HandleMessage(message, wParam, lParam);
  if (static_cast<int>(wParam) != taskIconId_) return 0;
  switch (lParam) {
    case WM_LBUTTONUP:
      if (OnClick) OnClick();
      break;
    case WM_LBUTTONDBLCLK:
      if (OnDblClick) OnDblClick();
      break;
    case WM_RBUTTONUP:
      if (OnRightClick) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        OnRightClick(cursor);
      }
      break;
  }
  return 0;
}

}  // namespace tvx
