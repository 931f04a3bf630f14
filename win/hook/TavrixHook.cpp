#define TAVRIXHK_BUILD
#include "win/hook/TavrixHook.h"

#include <windows.h>

#include <atomic>
#include <optional>

#include "core/hook/KeyDecision.h"
#include "core/hook/KeyMarker.h"
#include "core/hook/KeyRemapping.h"
#include "core/hook/Messages.h"
#include "core/hook/RemappedKeys.h"
#include "core/hook/TableSets.h"
#include "core/hook/Watchdog.h"
#include "core/keymap/CellTexts.h"
#include "win/sys/Handles.h"

namespace tvx {
namespace {

constexpr UINT WatchdogPeriod = 1000;
constexpr DWORD StartTimeout = 5000;
constexpr UINT SetTablesTimeout = 2000;
// To the hook's thread: the program paused (WParam 1) or resumed every mapping.
constexpr UINT PausedMessage = WM_APP + 1;

extern "C" IMAGE_DOS_HEADER __ImageBase;
LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam);
void CALLBACK DesktopSwitched(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);

// One shared area, opened by name.
class AreaMapping {
 public:
  bool Open(const char* name, DWORD access) {
    mapping_.reset(::OpenFileMappingA(access, FALSE, name));
    if (mapping_) view_.reset(::MapViewOfFile(mapping_.get(), access, 0, 0, AreaSize));
    return static_cast<bool>(view_);
  }
  void Close() {
    view_.reset();
    mapping_.reset();
  }
  std::uint8_t* bytes() const { return static_cast<std::uint8_t*>(view_.get()); }

 private:
  UniqueHandle mapping_;
  MappedView view_;
};

void FillLayout(KeyLayout& layout, std::uintptr_t id) {
  const auto hkl = reinterpret_cast<HKL>(id);
  for (int ch = 32; ch <= 126; ++ch)
    layout.AddScan(static_cast<std::uint8_t>(ch), ::VkKeyScanExA(static_cast<char>(ch), hkl));
  for (int vk = 1; vk < 256; ++vk)
    layout.scans[vk] = static_cast<std::uint8_t>(::MapVirtualKeyExA(vk, MAPVK_VK_TO_VSC, hkl));
  for (int ch = 1; ch < 256; ++ch) {
    const char ansi = static_cast<char>(ch);
    wchar_t wide = 0;
    if (::MultiByteToWideChar(CP_ACP, 0, &ansi, 1, &wide, 1) == 1)
      layout.unicode[ch] = static_cast<char16_t>(wide);
  }
}

// The keys of one or more decisions, in order, as one batch: nothing the user types can come between them.
void Inject(const KeyOutput* outputs, int count) {
  INPUT inputs[RemapOutput::MaxKeys * KeyOutput::MaxInjected];
  UINT n = 0;
  for (const KeyOutput* out = outputs; out != outputs + count; ++out)
    for (int i = 0; i < out->injectedCount; ++i, ++n) {
      const InjectedKey& key = out->injected[i];
      inputs[n] = {};
      KEYBDINPUT& ki = inputs[n].ki;
      inputs[n].type = INPUT_KEYBOARD;
      ki.wVk = key.unicode ? 0 : key.vk;
      ki.wScan = key.scan;
      ki.dwFlags = (key.unicode ? KEYEVENTF_UNICODE : 0) | (key.up ? KEYEVENTF_KEYUP : 0) |
                   (key.extended ? KEYEVENTF_EXTENDEDKEY : 0);
      ki.dwExtraInfo = TavrixKeyMarker;
    }
  if (n) ::SendInput(n, inputs, sizeof(INPUT));
}

// The library's whole state. The hook runs on a thread of its own, with its own message loop, so that a
// busy main window never delays a keystroke; the key state is only touched on that thread.
class HookLibrary {
 public:
  std::uint32_t Start() {
    if (thread_) return Handle();
    if (!hotKeys_.Open(HotKeyAreaName, FILE_MAP_READ | FILE_MAP_WRITE) ||
        !remap_.Open(RemapAreaName, FILE_MAP_READ)) {
      Stop();
      return 0;
    }
    state_ = HookState{};
    remapper_ = KeyRemapper{};
    armed_.reset();
    remapTimer_ = 0;
    pickedVk_ = 0;
    picking_ = false;
    paused_ = false;
    state_.capsLock = CapsLockOn();
    quit_ = false;
    ready_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    // The thread holds the library loaded until it has ended, whenever the program unloads it.
    HMODULE self = nullptr;
    if (ready_ && ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                       reinterpret_cast<LPCSTR>(&__ImageBase), &self)) {
      thread_.reset(::CreateThread(nullptr, 0, &HookLibrary::ThreadProc, this, 0, &threadId_));
      if (!thread_) ::FreeLibrary(self);
    }
    // A start that failed or took too long is undone: no thread stays behind to hook later.
    if (!thread_ || ::WaitForSingleObject(ready_.get(), StartTimeout) != WAIT_OBJECT_0 || !Handle()) {
      Stop();
      return 0;
    }
    return Handle();
  }

