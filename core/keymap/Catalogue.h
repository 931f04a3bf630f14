#pragma once
// The fixed vocabulary of keys: the rows of every table, the sixty action keys and the combinations
// the operating system keeps for itself.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/keymap/Areas.h"

namespace tvx {

inline constexpr std::string_view LetterRows = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr std::string_view LowerRows = "abcdefghijklmnopqrstuvwxyz";
inline constexpr std::string_view DigitRows = "0123456789";
inline constexpr std::string_view PunctHotKeyRows = "',-./;=[\\]`";
inline constexpr std::string_view PunctRemapRows = " !\"#$%&'()*+,-./:;<=>?@[\\]^_`}~";
inline constexpr std::array<std::string_view, 12> FunctionKeyRows{"F1", "F2", "F3", "F4",  "F5",  "F6",
                                                                  "F7", "F8", "F9", "F10", "F11", "F12"};
inline constexpr std::array<std::string_view, 18> EditingKeyRows{
    "Insert", "Delete", "Home",  "End",    "PgUp",  "PgDn",   "UpA",    "DownA",  "LeftA",
    "RightA", "Bkspc",  "Enter", "PrtScr", "Pause", "KeyP /", "KeyP *", "KeyP -", "KeyP +"};
// Virtual keys of the Editing rows, in row order.
inline constexpr std::array<std::uint8_t, 18> EditingKeyVks{0x2D, 0x2E, 0x24, 0x23, 0x21, 0x22,
                                                            0x26, 0x28, 0x25, 0x27, 0x08, 0x0D,
                                                            0x2C, 0x13, 0x6F, 0x6A, 0x6D, 0x6B};

struct ActionKey {
  std::string_view name;
  std::uint16_t vk;
};

inline constexpr std::array<ActionKey, 60> ActionKeyTable{{
    {"F1", 0x70},     {"F2", 0x71},     {"F3", 0x72},     {"F4", 0x73},     {"F5", 0x74},
    {"F6", 0x75},     {"F7", 0x76},     {"F8", 0x77},     {"F9", 0x78},     {"F10", 0x79},
    {"F11", 0x7A},    {"F12", 0x7B},    {"Insert", 0x2D}, {"Delete", 0x2E}, {"Home", 0x24},
    {"End", 0x23},    {"PgUp", 0x21},   {"PgDn", 0x22},   {"UpA", 0x26},    {"DownA", 0x28},
    {"LeftA", 0x25},  {"RightA", 0x27}, {"KeyP 0", 0x60}, {"KeyP 1", 0x61}, {"KeyP 2", 0x62},
    {"KeyP 3", 0x63}, {"KeyP 4", 0x64}, {"KeyP 5", 0x65}, {"KeyP 6", 0x66}, {"KeyP 7", 0x67},
    {"KeyP 8", 0x68}, {"KeyP 9", 0x69}, {"KeyP /", 0x6F}, {"KeyP *", 0x6A}, {"KeyP -", 0x6D},
    {"KeyP +", 0x6B}, {"KeyP .", 0x6E}, {"ESC", 0x1B},    {"Tab", 0x09},    {"Enter", 0x0D},
    {"Bkspc", 0x08},  {"Pause", 0x13},  {"PrtScr", 0x2C}, {"F13", 0x7C},    {"F14", 0x7D},
    {"F15", 0x7E},    {"F16", 0x7F},    {"F17", 0x80},    {"F18", 0x81},    {"F19", 0x82},
    {"F20", 0x83},    {"F21", 0x84},    {"F22", 0x85},    {"F23", 0x86},    {"F24", 0x87},
    {"Attn", 0xF6},   {"CrSel", 0xF7},  {"ExSel", 0xF8},  {"ErEOF", 0xF9},  {"PA1", 0xFD},
}};

// The action key a HotKeyAction names, or nullptr for values outside 256..315.
const ActionKey* ActionKeyFor(HotKeyAction action);
bool IsActionKeyName(std::string_view text);

// Rows of a category: 26, 11, 12, 10, 18; 0 for a number that is no category.
int RowCount(int category);
// The label of a row ("A", "F1", "Home"...); empty outside the category. The view allocates nothing.
std::string RowLabel(int category, int row);
std::string_view RowLabelView(int category, int row);
bool IsReserved(int category, int column, int row);

inline constexpr char ReservedCombinationMessage[] =
    "This key combination is used by the Windows 95, 98 or NT operating system and is therefore "
    "unavailable for use by Tavrix.";

struct RemapTableRows {
  RemapTableId table;
  std::string_view rows;  // row k is the k-th character
  const char* heading;
};

inline constexpr std::array<RemapTableRows, 4> RemapRowLists{{
    {RemapTableId::Upper, LetterRows, "Upper Case"},
    {RemapTableId::Lower, LowerRows, "Lower Case"},
    {RemapTableId::Numeric, DigitRows, "Numeric"},
    {RemapTableId::Punct, PunctRemapRows, "Punctuation"},
}};

std::string_view RemapRows(RemapTableId table);

// The text a hot-key cell shows for an action: a key's name, or the one-character text of the code
// (code 0 included; the editors show that as "none"). Values above 315 show as "??" rather than
// reading past ActionKeyTable, and so cannot pass for the character "?".
std::string ActionText(HotKeyAction action);

}  // namespace tvx
