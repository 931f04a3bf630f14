#include "core/hook/TableSets.h"

#include <algorithm>

namespace tvx {

namespace {

// The window's entry, if it has one.
const WindowSet* Listed(const TableSets& sets, std::uintptr_t window) {
  const auto end = sets.windows.begin() + std::min<std::size_t>(sets.windowCount, TableSets::MaxWindows);
  const auto found =
      std::lower_bound(sets.windows.begin(), end, window,
                       [](const WindowSet& entry, std::uintptr_t w) { return entry.window < w; });
  return found == end || found->window != window ? nullptr : &*found;
}

}  // namespace

std::uint8_t SetOfWindow(const TableSets& sets, std::uintptr_t window, std::uintptr_t rootOwner) {
  const WindowSet* entry = Listed(sets, window);
  if (!entry && rootOwner && rootOwner != window) entry = Listed(sets, rootOwner);
  if (!entry || entry->set >= sets.setCount) return 0;
  return entry->set;
}

HookTables TablesOfSet(const TableSets& sets, std::uint8_t set) {
  const TableSetAreas& areas = sets.sets[set < sets.setCount ? set : 0];
  return {HotKeyAreaView(areas.hotKeys), RemapAreaView(areas.remap), areas.characters};
}

}  // namespace tvx
