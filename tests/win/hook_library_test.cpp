// TAVRIXHK.DLL in this process, with areas the test creates and a window of its own as the main window:
// init starts the hook on a thread of its own, term leaves nothing running.
#include <gtest/gtest.h>

#include "core/hook/KeyMarker.h"
#include "win/hook/TavrixHook.h"
#include "tests/win/support/hook_harness.h"
// After <windows.h>.
#include <tlhelp32.h>

#include <cctype>
#include <optional>
#include <utility>

#include "core/hook/KeyDecision.h"

namespace tvx::test {
namespace {

// Where a module's image lies in memory.
struct ModuleRange {
  std::uintptr_t begin = 0, end = 0;
};
ModuleRange RangeOf(HMODULE module) {
  const auto base = reinterpret_cast<std::uintptr_t>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  return {base, base + nt->OptionalHeader.SizeOfImage};
}

// The threads of this process that began in the module: the library's own thread, told by where it
// began from the threads Wine starts for itself at moments of its own.
int ThreadsStartedIn(const ModuleRange& module) {
  using QueryThread = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto query = reinterpret_cast<QueryThread>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  constexpr int ThreadQuerySetWin32StartAddress = 9;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != ::GetCurrentProcessId()) continue;
    const UniqueHandle thread(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
    std::uintptr_t start = 0;
    if (thread && query(thread.get(), ThreadQuerySetWin32StartAddress, &start, sizeof start, nullptr) == 0)
      count += start >= module.begin && start < module.end;
  }
  ::CloseHandle(snapshot);
  return count;
}

// A named area like the program's, filled from the test's tables.
class Area {
 public:
  Area(const char* name, const std::vector<std::uint8_t>& bytes)
      : mapping_(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, AreaSize, name)),
        view_(static_cast<std::uint8_t*>(::MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0))) {
    std::copy(bytes.begin(), bytes.end(), view_);
  }
  ~Area() {
    ::UnmapViewOfFile(view_);
    ::CloseHandle(mapping_);
  }
  std::uint8_t* bytes() const { return view_; }

 private:
  HANDLE mapping_;
  std::uint8_t* view_;
};

struct Received {
  std::string chars;
  std::vector<std::pair<WPARAM, LPARAM>> hotKeys;
};

// Pumps the window's messages until nothing more arrives for a while, keeping what it received.
Received Collect(HWND window) {
  Received received;
  MSG msg;
  for (int quiet = 0; quiet < 300; quiet += 10) {
    while (::PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
      quiet = 0;
      ::TranslateMessage(&msg);
      if (msg.message == WM_CHAR) received.chars += static_cast<char>(msg.wParam);
      if (msg.message == WM_USER + 1) received.hotKeys.emplace_back(msg.wParam, msg.lParam);
      // An Alt tapped alone would open the window menu and its modal loop.
      if (msg.message != WM_SYSKEYDOWN && msg.message != WM_SYSKEYUP) ::DispatchMessageA(&msg);
    }
    ::Sleep(10);
  }
  return received;
}

INPUT KeyInput(WORD vk, bool up, ULONG_PTR extra = 0) {
  return {INPUT_KEYBOARD,
          {.ki = {vk, static_cast<WORD>(::MapVirtualKeyA(vk, 0)), up ? KEYEVENTF_KEYUP : 0u, 0, extra}}};
}

// Key events written as "+alt +j -j": "!-alt" is a release with the library's own marker, which the
// hook lets through unseen, as it never sees a release on the secure desktop or in an elevated window.
Received Play(HWND window, const std::string& events) {
  std::istringstream in(events);
  std::vector<INPUT> inputs;
  for (std::string token; in >> token;) {
    const bool unseen = token[0] == '!';
    if (unseen) token.erase(0, 1);
    const std::string name = token.substr(1);
    const WORD vk = name == "alt"    ? VK_MENU
                    : name == "ctrl" ? VK_CONTROL
                    : name == "win"  ? VK_LWIN
                                     : static_cast<WORD>(std::toupper(name[0]));
    inputs.push_back(KeyInput(vk, token[0] == '-', unseen ? TavrixKeyMarker : 0));
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return Collect(window);
}

std::string ModifiersDown() {
  std::string down;
  for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN})
    if (::GetAsyncKeyState(vk) & 0x8000) down += std::to_string(vk) + " ";
  return down;
}

int clicks = 0;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONUP) ++clicks;
  return ::DefWindowProcA(window, message, wParam, lParam);
}

