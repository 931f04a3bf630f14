#include "win/ui/PumpingWait.h"

#include <vector>

namespace tvx {
namespace {

// Input that starts something: a press, a click, a character. Releases and moves still go through, so
// that a control that saw a press before the wait also sees its release.
bool StartsSomething(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_NCXBUTTONDOWN:
    case WM_NCXBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}

// The owner itself, its children, and the windows it owns (its dialogs and their boxes).
bool BelongsTo(HWND window, HWND owner) {
  for (HWND top = window ? ::GetAncestor(window, GA_ROOT) : nullptr; top; top = ::GetWindow(top, GW_OWNER))
    if (top == owner) return true;
  return false;
}

bool HeldBack(const MSG& msg, HWND owner) {
  return msg.hwnd == owner && (msg.message == WM_COMMAND || msg.message == WM_TIMER ||
                               msg.message == WM_CLOSE || msg.message == WM_SYSCOMMAND);
}

}  // namespace

bool PumpingWait(HANDLE event, DWORD milliseconds, HWND owner) {
  const ULONGLONG until = ::GetTickCount64() + milliseconds;
  std::vector<MSG> heldBack;
  bool quit = false;
  int quitCode = 0;
  bool set = false;
  for (;;) {
    const ULONGLONG now = ::GetTickCount64();
    const DWORD left = now >= until ? 0 : static_cast<DWORD>(until - now);
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &event, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) {
      set = true;
      break;
    }
    if (woke != WAIT_OBJECT_0 + 1) break;  // the time is up
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = static_cast<int>(msg.wParam);
      } else if (HeldBack(msg, owner)) {
        heldBack.push_back(msg);
      } else if (!(StartsSomething(msg.message) && BelongsTo(msg.hwnd, owner))) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
  }
  for (const MSG& msg : heldBack) ::PostMessageA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
  if (quit) ::PostQuitMessage(quitCode);
  return set;
}

}  // namespace tvx
