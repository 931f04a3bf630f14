// The catalogue's lookups that allocate nothing and throw nothing: the hook library links these alone.
#include <algorithm>
#include <bit>

#include "core/keymap/Catalogue.h"

namespace tvx {
namespace {

struct ReservedCells {
  KeyCategory category;
  ModifierColumn column;
  std::string_view rows;  // row labels, separated by '|'
};

// The combinations the operating system keeps for itself.
constexpr std::array<ReservedCells, 11> ReservedCombinations{{
    {Alphabetic, Win, "D|E|F|M|R"},
    {Alphabetic, CtrlWin, "F"},
    {FunctionKeys, Alt, "F6"},
    {FunctionKeys, Win, "F1"},
    {FunctionKeys, AltWin, "F6"},
    {FunctionKeys, AltShift, "F6"},
    {Numeric, Win, "0|1|2|3|4|5|6|7|8|9"},
    {Editing, Ctrl, "PrtScr|Pause"},
    {Editing, CtrlAlt, "Delete|PrtScr|Pause"},
    {Editing, CtrlWin, "PrtScr|Pause"},
    {Editing, AltShift, "KeyP /|KeyP *|KeyP -|KeyP +"},
}};

constexpr bool ListHas(std::string_view list, std::string_view label) {
  while (!list.empty()) {
    const auto bar = list.find('|');
    if (list.substr(0, bar) == label) return true;
    if (bar == std::string_view::npos) break;
    list.remove_prefix(bar + 1);
  }
  return false;
}

constexpr std::string_view Label(int category, int row) {
  // Not substr: its range check would throw; each row is checked against its list first.
  const auto letter = [row](std::string_view rows) -> std::string_view {
    return static_cast<std::size_t>(row) < rows.size() ? std::string_view(rows.data() + row, 1) : "";
  };
  const auto name = [row](const auto& rows) -> std::string_view {
    return static_cast<std::size_t>(row) < rows.size() ? rows[static_cast<std::size_t>(row)] : "";
  };
  if (row < 0) return {};
  switch (category) {
    case Alphabetic:
      return letter(LetterRows);
    case Punctuation:
      return letter(PunctHotKeyRows);
    case FunctionKeys:
      return name(FunctionKeyRows);
    case Numeric:
      return letter(DigitRows);
    case Editing:
      return name(EditingKeyRows);
    default:
      return {};
  }
}

// Bit r stands for row r of each reserved combination, worked out from the labels when compiling: the
// hook library asks for every hot key it fires.
constexpr int MaxRows = 32;
constexpr auto ReservedRowMasks = [] {
  std::array<std::uint32_t, ReservedCombinations.size()> masks{};
  for (std::size_t i = 0; i < masks.size(); ++i)
    for (int row = 0; row < MaxRows; ++row)
      if (const auto label = Label(ReservedCombinations[i].category, row);
          !label.empty() && ListHas(ReservedCombinations[i].rows, label))
        masks[i] |= 1u << row;
  return masks;
}();
// Every label listed names a row of its table.
static_assert([] {
  for (std::size_t i = 0; i < ReservedCombinations.size(); ++i)
    if (std::popcount(ReservedRowMasks[i]) != std::ranges::count(ReservedCombinations[i].rows, '|') + 1)
      return false;
  return true;
}());

}  // namespace

std::string_view RowLabelView(int category, int row) { return Label(category, row); }

const ActionKey* ActionKeyFor(HotKeyAction action) {
  if (action < FirstKeyAction || action > LastKeyAction) return nullptr;
  return &ActionKeyTable[action - FirstKeyAction];
}

bool IsActionKeyName(std::string_view text) {
  return std::any_of(ActionKeyTable.begin(), ActionKeyTable.end(),
                     [text](const ActionKey& key) { return key.name == text; });
}

int RowCount(int category) {
  const HotKeyTable* table = TableByCategory(category);
  return table ? table->keys : 0;
}

bool IsReserved(int category, int column, int row) {
  if (row < 0 || row >= MaxRows) return false;
  for (std::size_t i = 0; i < ReservedCombinations.size(); ++i)
    if (ReservedCombinations[i].category == category && ReservedCombinations[i].column == column)
      return (ReservedRowMasks[i] >> row) & 1;
  return false;
}

std::string_view RemapRows(RemapTableId table) { return RemapRowLists[static_cast<std::size_t>(table)].rows; }

}  // namespace tvx