HWND TestWindow(const char* caption, int left) {
  static const ATOM windowClass = [] {
    WNDCLASSA registered{};
    registered.lpfnWndProc = TestWindowProc;
    registered.lpszClassName = "HookLibraryTest";
    return ::RegisterClassA(&registered);
  }();
  return ::CreateWindowExA(0, MAKEINTATOM(windowClass), caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, 0,
                           300, 200, nullptr, nullptr, nullptr, nullptr);
}

bool Focus(HWND window) {
  ::SetForegroundWindow(window);
  ::SetFocus(window);
  return WaitFor([&] { return ::GetForegroundWindow() == window; }, 3s);
}

TEST(HookLibrary, InitHooksOnItsOwnThreadAndTermLeavesNothingRunning) {
  HWND window = TestWindow("hook library", 0);
  Focus(window);
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'q', 'z');
  tables.Bind(Alphabetic, Alt, 9, 'x');
  tables.views.hotKeys.SetMainWindow(static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window)));
  const ModuleRange library = RangeOf(::GetModuleHandleA("TAVRIXHK.DLL"));
  {
    Area hot(HotKeyAreaName, tables.hot), remap(RemapAreaName, tables.remap);
    const std::uint32_t handle = TavrixHookInit();
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(TavrixMsgHookInit(), 0u);
    EXPECT_EQ(ThreadsStartedIn(library), 1);
    EXPECT_EQ(Play(window, "+q +w -w -q").chars, "zw");
    const Received alt = Play(window, "+alt +j -j -alt");
    ASSERT_EQ(alt.hotKeys.size(), 1u);
    // Table 1, Alt, row 9: with no sets published, the message has only its low 16 bits.
    EXPECT_EQ(alt.hotKeys[0], (std::pair<WPARAM, LPARAM>(0x0101, 9)));
    HotKeyAreaView(hot.bytes()).SetAction(*TableByNumber(1), Alt, 9, 0);  // the program edits a cell
    EXPECT_TRUE(Play(window, "+alt +j -j -alt").hotKeys.empty());
    TavrixHookTerm(handle);
    EXPECT_EQ(ThreadsStartedIn(library), 0);
    EXPECT_EQ(Play(window, "+q -q").chars, "q");
  }
  // Without the areas there is nothing to act on: no hook, no thread.
  EXPECT_EQ(TavrixHookInit(), 0u);
  EXPECT_EQ(ThreadsStartedIn(library), 0);
  TavrixHookTerm(0);
  ::DestroyWindow(window);
}

// The test's own window is the main window; the areas live as long as the object.
class Library {
 public:
  explicit Library(Tables tables) : window_(TestWindow("main", 0)), other_(TestWindow("other", 320)) {
    tables.views.hotKeys.SetMainWindow(static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window_)));
    hot_.emplace(HotKeyAreaName, tables.hot);
    remap_.emplace(RemapAreaName, tables.remap);
    handle_ = TavrixHookInit();
    Focus(window_);
  }
  ~Library() {
    TavrixHookTerm(handle_);
    hot_.reset();
    remap_.reset();
    ::DestroyWindow(other_);
    ::DestroyWindow(window_);
  }
  HWND window() const { return window_; }
  HWND other() const { return other_; }
  std::uint32_t handle() const { return handle_; }
  std::uint32_t AreaHandle() const { return HotKeyAreaView(hot_->bytes()).HookHandle(); }

 private:
  HWND window_, other_;
  std::optional<Area> hot_, remap_;
  std::uint32_t handle_ = 0;
};

Tables LostReleaseTables() {
  Tables tables;
  tables.Identity();
  for (int column : {Alt, Ctrl, Win}) {
    tables.Bind(Alphabetic, column, 22, 'x');  // W
    tables.Bind(Alphabetic, column, 9, 'x');   // J
  }
  return tables;
}

