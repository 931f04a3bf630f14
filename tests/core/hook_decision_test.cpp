#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/hook/KeyDecision.h"
#include "core/hook/Watchdog.h"
#include "core/keymap/Catalogue.h"

namespace tvx {
namespace {

// What VkKeyScanA gives on a US layout for the characters 32..126.
KeyLayout UsLayout() {
  KeyLayout layout;
  const char* plain = "`1234567890-=[]\\;',./";
  const char* shifted = "~!@#$%^&*()_+{}|:\"<>?";
  const std::uint8_t vks[] = {0xC0, '1',  '2',  '3',  '4',  '5',  '6',  '7',  '8',  '9', '0',
                              0xBD, 0xBB, 0xDB, 0xDD, 0xDC, 0xBA, 0xDE, 0xBC, 0xBE, 0xBF};
  for (int i = 0; plain[i]; ++i) {
    layout.AddScan(static_cast<std::uint8_t>(plain[i]), vks[i]);
    layout.AddScan(static_cast<std::uint8_t>(shifted[i]), static_cast<std::int16_t>(0x100 | vks[i]));
  }
  for (char c = 'a'; c <= 'z'; ++c) {
    layout.AddScan(static_cast<std::uint8_t>(c), static_cast<std::int16_t>(c - 'a' + 'A'));
    layout.AddScan(static_cast<std::uint8_t>(c - 'a' + 'A'),
                   static_cast<std::int16_t>(0x100 | (c - 'a' + 'A')));
  }
  layout.AddScan(' ', 0x20);
  for (int i = 0; i < 256; ++i) layout.unicode[i] = static_cast<char16_t>(i);
  layout.unicode[0x80] = u'\u20AC';
  return layout;
}

struct Key {
  std::uint8_t vk;
  std::uint16_t scan;
  bool extended;
};

const std::map<std::string, Key>& KeyNames() {
  static const std::map<std::string, Key> names = {
      {"lctrl", {0xA2, 0x1D, false}},
      {"rctrl", {0xA3, 0x1D, true}},
      {"lalt", {0xA4, 0x38, false}},
      {"ralt", {0xA5, 0x38, true}},
      {"lshift", {0xA0, 0x2A, false}},
      {"rshift", {0xA1, 0x36, false}},
      {"lwin", {0x5B, 0x5B, true}},
      {"caps", {0x14, 0x3A, false}},
      {"home", {0x24, 0x47, true}},
      {"del", {0x2E, 0x53, true}},
      {"f1", {0x70, 0x3B, false}},
      {"f6", {0x76, 0x40, false}},
      {"enter", {0x0D, 0x1C, false}},
      {"semi", {0xBA, 0x27, false}},
      {"comma", {0xBC, 0x33, false}},
      {"space", {0x20, 0x39, false}},
      {"tab", {0x09, 0x0F, false}},
      {"altgrctrl", {0xA2, 0x21D, false}},  // what Windows adds in front of AltGr
      {"ctrl", {0x11, 0x1D, false}},        // generic codes, as some injectors send them
      {"alt", {0x12, 0x38, false}},
  };
  return names;
}

Key KeyNamed(const std::string& name) {
  if (name.size() == 1) return {static_cast<std::uint8_t>(std::toupper(name[0])), 0x1E, false};
  return KeyNames().at(name);
}

// Output of one event: "pass" or "swallow", then injected keys (hex virtual key or 'c' for a character,
// v down, ^ up) and "post WWWW/row" for a hot key reported to the main window.
std::string Describe(const KeyOutput& out) {
  std::string text = out.suppress ? "swallow" : "pass";
  char part[32];
  for (int i = 0; i < out.injectedCount; ++i) {
    const InjectedKey& key = out.injected[i];
    if (key.unicode)
      std::snprintf(part, sizeof part, " '%c'%c", key.scan < 128 ? static_cast<char>(key.scan) : '?',
                    key.up ? '^' : 'v');
    else
      std::snprintf(part, sizeof part, " %02X%c", key.vk, key.up ? '^' : 'v');
    text += part;
  }
  if (out.post) {
    std::snprintf(part, sizeof part, " post %04X/%d", out.postWParam, out.postLParam);
    text += part;
  }
  return text;
}

struct Tables {
  std::vector<std::uint8_t> hot = std::vector<std::uint8_t>(AreaSize, 0);
  std::vector<std::uint8_t> remap = std::vector<std::uint8_t>(AreaSize, 0);
  HookTables views{HotKeyAreaView(hot.data()), RemapAreaView(remap.data())};

