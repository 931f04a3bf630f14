#include "core/hook/TableSets.h"

#include <algorithm>

namespace tvx {

std::uint8_t SetOfWindow(const TableSets& sets, std::uintptr_t window) {
  const auto end = sets.windows.begin() + std::min<std::size_t>(sets.windowCount, TableSets::MaxWindows);
  const auto found =
      std::lower_bound(sets.windows.begin(), end, window,
                       [](const WindowSet& entry, std::uintptr_t w) { return entry.window < w; });
  if (found == end || found->window != window || found->set >= sets.setCount) return 0;
  return found->set;
}

HookTables TablesFor(const TableSets& sets, std::uintptr_t window) {
  const TableSetAreas& areas = sets.sets[SetOfWindow(sets, window)];
  return {HotKeyAreaView(areas.hotKeys), RemapAreaView(areas.remap)};
}

}  // namespace tvx
