// Keys that hold up: the user's modifiers never leak into a hot key's action, AltGr stays AltGr, held keys
// repeat and release the way they were pressed, a release the hook never saw leaves nothing held, and a
// dropped hook comes back with its key state.
#include "core/hook/Watchdog.h"
#include "tests/core/hook_scenario.h"

namespace tvx::scenario {
namespace {

Tables BoundTables() {
  Tables tables;
  tables.Identity();
  for (int column = Alt; column <= AltShift; ++column) tables.Bind(Alphabetic, column, 9, 'x');  // every J
  tables.Bind(Alphabetic, Alt, 10, 'y');                                                         // Alt+K
  tables.Bind(Alphabetic, CtrlAlt, 10, 'x');                                                     // Ctrl+Alt+K
  tables.Bind(Editing, CtrlAlt, 2, 260);  // Ctrl+Alt+Home: F5
  tables.Remap(RemapTableId::Lower, 'q', 'z');
  return tables;
}

TEST(HookHold, ModifiersAreReleasedBeforeTheAction) {
  RunScenarios(
      BoundTables(),
      {
          {"Ctrl needs no mask key", "+lctrl +j -j -lctrl",
           "pass | swallow -lctrl post 0102/9 | swallow | swallow"},
          {"Ctrl+Alt+Home bound to F5", "+lctrl +lalt +home -home -lalt -lctrl",
           "pass | pass | swallow +mask -mask -lctrl -lalt post 0504/2 | swallow | swallow | swallow"},
          {"a second hot key while held releases nothing more", "+lalt +j -j +j -j -lalt",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow post 0101/9 | swallow | "
           "swallow"},
          {"a released Alt does not come back by repeating", "+lalt +j -j *lalt *lalt -lalt",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow | swallow | swallow"},
          {"Alt+Tab after an Alt hot key is Alt+Tab again", "+lalt +j -j +tab !+lalt !+tab -tab -lalt",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow +lalt +tab | pass | pass | pass "
           "| pass"},
          {"Alt let go before our press of it came through", "+lalt +j -j +tab -lalt !+lalt !+tab -tab",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow +lalt +tab | swallow -lalt | "
           "pass | pass | "
           "pass"},
          {"a key pressed again without a scan code gets one", "+lalt +j -j +bare",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow +lalt +l"},
          {"Ctrl pressed again while Alt stays released",
           "+lctrl +lalt +home -home -lctrl +lctrl !+lalt !+lctrl -lctrl -lalt",
           "pass | pass | swallow +mask -mask -lctrl -lalt post 0504/2 | swallow | swallow | swallow +lalt "
           "+lctrl | "
           "pass | pass | pass | pass"},
      });
}

TEST(HookHold, AltGrIsNotCtrlAlt) {
  RunScenarios(
      BoundTables(),
      {
          {"AltGr+k reaches the application unchanged", "+altgrctrl +ralt +k -k -ralt -altgrctrl",
           "pass | pass | pass | pass | pass | pass"},
          {"a real left Ctrl with the right Alt", "+lctrl +ralt +k",
           "pass | pass | swallow +mask -mask -lctrl -ralt post 0104/10"},
          {"the right Alt alone is Alt", "+ralt +k", "pass | swallow +mask -mask -ralt post 0101/10"},
          {"after AltGr keys are remapped again", "+altgrctrl +ralt -ralt -altgrctrl +q",
           "pass | pass | pass | pass | swallow 'z'v 'z'^"},
      });
}

TEST(HookHold, RepeatsAndSwapsApplyOnce) {
  Tables tables = BoundTables();
  tables.Remap(RemapTableId::Lower, 'a', 'b');
  tables.Remap(RemapTableId::Lower, 'b', 'a');
  RunScenarios(tables, {
                           {"a held remapped key repeats its replacement", "+q *q *q -q",
                            "swallow 'z'v 'z'^ | swallow 'z'v 'z'^ | swallow 'z'v 'z'^ | swallow"},
                           {"a held hot key reports each repeat", "+lalt +k *k -k",
                            "pass | swallow +mask -mask -lalt post 0101/10 | swallow post 0101/10 | swallow"},
                           {"a swap applies once, our own character passes", "+a !+packet !-packet -a",
                            "swallow 'b'v 'b'^ | pass | pass | swallow"},
                           {"and the other way", "+b !+packet !-packet -b",
                            "swallow 'a'v 'a'^ | pass | pass | swallow"},
                       });
}

TEST(HookHold, ReleasesGoTheWayOfTheirPressWhenTablesChange) {
  const KeyLayout layout = UsLayout();
  Tables tables = BoundTables();
  Session session;
  EXPECT_EQ(Play(session, tables, "+q +w +lalt +j", layout),
            "swallow 'z'v 'z'^ | pass | pass | swallow +mask -mask -lalt post 0101/9");
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'w', 'v');
  tables.Bind(Alphabetic, Alt, 9, 0);
  EXPECT_EQ(Play(session, tables, "*q -q *w -w -j -lalt", layout),
            "swallow 'z'v 'z'^ | swallow | pass | pass | swallow | swallow");
  EXPECT_EQ(Play(session, tables, "+w", layout), "swallow 'v'v 'v'^");
}

TEST(HookHold, ReleasesTheHookNeverSawLeaveNothingHeld) {
  RunScenarios(
      BoundTables(),
      {
          {"Alt held alone", "+lalt ~lalt +j -j", "pass | pass | pass"},
          {"Ctrl held alone", "+rctrl ~rctrl +j -j", "pass | pass | pass"},
          {"Win held alone", "+lwin ~lwin +j -j", "pass | pass | pass"},
          {"Shift held alone", "+lshift ~lshift +q -q", "pass | swallow 'z'v 'z'^ | swallow"},
          {"Alt after a hot key, then a pause", "+lalt +j -j ~lalt wait3100 +q -q",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow 'z'v 'z'^ | swallow"},
          {"Ctrl after a hot key, then another window", "+lctrl +j -j ~lctrl focus +q -q",
           "pass | swallow -lctrl post 0102/9 | swallow | swallow 'z'v 'z'^ | swallow"},
          {"Win after a hot key, then the secure desktop", "+lwin +j -j ~lwin desktop +q -q",
           "pass | swallow +mask -mask -lwin post 0103/9 | swallow | swallow 'z'v 'z'^ | swallow"},
          {"Alt+Shift after a hot key, then a pause", "+lshift +lalt +j -j ~lalt ~lshift wait3100 +q -q",
           "pass | pass | swallow +mask -mask -lalt -lshift post 0107/9 | swallow | swallow 'z'v 'z'^ | "
           "swallow"},
          {"a key in another window ends the belief by itself", "+lalt +j -j ~lalt focus +w -w",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | pass | pass"},
          {"a hot key let go on the secure desktop", "+lalt +j ~j ~lalt desktop +j -j",
           "pass | swallow +mask -mask -lalt post 0101/9 | pass | pass"},
          {"a remapped key let go there", "+q ~q desktop +lctrl +q -q -lctrl",
           "swallow 'z'v 'z'^ | pass | pass | pass | pass"},
          {"a modifier held across the switch still counts", "+lalt desktop +j -j -lalt",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow"},
          {"a hot key let go while the hook was gone", "+lalt +j -lalt ~j rebuild +j -j",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | pass | pass"},
      });
}

TEST(HookHold, ModifierHeldThroughHotKeysInARow) {
  RunScenarios(
      BoundTables(),
      {
          {"presses within the life keep the modifier", "+lalt +j -j wait2900 +k -k wait2900 +j -j -lalt",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow post 0101/10 | swallow | "
           "swallow post 0101/9 | swallow | swallow"},
          {"after a longer pause it is pressed again", "+lalt +j -j wait3100 +j -j -lalt +lalt +j",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | pass | pass | pass | pass | "
           "swallow +mask -mask -lalt post 0101/9"},
          {"a repeat of the modifier is a key too", "+lalt +j -j wait2900 *lalt wait2900 +j",
           "pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow | swallow post 0101/9"},
      });
}

TEST(HookHold, AltGrHeldAcrossARebuild) {
  RunScenarios(
      BoundTables(),
      {
          {"AltGr+k stays a character", "+altgrctrl +ralt rebuild +k -k", "pass | pass | pass | pass"},
          {"and after it plain keys are plain", "+altgrctrl +ralt rebuild -ralt -altgrctrl +j -j +q",
           "pass | pass | pass | pass | pass | pass | swallow 'z'v 'z'^"},
          {"AltGr released while the hook was gone", "+altgrctrl +ralt ~ralt ~altgrctrl rebuild +j",
           "pass | pass | pass"},
      });
}

TEST(HookHold, WatchdogTellsKeysTheCallbackMissed) {
  struct Case {
    const char* what;
    std::uint32_t ran, keyboard;
    bool lost;
  };
  const Case cases[] = {
      {"the callback saw the last key", 1000, 1000, false},
      {"a click or a wheel turn long after the last key", 1000, 0, false},
      {"raw input a little behind the callback", 1000, 2000, false},
      {"a key the callback never saw", 1000, 2001, true},
      {"across the wrap of the tick", 0xFFFFFF00u, 0x00000100u, false},
      {"a missed key across the wrap", 0xFFFFFF00u, 0x00000400u, true},
  };
  for (const Case& c : cases) {
    HookWatchdog watchdog;
    watchdog.Ran(c.ran);
    if (c.keyboard) watchdog.KeyboardInput(c.keyboard);
    EXPECT_EQ(watchdog.HookLost(), c.lost) << c.what;
  }
}

// Keys the system shows down keep their records; the swallowed presses, which it shows up, are forgotten
// (their releases may be lost as well), so they cannot count as repeats afterwards.
TEST(HookHold, KeyStateRebuiltFromTheSystem) {
  const KeyLayout layout = UsLayout();
  const Tables tables = BoundTables();
  Session session;
  Play(session, tables, "+q +w +lshift +lalt +j ~w", layout);
  session.state.capsLock = true;
  RebuildKeyState(session.state, session.systemDown, false);
  EXPECT_EQ(Play(session, tables, "-q -j +j -j -lalt +w -w -lshift +q", layout),
            "pass | pass | pass | pass | pass | pass | pass | pass | swallow 'z'v 'z'^");
}

TEST(HookHold, LayoutsAlternatingBetweenKeys) {
  KeyLayout german = UsLayout();  // Y and Z change places
  std::swap(german.chars['Y'], german.chars['Z']);
  Tables tables = BoundTables();
  tables.Remap(RemapTableId::Lower, 'y', '1');
  LayoutSlots slots;
  int filled = 0;
  auto layoutOf = [&](std::uintptr_t id) -> const KeyLayout& {
    return slots.For(id, [&](KeyLayout& layout, std::uintptr_t which) {
      ++filled;
      layout = which == 0x407 ? german : UsLayout();
    });
  };
  Session session;
  std::string typed;
  for (int round = 0; round < 3; ++round)
    for (std::uintptr_t id : {0x409u, 0x407u}) typed += Play(session, tables, "+z -z", layoutOf(id)) + " / ";
  const std::string us = "pass | pass / ", de = "swallow '1'v '1'^ | swallow / ";
  EXPECT_EQ(typed, us + de + us + de + us + de);
  EXPECT_EQ(filled, 2);
  // Eight slots: a ninth layout takes the least recently used, the others stay.
  for (std::uintptr_t id = 1; id <= 8; ++id) layoutOf(id);
  layoutOf(1);
  layoutOf(9);
  filled = 0;
  layoutOf(1);
  layoutOf(3);
  EXPECT_EQ(filled, 0);
  layoutOf(2);
  EXPECT_EQ(filled, 1);
}

}  // namespace
}  // namespace tvx::scenario
