#pragma once
// The nine tables in memory for a test: both areas filled by the test, the views the hook library reads,
// and the mapping file that holds them. Shared by the native scenarios and the Win32 harness.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/files/MappingExtension.h"
#include "core/hook/KeyDecision.h"
#include "core/keymap/Areas.h"
#include "core/keymap/Catalogue.h"

namespace tvx::test {

struct Tables {
  Tables() = default;
  // The views point into the vectors, whose buffers a move keeps and a copy would not.
  Tables(Tables&&) = default;
  Tables(const Tables&) = delete;
  Tables& operator=(const Tables&) = delete;

  std::vector<std::uint8_t> hot = std::vector<std::uint8_t>(AreaSize, 0);
  std::vector<std::uint8_t> remap = std::vector<std::uint8_t>(AreaSize, 0);
  // Kept apart for the same reason.
  std::unique_ptr<MappingCharacters> characters = std::make_unique<MappingCharacters>();
  HookTables views{HotKeyAreaView(hot.data()), RemapAreaView(remap.data()), characters.get()};

  // The remapper's default content: every key types itself.
  void Identity() {
    for (const RemapTableRows& list : RemapRowLists)
      for (std::size_t row = 0; row < list.rows.size(); ++row)
        views.remap.SetByte(list.table, static_cast<int>(row), static_cast<std::uint8_t>(list.rows[row]));
  }
  void Bind(int category, int column, int row, HotKeyAction action) {
    views.hotKeys.SetAction(*TableByCategory(category), column, row, action);
  }
  // A character beyond the record; the cell keeps its fallback.
  void BindCharacter(int category, int column, int row, char32_t character) {
    characters->Set(HotKeyCellNumber(*TableByCategory(category), column, row), character);
  }
  void RemapCharacter(RemapTableId table, char from, char32_t to) {
    characters->Set(RemapCellNumber(table, static_cast<int>(RemapRows(table).find(from))), to);
  }
  void Remap(RemapTableId table, char from, char to) {
    views.remap.SetByte(table, static_cast<int>(RemapRows(table).find(from)), static_cast<std::uint8_t>(to));
  }
  std::vector<std::uint8_t> MappingFile() const {
    std::vector<std::uint8_t> file(hot.begin() + hotkey_area::TablesBegin,
                                   hot.begin() + hotkey_area::TablesEnd);
    file.insert(file.end(), remap.begin() + remap_area::TablesBegin, remap.begin() + remap_area::TablesEnd);
    // With characters beyond the record, their extension after it.
    MappingRecord record;
    std::copy_n(file.begin(), MappingRecordSize, record.begin());
    const std::vector<std::uint8_t> extension = ExtensionBytes(record, *characters);
    file.insert(file.end(), extension.begin(), extension.end());
    return file;
  }
};

}  // namespace tvx::test
