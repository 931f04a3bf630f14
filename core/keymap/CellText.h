#pragma once
// The text a table cell shows, on screen and on paper, damaged values included.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tvx {

// The text a cell shows for a character code. A control code (1 to 31, only from a damaged file)
// shows in caret notation, "^A" for 1, rather than as a glyph no font has.
std::string CharacterText(std::uint8_t code);
// What a cell set to show the sheet of the hot keys in force shows in the grid, on paper and on the sheet.
inline constexpr std::string_view SheetCellText = "Sheet";
// The text of a hot-key entry: a key's name, a character, or "??" for a value no key has.
std::string HotKeyCellText(std::uint16_t action);
// A text cell's text in quotes, as wide as `measure` finds it; cut with "…" before the closing quote
// where it is wider than `width`, never inside a surrogate pair.
std::u16string QuotedCellText(std::u16string_view text, int width,
                              const std::function<int(std::u16string_view)>& measure);

}  // namespace tvx
