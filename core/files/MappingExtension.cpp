#include "core/files/MappingExtension.h"

#include <algorithm>
#include <cstring>

#include "core/common/IoError.h"
#include "core/keymap/Catalogue.h"
#include "core/keymap/KeyNames.h"
#include "core/keymap/TextSyntax.h"

namespace tvx {
namespace {

static_assert(static_cast<std::size_t>(CellCount) == MappingRecordSize - HotKeyRunSize / 2);

constexpr std::array<std::uint8_t, 4> Signature{'T', 'V', 'X', 'U'};
constexpr std::size_t EntryHeaderSize = 4;
constexpr std::size_t CharacterPayloadSize = 6;
constexpr std::uint8_t CharacterEntryVersion = 1;
constexpr std::size_t TextCellSize = 2;
constexpr std::uint8_t TextEntryVersion = 1;
constexpr std::uint8_t SheetEntryVersion = 1;
constexpr std::size_t KeyRemapPayloadSize = 6;
constexpr std::uint8_t KeyRemapEntryVersion = 1;
constexpr std::size_t KeyCount = 256;

// Every hot-key cell with a text of the longest and its placeholder, every remapped key with a character,
// and every key remapped in the Keys table fit in the longest extension a reader takes.
static_assert(ExtensionHeaderSize + ExtensionChecksumSize +
                  HotKeyCellCount *
                      (2 * EntryHeaderSize + CharacterPayloadSize + TextCellSize + 2 * MaxTextUnits) +
                  (CellCount - HotKeyCellCount) * (EntryHeaderSize + CharacterPayloadSize) +
                  KeyCount * (EntryHeaderSize + KeyRemapPayloadSize) <=
              MaxExtensionSize);

constexpr std::array<std::uint32_t, 256> CrcTable = [] {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}();

template <typename T>
T Get(std::span<const std::uint8_t> bytes, std::size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

template <typename T>
void Put(std::vector<std::uint8_t>& bytes, T value) {
  const auto* raw = reinterpret_cast<const std::uint8_t*>(&value);
  bytes.insert(bytes.end(), raw, raw + sizeof value);
}

template <typename T>
void PutAt(std::vector<std::uint8_t>& bytes, std::size_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

// Where a cell lies: a hot-key table with its column and row, or a remap table with its row.
struct CellPlace {
  const HotKeyTable* hotKeys = nullptr;
  int column = 0;
  RemapTableId remap{};
  int row = 0;
};

CellPlace PlaceOf(int cell) {
  if (cell < HotKeyCellCount) {
    const std::size_t offset = hotkey_area::TablesBegin + 2 * static_cast<std::size_t>(cell);
    const HotKeyTable* table = &HotKeyTables.front();
    for (const HotKeyTable& candidate : HotKeyTables)
      if (candidate.start <= offset) table = &candidate;
    const int word = static_cast<int>((offset - table->start) / 2);
    return {table, word / table->keys + 1, {}, word % table->keys};
  }
  const std::size_t offset = remap_area::TablesBegin + static_cast<std::size_t>(cell - HotKeyCellCount);
  const RemapTable* table = &RemapTables.front();
  for (const RemapTable& candidate : RemapTables)
    if (candidate.start <= offset) table = &candidate;
  return {nullptr, 0, table->id, static_cast<int>(offset - table->start)};
}

std::size_t RecordOffset(int cell) {
  return cell < HotKeyCellCount ? 2 * static_cast<std::size_t>(cell)
                                : HotKeyRunSize + static_cast<std::size_t>(cell - HotKeyCellCount);
}

std::uint8_t OwnCharacter(const CellPlace& place) {
  return static_cast<std::uint8_t>(RemapRows(place.remap)[static_cast<std::size_t>(place.row)]);
}

bool HoldsFallback(const MappingRecord& record, int cell) {
  const CellPlace place = PlaceOf(cell);
  const std::size_t at = RecordOffset(cell);
  if (place.hotKeys) return record[at] == 0 && record[at + 1] == 0;
  return record[at] == OwnCharacter(place);
}

void PutCharacter(std::vector<std::uint8_t>& bytes, int cell, char32_t code) {
  Put(bytes, static_cast<std::uint8_t>(EntryType::Character));
  Put(bytes, CharacterEntryVersion);
  Put(bytes, static_cast<std::uint16_t>(CharacterPayloadSize));
  Put(bytes, static_cast<std::uint16_t>(cell));
  Put(bytes, static_cast<std::uint32_t>(code));
}

void PutKeyRemap(std::vector<std::uint8_t>& bytes, const KeyRemap& remap) {
  Put(bytes, static_cast<std::uint8_t>(EntryType::KeyRemap));
  Put(bytes, KeyRemapEntryVersion);
  Put(bytes, static_cast<std::uint16_t>(KeyRemapPayloadSize));
  for (const std::uint8_t byte : {remap.from, static_cast<std::uint8_t>(remap.kind), remap.to, remap.hold})
    Put(bytes, byte);
  Put(bytes, remap.delayMs);
}

ExtensionRead Failed(ExtensionState state, std::string problem) { return {state, std::move(problem), {}}; }
ExtensionRead Damaged(std::string problem) { return Failed(ExtensionState::Damaged, std::move(problem)); }

// A character entry's payload into `characters`; the damage when it cannot hold.
std::string ReadCharacter(const MappingRecord& record, std::span<const std::uint8_t> payload,
                          MappingCharacters& characters) {
  if (payload.size() != CharacterPayloadSize) return "a character entry of the wrong length";
  const int cell = Get<std::uint16_t>(payload, 0);
  const char32_t code = Get<std::uint32_t>(payload, 2);
  if (cell >= CellCount) return "a character for cell " + std::to_string(cell) + ", which no table has";
  if (!IsCellCharacter(code)) return CodePointText(code) + ", which is not a character a key can type";
  if (characters.cells[static_cast<std::size_t>(cell)] != 0)
    return "two characters for cell " + std::to_string(cell);
  const CellPlace place = PlaceOf(cell);
  if (place.hotKeys && IsReserved(place.hotKeys->category, place.column, place.row))
    return "a character on a combination the operating system keeps for itself";
  if (!HoldsFallback(record, cell))
    return "a character for cell " + std::to_string(cell) + ", which the record fills";
  characters.cells[static_cast<std::size_t>(cell)] = code;
  return {};
}

// A sheet entry's payload into `characters`; the damage when it cannot hold.
std::string ReadSheet(const MappingRecord& record, std::span<const std::uint8_t> payload,
                      MappingCharacters& characters) {
  if (payload.size() != TextCellSize) return "a sheet entry of the wrong length";
  const int cell = Get<std::uint16_t>(payload, 0);
  if (cell >= HotKeyCellCount) return "a sheet for cell " + std::to_string(cell) + ", which is no hot key";
  if (characters.cells[static_cast<std::size_t>(cell)] != 0)
    return "two actions for cell " + std::to_string(cell);
  const CellPlace place = PlaceOf(cell);
  if (IsReserved(place.hotKeys->category, place.column, place.row))
    return "a sheet on a combination the operating system keeps for itself";
  if (!HoldsFallback(record, cell))
    return "a sheet for cell " + std::to_string(cell) + ", which the record fills";
  characters.cells[static_cast<std::size_t>(cell)] = SheetMarker;
  return {};
}

// A key remap entry's payload into `keys`; what keeps it out of force when it cannot be. Fields its kind
// does not use are not kept, so that a remap reads back equal to the one the program made.
std::string ReadKeyRemap(std::span<const std::uint8_t> payload, KeyRemapTable& keys) {
  if (payload.size() != KeyRemapPayloadSize) return "a key remap entry of the wrong length";
  const std::string from = "the remap of the key " + KeyName(payload[0]);
  const std::uint8_t kind = payload[1];
  if (kind < static_cast<std::uint8_t>(KeyRemapKind::Key) ||
      kind > static_cast<std::uint8_t>(KeyRemapKind::TapHold))
    return from + " is of kind " + std::to_string(kind) + ", which this version does not know";
  KeyRemap remap{payload[0], static_cast<KeyRemapKind>(kind), payload[2], payload[3],
                 Get<std::uint16_t>(payload, 4)};
  if (remap.kind != KeyRemapKind::TapHold)
    remap = {remap.from, remap.kind, remap.kind == KeyRemapKind::Key ? remap.to : std::uint8_t{0}};
  if (const auto problem = KeyRemapProblem(remap)) return from + " cannot be in force (" + *problem + ")";
  if (keys.At(remap.from)) return "two remaps of the key " + KeyName(remap.from);
  keys.Set(remap);
  return {};
}

struct TextEntry {
  std::uint8_t version;
  std::span<const std::uint8_t> payload;
};

// A text entry's payload over its cell's placeholder; what is wrong when it cannot be. A cell it names is
// `named`, whether its text is read or not.
std::string ReadText(const TextEntry& entry, MappingCharacters& characters,
                     std::array<bool, HotKeyCellCount>& named) {
  const std::span<const std::uint8_t> payload = entry.payload;
  if (payload.size() < TextCellSize) return "a text entry of the wrong length";
  const int cell = Get<std::uint16_t>(payload, 0);
  if (cell >= HotKeyCellCount) return "a text for cell " + std::to_string(cell) + ", which is no hot key";
  named[static_cast<std::size_t>(cell)] = true;
  if (payload.size() % 2) return "the text for cell " + std::to_string(cell) + " is of the wrong length";
  if (entry.version != TextEntryVersion)
    return "the text for cell " + std::to_string(cell) + " is of a later version of Tavrix 98";
  if (characters.cells[static_cast<std::size_t>(cell)] != TextPlaceholder)
    return "a text for cell " + std::to_string(cell) + " without its placeholder";
  std::u16string text;
  for (std::size_t at = TextCellSize; at < payload.size(); at += 2)
    text += static_cast<char16_t>(Get<std::uint16_t>(payload, at));
  if (const ParsedText parsed = ParseTextSyntax(text); parsed.error)
    return "the text for cell " + std::to_string(cell) + " does not read (" + parsed.error->message + ")";
  characters.cells[static_cast<std::size_t>(cell)] = TextId(text);
  return {};
}

// The texts over their placeholders, once every character is read. A placeholder left over is emptied:
// with no text entry for its cell, an older version saved the file and dropped the text. Where the writer
// knew texts, such a placeholder is the character U+FFFC itself.
void PutTexts(ExtensionRead& read, const std::vector<TextEntry>& texts, bool textsKnown) {
  std::array<bool, HotKeyCellCount> named{};
  std::vector<std::string> problems;
  for (const TextEntry& text : texts)
    if (std::string problem = ReadText(text, read.characters, named); !problem.empty())
      problems.push_back(std::move(problem));
  bool dropped = false;
  for (int cell = 0; cell < HotKeyCellCount; ++cell) {
    char32_t& code = read.characters.cells[static_cast<std::size_t>(cell)];
    if (code != TextPlaceholder || (textsKnown && !named[static_cast<std::size_t>(cell)])) continue;
    code = 0;
    dropped = dropped || !named[static_cast<std::size_t>(cell)];
  }
  if (dropped) problems.insert(problems.begin(), "an older version of Tavrix 98 has saved the file since");
  if (problems.empty()) return;
  read.state = ExtensionState::TextsLeftOut;
  for (const std::string& problem : problems) read.problem += (read.problem.empty() ? "" : "; ") + problem;
}

// Key remaps that cannot be in force are left out and named, after any texts left out.
void NameKeysLeftOut(ExtensionRead& read, const std::vector<std::string>& problems) {
  if (problems.empty()) return;
  if (read.state == ExtensionState::Loaded) read.state = ExtensionState::KeysLeftOut;
  for (const std::string& problem : problems) read.problem += (read.problem.empty() ? "" : "; ") + problem;
}

ExtensionRead ReadEntries(const MappingRecord& record, std::span<const std::uint8_t> entries, int count) {
  ExtensionRead read{ExtensionState::Loaded, {}, {}};
  std::vector<TextEntry> texts;
  std::vector<std::string> keyProblems;
  bool textsKnown = false;
  std::size_t at = 0;
  for (int i = 0; i < count; ++i) {
    if (entries.size() - at < EntryHeaderSize)
      return Damaged("entry " + std::to_string(i + 1) + " is cut short");
    const auto type = static_cast<EntryType>(entries[at]);
    const std::uint8_t version = entries[at + 1];
    const std::size_t length = Get<std::uint16_t>(entries, at + 2);
    at += EntryHeaderSize;
    if (entries.size() - at < length) return Damaged("entry " + std::to_string(i + 1) + " is cut short");
    // Entries of a later version of the program are passed over: their cells keep the record's value.
    if (type == EntryType::Character && version == CharacterEntryVersion)
      if (std::string problem = ReadCharacter(record, entries.subspan(at, length), read.characters);
          !problem.empty())
        return Damaged(std::move(problem));
    if (type == EntryType::ShowSheet && version == SheetEntryVersion)
      if (std::string problem = ReadSheet(record, entries.subspan(at, length), read.characters);
          !problem.empty())
        return Damaged(std::move(problem));
    // A text of any version names its cell: one of a later version is reported as such, not as lost.
    if (type == EntryType::Text) texts.push_back({version, entries.subspan(at, length)});
    textsKnown = textsKnown || type == EntryType::TextsKnown;
    if (type == EntryType::KeyRemap && version == KeyRemapEntryVersion)
      if (std::string problem = ReadKeyRemap(entries.subspan(at, length), read.characters.keys);
          !problem.empty())
        keyProblems.push_back(std::move(problem));
    at += length;
  }
  if (at != entries.size())
    return Damaged(std::to_string(entries.size() - at) + " bytes after the last entry");
  PutTexts(read, texts, textsKnown);
  NameKeysLeftOut(read, keyProblems);
  return read;
}

}  // namespace

std::string CodePointText(char32_t code) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint32_t rest = code; rest != 0 || text.size() < 4; rest >>= 4)
    text.insert(text.begin(), Digits[rest & 0xF]);
  return "U+" + text;
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const std::uint8_t byte : bytes) crc = CrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void PutFallbacks(MappingRecord& record, const MappingCharacters& characters) {
  for (int cell = 0; cell < CellCount; ++cell) {
    if (characters.cells[static_cast<std::size_t>(cell)] == 0) continue;
    const CellPlace place = PlaceOf(cell);
    const std::size_t at = RecordOffset(cell);
    if (place.hotKeys) {
      record[at] = record[at + 1] = 0;
    } else {
      record[at] = OwnCharacter(place);
    }
  }
}

MappingCharacters CharactersKeptOver(const MappingRecord& record, const MappingCharacters& held) {
  MappingCharacters kept;
  for (int cell = 0; cell < CellCount; ++cell) {
    const char32_t code = held.At(cell);
    if (code == 0) continue;
    const CellPlace place = PlaceOf(cell);
    const std::size_t at = RecordOffset(cell);
    if (place.hotKeys ? record[at] == 0 && record[at + 1] == 0 : record[at] == OwnCharacter(place))
      kept.cells[static_cast<std::size_t>(cell)] = code;
  }
  // The record holds nothing of the Keys table, so no version that knows only the record changed it.
  kept.keys.SetAll(held.keys.List());
  return kept;
}

std::vector<std::uint8_t> ExtensionBytes(const MappingRecord& record, const MappingCharacters& characters) {
  if (characters.Empty()) return {};
  std::vector<std::uint8_t> bytes(Signature.begin(), Signature.end());
  Put(bytes, ExtensionVersion);
  Put(bytes, std::uint16_t{0});  // the entries, counted below
  Put(bytes, std::uint32_t{0});  // the length, once known
  Put(bytes, Crc32(record));
  bool textsKnown = false;
  std::uint16_t count = 0;
  for (int cell = 0; cell < CellCount; ++cell) {
    const char32_t code = characters.cells[static_cast<std::size_t>(cell)];
    if (code == 0) continue;
    if (code == SheetMarker) {
      if (cell >= HotKeyCellCount) continue;  // a sheet is for hot keys alone
      Put(bytes, static_cast<std::uint8_t>(EntryType::ShowSheet));
      Put(bytes, SheetEntryVersion);
      Put(bytes, static_cast<std::uint16_t>(TextCellSize));
      Put(bytes, static_cast<std::uint16_t>(cell));
      ++count;
      continue;
    }
    if (!IsTextId(code)) {
      PutCharacter(bytes, cell, code);
      ++count;
      if (code != TextPlaceholder || cell >= HotKeyCellCount || textsKnown) continue;
      Put(bytes, static_cast<std::uint8_t>(EntryType::TextsKnown));
      Put(bytes, std::uint8_t{1});
      Put(bytes, std::uint16_t{0});
      textsKnown = true;
      ++count;
      continue;
    }
    // Texts are for hot keys alone, and only those this version can read again.
    const std::u16string text = TextOfId(code);
    if (cell >= HotKeyCellCount || text.empty() || text.size() > MaxTextUnits) continue;
    PutCharacter(bytes, cell, TextPlaceholder);
    Put(bytes, static_cast<std::uint8_t>(EntryType::Text));
    Put(bytes, TextEntryVersion);
    Put(bytes, static_cast<std::uint16_t>(TextCellSize + 2 * text.size()));
    Put(bytes, static_cast<std::uint16_t>(cell));
    for (const char16_t unit : text) Put(bytes, static_cast<std::uint16_t>(unit));
    count += 2;
  }
  for (const KeyRemap& remap : characters.keys.List()) {
    PutKeyRemap(bytes, remap);
    ++count;
  }
  PutAt(bytes, 6, count);
  PutAt(bytes, 8, static_cast<std::uint32_t>(bytes.size() + ExtensionChecksumSize));
  Put(bytes, Crc32(bytes));
  return bytes;
}

ExtensionRead ReadExtension(const MappingRecord& record, std::span<const std::uint8_t> after) {
  if (after.empty()) return {};
  // Bytes that do not start as an extension does were never one: a longer file's tail, which a load ignores
  // as it always has.
  const std::size_t start = std::min(after.size(), Signature.size());
  if (!std::equal(after.begin(), after.begin() + static_cast<std::ptrdiff_t>(start), Signature.begin()))
    return {};
  if (after.size() < ExtensionHeaderSize + ExtensionChecksumSize)
    return Damaged("the extension is cut short");
  if (const auto version = Get<std::uint16_t>(after, 4); version != ExtensionVersion)
    return Damaged("an extension of format " + std::to_string(version) +
                   ", which this version does not read");
  const std::size_t length = Get<std::uint32_t>(after, 8);
  if (length < ExtensionHeaderSize + ExtensionChecksumSize)
    return Damaged("an extension shorter than its header");
  if (length > MaxExtensionSize) return Damaged("an extension longer than the program writes");
  if (length > after.size()) return Damaged("the extension is cut short");
  if (length < after.size())
    return Damaged(std::to_string(after.size() - length) + " bytes after the extension");
  const std::size_t body = length - ExtensionChecksumSize;
  if (Crc32(after.first(body)) != Get<std::uint32_t>(after, body))
    return Damaged("the extension's checksum is wrong");
  if (Crc32(record) != Get<std::uint32_t>(after, 12))
    return Failed(ExtensionState::Stale, "the record was saved since without the extension");
  return ReadEntries(record, after.subspan(ExtensionHeaderSize, body - ExtensionHeaderSize),
                     Get<std::uint16_t>(after, 6));
}

ExtensionRead ReadFileExtension(std::span<const std::uint8_t> file) {
  if (file.size() <= MappingRecordSize) return {};
  MappingRecord record;
  std::copy_n(file.begin(), MappingRecordSize, record.begin());
  return ReadExtension(record, file.subspan(MappingRecordSize));
}

std::optional<ExtensionRead> LoadMapping(FileAccess& files, const ShortString& fileName,
                                         const HotKeyAreaView& hotKeys, const RemapAreaView& remap,
                                         MappingCharacters& characters) {
  // One more byte than the longest extension, so that a longer one shows as such.
  const auto bytes =
      files.Read(fileName.str(), MappingRecordSize + MaxExtensionSize + 1, FileAccess::Sharing::OthersRead);
  if (!bytes) return std::nullopt;
  if (bytes->size() < MappingRecordSize) throw IoError(IoError::ReadBeyondEndOfFile);
  ExtensionRead read = ReadFileExtension(*bytes);
  MappingRecord record;
  std::copy_n(bytes->begin(), MappingRecordSize, record.begin());
  RecordToAreas(record, hotKeys, remap);
  characters.SetAll(read.characters);
  return read;
}

std::vector<std::uint8_t> MappingBytes(MappingRecord record, const MappingCharacters& characters) {
  PutFallbacks(record, characters);
  std::vector<std::uint8_t> bytes(record.begin(), record.end());
  const std::vector<std::uint8_t> extension = ExtensionBytes(record, characters);
  bytes.insert(bytes.end(), extension.begin(), extension.end());
  return bytes;
}

bool SaveMapping(FileAccess& files, const ShortString& fileName, const HotKeyAreaView& hotKeys,
                 const RemapAreaView& remap, const MappingCharacters& characters) {
  return SaveRecord(files, fileName.str(), MappingBytes(RecordFromAreas(hotKeys, remap), characters));
}

std::string ExtensionReports::KeptNoticeFor(const std::string& fileName) {
  if (!reported_.insert(fileName + "\nkept").second) return {};
  return fileName +
         " was saved by a version of Tavrix 98 that keeps no characters beyond the code page. The characters "
         "and texts this machine had for its keys and hot keys are kept, and the next change saves them "
         "back.";
}

std::string ExtensionReports::NoticeFor(const std::string& fileName, const ExtensionRead& read) {
  if (read.state == ExtensionState::None || read.state == ExtensionState::Loaded) return {};
  if (!reported_.insert(fileName + '\n' + read.problem).second) return {};
  switch (read.state) {
    case ExtensionState::Stale:
      return "The characters beyond the code page saved in " + fileName +
             " were left out: an older version of Tavrix 98 has saved the file since. Its keys and hot keys "
             "are loaded as that version left them.";
    case ExtensionState::Damaged:
      return "The characters beyond the code page saved in " + fileName + " were left out: " + read.problem +
             ". Its keys and hot keys are loaded without them.";
    case ExtensionState::TextsLeftOut:
      return "Texts of hot keys saved in " + fileName + " were left out: " + read.problem +
             ". Those hot keys do nothing until their texts are set again; the other keys and hot keys are "
             "loaded.";
    case ExtensionState::KeysLeftOut:
      return "Key remaps saved in " + fileName + " were left out: " + read.problem +
             ". Those keys do what they did before they were remapped; the other keys and hot keys are "
             "loaded.";
    default:
      return {};
  }
}

}  // namespace tvx
