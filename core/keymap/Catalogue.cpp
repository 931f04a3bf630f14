#include "core/keymap/Catalogue.h"

#include <algorithm>

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

bool ListHas(std::string_view list, std::string_view label) {
  while (!list.empty()) {
    const auto bar = list.find('|');
    if (list.substr(0, bar) == label) return true;
    if (bar == std::string_view::npos) break;
    list.remove_prefix(bar + 1);
  }
  return false;
}

// A view into the row lists, so the hook library's callback can ask without allocating.
std::string_view RowLabelView(int category, int row) {
  if (row < 0 || row >= RowCount(category)) return {};
  switch (category) {
    case Alphabetic:
      return LetterRows.substr(row, 1);
    case Punctuation:
      return PunctHotKeyRows.substr(row, 1);
    case FunctionKeys:
      return FunctionKeyRows[row];
    case Numeric:
      return DigitRows.substr(row, 1);
    default:
      return EditingKeyRows[row];
  }
}

}  // namespace

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

std::string RowLabel(int category, int row) { return std::string(RowLabelView(category, row)); }

bool IsReserved(int category, int column, int row) {
  const std::string_view label = RowLabelView(category, row);
  if (label.empty()) return false;
  return std::any_of(
      ReservedCombinations.begin(), ReservedCombinations.end(), [&](const ReservedCells& cells) {
        return cells.category == category && cells.column == column && ListHas(cells.rows, label);
      });
}

std::string_view RemapRows(RemapTableId table) { return RemapRowLists[static_cast<std::size_t>(table)].rows; }

std::string ActionText(HotKeyAction action) {
  if (const ActionKey* key = ActionKeyFor(action)) return std::string(key->name);
  if (action > LastKeyAction) return "??";
  return std::string(1, static_cast<char>(action));
}

}  // namespace tvx
