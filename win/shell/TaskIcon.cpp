#include "win/shell/TaskIcon.h"

#include <algorithm>
#include <cstring>

namespace tvx {
namespace {

constexpr UINT NotifyFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

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
  if (active == active_) return;
  if (active ? AddIcon() : DeleteIcon()) active_ = active;
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

bool TTaskIcon::AddIcon() {
  added_ = NotifyData();
  return ::Shell_NotifyIconA(NIM_ADD, &added_);
}

bool TTaskIcon::ModifyIcon() {
  NOTIFYICONDATAA data = NotifyData();
  return ::Shell_NotifyIconA(NIM_MODIFY, &data);
}

bool TTaskIcon::DeleteIcon() { return ::Shell_NotifyIconA(NIM_DELETE, &added_); }

LRESULT TTaskIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TaskbarCreatedMessage()) {
    if (active_) active_ = AddIcon();
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
