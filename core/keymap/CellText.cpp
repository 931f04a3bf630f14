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

namespace {

std::u16string Quoted(std::u16string_view text, bool cut) {
  std::u16string quoted(1, u'"');
  quoted.append(text);
  if (cut) quoted.push_back(u'\u2026');
  quoted.push_back(u'"');
  return quoted;
}

}  // namespace

std::u16string QuotedCellText(std::u16string_view text, int width,
                              const std::function<int(std::u16string_view)>& measure) {
  std::u16string quoted = Quoted(text, false);
  if (measure(quoted) <= width) return quoted;
  const auto cut = [&](std::size_t units) {
    // A high surrogate at the end would leave half a character.
    if (units > 0 && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) --units;
    return Quoted(text.substr(0, units), true);
  };
  // The widths grow with the units kept: the most that fit, by halves.
  std::size_t fits = 0, over = text.size();
  while (over - fits > 1) {
    const std::size_t middle = (fits + over) / 2;
    (measure(cut(middle)) <= width ? fits : over) = middle;
  }
  return cut(fits);
}

}  // namespace tvx
