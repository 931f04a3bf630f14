#include "core/keymap/Catalogue.h"

namespace tvx {

std::string RowLabel(int category, int row) { return std::string(RowLabelView(category, row)); }

std::string ActionText(HotKeyAction action) {
  if (const ActionKey* key = ActionKeyFor(action)) return std::string(key->name);
  if (action > LastKeyAction) return "??";
  return std::string(1, static_cast<char>(action));
}

}  // namespace tvx
