// The Keys table from real X keystrokes through the real program and hook library, on the display
// key_remaps_test.sh prepares: Caps Lock as Esc when tapped and Ctrl when held, F1 as Home, Insert off.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/win/support/hook_harness.h"

namespace tvx::test {
namespace {

TEST(KeyRemapsScenario, TheKeysTableComesFirst) {
  if (!std::getenv("TAVRIX_CAPS_NO_LOCK")) GTEST_SKIP() << "runs on a keymap of its own: key_remaps_test.sh";
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'a', 'z');
  tables.Bind(Alphabetic, CtrlAlt, 'Q' - 'A', 'x');
  tables.characters->keys.Set({0x14, KeyRemapKind::TapHold, 0x1B, 0xA2, 500});
  tables.characters->keys.Set({0x70, KeyRemapKind::Key, 0x24});
  tables.characters->keys.Set({0x2D, KeyRemapKind::Off});
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  Target target;
  ASSERT_TRUE(target.Focus());

  const struct {
    const char* what;
    const char* xdotool;
    const char* keys;      // as the target logs them: Ctrl as 11
    const char* extended;  // the keys down with the extended flag
  } rows[] = {
      {"a tap", "key Caps_Lock", "1Bv 1B^", ""},
      {"held with another key", "keydown Caps_Lock key c keyup Caps_Lock", "11v 43v 43^ 11^", ""},
      {"a key made another", "key F1", "24v 24^", "24"},
      {"a key turned off", "key Insert w", "57v 57^", ""},
      {"held alone, Ctrl at the delay", "keydown Caps_Lock sleep 1", "11v", ""},
      {"then let go: Ctrl's release alone", "keyup Caps_Lock", "11^", ""},
  };
  for (const auto& row : rows) {
    const std::size_t mark = target.Mark();
    Xdotool(row.xdotool);
    EXPECT_EQ(target.Since(mark, "k"), row.keys) << row.what << ": " << target.Settled().substr(mark);
    EXPECT_EQ(target.Since(mark, "e"), row.extended) << row.what;
  }

  // The character remapper finds Caps Lock untoggled, and the hot keys see the Ctrl it stands for.
  const std::size_t mark = target.Mark();
  Xdotool("key a keydown Caps_Lock key alt+q keyup Caps_Lock");
  EXPECT_EQ(Typed(target, mark), "zx") << target.Settled().substr(mark);

  for (const int vk : {0x14, 0x1B, 0x24, 0x2D, 0x70, 0xA2, 0xA4, 0x43, 0x51})
    EXPECT_FALSE(::GetAsyncKeyState(vk) & 0x8000) << std::hex << vk << " stays down";
  EXPECT_EQ(target.KeysDown(), "");
}

}  // namespace
}  // namespace tvx::test
