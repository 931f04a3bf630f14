#include "core/keymap/Areas.h"

namespace tvx {

const HotKeyTable* TableByNumber(int tableNumber) {
  for (const auto& table : HotKeyTables)
    if (table.tableNumber == tableNumber) return &table;
  return nullptr;
}

const HotKeyTable* TableByCategory(int category) {
  for (const auto& table : HotKeyTables)
    if (table.category == category) return &table;
  return nullptr;
}

bool HotKeyAreaView::SetAction(const HotKeyTable& table, int column, int row, HotKeyAction action) const {
  const auto offset = HotKeyEntryOffset(table, column, row);
  if (!offset) return false;
  Store(*offset, action);
  return true;
}

std::optional<HotKeyAction> HotKeyAreaView::ActionByNumber(int tableNumber, int column, int row) const {
  const HotKeyTable* table = TableByNumber(tableNumber);
  return table ? Action(*table, column, row) : std::nullopt;
}

std::optional<HotKeyAction> HotKeyAreaView::ActionByCategory(int category, int column, int row) const {
  const HotKeyTable* table = TableByCategory(category);
  return table ? Action(*table, column, row) : std::nullopt;
}

bool RemapAreaView::SetByte(RemapTableId id, int row, std::uint8_t value) const {
  const RemapTable& table = RemapTableOf(id);
  if (row < 0 || row >= table.rows) return false;
  Store(table.start + static_cast<std::size_t>(row), value);
  return true;
}

}  // namespace tvx
