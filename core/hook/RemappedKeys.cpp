#include "core/hook/RemappedKeys.h"

namespace tvx {

RemappedKeysOutput DecideRemappedKeys(HookState& state, const RemapOutput& keys, KeySystem system,
                                      const HookTables& tables, const KeyLayout& layout) {
  RemappedKeysOutput result;
  // The system never saw a produced key whose press was swallowed: its release is swallowed too.
  system.keyDown = false;
  for (int i = 0; i < keys.count; ++i) {
    const RemappedKey& key = keys.keys[i];
    const KeyEvent event{key.vk, layout.scans[key.vk], key.up, IsExtendedKey(key.vk), false};
    KeyOutput& out = result.decisions[result.count++];
    out = DecideKey(state, event, system, tables, layout);
    if (!out.suppress) out.Inject({false, event.vk, event.scan, event.up, event.extended});
    out.suppress = true;
    system.modifiersDown = ModifiersToCheck(state);
  }
  return result;
}

}  // namespace tvx
