#pragma once
// The characters beyond the record (core/keymap/CellCharacters.h) in a mapping file: an extension written
// right after the 1171-byte record. Readers that know only the record
// ignore it and see the fallbacks the record holds for such a cell: no hot key, and a key that types
// itself. A file with no such character is the plain record, byte for byte.
//
// The extension, little-endian:
//   0   4  "TVXU"
//   4   2  format version (1); a higher one is a layout this reader does not know
//   6   2  the number of entries
//   8   4  the extension's length, from its first byte to its checksum included
//   12  4  CRC-32 of the 1171-byte record it belongs to
//   16  .  entries: type (1 byte), entry version (1 byte), payload length (2 bytes), payload
//   end 4  CRC-32 of every byte of the extension before it
// Entry types:
//   1 a character: payload the cell (2 bytes) and the code point (4 bytes);
//   2 a hot key's text (core/keymap/CellTexts.h): payload the cell (2 bytes), then the text as written by
//     the user (core/app/TextAction.h), in UTF-16 units, at most 255 of them. The text's cell also has a
//     character entry with the placeholder U+FFFC: a version that knows only characters keeps that entry
//     when it saves the file and drops the text, so a placeholder with no text says the text was lost;
//   3 no payload: the writer knows texts. Written beside a hot key set to U+FFFC itself, whose entry would
//     otherwise read as a lost text's placeholder; a version that knows characters alone drops it;
//   4 a key remap (core/keymap/KeyRemaps.h): payload the source key, the kind, the key or tap key, the
//     hold key (1 byte each) and the hold delay in ms (2 bytes); the record is unchanged;
//   5 a hot key that shows the sheet of the hot keys in force: payload the cell (2 bytes); 0 in the record.
// An entry of a type or version this reader does not know is passed over, so later versions can add
// their own. Texts are stored as they were typed, as plain text.

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "core/files/MappingFile.h"
#include "core/keymap/CellCharacters.h"
#include "core/keymap/CellTexts.h"

namespace tvx {

inline constexpr std::size_t ExtensionHeaderSize = 16;
inline constexpr std::size_t ExtensionChecksumSize = 4;
inline constexpr std::uint16_t ExtensionVersion = 1;

enum class EntryType : std::uint8_t { Character = 1, Text = 2, TextsKnown = 3, KeyRemap = 4, ShowSheet = 5 };

// The character entry beside each text: what a version that knows no texts shows for the cell.
inline constexpr char32_t TextPlaceholder = 0xFFFC;

// "U+03B1", "U+1F600": four hexadecimal digits at least.
std::string CodePointText(char32_t code);

std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

// The record as it is saved with these characters: each such hot-key cell 0, each such remapped key its
// own character.
void PutFallbacks(MappingRecord& record, const MappingCharacters& characters);
// What this machine `held` for the cells whose values in `record` are still the fallbacks, and its key
// remaps: a file saved by a version that knows only the record lost its extension, not the cells that
// version left alone.
MappingCharacters CharactersKeptOver(const MappingRecord& record, const MappingCharacters& held);
// The bytes to write after the record; none when no cell has a character. MaxExtensionSize
// (core/files/MappingFile.h) leaves room for every cell with a text of 255 UTF-16 units and its entry
// header, with some to spare.
std::vector<std::uint8_t> ExtensionBytes(const MappingRecord& record, const MappingCharacters& characters);

// TextsLeftOut: loaded, but the texts of some hot keys were lost to an older version that saved the file,
// or could not be read; those cells are empty (key remaps left out too are named beside them).
// KeysLeftOut: loaded, but some key remaps could not be put in force; those keys are not remapped.
enum class ExtensionState { None, Loaded, Stale, Damaged, TextsLeftOut, KeysLeftOut };
struct ExtensionRead {
  ExtensionState state = ExtensionState::None;
  std::string problem;  // what is wrong, for Stale, Damaged, TextsLeftOut and KeysLeftOut
  MappingCharacters characters;
};

// The extension in the bytes after `record`; its characters only when it is whole and belongs to it.
ExtensionRead ReadExtension(const MappingRecord& record, std::span<const std::uint8_t> after);
// The same for a whole file's bytes: the record they begin with and what follows it (None for a file no
// longer than a record).
ExtensionRead ReadFileExtension(std::span<const std::uint8_t> file);

// A mapping file with its extension: the whole record into the areas, the extension's
// characters into `characters` (emptied when there are none), entry by entry for the hook. Nothing, with
// nothing changed, when the file cannot be opened.
std::optional<ExtensionRead> LoadMapping(FileAccess& files, const ShortString& fileName,
                                         const HotKeyAreaView& hotKeys, const RemapAreaView& remap,
                                         MappingCharacters& characters);
// The whole file as it is saved: the record with the characters' fallbacks, then their extension.
std::vector<std::uint8_t> MappingBytes(MappingRecord record, const MappingCharacters& characters);
// The areas and the characters in one save (beside, then replacing), as SaveRecord.
bool SaveMapping(FileAccess& files, const ShortString& fileName, const HotKeyAreaView& hotKeys,
                 const RemapAreaView& remap, const MappingCharacters& characters);

// A stale or damaged extension, or texts left out, are reported once a run: the notice for the first load
// that finds it, an empty text for later loads of the same file in the same state (an automatic reload, say)
// and for an extension that loaded or is not there.
class ExtensionReports {
 public:
  std::string NoticeFor(const std::string& fileName, const ExtensionRead& read);
  // Once a run for a file: characters kept over a record saved without its extension.
  std::string KeptNoticeFor(const std::string& fileName);

 private:
  std::set<std::string> reported_;
};

}  // namespace tvx
