#include "core/keymap/CellText.h"

#include "core/keymap/Catalogue.h"

namespace tvx {

std::string CharacterText(std::uint8_t code) {
  if (code >= 1 && code <= 31) return std::string{'^', static_cast<char>('@' + code)};
  return std::string(1, static_cast<char>(code));
}

std::string HotKeyCellText(std::uint16_t action) {
  if (action <= 0xFF) return CharacterText(static_cast<std::uint8_t>(action));
  return ActionText(action);
}

}  // namespace tvx