  void Stop() {
    if (thread_) {
      quit_ = true;
      ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
      ::WaitForSingleObject(thread_.get(), INFINITE);
    }
    thread_.reset();
    ready_.reset();
    hotKeys_.Close();
    remap_.Close();
  }

  LRESULT OnKey(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
      const DWORD now = ::GetTickCount();
      watchdog_.Ran(now);
      const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
      // The library's own keys go through untouched, without a question to the system.
      if ((key->flags & LLKHF_INJECTED) && key->dwExtraInfo == TavrixKeyMarker)
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
      const KeyEvent event{static_cast<std::uint8_t>(key->vkCode), static_cast<std::uint16_t>(key->scanCode),
                           (key->flags & LLKHF_UP) != 0, (key->flags & LLKHF_EXTENDED) != 0, false};
      if (Picked(event)) return 1;
      Surroundings at = Look(now);
      // The Keys table first; the decision sees the keys it produces in place of the user's.
      if (event.scan != AltGrControlScan) {
        const RemapOutput keys =
            remapper_.OnKey(at.system.paused ? nullptr : KeysOf(at.tables), event.vk, event.up, now);
        if (!keys.unchanged) {
          Produce(keys, at);
          ArmRemapTimer(now);
          return 1;
        }
      }
      at.system.keyDown = ReleaseAsksSystem(state_, event) && (::GetAsyncKeyState(event.vk) & 0x8000);
      const KeyOutput out = DecideKey(state_, event, at.system, at.tables, *at.layout);
      if (out.injectedCount) Inject(&out, 1);
      Report(out, at);
      if (out.suppress) return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }

  // Runs on the hook's thread, between keys, so it may ask the system for every key. A key remap's
  // source let go on the other desktop is never seen: what it holds goes up now.
  void OnDesktopSwitch() {
    ++switches_;
    ForgetReleasedKeys(state_, KeysDown());
    ReadCapsLock();
    ReleaseRemaps();
  }
  // From the program's thread. Each key reads the flag once and decides by that one reading; what the key
  // remaps hold is let go on the hook's thread, which alone touches the key state.
  void Pause(bool paused) {
    paused_.store(paused, std::memory_order_relaxed);
    if (thread_) ::PostThreadMessageA(threadId_, PausedMessage, paused, 0);
  }
  // From the program's thread: the next key pressed goes to the main window instead of anywhere else.
  void PickKey(bool on) { picking_.store(on, std::memory_order_relaxed); }

  // From any thread of the program. A key reads the pointer once; the hook thread handles a sent message
  // only between keys, so once one has been handled no key still reads the sets published before.
  bool SetTables(const TableSets* sets) {
    sets_.store(sets, std::memory_order_release);
    HWND input = input_.load();
    if (!input) return !hook_.load();
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(input, WM_NULL, 0, 0, SMTO_NORMAL, SetTablesTimeout, &result) != 0;
  }

 private:
  static DWORD WINAPI ThreadProc(void* self) {
    const DWORD result = static_cast<HookLibrary*>(self)->Run();
    ::FreeLibraryAndExitThread(reinterpret_cast<HMODULE>(&__ImageBase), result);
  }

