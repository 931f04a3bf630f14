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

std::optional<std::size_t> HotKeyEntryOffset(const HotKeyTable& table, int column, int row) {
  if (column < 1 || column > ModifierColumnCount || row < 0 || row >= table.keys) return std::nullopt;
  return table.start + 2 * static_cast<std::size_t>((column - 1) * table.keys + row);
}

const RemapTable& RemapTableOf(RemapTableId id) { return RemapTables[static_cast<std::size_t>(id)]; }

std::optional<HotKeyAction> HotKeyAreaView::Action(const HotKeyTable& table, int column, int row) const {
  const auto offset = HotKeyEntryOffset(table, column, row);
  if (!offset) return std::nullopt;
  return Load<HotKeyAction>(*offset);
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

std::optional<std::uint8_t> RemapAreaView::Byte(RemapTableId id, int row) const {
  const RemapTable& table = RemapTableOf(id);
  if (row < 0 || row >= table.rows) return std::nullopt;
  return Load<std::uint8_t>(table.start + static_cast<std::size_t>(row));
}

bool RemapAreaView::SetByte(RemapTableId id, int row, std::uint8_t value) const {
  const RemapTable& table = RemapTableOf(id);
  if (row < 0 || row >= table.rows) return false;
  Store(table.start + static_cast<std::size_t>(row), value);
  return true;
}

}  // namespace tvx
