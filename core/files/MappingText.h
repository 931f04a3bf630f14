#pragma once
// Mapping files as text, for people who keep them in version control or write them by hand: a header
// line, then one tab-separated line for each entry that differs from the default tables.
//   tavrix-mapping <TAB> 1
//   hotkey <TAB> CATEGORY <TAB> MODIFIERS <TAB> KEY <TAB> ACTION     ACTION: "char N", "key NAME" or "none"
//   remap <TAB> TABLE <TAB> KEY <TAB> char N
// N is a character code from 32 to 255; the names are those the program shows ("Editing", "Ctrl+Alt",
// "Home", "Upper Case", "space"). A character beyond the record (see MappingExtension.h) is "char U+XXXX",
// four to six hexadecimal digits; a hot key's text (core/app/TextAction.h) is "text STEPS", the text as
// the user wrote it in UTF-8, a tab in it written {U+0009} and the units of a line break {U+000D} and
// {U+000A}, which the text syntax never reads, so that the text comes back unit for unit (a line from
// earlier versions, with {Tab} and {Enter}, reads as the text it says); a hot key that shows the sheet of
// the hot keys in force is "sheet". These come only under the header "tavrix-mapping <TAB> 2", which an
// export writes exactly when it has such a line, so that a file without one still reads everywhere.
//   key <TAB> FROM <TAB> TO     TO: a key, "none", or "tap KEY hold KEY" with " after N" for a hold delay
//                               other than 200 ms (core/keymap/KeyRemaps.h)
// The names are the Keys table's (core/keymap/KeyNames.h), in any case. Key lines come only under the header
// "tavrix-mapping <TAB> 3", which also takes everything the second does.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/MappingExtension.h"
#include "core/files/MappingFile.h"

namespace tvx {

inline constexpr char MappingTextHeader[] = "tavrix-mapping\t1";
inline constexpr char UnicodeMappingTextHeader[] = "tavrix-mapping\t2";
inline constexpr char KeysMappingTextHeader[] = "tavrix-mapping\t3";

inline constexpr std::array<const char*, 6> CategoryNames{
    "", "Alphabetic", "Punctuation", "Function keys", "Numeric", "Editing"};
inline constexpr std::array<const char*, 8> ColumnNames{"",         "Alt",      "Ctrl",    "Win",
                                                        "Ctrl+Alt", "Ctrl+Win", "Alt+Win", "Alt+Shift"};
// The lowest character the program offers; below it are control codes.
inline constexpr int FirstCharacter = 32;

// One entry of a mapping file: where it lies and what names it.
struct MappingCell {
  std::string names;   // "hotkey\tEditing\tCtrl+Alt\tHome" or "remap\tUpper Case\tA"
  std::size_t offset;  // in the record
  bool hotKey;
  int category, column;  // hot keys
  int row;
  std::uint16_t own;  // the default: 0, or the key's own character
};

// A whole mapping file: the record and the characters beyond it.
struct Mapping {
  MappingRecord record;
  MappingCharacters characters;
  bool operator==(const Mapping&) const = default;
};

// Every entry of the record, in file order: the index is the cell's number (HotKeyCell, RemapCell).
const std::vector<MappingCell>& MappingCells();
std::uint16_t CellValue(const MappingRecord& record, const MappingCell& cell);
char32_t CellCharacter(const Mapping& mapping, const MappingCell& cell);
// Empty when the program could have written the value; otherwise why it could not.
std::string CellProblem(const MappingCell& cell, std::uint16_t value);
// The entry's line: its names and its value, or its character beyond the record or its text where it has
// one.
std::string CellLine(const MappingCell& cell, std::uint16_t value, char32_t character = 0);
// A key remap's line: "key\tCapsLock\ttap Esc hold LCtrl".
std::string KeyRemapLine(const KeyRemap& remap);
// What a key remap does, as its line and the guide show it: "Home", "none", "tap Esc hold LCtrl after 300".
std::string KeyRemapTarget(const KeyRemap& remap);
// The remap of `from` that a line's TO gives; nothing, with `problem` set, when TO is not one or the remap
// could not be in force.
std::optional<KeyRemap> KeyRemapOf(std::uint8_t from, std::string_view to, std::string& problem);

// A hot key's text as a line shows it: UTF-8, with the escapes above for a tab and a line break; and back.
std::string TextLine(std::u16string_view text);
std::u16string TextOfLine(std::u16string_view line);

// The lines of a file's entries that differ from the defaults (header first); the entries the program
// would refuse go to `problems` instead, one text each.
std::vector<std::string> ExportMapping(const Mapping& mapping, std::vector<std::string>& problems);

// The file the lines describe, on top of the default tables. Nothing when a line is wrong; then `error`
// says which ("line 3: ...").
std::optional<Mapping> ImportMapping(const std::vector<std::string>& lines, std::string& error);

MappingRecord DefaultRecord();

}  // namespace tvx
