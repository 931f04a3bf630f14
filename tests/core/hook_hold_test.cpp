// Keys that hold up: the user's modifiers never leak into a hot key's action, AltGr stays AltGr, held keys
// repeat and release the way they were pressed, and a dropped hook comes back with its key state.
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
           "pass | swallow A2^ post 0102/9 | swallow | swallow"},
          {"Ctrl+Alt+Home bound to F5", "+lctrl +lalt +home -home -lalt -lctrl",
           "pass | pass | swallow E8v E8^ A2^ A4^ post 0504/2 | swallow | swallow | swallow"},
          {"a second hot key while held releases nothing more", "+lalt +j -j +j -j -lalt",
           "pass | swallow E8v E8^ A4^ post 0101/9 | swallow | swallow post 0101/9 | swallow | swallow"},
          {"a released Alt does not come back by repeating", "+lalt +j -j *lalt *lalt -lalt",
           "pass | swallow E8v E8^ A4^ post 0101/9 | swallow | swallow | swallow | swallow"},
          {"Alt+Tab after an Alt hot key is Alt+Tab again", "+lalt +j -j +tab -tab -lalt",
           "pass | swallow E8v E8^ A4^ post 0101/9 | swallow | swallow A4v 09v | pass | pass"},
          {"a key pressed again without a scan code gets one", "+lalt +j -j +bare",
           "pass | swallow E8v E8^ A4^ post 0101/9 | swallow | swallow A4v 4Cv"},
          {"Ctrl pressed again while Alt stays released",
           "+lctrl +lalt +home -home -lctrl +lctrl -lctrl -lalt",
           "pass | pass | swallow E8v E8^ A2^ A4^ post 0504/2 | swallow | swallow | swallow A4v A2v | "
           "pass | pass"},
      });
}

TEST(HookHold, AltGrIsNotCtrlAlt) {
  RunScenarios(BoundTables(),
               {
                   {"AltGr+k reaches the application unchanged", "+altgrctrl +ralt +k -k -ralt -altgrctrl",
                    "pass | pass | pass | pass | pass | pass"},
                   {"a real left Ctrl with the right Alt", "+lctrl +ralt +k",
                    "pass | pass | swallow E8v E8^ A2^ A5^ post 0104/10"},
                   {"the right Alt alone is Alt", "+ralt +k", "pass | swallow E8v E8^ A5^ post 0101/10"},
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
                            "pass | swallow E8v E8^ A4^ post 0101/10 | swallow post 0101/10 | swallow"},
                           {"a swap applies once, our own character passes", "+a !+packet !-packet -a",
                            "swallow 'b'v 'b'^ | pass | pass | swallow"},
                           {"and the other way", "+b !+packet !-packet -b",
                            "swallow 'a'v 'a'^ | pass | pass | swallow"},
                       });
}

TEST(HookHold, ReleasesGoTheWayOfTheirPressWhenTablesChange) {
  const KeyLayout layout = UsLayout();
  Tables tables = BoundTables();
  HookState state;
  EXPECT_EQ(Play(state, tables, "+q +w +lalt +j", layout),
            "swallow 'z'v 'z'^ | pass | pass | swallow E8v E8^ A4^ post 0101/9");
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'w', 'v');
  tables.Bind(Alphabetic, Alt, 9, 0);
  EXPECT_EQ(Play(state, tables, "*q -q *w -w -j -lalt", layout),
            "swallow 'z'v 'z'^ | swallow | pass | pass | swallow | swallow");
  EXPECT_EQ(Play(state, tables, "+w", layout), "swallow 'v'v 'v'^");
}

TEST(HookHold, WatchdogNoticesADroppedHook) {
  struct Tick {
    std::uint32_t ran, lastInput;
    bool lost;
  };
  const Tick ticks[] = {
      {1000, 1000, false},                // the callback saw the last input
      {1000, 2000, false},                // within the grace
      {1000, 2001, true},                 // input the callback never saw
      {5000, 2001, false},                // older input after a run
      {0xFFFFFF00u, 0x00000100u, false},  // across the wrap of the tick
      {0xFFFFFF00u, 0x00000400u, true},
  };
  for (const Tick& tick : ticks) {
    HookWatchdog watchdog;
    watchdog.Ran(tick.ran);
    EXPECT_EQ(watchdog.HookLost(tick.lastInput, tick.lastInput, {}), tick.lost)
        << tick.ran << " " << tick.lastInput;
  }
}

TEST(HookHold, WatchdogTakesInputWhileThePointerMovesForTheMouse) {
  HookWatchdog watchdog;
  watchdog.Ran(1000);
  EXPECT_FALSE(watchdog.HookLost(3000, 3000, {10, 20}));  // the pointer moved: the mouse's input
  EXPECT_FALSE(watchdog.HookLost(3000, 4000, {10, 20}));  // nothing since
  EXPECT_TRUE(watchdog.HookLost(4500, 5000, {10, 20}));   // input with the pointer still
}

TEST(HookHold, KeyStateRebuiltFromTheSystemKeepsSwallowedPresses) {
  const KeyLayout layout = UsLayout();
  const Tables tables = BoundTables();
  HookState state;
  Play(state, tables, "+q +w +lshift +lalt +j", layout);
  std::array<bool, 256> down{};
  down[0xA0] = true;  // Shift is still down; w was released while the hook was gone
  down[0x10] = true;
  state.capsLock = true;
  RebuildKeyState(state, down, false);
  EXPECT_EQ(Play(state, tables, "-q -j -lalt +w -w -lshift +q", layout),
            "swallow | swallow | pass | pass | pass | pass | swallow 'z'v 'z'^");
  EXPECT_EQ(state.keys[0x10].fate, KeyFate::Up);
}

}  // namespace
}  // namespace tvx::scenario
