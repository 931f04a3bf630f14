#pragma once
// The Keys table: any key the hook sees made another key, nothing, or two keys by tap and hold (Caps Lock
// as Esc when tapped and Ctrl when held). It is applied before everything else: the character remapper,
// the hot keys and every other program see the key it produces. A mapping file keeps it in its extension
// (core/files/MappingExtension.h, entry type KeyRemapEntry); the hook reads it where the program publishes
// it, beside the characters beyond the record.

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tvx {

inline constexpr std::uint16_t DefaultHoldDelayMs = 200;
inline constexpr std::uint16_t MinHoldDelayMs = 50;
inline constexpr std::uint16_t MaxHoldDelayMs = 1000;

// Key: press, repeats and release follow the source. Off: the key does nothing. TapHold: the tap key when
// released before the delay with no other key in between, the hold key otherwise.
enum class KeyRemapKind : std::uint8_t { Key = 1, Off = 2, TapHold = 3 };

struct KeyRemap {
  std::uint8_t from = 0;  // the source's virtual key
  KeyRemapKind kind = KeyRemapKind::Key;
  std::uint8_t to = 0;    // Key: the key produced; TapHold: the tap key
  std::uint8_t hold = 0;  // TapHold: the hold key
  std::uint16_t delayMs = DefaultHoldDelayMs;  // TapHold
  friend bool operator==(const KeyRemap&, const KeyRemap&) = default;
};

// What is wrong with one remap, for the user ("A key cannot be mapped to itself.", a delay out of range, a
// key with no name); nothing when it can be in force.
std::optional<std::string> KeyRemapProblem(const KeyRemap& remap);

// The table as the program edits, saves and shows it: one entry per source key, by source key.
using KeyRemapList = std::vector<KeyRemap>;

// The table as the hook reads it: one word per source key, 0 where the key is not remapped. The program
// changes it on its thread while the hook reads it on its own, one relaxed atomic access an entry, as
// MappingCharacters.
struct KeyRemapTable {
  std::array<std::uint32_t, 256> words{};

  std::optional<KeyRemap> At(std::uint8_t vk) const;
  void Set(const KeyRemap& remap);
  void Clear(std::uint8_t vk);
  // Every entry from `list`, the others cleared.
  void SetAll(const KeyRemapList& list);
  KeyRemapList List() const;
  bool Empty() const;
  bool operator==(const KeyRemapTable&) const = default;
};

}  // namespace tvx
