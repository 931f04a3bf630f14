// Pausing every mapping: Ctrl+Alt+Scroll Lock belongs to the library, new keys go through unchanged while
// paused, and a gesture under way when the pause comes or goes ends the way it began, with nothing left
// down and no release the application did not see pressed.
#include "tests/core/hook_scenario.h"

namespace tvx::scenario {
namespace {

Tables PauseTables() {
  Tables tables;
  tables.Identity();
  tables.Bind(Alphabetic, Alt, 9, 'x');       // Alt+J
  tables.Bind(Alphabetic, CtrlAlt, 10, 'x');  // Ctrl+Alt+K
  tables.Remap(RemapTableId::Lower, 'q', 'z');
  return tables;
}

void RunBalanced(const std::vector<Scenario>& scenarios) {
  const KeyLayout layout = UsLayout();
  const Tables tables = PauseTables();
  for (const Scenario& s : scenarios) {
    Session session;
    EXPECT_EQ(Play(session, tables, s.events, layout), s.expected) << s.what << ": " << s.events;
    EXPECT_EQ(session.strayReleases, 0) << s.what << ": " << s.events;
  }
}

TEST(HookPause, CtrlAltScrollLockTogglesLikeAHotKey) {
  RunBalanced({
      {"it pauses, and none of its keys reaches the application",
       "+lctrl +lalt +scroll *scroll -scroll -lalt -lctrl +q -q",
       "pass | pass | swallow +mask -mask -lctrl -lalt toggle | swallow | swallow | swallow | swallow | pass "
       "| pass"},
      {"pressed again with the modifiers still held, it resumes",
       "+lctrl +lalt +scroll -scroll +scroll -scroll -lalt -lctrl +q -q",
       "pass | pass | swallow +mask -mask -lctrl -lalt toggle | swallow | swallow toggle | swallow | swallow "
       "| "
       "swallow | "
       "swallow 'z'v 'z'^ | swallow"},
      {"while the program paused, it resumes", "pause +lctrl +lalt +scroll -scroll -lalt -lctrl +q",
       "pass | pass | swallow +mask -mask -lctrl -lalt toggle | swallow | swallow | swallow | swallow 'z'v "
       "'z'^"},
      {"Scroll Lock alone, with Ctrl, or with Shift too, is Scroll Lock",
       "+scroll -scroll +lctrl +scroll -scroll -lctrl +lshift +lctrl +lalt +scroll",
       "pass | pass | pass | pass | pass | pass | pass | pass | pass | pass"},
      {"a key while its modifiers are let go gets them back, unchanged",
       "+lctrl +lalt +scroll -scroll +w !+lctrl !+lalt -w -lalt -lctrl",
       "pass | pass | swallow +mask -mask -lctrl -lalt toggle | swallow | swallow +lctrl +lalt +w | pass | "
       "pass | pass | pass | "
       "pass"},
      {"after a Ctrl+Alt hot key, with the modifiers still held",
       "+lctrl +lalt +k -k +scroll -scroll -lalt -lctrl +q",
       "pass | pass | swallow +mask -mask -lctrl -lalt post 0104/10 | swallow | swallow toggle | swallow | "
       "swallow | "
       "swallow | pass"},
      {"a remapped key held through it", "+q +lctrl +lalt +scroll -scroll -lalt -lctrl -q +q -q",
       "swallow 'z'v 'z'^ | pass | pass | swallow +mask -mask -lctrl -lalt toggle | swallow | swallow | "
       "swallow | "
       "swallow | pass | pass"},
  });
}

TEST(HookPause, GesturesEndAsTheyBeganAcrossAPauseOrAResume) {
  RunBalanced({
      {"a hot key held, Alt still down, across the pause", "+lalt +j pause *j -j +j !+lalt -j -lalt",
       "pass | swallow +mask -mask -lalt post 0101/9 | swallow post 0101/9 | swallow | swallow +lalt +j | "
       "pass | pass | "
       "pass"},
      {"and across a resume", "+lalt +j pause -j resume +j -j -lalt",
       "pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow post 0101/9 | swallow | swallow"},
      {"a remapped key held across the pause", "+q pause *q -q +q -q",
       "swallow 'z'v 'z'^ | swallow 'z'v 'z'^ | swallow | pass | pass"},
      {"a key pressed while paused, held across the resume", "pause +q resume *q -q +q -q",
       "pass | pass | pass | swallow 'z'v 'z'^ | swallow"},
      {"Alt pressed while paused, held across the resume", "pause +lalt +j -j resume +j -j -lalt",
       "pass | pass | pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow"},
      {"a released modifier restored while paused", "+lalt +j -j pause +tab !+lalt -tab -lalt",
       "pass | swallow +mask -mask -lalt post 0101/9 | swallow | swallow +lalt +tab | pass | pass | pass"},
      {"a released modifier forgotten while paused", "+lalt +j -j ~lalt pause wait3100 +q -q",
       "pass | swallow +mask -mask -lalt post 0101/9 | swallow | pass | pass"},
      {"a pause and resume within one remapped key", "+q pause resume *q -q",
       "swallow 'z'v 'z'^ | swallow 'z'v 'z'^ | swallow"},
      {"within one hot key", "+lalt +j pause resume *j -j -lalt",
       "pass | swallow +mask -mask -lalt post 0101/9 | swallow post 0101/9 | swallow | swallow"},
      {"Caps Lock turned on while paused counts after the resume", "pause +caps -caps resume +q -q",
       "pass | pass | pass | pass"},
  });
}

}  // namespace
}  // namespace tvx::scenario