TEST(HookLibrary, ReleasesTheHookNeverSawLeaveNoModifierDown) {
  Library library(LostReleaseTables());
  ASSERT_NE(library.handle(), 0u);
  for (const char* modifier : {"alt", "ctrl", "win"}) {
    const std::string m = modifier;
    SCOPED_TRACE(m);
    ASSERT_TRUE(Focus(library.window()));
    const Received alone = Play(library.window(), "+" + m + " !-" + m + " +w -w");
    EXPECT_EQ(alone.chars, "w");
    EXPECT_TRUE(alone.hotKeys.empty());

    // After a hot key, a key in another window, then Q back in the first one at once.
    EXPECT_EQ(Play(library.window(), "+" + m + " +j -j !-" + m).hotKeys.size(), 1u);
    ASSERT_TRUE(Focus(library.other()));
    EXPECT_EQ(Play(library.other(), "+e -e").chars, "e");
    ASSERT_TRUE(Focus(library.window()));
    EXPECT_EQ(Play(library.window(), "+q -q").chars, "q");
    EXPECT_EQ(ModifiersDown(), "");

    // After a hot key, Q after a pause longer than the library's belief in a released modifier.
    EXPECT_EQ(Play(library.window(), "+" + m + " +j -j !-" + m).hotKeys.size(), 1u);
    ::Sleep(ReleasedModifierLife + 200);
    EXPECT_EQ(Play(library.window(), "+q -q").chars, "q");
    EXPECT_EQ(ModifiersDown(), "");
    Play(library.window(), "!-alt !-ctrl !-win");  // whatever a failure left down
  }
}

TEST(HookLibrary, HeldModifierFiresHotKeysInARow) {
  Library library(LostReleaseTables());
  const Received held = Play(library.window(), "+alt +j -j +w -w +j -j -alt");
  EXPECT_EQ(held.hotKeys.size(), 3u);
  EXPECT_EQ(held.chars, "");
  EXPECT_EQ(ModifiersDown(), "");
}

using AnyFunction = void (*)();
AnyFunction Export(HMODULE dll, const char* name) {
  return reinterpret_cast<AnyFunction>(::GetProcAddress(dll, name));
}

TEST(HookLibrary, TermThenUnloadingLeavesNoThreadBehind) {
  // A copy under another name, so that this test's own import does not keep it loaded.
  const TempDir folder;
  const std::string copy = folder.File("TVXCOPY.DLL");
  ASSERT_TRUE(::CopyFileA((BuildDir() + "\\TAVRIXHK.DLL").c_str(), copy.c_str(), FALSE));
  Tables tables;
  Area hot(HotKeyAreaName, tables.hot), remap(RemapAreaName, tables.remap);
  HMODULE dll = ::LoadLibraryA(copy.c_str());
  ASSERT_NE(dll, nullptr);
  const ModuleRange library = RangeOf(dll);
  auto init = reinterpret_cast<std::uint32_t (*)()>(Export(dll, "TavrixHookInit"));
  auto term = reinterpret_cast<void (*)(std::uint32_t)>(Export(dll, "TavrixHookTerm"));
  const std::uint32_t handle = init();
  EXPECT_NE(handle, 0u);
  EXPECT_EQ(HotKeyAreaView(hot.bytes()).HookHandle(), handle);
  EXPECT_EQ(ThreadsStartedIn(library), 1);
  term(handle);
  ::FreeLibrary(dll);
  EXPECT_EQ(::GetModuleHandleA("TVXCOPY.DLL"), nullptr);
  EXPECT_EQ(ThreadsStartedIn(library), 0);
}

TEST(HookLibrary, ReinstallsAfterUnseenKeysButNotAfterAClick) {
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'q', 'z');
  Library library(std::move(tables));
  ASSERT_NE(library.handle(), 0u);
  EXPECT_EQ(Play(library.window(), "+q -q").chars, "z");
  // A click without pointer movement, a second after the last key.
  RECT rect;
  ::GetWindowRect(library.window(), &rect);
  ::SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  ::Sleep(1100);
  clicks = 0;
  INPUT click[2] = {{INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_LEFTDOWN, 0, 0}}},
                    {INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_LEFTUP, 0, 0}}}};
  ::SendInput(2, click, sizeof(INPUT));
  EXPECT_TRUE(WaitFor([] { return clicks > 0; }, 3s));
  // As long as a dropped hook below is given to be put back: a loaded machine can hold the watchdog's
  // timer back well past its second.
  EXPECT_FALSE(WaitFor([&] { return library.AreaHandle() != library.handle(); }, 5s))
      << "the click made the library reinstall its hook";
  // Windows dropping the hook, as it does after a callback that took too long.
  ASSERT_TRUE(::UnhookWindowsHookEx(reinterpret_cast<HHOOK>(static_cast<UINT_PTR>(library.handle()))));
  ::Sleep(1100);
  EXPECT_EQ(Play(library.window(), "+q -q").chars, "q");
  EXPECT_TRUE(WaitFor([&] { return library.AreaHandle() != library.handle(); }, 5s));
  EXPECT_EQ(Play(library.window(), "+q -q").chars, "z");
}

}  // namespace
}  // namespace tvx::test
