#pragma once
// Texts for hot-key cells: a cell may type a whole text or play a key sequence (core/app/TextAction.h)
// instead of one action. A text cell holds the text's id in MappingCharacters, never a character: ids start
// past the last code point. The texts themselves are kept in one store for the whole run, each distinct
// text once, so that the hook library can name a text by its id in a message and the program read it
// whatever has been published or freed since. The store is read and written under its own lock, never by
// the hook callback.

#include <string>
#include <string_view>

namespace tvx {

inline constexpr char32_t FirstTextId = 0x110000;
// A cell that shows the sheet of the hot keys in force while its combination is held: no character and no
// text, so the last value a cell can hold, which the store never reaches.
inline constexpr char32_t SheetMarker = 0xFFFFFFFF;
inline bool IsTextId(char32_t value) { return value >= FirstTextId && value != SheetMarker; }

// The id of `text`: the same for equal texts for the whole run.
char32_t TextId(std::u16string_view text);
// The text an id was given for; empty for a value that is no id given out.
std::u16string TextOfId(char32_t id);

}  // namespace tvx