  // The remapper's default content: every key types itself.
  void Identity() {
    for (const RemapTableRows& list : RemapRowLists)
      for (std::size_t row = 0; row < list.rows.size(); ++row)
        views.remap.SetByte(list.table, static_cast<int>(row), static_cast<std::uint8_t>(list.rows[row]));
  }
  void Bind(int category, int column, int row, HotKeyAction action) {
    views.hotKeys.SetAction(*TableByCategory(category), column, row, action);
  }
  void Remap(RemapTableId table, char from, char to) {
    views.remap.SetByte(table, static_cast<int>(RemapRows(table).find(from)), static_cast<std::uint8_t>(to));
  }
};

// Runs events written as "+lalt +a -a -lalt" ("*a" a repeat, "!" prefix for our own injected keys) and
// joins the outputs with " | ".
std::string Run(HookState& state, const Tables& tables, const std::string& events, const KeyLayout& layout) {
  std::istringstream in(events);
  std::string token, result;
  while (in >> token) {
    const bool ours = token[0] == '!';
    if (ours) token.erase(0, 1);
    const Key key = KeyNamed(token.substr(1));
    const KeyEvent event{key.vk, key.scan, token[0] == '-', key.extended, ours};
    result += (result.empty() ? "" : " | ") + Describe(DecideKey(state, event, tables.views, layout));
  }
  return result;
}

struct Scenario {
  const char* what;
  const char* events;
  const char* expected;
};

void RunScenarios(const Tables& tables, const std::vector<Scenario>& scenarios, bool capsLock = false) {
  const KeyLayout layout = UsLayout();
  for (const Scenario& s : scenarios) {
    HookState state;
    state.capsLock = capsLock;
    EXPECT_EQ(Run(state, tables, s.events, layout), s.expected) << s.what << ": " << s.events;
  }
}

TEST(HookDecision, HotKeysOfEveryCategoryAndColumn) {
  Tables tables;
  tables.Identity();
  tables.Bind(Alphabetic, Alt, 0, 'x');
  tables.Bind(Alphabetic, Ctrl, 1, 'x');
  tables.Bind(Alphabetic, Win, 0, 'x');
  tables.Bind(Alphabetic, Win, 3, 'x');  // Win+D is reserved
  tables.Bind(Numeric, CtrlWin, 7, 'x');
  tables.Bind(Punctuation, AltWin, 5, 'x');
  tables.Bind(FunctionKeys, AltShift, 0, 'x');
  tables.Bind(FunctionKeys, Alt, 5, 'x');  // Alt+F6 is reserved
  tables.Bind(Editing, CtrlAlt, 2, 260);
  tables.Bind(Editing, CtrlAlt, 1, 'x');  // Ctrl+Alt+Delete is reserved
  tables.Bind(Editing, Ctrl, 11, 400);    // damaged entry
  RunScenarios(
      tables,
      {
          {"Alt+A", "+lalt +a -a -lalt", "pass | swallow E8v E8^ A4^ post 0101/0 | swallow | swallow"},
          {"Ctrl+B", "+rctrl +b -b -rctrl", "pass | swallow A3^ post 0102/1 | swallow | swallow"},
          {"Win+A", "+lwin +a -a -lwin", "pass | swallow E8v E8^ 5B^ post 0103/0 | swallow | swallow"},
          {"Ctrl+Win+7", "+lctrl +lwin +7 -7", "pass | pass | swallow E8v E8^ A2^ 5B^ post 0205/7 | swallow"},
          {"Alt+Win+;", "+lwin +lalt +semi", "pass | pass | swallow E8v E8^ A4^ 5B^ post 0306/5"},
          {"Alt+Shift+F1", "+lshift +lalt +f1", "pass | pass | swallow E8v E8^ A4^ A0^ post 0407/0"},
          {"Ctrl+Alt+Home", "+lctrl +lalt +home", "pass | pass | swallow E8v E8^ A2^ A4^ post 0504/2"},
          {"generic Ctrl and Alt codes", "+ctrl +alt +home",
           "pass | pass | swallow E8v E8^ A2^ A4^ post 0504/2"},
          {"Win+D is reserved", "+lwin +d -d", "pass | pass | pass"},
          {"Alt+F6 is reserved", "+lalt +f6", "pass | pass"},
          {"Ctrl+Alt+Del is reserved", "+lctrl +lalt +del", "pass | pass | pass"},
          {"empty cell", "+lalt +b -b", "pass | pass | pass"},
          {"entry above 315 acts as none", "+lctrl +enter", "pass | pass"},
          {"Ctrl+Shift has no column", "+lctrl +lshift +b", "pass | pass | pass"},
          {"Ctrl+Alt+Win has no column", "+lctrl +lalt +lwin +home", "pass | pass | pass | pass"},
          {"the key without a modifier", "+home -home", "pass | pass"},
      });
  RunScenarios(tables,
               {
                   {"Caps Lock on sets the flag", "+lalt +a", "pass | swallow E8v E8^ A4^ post 8101/0"},
                   {"Caps Lock turned off clears it", "+caps -caps +lctrl +b",
                    "pass | pass | pass | swallow A2^ post 0102/1"},
               },
               true);
}

TEST(HookDecision, RemapTables) {
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Upper, 'Q', 'W');
  tables.Remap(RemapTableId::Lower, 'q', 'z');
  tables.Remap(RemapTableId::Numeric, '1', '!');
  tables.Remap(RemapTableId::Punct, ';', '#');
  tables.Remap(RemapTableId::Punct, ':', '@');
  tables.Remap(RemapTableId::Punct, ' ', '_');
  tables.views.remap.SetByte(RemapTableId::Lower, 4, 0x80);  // e types the euro sign
  tables.views.remap.SetByte(RemapTableId::Lower, 1, 31);    // a damaged byte
  RunScenarios(tables, {
                           {"lower case", "+q -q", "swallow 'z'v 'z'^ | swallow"},
                           {"upper case by Shift", "+lshift +q -q", "pass | swallow 'W'v 'W'^ | swallow"},
                           {"digit", "+1", "swallow '!'v '!'^"},
                           {"punctuation", "+semi", "swallow '#'v '#'^"},
                           {"shifted punctuation", "+rshift +semi", "pass | swallow '@'v '@'^"},
                           {"space", "+space", "swallow '_'v '_'^"},
                           {"a character above 127 through the code page", "+e", "swallow '?'v '?'^"},
                           {"a byte below 32 leaves the key alone", "+b -b", "pass | pass"},
                           {"a key that types itself", "+a -a", "pass | pass"},
                           {"not with Ctrl", "+lctrl +q", "pass | pass"},
                           {"not with Alt", "+lalt +q", "pass | pass"},
                           {"keys outside the tables", "+tab +comma +f1", "pass | pass | pass"},
                           {"Caps Lock pressed turns the letters", "+caps -caps +q",
                            "pass | pass | swallow 'W'v 'W'^"},
                           {"Caps Lock leaves digits", "+caps -caps +1", "pass | pass | swallow '!'v '!'^"},
                       });
  RunScenarios(
      tables,
      {
          {"Caps Lock on", "+q", "swallow 'W'v 'W'^"},
          {"Caps Lock and Shift", "+lshift +q", "pass | swallow 'z'v 'z'^"},
          {"Caps Lock pressed again turns it off", "+caps -caps +q", "pass | pass | swallow 'z'v 'z'^"},
      },
      true);
}

TEST(HookDecision, ZeroedAreasLeaveEveryKeyAlone) {
  Tables tables;  // as at start-up and after a failed load
  const KeyLayout layout = UsLayout();
  HookState state;
  const std::uint8_t modifiers[] = {0, 0xA0, 0xA2, 0xA4, 0x5B};
  for (std::uint8_t modifier : modifiers) {
    for (int vk = 1; vk < 256; ++vk) {
      if (modifier) DecideKey(state, {modifier, 1, false, false, false}, tables.views, layout);
      const auto down =
          DecideKey(state, {static_cast<std::uint8_t>(vk), 1, false, false, false}, tables.views, layout);
      const auto up =
          DecideKey(state, {static_cast<std::uint8_t>(vk), 1, true, false, false}, tables.views, layout);
      ASSERT_FALSE(down.suppress || down.post || down.injectedCount || up.suppress) << modifier << " " << vk;
      if (modifier) DecideKey(state, {modifier, 1, true, false, false}, tables.views, layout);
    }
  }
}

TEST(HookDecision, RemapperTakesPrecedence) {
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'a', 'b');
  tables.Remap(RemapTableId::Lower, 'c', '!');
  tables.Bind(Alphabetic, Alt, 0, 'x');  // Alt+A
  tables.Bind(Alphabetic, Alt, 1, 'y');  // Alt+B
  tables.Bind(Alphabetic, Alt, 2, 'z');  // Alt+C
  RunScenarios(tables,
               {
                   {"the key remapped to b is Alt+B", "+lalt +a", "pass | swallow E8v E8^ A4^ post 0101/1"},
                   {"the key typing b is Alt+B too", "+lalt +b", "pass | swallow E8v E8^ A4^ post 0101/1"},
                   {"a key remapped off the hot-key rows has none", "+lalt +c", "pass | pass"},
               });
}

TEST(HookDecision, OwnKeysPassUntouched) {
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Upper, 'A', 'Q');
  tables.Bind(Alphabetic, Alt, 0, 'x');
  RunScenarios(tables, {
                           {"the action's Shift+A is not remapped", "!+lshift !+a !-a !-lshift",
                            "pass | pass | pass | pass"},
                           {"the action's Alt code fires no hot key", "!+lalt !+a", "pass | pass"},
                           {"own keys do not count as held", "!+lalt +a", "pass | pass"},
                       });
}

}  // namespace
}  // namespace tvx
