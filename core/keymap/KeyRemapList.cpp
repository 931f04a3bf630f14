// The Keys table as the program edits and checks it; the words the hook reads are in KeyRemaps.cpp.
#include "core/keymap/KeyNames.h"
#include "core/keymap/KeyRemaps.h"

namespace tvx {
namespace {

// 0 and FF are no key: the system never reports them.
bool IsKey(std::uint8_t vk) { return vk != 0 && vk != 0xFF; }

}  // namespace

std::optional<std::string> KeyRemapProblem(const KeyRemap& remap) {
  if (!IsKey(remap.from)) return "No key has the code " + KeyName(remap.from).substr(3) + ".";
  switch (remap.kind) {
    case KeyRemapKind::Off:
      return std::nullopt;
    case KeyRemapKind::Key:
      if (!IsKey(remap.to)) return "No key has the code " + KeyName(remap.to).substr(3) + ".";
      if (remap.to == remap.from) return "A key cannot be mapped to itself.";
      return std::nullopt;
    case KeyRemapKind::TapHold:
      if (!IsKey(remap.to) || !IsKey(remap.hold))
        return "No key has the code " + KeyName(IsKey(remap.to) ? remap.hold : remap.to).substr(3) + ".";
      if (remap.delayMs < MinHoldDelayMs || remap.delayMs > MaxHoldDelayMs)
        return "The hold delay is " + std::to_string(MinHoldDelayMs) + " to " +
               std::to_string(MaxHoldDelayMs) + " ms.";
      return std::nullopt;
  }
  return "A key's remap is of no kind this version knows.";
}

KeyRemapList KeyRemapTable::List() const {
  KeyRemapList list;
  for (std::size_t vk = 0; vk < words.size(); ++vk)
    if (const auto remap = At(static_cast<std::uint8_t>(vk))) list.push_back(*remap);
  return list;
}

}  // namespace tvx