  // What a key is decided by, read once for it: the foreground window's layout and tables, the pause and
  // the modifiers the system holds.
  struct Surroundings {
    const KeyLayout* layout;
    const TableSets* sets;
    std::uint8_t set;
    HookTables tables;
    KeySystem system;
  };
  Surroundings Look(DWORD now) {
    HWND foreground = ::GetForegroundWindow();
    const KeyLayout& layout = LayoutOf(foreground);
    const auto window = reinterpret_cast<std::uintptr_t>(foreground);
    const TableSets* sets = sets_.load(std::memory_order_acquire);
    const std::uint8_t set = sets ? SetOfWindow(*sets, window, RootOwnerOf(foreground)) : 0;
    return {
        &layout, sets, set, sets ? TablesOfSet(*sets, set) : Tables(),
        KeySystem{ModifiersDown(), now, window, switches_, paused_.load(std::memory_order_relaxed), false}};
  }

  // What a decision tells the main window.
  void Report(const KeyOutput& out, const Surroundings& at) {
    // The current file's hot keys go as the message other programs watch for; another file's carry
    // their action.
    // A character beyond the record goes as itself, a text as its id, whichever set it came from.
    if (out.post && out.postCharacter)
      ::PostMessageA(MainWindow(), IsTextId(out.postCharacter) ? TextHotKeyMessage : CharacterHotKeyMessage,
                     out.postCharacter, (out.postWParam & 0x8000) != 0);
    else if (out.post && (!at.sets || IsAreaSet(*at.sets, at.set)))
      ::PostMessageA(MainWindow(), KeyActionMessage, out.postWParam, out.postLParam);
    else if (out.post)
      ::PostMessageA(MainWindow(), CarriedKeyActionMessage,
                     static_cast<WPARAM>(out.postWParam) | static_cast<WPARAM>(out.postAction) << 16,
                     out.postLParam);
    if (out.sheet != KeyOutput::Sheet::None)
      ::PostMessageA(MainWindow(), SheetHotKeyMessage, out.sheet == KeyOutput::Sheet::Down, 0);
    if (out.togglePause) {
      paused_.store(!at.system.paused, std::memory_order_relaxed);
      ::PostMessageA(MainWindow(), PauseChangedMessage, !at.system.paused, 0);
      if (!at.system.paused) ReleaseRemaps();
    }
  }

  // The keys a key remap produced, each decided as if pressed, go out in one batch; then their messages,
  // so that the main window acts after the modifiers a hot key let go are up.
  void Produce(const RemapOutput& keys, const Surroundings& at) {
    if (!keys.count) return;
    const RemappedKeysOutput out = DecideRemappedKeys(state_, keys, at.system, at.tables, *at.layout);
    Inject(out.decisions.data(), out.count);
    for (int i = 0; i < out.count; ++i) Report(out.decisions[i], at);
  }

  void ReleaseRemaps() {
    const DWORD now = ::GetTickCount();
    const Surroundings at = Look(now);
    for (RemapOutput keys = remapper_.ReleaseAll(); keys.count; keys = remapper_.ReleaseAll())
      Produce(keys, at);
    ArmRemapTimer(now);
  }

  // A tap/hold key waits for its delay on a timer of the hook's thread; the timer is set again only when
  // the deadline moves.
  void ArmRemapTimer(DWORD now) {
    const std::optional<std::uint32_t> deadline = remapper_.Deadline();
    if (deadline == armed_) return;
    armed_ = deadline;
    if (deadline) {
      const auto left = static_cast<std::int32_t>(*deadline - now);
      remapTimer_ =
          ::SetTimer(nullptr, remapTimer_, left > 0 ? static_cast<UINT>(left) : USER_TIMER_MINIMUM, nullptr);
    } else if (remapTimer_) {
      ::KillTimer(nullptr, remapTimer_);
      remapTimer_ = 0;
    }
  }
  void RemapTimeRanOut() {
    const DWORD now = ::GetTickCount();
    Produce(remapper_.OnTime(now), Look(now));
    armed_.reset();
    ArmRemapTimer(now);
  }

