#define TAVRIXHK_BUILD
#include "hook/TavrixHook.h"

#include <windows.h>

#include "core/hook/KeyDecision.h"
#include "core/hook/KeyMarker.h"
#include "core/hook/Watchdog.h"

namespace tvx {
namespace {

constexpr UINT KeyActionMessage = WM_USER + 1;
constexpr UINT WatchdogPeriod = 1000;

extern "C" IMAGE_DOS_HEADER __ImageBase;
LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam);

// One shared area, opened by name and mapped for reading only.
class AreaMapping {
 public:
  AreaMapping() = default;
  AreaMapping(const AreaMapping&) = delete;
  AreaMapping& operator=(const AreaMapping&) = delete;
  ~AreaMapping() { Close(); }

  bool Open(const char* name) {
    mapping_ = ::OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    if (mapping_) view_ = ::MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, AreaSize);
    return view_ != nullptr;
  }
  void Close() {
    if (view_) ::UnmapViewOfFile(view_);
    if (mapping_) ::CloseHandle(mapping_);
    view_ = nullptr;
    mapping_ = nullptr;
  }
  std::uint8_t* bytes() const { return static_cast<std::uint8_t*>(view_); }

 private:
  HANDLE mapping_ = nullptr;
  void* view_ = nullptr;
};

KeyLayout CurrentLayout() {
  KeyLayout layout;
  for (int ch = 32; ch <= 126; ++ch)
    layout.AddScan(static_cast<std::uint8_t>(ch), ::VkKeyScanA(static_cast<char>(ch)));
  for (int vk = 1; vk < 256; ++vk)
    layout.scans[vk] = static_cast<std::uint8_t>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  for (int ch = 1; ch < 256; ++ch) {
    const char ansi = static_cast<char>(ch);
    wchar_t wide = 0;
    if (::MultiByteToWideChar(CP_ACP, 0, &ansi, 1, &wide, 1) == 1)
      layout.unicode[ch] = static_cast<char16_t>(wide);
  }
  return layout;
}

void Inject(const KeyOutput& out) {
  INPUT inputs[KeyOutput::MaxInjected] = {};
  for (int i = 0; i < out.injectedCount; ++i) {
    const InjectedKey& key = out.injected[i];
    KEYBDINPUT& ki = inputs[i].ki;
    inputs[i].type = INPUT_KEYBOARD;
    ki.wVk = key.unicode ? 0 : key.vk;
    ki.wScan = key.scan;
    ki.dwFlags = (key.unicode ? KEYEVENTF_UNICODE : 0) | (key.up ? KEYEVENTF_KEYUP : 0) |
                 (key.extended ? KEYEVENTF_EXTENDEDKEY : 0);
    ki.dwExtraInfo = TavrixKeyMarker;
  }
  ::SendInput(static_cast<UINT>(out.injectedCount), inputs, sizeof(INPUT));
}

// The library's whole state. The hook runs on a thread of its own, with its own message loop, so that a
// busy main window never delays a keystroke; the key state is only touched on that thread.
class HookLibrary {
 public:
  std::uint32_t Start() {
    if (thread_) return Handle();
    if (!hotKeys_.Open(HotKeyAreaName) || !remap_.Open(RemapAreaName)) {
      Stop();
      return 0;
    }
    layout_ = CurrentLayout();
    state_ = HookState{};
    state_.capsLock = (::GetKeyState(VK_CAPITAL) & 1) != 0;
    ready_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = ::CreateThread(nullptr, 0, &HookLibrary::ThreadProc, this, 0, &threadId_);
    if (thread_) ::WaitForSingleObject(ready_, 5000);
    return Handle();
  }

  void Stop() {
    if (thread_) {
      ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
      ::WaitForSingleObject(thread_, INFINITE);
      ::CloseHandle(thread_);
    }
    if (ready_) ::CloseHandle(ready_);
    thread_ = ready_ = nullptr;
    hotKeys_.Close();
    remap_.Close();
  }

  LRESULT OnKey(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
      watchdog_.Ran(::GetTickCount());
      const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
      const bool ours = (key->flags & LLKHF_INJECTED) && key->dwExtraInfo == TavrixKeyMarker;
      const KeyEvent event{static_cast<std::uint8_t>(key->vkCode), static_cast<std::uint16_t>(key->scanCode),
                           (key->flags & LLKHF_UP) != 0, (key->flags & LLKHF_EXTENDED) != 0, ours};
      const KeyOutput out = DecideKey(state_, event, Tables(), layout_);
      if (out.injectedCount) Inject(out);
      if (out.post) ::PostMessageA(MainWindow(), KeyActionMessage, out.postWParam, out.postLParam);
      if (out.suppress) return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }

 private:
  static DWORD WINAPI ThreadProc(void* self) { return static_cast<HookLibrary*>(self)->Run(); }

  DWORD Run() {
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue must exist before Stop can post to it
    Install();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, WatchdogPeriod, nullptr);
    ::SetEvent(ready_);
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == WM_TIMER) CheckHook();
      ::DispatchMessageA(&msg);
    }
    ::KillTimer(nullptr, timer);
    Uninstall();
    return 0;
  }

  void Install() {
    hook_ = ::SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelKeyboardProc,
                                reinterpret_cast<HINSTANCE>(&__ImageBase), 0);
    watchdog_.Ran(::GetTickCount());
  }
  void Uninstall() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
  }

  // Input the callback never saw: the system dropped the hook. Install it again over the real key state.
  void CheckHook() {
    LASTINPUTINFO last{sizeof last, 0};
    POINT pointer{};
    if (!::GetLastInputInfo(&last) || !::GetCursorPos(&pointer)) return;
    if (!watchdog_.HookLost(last.dwTime, ::GetTickCount(), {pointer.x, pointer.y})) return;
    Uninstall();
    std::array<bool, 256> down{};
    for (int vk = 1; vk < 256; ++vk) down[vk] = (::GetAsyncKeyState(vk) & 0x8000) != 0;
    RebuildKeyState(state_, down, (::GetKeyState(VK_CAPITAL) & 1) != 0);
    Install();
  }

  HookTables Tables() const { return {HotKeyAreaView(hotKeys_.bytes()), RemapAreaView(remap_.bytes())}; }
  // Window handles keep their low 32 bits in the area.
  HWND MainWindow() const {
    const auto handle = static_cast<std::int32_t>(HotKeyAreaView(hotKeys_.bytes()).MainWindow());
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
  }
  std::uint32_t Handle() const { return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(hook_)); }

  AreaMapping hotKeys_;
  AreaMapping remap_;
  KeyLayout layout_;
  HookState state_;
  HookWatchdog watchdog_;
  HHOOK hook_ = nullptr;
  HANDLE thread_ = nullptr;
  HANDLE ready_ = nullptr;
  DWORD threadId_ = 0;
};

HookLibrary Library;

LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  return Library.OnKey(code, wParam, lParam);
}

}  // namespace
}  // namespace tvx

std::uint32_t TavrixHookInit() { return tvx::Library.Start(); }

// Everything is done by the keyboard hook; there is no message hook to install.
std::uint32_t TavrixMsgHookInit() { return 0; }

void TavrixHookTerm(std::uint32_t) { tvx::Library.Stop(); }
