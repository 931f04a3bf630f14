#include "core/keymap/KeyRemaps.h"

// What the hook reads, and so allocates nothing: the hook library links without the C++ library. What
// only the program uses is in KeyRemapList.cpp.

namespace tvx {
namespace {

// One word an entry: bits 0-1 the kind (0: not remapped), 2-11 the delay, 12-19 the key or tap key, 20-27
// the hold key.
std::uint32_t Pack(const KeyRemap& remap) {
  return static_cast<std::uint32_t>(remap.kind) | (static_cast<std::uint32_t>(remap.delayMs & 0x3FF) << 2) |
         (static_cast<std::uint32_t>(remap.to) << 12) | (static_cast<std::uint32_t>(remap.hold) << 20);
}

KeyRemap Unpack(std::uint8_t from, std::uint32_t word) {
  return {from, static_cast<KeyRemapKind>(word & 3), static_cast<std::uint8_t>(word >> 12),
          static_cast<std::uint8_t>(word >> 20), static_cast<std::uint16_t>((word >> 2) & 0x3FF)};
}

std::uint32_t Load(const std::uint32_t& word) {
  return std::atomic_ref<std::uint32_t>(const_cast<std::uint32_t&>(word)).load(std::memory_order_relaxed);
}
void Store(std::uint32_t& word, std::uint32_t value) {
  std::atomic_ref<std::uint32_t>(word).store(value, std::memory_order_relaxed);
}

}  // namespace

std::optional<KeyRemap> KeyRemapTable::At(std::uint8_t vk) const {
  const std::uint32_t word = Load(words[vk]);
  if (!word) return std::nullopt;
  return Unpack(vk, word);
}

void KeyRemapTable::Set(const KeyRemap& remap) { Store(words[remap.from], Pack(remap)); }

void KeyRemapTable::Clear(std::uint8_t vk) { Store(words[vk], 0); }

void KeyRemapTable::SetAll(const KeyRemapList& list) {
  KeyRemapTable next;
  for (const KeyRemap& remap : list) next.words[remap.from] = Pack(remap);
  for (std::size_t vk = 0; vk < words.size(); ++vk) Store(words[vk], next.words[vk]);
}

bool KeyRemapTable::Empty() const {
  for (const std::uint32_t& word : words)
    if (Load(word)) return false;
  return true;
}

}  // namespace tvx
