#pragma once
// Per-application mappings as the hook sees them: the tables of every mapping file in force somewhere,
// prepared by the program in its own memory, and the windows that use each. The program publishes a
// whole TableSets at once; the hook looks up the foreground window in it for each key.

#include <array>
#include <cstdint>

#include "core/hook/KeyDecision.h"

namespace tvx {

inline constexpr int MaxBindings = 32;

// One mapping file's two areas (the program's views of the shared areas for the current file), and its
// characters beyond the record, if it has them.
struct TableSetAreas {
  std::uint8_t* hotKeys = nullptr;
  std::uint8_t* remap = nullptr;
  const MappingCharacters* characters = nullptr;
};

struct WindowSet {
  std::uintptr_t window = 0;
  std::uint8_t set = 0;
};

struct TableSets {
  static constexpr std::size_t MaxWindows = 512;
  // [0] the default file's; then one for each file loaded: the default's own and each bound one.
  std::array<TableSetAreas, MaxBindings + 2> sets{};
  std::uint8_t setCount = 1;
  // Sorted by window; a window not listed uses its root owner's set, or the default.
  std::array<WindowSet, MaxWindows> windows{};
  std::uint16_t windowCount = 0;
  // Bit i: set i is the shared areas, the current file's; its hot keys are posted as the message other
  // programs know, without the action carried.
  std::uint64_t areaSets = 0;
};

// The set index of `window`, or else of its root owner (a dialog of a bound program that the program has
// not seen yet): binary searches, no allocation, for the hook callback.
std::uint8_t SetOfWindow(const TableSets& sets, std::uintptr_t window, std::uintptr_t rootOwner = 0);
HookTables TablesOfSet(const TableSets& sets, std::uint8_t set);
inline bool IsAreaSet(const TableSets& sets, std::uint8_t set) { return (sets.areaSets >> set) & 1; }

}  // namespace tvx
