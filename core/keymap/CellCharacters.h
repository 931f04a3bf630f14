#pragma once
// Characters beyond the mapping record: any Unicode character the user chose for a remapped key or a
// hot-key cell, which the record cannot hold (it keeps a fallback there: no hot key, the key's own
// character). The mapping file keeps them in an extension (core/files/MappingExtension.h); the hook reads
// them where the program publishes them.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/keymap/Areas.h"
#include "core/keymap/KeyRemaps.h"

namespace tvx {

// Cells in record order: the 539 hot-key words, then the 93 remap bytes.
inline constexpr int HotKeyCellCount =
    static_cast<int>((hotkey_area::TablesEnd - hotkey_area::TablesBegin) / sizeof(HotKeyAction));
inline constexpr int CellCount =
    HotKeyCellCount + static_cast<int>(remap_area::TablesEnd - remap_area::TablesBegin);

inline int HotKeyCellNumber(const HotKeyTable& table, int column, int row) {
  return static_cast<int>((*HotKeyEntryOffset(table, column, row) - hotkey_area::TablesBegin) / 2);
}
inline int RemapCellNumber(RemapTableId table, int row) {
  return HotKeyCellCount + static_cast<int>(RemapTableOf(table).start - remap_area::TablesBegin) + row;
}

// Whether a code point can be a cell's character: not a control code, not a surrogate, in range.
inline bool IsCellCharacter(char32_t code) {
  return code >= 0x20 && (code < 0x7F || code > 0x9F) && (code < 0xD800 || code > 0xDFFF) && code <= 0x10FFFF;
}

// What the user typed or pasted for a character: the one character itself (a surrogate pair counting as
// one), or "U+" and four to six hexadecimal digits, blanks around either ignored. Nothing when it is
// neither, or no character a cell can hold.
std::optional<char32_t> CharacterFromInput(std::u16string_view text);
// The character as UTF-16, for drawing: one unit, or a surrogate pair.
std::u16string Utf16Of(char32_t code);

// The byte of the code page that stands for `code`, given each byte's character by `fromAnsi` (0 where
// the code page has none). A character that has one goes in the record itself, whatever dialog chose it,
// so that a reader of the record alone (an older version, another machine) sees it.
std::optional<std::uint8_t> CodePageByte(char32_t code,
                                         const std::function<char16_t(std::uint8_t)>& fromAnsi);

// What a mapping file holds beyond its record: a character for each cell, 0 where the record's value is
// in force, and the Keys table. The program changes them on its thread while the hook reads them on its
// own: the hook reads each entry with At, the program writes with Set and SetAll, one relaxed atomic access
// an entry, as the areas do.
struct MappingCharacters {
  std::array<char32_t, CellCount> cells{};
  KeyRemapTable keys;

  bool Empty() const {
    for (int cell = 0; cell < CellCount; ++cell)
      if (At(cell)) return false;
    return keys.Empty();
  }
  char32_t At(int cell) const {
    if (cell < 0 || cell >= CellCount) return 0;
    return std::atomic_ref<char32_t>(const_cast<char32_t&>(cells[static_cast<std::size_t>(cell)]))
        .load(std::memory_order_relaxed);
  }
  void Set(int cell, char32_t code) {
    std::atomic_ref<char32_t>(cells[static_cast<std::size_t>(cell)]).store(code, std::memory_order_relaxed);
  }
  void SetAll(const MappingCharacters& other) {
    for (int cell = 0; cell < CellCount; ++cell) Set(cell, other.At(cell));
    keys.SetAll(other.keys.List());
  }
  bool operator==(const MappingCharacters&) const = default;
};

}  // namespace tvx
