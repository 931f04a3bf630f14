// Real X keystrokes through the real program and hook library: remapped keys type the table's character,
// bound hot keys carry out their action, everything else arrives unchanged.
#include <gtest/gtest.h>

#include "core/hook/KeyMarker.h"
#include "tests/win/support/hook_harness.h"

namespace tvx::test {
namespace {

struct Typing {
  const char* what;
  const char* keys;  // xdotool key arguments
  const char* typed;
};

void ExpectTyped(Target& target, std::initializer_list<Typing> cases) {
  for (const Typing& c : cases) {
    const std::size_t mark = target.Mark();
    Xdotool(std::string("key --delay 30 ") + c.keys);
    EXPECT_EQ(Typed(target, mark), c.typed) << c.what << ": " << target.Settled().substr(mark);
  }
  EXPECT_EQ(target.KeysDown(), "") << "a key stayed down";
}

TEST(HookKeys, RemapsAndHotKeysFromRealKeystrokes) {
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'q', 'z');
  tables.Remap(RemapTableId::Upper, 'Q', 'W');
  tables.Remap(RemapTableId::Numeric, '1', '!');
  tables.Remap(RemapTableId::Punct, ';', '#');
  tables.Remap(RemapTableId::Lower, 'e', static_cast<char>(233));
  tables.Bind(Alphabetic, Alt, 9, 'x');       // Alt+J
  tables.Bind(Alphabetic, CtrlAlt, 10, 'K');  // Ctrl+Alt+K
  tables.Bind(Punctuation, Alt, 1, '7');      // Alt+,
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  Target target;
  ASSERT_TRUE(target.Focus());
  ExpectTyped(target, {
                          {"lower case remapped", "q", "z"},
                          {"upper case remapped", "shift+q", "W"},
                          {"digit and punctuation", "1 semicolon", "!#"},
                          {"a character of the code page", "e", "\xE9"},
                          {"unbound keys unchanged", "w a 2 space", "wa2 "},
                          {"Alt hot key", "alt+j", "x"},
                          {"Ctrl+Alt hot key with Shift in its action", "ctrl+alt+k", "K"},
                          {"punctuation hot key", "alt+comma", "7"},
                          {"a remap between hot keys keeps its place", "alt+j q alt+j", "xzx"},
                      });
}

TEST(HookKeys, ZeroedTablesLeaveEveryKeyAlone) {
  Tables tables;  // all zero, as at start-up and after a failed load
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  Target target("zero");
  ASSERT_TRUE(target.Focus());
  ExpectTyped(target,
              {{"letters, digits, punctuation", "h e l l o 1 2 semicolon space shift+a", "hello12; A"}});
  const std::size_t mark = target.Mark();
  Xdotool("key --delay 30 ctrl+alt+Home F1");
  EXPECT_EQ(target.Since(mark, "k"), "11v 12v 24v 11^ 12^ 24^ 70v 70^");
  // The hook was there all along: a cell set in the running program's area takes effect at once.
  const SharedArea remap(RemapAreaName);
  RemapAreaView(remap.mutable_data())
      .SetByte(RemapTableId::Lower, static_cast<int>(RemapRows(RemapTableId::Lower).find('q')), 'z');
  ExpectTyped(target, {{"a cell set since", "q", "z"}});
}

// The display's layout for one scope; the programs started in it take it up.
class XkbLayout {
 public:
  explicit XkbLayout(const char* layout) {
    Process(std::string("/usr/bin/setxkbmap ") + layout, "").Wait(5000);
  }
  ~XkbLayout() { Process("/usr/bin/setxkbmap us", "").Wait(5000); }
};

TEST(HookKeys, AltGrTypesItsCharacterAndFiresNoCtrlAltHotKey) {
  Tables tables;
  tables.Identity();
  tables.Bind(Alphabetic, CtrlAlt, 16, 'x');  // Ctrl+Alt+Q
  tables.Bind(Alphabetic, Alt, 16, 'y');      // Alt+Q
  XkbLayout german("de");
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  Target target("altgr");
  ASSERT_TRUE(target.Focus());
  ExpectTyped(target, {
                          {"AltGr+Q is the at sign", "ISO_Level3_Shift+q", "@"},
                          {"a real Ctrl with Alt is Ctrl+Alt", "ctrl+alt+q", "x"},
                      });
}

}  // namespace
}  // namespace tvx::test

namespace tvx::test {
namespace {

// The program's own thread stopped for a while (a slow save, a long modal loop): the hook library's
// thread goes on remapping, no modifier stays down, and a hot key's action is carried out once.
TEST(HookKeys, KeysFlowWhileTheProgramIsBusy) {
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'q', 'z');
  tables.Bind(Alphabetic, Alt, 9, 'x');  // Alt+J
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  Target target;
  ASSERT_TRUE(target.Focus());
  const UniqueHandle thread(
      ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, ::GetWindowThreadProcessId(tavrix.MainWindow(), nullptr)));
  ASSERT_TRUE(thread);
  ASSERT_NE(::SuspendThread(thread.get()), static_cast<DWORD>(-1));
  DWORD_PTR answer = 0;
  EXPECT_EQ(::SendMessageTimeoutA(tavrix.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer), 0)
      << "the program still answers";
  const std::size_t mark = target.Mark();
  Xdotool("key --delay 30 q w alt+j q");
  std::string typed = Typed(target, mark);
  EXPECT_EQ(typed.substr(0, 2), "zw");
  EXPECT_EQ(target.KeysDown(), "") << "a key stayed down while the program was busy";
  ::ResumeThread(thread.get());
  EXPECT_TRUE(WaitFor([&] { return (typed = Typed(target, mark)).size() == 4; }, 5s)) << typed;
  EXPECT_EQ(std::count(typed.begin(), typed.end(), 'x'), 1) << typed;
  typed.erase(std::remove(typed.begin(), typed.end(), 'x'), typed.end());
  EXPECT_EQ(typed, "zwz");
  EXPECT_EQ(target.KeysDown(), "");
}

}  // namespace
}  // namespace tvx::test

namespace tvx::test {
namespace {

void SendKey(WORD vk, ULONG_PTR extra) {
  INPUT inputs[2] = {};
  for (INPUT& input : inputs)
    input = {INPUT_KEYBOARD, {.ki = {vk, static_cast<WORD>(::MapVirtualKeyA(vk, 0)), 0, 0, extra}}};
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, inputs, sizeof(INPUT));
}

// Caps Lock turned where the hook sees no key of it (here: a key it lets by as Tavrix's own; on Windows the
// lock screen or an elevation prompt): from the first key in another window on, remapped letters follow the
// system's Caps Lock again.
TEST(HookKeys, CapsLockTurnedUnseenIsReadAgainInTheNextWindow) {
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'q', 'z');
  tables.Remap(RemapTableId::Upper, 'Q', 'W');
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  Target other("other");
  Target target("caps");
  ASSERT_EQ(::GetKeyState(VK_CAPITAL) & 1, 0);
  for (const auto& [window, typed] : {std::pair{&target, "z"}, {&other, "W"}, {&target, "z"}}) {
    ASSERT_TRUE(window->Focus());
    const std::size_t mark = window->Mark();
    SendKey('Q', 0);
    EXPECT_EQ(Typed(*window, mark), typed) << window->log();
    SendKey(VK_CAPITAL, TavrixKeyMarker);
  }
  EXPECT_EQ(::GetKeyState(VK_CAPITAL) & 1, 1);
  SendKey(VK_CAPITAL, TavrixKeyMarker);
}

}  // namespace
}  // namespace tvx::test