  // "Press the key...": the first key pressed while picking (not one held from before) is swallowed with
  // its repeats and release and its virtual key posted, before any key remap sees it. The left Ctrl that
  // Windows adds to AltGr is left to go its way, so that AltGr itself is picked.
  bool Picked(const KeyEvent& event) {
    if (pickedVk_ && event.vk == pickedVk_) {
      if (event.up) pickedVk_ = 0;
      return true;
    }
    if (event.up || event.scan == AltGrControlScan || state_.keys[event.vk].fate != KeyFate::Up ||
        remapper_.Holds(event.vk) || !picking_.exchange(false, std::memory_order_relaxed))
      return false;
    pickedVk_ = event.vk;
    ::PostMessageA(MainWindow(), KeyPickedMessage, event.vk, 0);
    return true;
  }

  DWORD Run() {
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue must exist before Stop can post to it
    Install();
    if (!Handle() || quit_) {
      Uninstall();
      ::SetEvent(ready_.get());
      return 0;
    }
    // Keyboard input reaches this window as raw input whether or not the hook still runs.
    UniqueWindow input(::CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         reinterpret_cast<HINSTANCE>(&__ImageBase), nullptr));
    RAWINPUTDEVICE keyboard{1, 6, RIDEV_INPUTSINK, input.get()};
    if (input) ::RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
    input_ = input.get();
    HWINEVENTHOOK desktop = ::SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH, nullptr,
                                              DesktopSwitched, 0, 0, WINEVENT_OUTOFCONTEXT);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, WatchdogPeriod, nullptr);
    ::SetEvent(ready_.get());
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == WM_INPUT) watchdog_.KeyboardInput(::GetTickCount());
      if (msg.message == WM_TIMER && !msg.hwnd && msg.wParam == timer) CheckHook();
      if (msg.message == WM_TIMER && !msg.hwnd && msg.wParam == remapTimer_) RemapTimeRanOut();
      if (msg.message == PausedMessage && !msg.hwnd && msg.wParam) ReleaseRemaps();
      ::DispatchMessageA(&msg);
    }
    ::KillTimer(nullptr, timer);
    if (desktop) ::UnhookWinEvent(desktop);
    // No key runs after this: the program may free what it published without a round trip.
    Uninstall();
    // Nothing a key remap pressed stays down after the program.
    ReleaseRemaps();
    input_ = nullptr;
    if (input) {
      keyboard = {1, 6, RIDEV_REMOVE, nullptr};
      ::RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
    }
    return 0;
  }

  void Install() {
    hook_ = ::SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelKeyboardProc,
                                reinterpret_cast<HINSTANCE>(&__ImageBase), 0);
    watchdog_.Ran(::GetTickCount());
    // The program passes the handle back from the area: it must name the hook in force.
    if (hook_) HotKeyAreaView(hotKeys_.bytes()).SetHookHandle(Handle());
  }
  void Uninstall() {
    if (HHOOK hook = hook_.exchange(nullptr)) ::UnhookWindowsHookEx(hook);
  }

  // Keyboard input the callback never saw: the system dropped the hook. Install it again over the real
  // key state.
  void CheckHook() {
    if (!watchdog_.HookLost()) return;
    Uninstall();
    RebuildKeyState(state_, KeysDown(), CapsLockOn());
    // Releases went by unseen: what the key remaps hold goes up, as at a desktop switch.
    ReleaseRemaps();
    Install();
  }

  // The hook's thread takes no keyboard messages, so no message ever moves its key state on: the system
  // copies its own into such a thread's when it asks, the Caps Lock toggle included.
  static bool CapsLockOn() { return (::GetKeyState(VK_CAPITAL) & 1) != 0; }
  void ReadCapsLock() { state_.capsLock = CapsLockOn(); }

  static std::array<bool, 256> KeysDown() {
    std::array<bool, 256> down{};
    for (int vk = 1; vk < 256; ++vk) down[vk] = (::GetAsyncKeyState(vk) & 0x8000) != 0;
    return down;
  }

  // Only the modifiers the record holds need the system's word, and mostly there are none.
  std::uint8_t ModifiersDown() const {
    const std::uint8_t check = ModifiersToCheck(state_);
    std::uint8_t down = 0;
    for (std::size_t i = 0; i < ModifierVks.size(); ++i)
      if ((check & (1u << i)) && (::GetAsyncKeyState(ModifierVks[i]) & 0x8000))
        down |= static_cast<std::uint8_t>(1u << i);
    return down;
  }

  // The layout of the thread the keys go to, not the one at start-up. The thread is asked for only when
  // another window comes to the front: each question costs a trip into the system. Caps Lock is read again
  // then too: turned where the hook saw no key of it (the lock screen, an elevation prompt, Windows turning
  // it off at a Shift press), it would leave remapped letters in the wrong case until the next Caps Lock.
  const KeyLayout& LayoutOf(HWND foreground) {
    if (foreground != layoutWindow_) {
      layoutWindow_ = foreground;
      layoutThread_ = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
      ReadCapsLock();
    }
    const HKL hkl = ::GetKeyboardLayout(layoutThread_);
    return layouts_.For(reinterpret_cast<std::uintptr_t>(hkl), FillLayout);
  }

  // Asked once per foreground change, like the layout.
  std::uintptr_t RootOwnerOf(HWND foreground) {
    if (foreground != rootOwnerOf_) {
      rootOwnerOf_ = foreground;
      rootOwner_ =
          reinterpret_cast<std::uintptr_t>(foreground ? ::GetAncestor(foreground, GA_ROOTOWNER) : nullptr);
    }
    return rootOwner_;
  }

  HookTables Tables() const { return {HotKeyAreaView(hotKeys_.bytes()), RemapAreaView(remap_.bytes())}; }
  // Window handles keep their low 32 bits in the area.
  HWND MainWindow() const {
    const auto handle = static_cast<std::int32_t>(HotKeyAreaView(hotKeys_.bytes()).MainWindow());
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
  }
  std::uint32_t Handle() const {
    return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(hook_.load()));
  }

  AreaMapping hotKeys_;
  AreaMapping remap_;
  LayoutSlots layouts_;
  HWND layoutWindow_ = nullptr;
  HWND rootOwnerOf_ = nullptr;
  std::uintptr_t rootOwner_ = 0;
  DWORD layoutThread_ = 0;
  HookState state_;
  KeyRemapper remapper_;
  std::optional<std::uint32_t> armed_;  // the deadline the remap timer is set for
  UINT_PTR remapTimer_ = 0;
  std::uint8_t pickedVk_ = 0;  // the key picked, until its release
  std::atomic<bool> picking_{false};
  HookWatchdog watchdog_;
  std::uint32_t switches_ = 0;
  std::atomic<HHOOK> hook_{nullptr};  // set on the hook thread, read by Start
  std::atomic<bool> quit_{false};
  std::atomic<bool> paused_{false};
  std::atomic<const TableSets*> sets_{nullptr};  // the program's; none: the areas for every window
  std::atomic<HWND> input_{nullptr};             // the hook thread's window, for the round trip
  UniqueHandle thread_;
  UniqueHandle ready_;
  DWORD threadId_ = 0;
};

HookLibrary Library;

LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  return Library.OnKey(code, wParam, lParam);
}

// Ctrl+Alt+Del, the lock screen and elevation prompts switch the input desktop; keys released there are
// never seen here.
void CALLBACK DesktopSwitched(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
  Library.OnDesktopSwitch();
}

}  // namespace
}  // namespace tvx

std::uint32_t TavrixHookInit() { return tvx::Library.Start(); }

// Everything is done by the keyboard hook; there is no message hook to install.
std::uint32_t TavrixMsgHookInit() { return 0; }

void TavrixHookTerm(std::uint32_t) { tvx::Library.Stop(); }

void TavrixHookPause(std::uint32_t paused) { tvx::Library.Pause(paused != 0); }

void TavrixHookPickKey(std::uint32_t on) { tvx::Library.PickKey(on != 0); }

std::uint32_t TavrixHookSetTables(const tvx::TableSets* sets) { return tvx::Library.SetTables(sets) ? 1 : 0; }
