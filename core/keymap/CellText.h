#pragma once
// The text a table cell shows, on screen and on paper, damaged values included.

#include <cstdint>
#include <string>

namespace tvx {

// The text a cell shows for a character code. A control code (1 to 31, only from a damaged file)
// shows in caret notation, "^A" for 1, rather than as a glyph no font has.
std::string CharacterText(std::uint8_t code);
// The text of a hot-key entry: a key's name, a character, or "??" for a value no key has.
std::string HotKeyCellText(std::uint16_t action);

}  // namespace tvx
