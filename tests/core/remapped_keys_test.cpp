#include "core/hook/RemappedKeys.h"
#include "tests/core/hook_scenario.h"

namespace tvx::scenario {
namespace {

// The keys a key remap produced, decided as if the user had pressed them, in one batch: the character
// remapper and the hot keys see the key produced; a modifier produced in front of a key counts as held for it
// though the system has not seen it yet; what the decision lets through goes out as the produced key with its
// scan code and extended flag; a produced hot key's release reaches nothing.
TEST(RemappedKeys, AreDecidedAsIfPressed) {
  Tables tables;
  tables.Identity();
  tables.Bind(Alphabetic, CtrlAlt, 'Q' - 'A', 'x');
  tables.Remap(RemapTableId::Lower, 'a', 'b');
  KeyLayout layout = UsLayout();
  layout.scans[0x24] = 0x47;
  HookState state;
  RemappedKeysOutput out;
  const auto decide = [&](std::initializer_list<RemappedKey> keys) {
    RemapOutput produced;
    for (const RemappedKey& key : keys) produced.Add(key.vk, key.up);
    out = DecideRemappedKeys(state, produced, KeySystem{0, 1000, 1, 0}, tables.views, layout);
    std::string text;
    for (int i = 0; i < out.count; ++i) text += (i ? " | " : "") + Describe(out.decisions[i]);
    return text;
  };
  EXPECT_EQ(decide({{0x24, false}}), "swallow +home");
  EXPECT_EQ(out.decisions[0].injected[0], (InjectedKey{false, 0x24, 0x47, false, true}));
  EXPECT_EQ(decide({{0x24, true}, {'A', false}}), "swallow -home | swallow 'b'v 'b'^");
  EXPECT_EQ(decide({{0xA2, false}, {0xA4, false}, {'Q', false}}),
            "swallow +lctrl | swallow +lalt | swallow +mask -mask -lctrl -lalt post 0104/16");
  EXPECT_EQ(decide({{'Q', true}}), "swallow");
}

}  // namespace
}  // namespace tvx::scenario
