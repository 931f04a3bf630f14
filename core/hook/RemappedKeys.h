#pragma once
// The keys the Keys table produced for one key of the user, taken through the per-key decision as if the
// user had pressed them: the character remapper and the hot keys see the key produced, not its source. No
// call into the system and no allocation: it runs inside the hook callback.

#include <array>

#include "core/hook/KeyDecision.h"
#include "core/hook/KeyRemapping.h"

namespace tvx {

// The Keys table of the tables in force; none where the program published no characters with them.
inline const KeyRemapTable* KeysOf(const HookTables& tables) {
  return tables.characters ? &tables.characters->keys : nullptr;
}

struct RemappedKeysOutput {
  int count = 0;
  // One decision a produced key, in order. Each is swallowed: a key its decision would let through is
  // among its own keys to inject instead, with the layout's scan code and the key's extended flag, so that
  // the whole lot goes out as one batch in order.
  std::array<KeyOutput, RemapOutput::MaxKeys> decisions;
};

// `system` as read for the user's key; the keys produced before one count as held, as they will be once
// the batch has gone out.
RemappedKeysOutput DecideRemappedKeys(HookState& state, const RemapOutput& keys, KeySystem system,
                                      const HookTables& tables, const KeyLayout& layout);

}  // namespace tvx
