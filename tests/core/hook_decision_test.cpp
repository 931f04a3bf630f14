#include "core/keymap/CellTexts.h"
#include "tests/core/hook_scenario.h"

namespace tvx::scenario {
namespace {

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
          {"Alt+A", "+lalt +a -a -lalt", "pass | swallow +mask -mask -lalt post 0101/0 | swallow | swallow"},
          {"Ctrl+B", "+rctrl +b -b -rctrl", "pass | swallow -rctrl post 0102/1 | swallow | swallow"},
          {"Win+A", "+lwin +a -a -lwin", "pass | swallow +mask -mask -lwin post 0103/0 | swallow | swallow"},
          {"Ctrl+Win+7", "+lctrl +lwin +7 -7",
           "pass | pass | swallow +mask -mask -lctrl -lwin post 0205/7 | swallow"},
          {"Alt+Win+;", "+lwin +lalt +semi", "pass | pass | swallow +mask -mask -lalt -lwin post 0306/5"},
          {"Alt+Shift+F1", "+lshift +lalt +f1",
           "pass | pass | swallow +mask -mask -lalt -lshift post 0407/0"},
          {"Ctrl+Alt+Home", "+lctrl +lalt +home",
           "pass | pass | swallow +mask -mask -lctrl -lalt post 0504/2"},
          {"generic Ctrl and Alt codes", "+ctrl +alt +home",
           "pass | pass | swallow +mask -mask -lctrl -lalt post 0504/2"},
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
                   {"Caps Lock on sets the flag", "+lalt +a", "pass | swallow +mask -mask -lalt post 8101/0"},
                   {"Caps Lock turned off clears it", "+caps -caps +lctrl +b",
                    "pass | pass | pass | swallow -lctrl post 0102/1"},
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
                           {"a character above 127 through the code page", "+e", "swallow U+20ACv U+20AC^"},
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

// Characters beyond the record take precedence over the fallbacks the tables hold for them: a remapped
// key types its character, a pair of surrogates beyond U+FFFF, on every repeat; a hot key posts the
// character itself, from whichever set it came.
TEST(HookDecision, CharactersBeyondTheRecord) {
  Tables tables;
  tables.Identity();
  tables.RemapCharacter(RemapTableId::Lower, 'q', U'α');
  tables.RemapCharacter(RemapTableId::Upper, 'Q', 0x1F600);
  tables.RemapCharacter(RemapTableId::Punct, ';', U'→');
  tables.BindCharacter(Alphabetic, CtrlAlt, 6, U'→');
  tables.BindCharacter(Alphabetic, Alt, 7, 0x1F600);
  tables.BindCharacter(Alphabetic, Win, 3, U'x');  // Win+D is reserved: never fired
  tables.Bind(Alphabetic, Alt, 0, 'x');
  RunScenarios(
      tables,
      {
          {"q types alpha", "+q *q -q", "swallow U+03B1v U+03B1^ | swallow U+03B1v U+03B1^ | swallow"},
          {"Shift+Q types the pair", "+lshift +q -q",
           "pass | swallow U+D83Dv U+D83D^ U+DE00v U+DE00^ | swallow"},
          {"punctuation", "+semi", "swallow U+2192v U+2192^"},
          {"Ctrl+Alt+G posts the arrow", "+lctrl +lalt +g *g -g",
           "pass | pass | swallow +mask -mask -lctrl -lalt post 0104/6 char U+2192 | swallow post 0104/6 "
           "char U+2192 "
           "| swallow"},
          {"Alt+H posts the emoji", "+lalt +h", "pass | swallow +mask -mask -lalt post 0101/7 char U+1F600"},
          {"a cell of the record beside them", "+lalt +a", "pass | swallow +mask -mask -lalt post 0101/0"},
          {"a reserved cell stays the system's", "+lwin +d -d", "pass | pass | pass"},
          {"a key without one types itself", "+w -w", "pass | pass"},
          {"paused, nothing", "pause +q -q +lalt +h", "pass | pass | pass | pass"},
      });
  // The same tables as a bound program's set: the characters come with the set.
  Tables areas;
  areas.Identity();
  TableSets sets;
  sets.sets[0] = {areas.hot.data(), areas.remap.data()};
  sets.sets[1] = {tables.hot.data(), tables.remap.data(), tables.characters.get()};
  sets.setCount = 2;
  sets.windows[0] = {7, 1};
  sets.windowCount = 1;
  Session session;
  const KeyLayout layout = UsLayout();
  EXPECT_EQ(
      Play(session, areas, "+q -q focus7 +q -q +lalt +h", layout, &sets),
      "pass | pass | swallow U+03B1v U+03B1^ | swallow | pass | swallow +mask -mask -lalt post 0101/7 =0 "
      "char U+1F600");
}

// A cell set to a text fires as a character cell does, its id in place of the character and 0 in the
// record, but once a press: a held key does not replay it.
TEST(HookDecision, ATextFiresOncePerPress) {
  const char32_t id = TextId(u"Hé€😀{Enter}{Tab}x");
  char posted[32];
  std::snprintf(posted, sizeof posted, "post 0104/12 char U+%04X", static_cast<unsigned>(id));
  const std::string held = "pass | pass | swallow +mask -mask -lctrl -lalt " + std::string(posted) +
                           " | swallow | swallow | swallow | swallow " + posted +
                           " | swallow | swallow | swallow | swallow";
  Tables tables;
  tables.Identity();
  tables.BindCharacter(Alphabetic, CtrlAlt, 12, id);
  tables.BindCharacter(Alphabetic, Alt, 7, U'→');
  RunScenarios(
      tables,
      {
          {"Ctrl+Alt+M held, let go and pressed again", "+lctrl +lalt +m *m *m -m +m *m -m -lalt -lctrl",
           held.c_str()},
          {"a character cell beside it repeats", "+lalt +h *h",
           "pass | swallow +mask -mask -lalt post 0101/7 char U+2192 | swallow post 0101/7 char U+2192"},
          {"paused, nothing", "pause +lctrl +lalt +m -m", "pass | pass | pass | pass"},
      });
}

// A cell that shows the sheet says so at its press and once at whichever of its key and its modifiers is
// let go first, or at the next key; the target receives none of it, only the mask that keeps a released
// Alt from opening its menu.
TEST(HookDecision, TheSheetShowsWhileItsCombinationIsHeld) {
  Tables tables;
  tables.Identity();
  tables.BindCharacter(Alphabetic, Ctrl, 10, SheetMarker);     // Ctrl+K
  tables.BindCharacter(Alphabetic, CtrlAlt, 10, SheetMarker);  // Ctrl+Alt+K
  RunScenarios(
      tables,
      {
          {"key let go first", "+lctrl +k *k *k -k -lctrl",
           "pass | swallow sheet 1 | swallow | swallow | swallow sheet 0 | pass"},
          {"modifier let go first", "+lctrl +k -lctrl -k", "pass | swallow sheet 1 | pass sheet 0 | swallow"},
          {"with Alt, the mask", "+lctrl +lalt +k -lalt -k -lctrl",
           "pass | pass | swallow +mask -mask sheet 1 | pass sheet 0 | swallow | pass"},
          {"another key", "+lctrl +k +j -j -k", "pass | swallow sheet 1 | pass sheet 0 | pass | swallow"},
          {"paused, nothing", "pause +lctrl +k -k", "pass | pass | pass"},
      });
}

TEST(HookDecision, ZeroedAreasLeaveEveryKeyAlone) {
  Tables tables;  // as at start-up and after a failed load
  const KeyLayout layout = UsLayout();
  HookState state;
  const KeySystem held{0xFF, 0, 0, 0};
  const std::uint8_t modifiers[] = {0, 0xA0, 0xA2, 0xA4, 0x5B};
  for (std::uint8_t modifier : modifiers) {
    for (int vk = 1; vk < 256; ++vk) {
      if (modifier) DecideKey(state, {modifier, 1, false, false, false}, held, tables.views, layout);
      const auto down = DecideKey(state, {static_cast<std::uint8_t>(vk), 1, false, false, false}, held,
                                  tables.views, layout);
      const auto up = DecideKey(state, {static_cast<std::uint8_t>(vk), 1, true, false, false}, held,
                                tables.views, layout);
      ASSERT_FALSE(down.suppress || down.post || down.injectedCount || up.suppress) << modifier << " " << vk;
      if (modifier) DecideKey(state, {modifier, 1, true, false, false}, held, tables.views, layout);
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
  RunScenarios(
      tables,
      {
          {"the key remapped to b is Alt+B", "+lalt +a", "pass | swallow +mask -mask -lalt post 0101/1"},
          {"the key typing b is Alt+B too", "+lalt +b", "pass | swallow +mask -mask -lalt post 0101/1"},
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
}  // namespace tvx::scenario
