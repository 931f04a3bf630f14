// TAVRIXHK.DLL in this process, with areas the test creates and a window of its own as the main window:
// init starts the hook on a thread of its own, term leaves nothing running.
#include <gtest/gtest.h>

#include "hook/TavrixHook.h"
#include "tests/win/hook_harness.h"
// After <windows.h>.
#include <tlhelp32.h>

namespace tvx::test {
namespace {

int ThreadsOfThisProcess() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
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

// Presses and releases the keys in order, then collects what the window received.
Received Type(HWND window, std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD vk : keys)
    inputs.push_back({INPUT_KEYBOARD, {.ki = {vk, static_cast<WORD>(::MapVirtualKeyA(vk, 0)), 0, 0, 0}}});
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
    inputs.push_back({INPUT_KEYBOARD,
                      {.ki = {*key, static_cast<WORD>(::MapVirtualKeyA(*key, 0)), KEYEVENTF_KEYUP, 0, 0}}});
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Received received;
  MSG msg;
  for (int quiet = 0; quiet < 300; quiet += 10) {
    while (::PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
      quiet = 0;
      ::TranslateMessage(&msg);
      if (msg.message == WM_CHAR) received.chars += static_cast<char>(msg.wParam);
      if (msg.message == WM_USER + 1) received.hotKeys.emplace_back(msg.wParam, msg.lParam);
      ::DispatchMessageA(&msg);
    }
    ::Sleep(10);
  }
  return received;
}

TEST(HookLibrary, InitHooksOnItsOwnThreadAndTermLeavesNothingRunning) {
  HWND window = ::CreateWindowExA(0, "STATIC", "hook library", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                  200, nullptr, nullptr, nullptr, nullptr);
  ::SetForegroundWindow(window);
  ::SetFocus(window);
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'q', 'z');
  tables.Bind(Alphabetic, Alt, 9, 'x');
  tables.HotKeys().SetMainWindow(static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window)));
  const int threadsBefore = ThreadsOfThisProcess();
  {
    Area hot(HotKeyAreaName, tables.hot), remap(RemapAreaName, tables.remap);
    const std::uint32_t handle = TavrixHookInit();
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(TavrixMsgHookInit(), 0u);
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore + 1);
    EXPECT_EQ(Type(window, {'Q', 'W'}).chars, "zw");
    const Received alt = Type(window, {VK_MENU, 'J'});
    ASSERT_EQ(alt.hotKeys.size(), 1u);
    EXPECT_EQ(alt.hotKeys[0], (std::pair<WPARAM, LPARAM>(0x0101, 9)));
    HotKeyAreaView(hot.bytes()).SetAction(*TableByNumber(1), Alt, 9, 0);  // the program edits a cell
    EXPECT_TRUE(Type(window, {VK_MENU, 'J'}).hotKeys.empty());
    TavrixHookTerm(handle);
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore);
    EXPECT_EQ(Type(window, {'Q'}).chars, "q");
  }
  // Without the areas there is nothing to act on: no hook, no thread.
  EXPECT_EQ(TavrixHookInit(), 0u);
  EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore);
  TavrixHookTerm(0);
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace tvx::test
