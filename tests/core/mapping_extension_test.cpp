#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string_view>

#include "core/common/IoError.h"
#include "core/files/MappingExtension.h"
#include "core/files/MappingText.h"
#include "core/keymap/Catalogue.h"
#include "tests/core/fake_files.h"
#include "tests/core/xkb_layout.h"

namespace tvx {
namespace {

constexpr char Name[] = "C:\\Maps\\KEY.TVX";

struct Areas {
  Bytes hotKeyBytes = Bytes(AreaSize, 0);
  Bytes remapBytes = Bytes(AreaSize, 0);
  HotKeyAreaView hotKeys{hotKeyBytes.data()};
  RemapAreaView remap{remapBytes.data()};
  Areas() { InitTavrix(hotKeys, remap); }
  Areas(const Areas&) = delete;
};

const int AltQ = HotKeyCellNumber(*TableByCategory(Alphabetic), Alt, 16);
const int CtrlAltG = HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 6);
const int LowerQ = RemapCellNumber(RemapTableId::Lower, 16);
const int PunctTilde = RemapCellNumber(RemapTableId::Punct, 30);  // the last cell

MappingCharacters Sample() {
  MappingCharacters characters;
  characters.cells[static_cast<std::size_t>(LowerQ)] = U'α';
  characters.cells[static_cast<std::size_t>(CtrlAltG)] = U'→';
  characters.cells[static_cast<std::size_t>(AltQ)] = U'😀';
  characters.cells[static_cast<std::size_t>(PunctTilde)] = 0x10FFFD;
  return characters;
}

// The areas of a user who set the sample's characters on top of a character and a remap the record holds.
Bytes SavedFile(Areas& areas, const MappingCharacters& characters) {
  FakeFiles files;
  areas.hotKeys.SetAction(*TableByCategory(Alphabetic), Alt, 0, 'x');
  areas.remap.SetByte(RemapTableId::Upper, 0, 'B');
  EXPECT_TRUE(SaveMapping(files, Name, areas.hotKeys, areas.remap, characters));
  return files.files.at(Name);
}

MappingRecord RecordOf(const Bytes& file) {
  MappingRecord record;
  std::copy_n(file.begin(), MappingRecordSize, record.begin());
  return record;
}

// A file saved with `characters` (over SavedFile's areas) and loaded back into fresh areas.
struct RoundTrip {
  explicit RoundTrip(const MappingCharacters& characters) {
    Areas source;
    files.files[Name] = SavedFile(source, characters);
    read = LoadMapping(files, Name, target.hotKeys, target.remap, loaded);
  }
  const Bytes& File() const { return files.files.at(Name); }

  FakeFiles files;
  Areas target;
  MappingCharacters loaded;
  std::optional<ExtensionRead> read;
};

TEST(MappingExtension, NoCharacterBeyondTheRecordSavesTheRecordAloneByteForByte) {
  Areas plain, extended;
  const Bytes before = SavedFile(plain, {});
  ASSERT_EQ(before.size(), MappingRecordSize);
  const MappingRecord record = RecordFromAreas(plain.hotKeys, plain.remap);
  EXPECT_EQ(before, Bytes(record.begin(), record.end()));
  EXPECT_GT(SavedFile(extended, Sample()).size(), MappingRecordSize);
}

TEST(MappingExtension, CharactersSurviveASaveAndALoadWithTheirFallbacksInTheRecord) {
  const MappingCharacters characters = Sample();
  const RoundTrip back(characters);
  ASSERT_TRUE(back.read);
  EXPECT_EQ(back.read->state, ExtensionState::Loaded);
  EXPECT_EQ(back.loaded, characters);
  EXPECT_EQ(*back.target.hotKeys.Action(*TableByCategory(Alphabetic), Alt, 0), 'x');
  EXPECT_EQ(*back.target.remap.Byte(RemapTableId::Upper, 0), 'B');

  // A reader of the record alone: no hot key, and keys that type themselves.
  Areas older;
  older.hotKeys.SetAction(*TableByCategory(Alphabetic), CtrlAlt, 6, 300);
  RecordToAreas(RecordOf(back.File()), older.hotKeys, older.remap);
  EXPECT_EQ(*older.hotKeys.Action(*TableByCategory(Alphabetic), Alt, 16), 0);
  EXPECT_EQ(*older.hotKeys.Action(*TableByCategory(Alphabetic), CtrlAlt, 6), 0);
  EXPECT_EQ(*older.remap.Byte(RemapTableId::Lower, 16), 'q');
  EXPECT_EQ(*older.remap.Byte(RemapTableId::Punct, 30), '~');
  std::vector<std::string> problems;
  ExportMapping({RecordOf(back.File()), {}}, problems);
  EXPECT_TRUE(problems.empty());

  // That reader saves the record alone, with Alt+Q set to 'z': reloaded here, every other cell keeps what
  // this machine had, and the user is told once.
  older.hotKeys.SetAction(*TableByCategory(Alphabetic), Alt, 16, 'z');
  MappingCharacters held = characters;
  held.keys.Set({0x14, KeyRemapKind::TapHold, 0x1B, 0xA2, 300});
  MappingCharacters kept = held;
  kept.cells[static_cast<std::size_t>(AltQ)] = 0;
  EXPECT_EQ(CharactersKeptOver(RecordFromAreas(older.hotKeys, older.remap), held), kept);
  ExtensionReports reports;
  EXPECT_NE(reports.KeptNoticeFor(Name).find(Name), std::string::npos);
  EXPECT_EQ(reports.KeptNoticeFor(Name), "");
}

TEST(MappingExtension, ARecordSavedAgainByAnOlderVersionLeavesAStaleExtensionReportedOnce) {
  Areas areas;
  FakeFiles files;
  Bytes file = SavedFile(areas, Sample());
  file[1078] = 'C';  // the older version remapped A to C and wrote the record over the first 1171 bytes
  files.files[Name] = file;

  ExtensionReports reports;
  for (int load = 0; load < 2; ++load) {
    MappingCharacters loaded = Sample();
    const auto read = LoadMapping(files, Name, areas.hotKeys, areas.remap, loaded);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->state, ExtensionState::Stale);
    EXPECT_TRUE(loaded.Empty());
    EXPECT_EQ(*areas.remap.Byte(RemapTableId::Upper, 0), 'C');
    const std::string notice = reports.NoticeFor(Name, *read);
    EXPECT_EQ(notice.find("an older version of Tavrix 98 has saved the file since") != std::string::npos,
              load == 0);
  }
  EXPECT_NE(reports.NoticeFor("C:\\Maps\\OTHER.TVX", {ExtensionState::Stale, "x", {}}), "");
  EXPECT_EQ(reports.NoticeFor(Name, {ExtensionState::None, "", {}}), "");
}

TEST(MappingExtension, EveryDamageLoadsTheRecordAndNamesWhatIsWrong) {
  struct Case {
    const char* what;
    std::function<void(Bytes&)> damage;
    bool reseal;
    const char* problem;
  };
  constexpr std::size_t E = MappingRecordSize;                 // the extension's first byte
  constexpr std::size_t FirstEntry = E + ExtensionHeaderSize;  // the entries in cell order: Alt+Q first
  const Case cases[] = {
      {"cut in the header", [](Bytes& f) { f.resize(E + 10); }, false, "cut short"},
      {"cut in the entries", [](Bytes& f) { f.resize(f.size() - 9); }, false, "cut short"},
      {"one byte missing", [](Bytes& f) { f.pop_back(); }, false, "cut short"},
      {"the signature alone", [](Bytes& f) { f.resize(E + 4); }, false, "cut short"},
      {"half the signature", [](Bytes& f) { f.resize(E + 2); }, false, "cut short"},
      {"a later format", [](Bytes& f) { PutAt<std::uint16_t>(f, E + 4, 2); }, true, "format 2"},
      {"length beyond the limit", [](Bytes& f) { PutAt<std::uint32_t>(f, E + 8, MaxExtensionSize + 1); },
       true, "longer than the program writes"},
      {"length below the header", [](Bytes& f) { PutAt<std::uint32_t>(f, E + 8, 19); }, false,
       "shorter than its header"},
      {"bytes appended", [](Bytes& f) { f.push_back(0); }, false, "1 bytes after the extension"},
      {"a flipped bit", [](Bytes& f) { f[FirstEntry + 6] ^= 1; }, false, "checksum is wrong"},
      {"one entry more counted", [](Bytes& f) { PutAt<std::uint16_t>(f, E + 6, 5); }, true,
       "entry 5 is cut short"},
      {"one entry fewer counted", [](Bytes& f) { PutAt<std::uint16_t>(f, E + 6, 3); }, true,
       "10 bytes after the last entry"},
      {"payload of the wrong length", [](Bytes& f) { PutAt<std::uint16_t>(f, FirstEntry + 2, 5); }, true,
       "wrong length"},
      {"payload beyond the end", [](Bytes& f) { PutAt<std::uint16_t>(f, FirstEntry + 2, 500); }, true,
       "cut short"},
      {"no such cell", [](Bytes& f) { PutAt<std::uint16_t>(f, FirstEntry + 4, CellCount); }, true,
       "which no table has"},
      {"a surrogate", [](Bytes& f) { PutAt<std::uint32_t>(f, FirstEntry + 6, 0xD83D); }, true,
       "U+D83D, which"},
      {"beyond Unicode", [](Bytes& f) { PutAt<std::uint32_t>(f, FirstEntry + 6, 0x110000); }, true,
       "U+110000"},
      {"a control code", [](Bytes& f) { PutAt<std::uint32_t>(f, FirstEntry + 6, 0x85); }, true, "U+0085"},
      {"the same cell twice", [](Bytes& f) { PutAt<std::uint16_t>(f, FirstEntry + 14, AltQ); }, true,
       "two characters"},
      {"a reserved combination",
       [](Bytes& f) {
         PutAt<std::uint16_t>(f, FirstEntry + 4, HotKeyCellNumber(*TableByCategory(Editing), CtrlAlt, 1));
       },
       true, "keeps for itself"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Areas source;
    Bytes file = SavedFile(source, Sample());
    c.damage(file);
    if (c.reseal) Reseal(file);
    FakeFiles files;
    files.files[Name] = file;

    Areas target;
    MappingCharacters loaded = Sample();
    const auto read = LoadMapping(files, Name, target.hotKeys, target.remap, loaded);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->state, ExtensionState::Damaged);
    EXPECT_NE(read->problem.find(c.problem), std::string::npos) << read->problem;
    EXPECT_TRUE(loaded.Empty());
    EXPECT_EQ(*target.hotKeys.Action(*TableByCategory(Alphabetic), Alt, 0), 'x');
    EXPECT_NE(ExtensionReports().NoticeFor(Name, *read).find(read->problem), std::string::npos);
  }
}

TEST(MappingExtension, ARecordThatFillsACellOfTheExtensionIsDamage) {
  Areas areas;
  Bytes file = SavedFile(areas, Sample());
  file[1104 + 16] = 'z';  // q's remap byte, which must be q's own beside a character
  MappingRecord record = RecordOf(file);
  PutAt(file, MappingRecordSize + 12, Crc32(record));
  Reseal(file);
  const ExtensionRead read = ReadExtension(record, std::span(file).subspan(MappingRecordSize));
  EXPECT_EQ(read.state, ExtensionState::Damaged);
  EXPECT_NE(read.problem.find("which the record fills"), std::string::npos);
}

TEST(MappingExtension, EntriesOfALaterVersionArePassedOver) {
  Areas areas;
  const MappingCharacters characters = Sample();
  Bytes file = SavedFile(areas, characters);
  // An entry of a type this version does not know, and a character entry of a later version.
  const Bytes later{7, 1, 3, 0, 'a', 'b', 'c', 1, 2, 6, 0, 0, 0, 0x41, 0, 0, 0};
  file.insert(file.end() - ExtensionChecksumSize, later.begin(), later.end());
  PutAt<std::uint16_t>(file, MappingRecordSize + 6, 6);
  PutAt<std::uint32_t>(file, MappingRecordSize + 8,
                       static_cast<std::uint32_t>(file.size() - MappingRecordSize));
  Reseal(file);
  const ExtensionRead read = ReadFileExtension(file);
  EXPECT_EQ(read.state, ExtensionState::Loaded) << read.problem;
  EXPECT_EQ(read.characters, characters);
}

TEST(MappingExtension, BytesThatAreNoExtensionAreIgnoredAsBefore) {
  MappingRecord record = DefaultRecord();
  for (const Bytes& tail : {Bytes{'X', 'V', 'X', 'U', 0}, Bytes(29, 0), Bytes{'T', 'V', 'X', 'u'}}) {
    const ExtensionRead read = ReadExtension(record, tail);
    EXPECT_EQ(read.state, ExtensionState::None);
    EXPECT_EQ(ExtensionReports().NoticeFor(Name, read), "");
  }
}

TEST(MappingExtension, LimitsOfACharacterAndOfTheFile) {
  struct Case {
    char32_t code;
    bool cell;
  };
  for (const Case c : {Case{0x1F, false},
                       {0x20, true},
                       {0x7E, true},
                       {0x7F, false},
                       {0x9F, false},
                       {0xA0, true},
                       {0xD7FF, true},
                       {0xD800, false},
                       {0xDFFF, false},
                       {0xE000, true},
                       {0x10FFFF, true},
                       {0x110000, false}})
    EXPECT_EQ(IsCellCharacter(c.code), c.cell) << std::hex << static_cast<std::uint32_t>(c.code);

  // Every cell filled, first and last included, round trips.
  MappingCharacters all;
  for (int cell = 0; cell < CellCount; ++cell)
    if (cell < HotKeyCellCount)
      all.cells[static_cast<std::size_t>(cell)] = 0x1F000 + static_cast<char32_t>(cell);
  all.cells.back() = U'€';
  // ...except the combinations the system keeps, which never hold an action.
  for (const HotKeyTable& table : HotKeyTables)
    for (int column = 1; column <= ModifierColumnCount; ++column)
      for (int row = 0; row < table.keys; ++row)
        if (IsReserved(table.category, column, row))
          all.cells[static_cast<std::size_t>(HotKeyCellNumber(table, column, row))] = 0;
  Areas areas;
  const Bytes file = SavedFile(areas, all);
  const ExtensionRead read = ReadFileExtension(file);
  EXPECT_EQ(read.state, ExtensionState::Loaded) << read.problem;
  EXPECT_EQ(read.characters, all);

  // A file longer than the longest extension is read only that far, and reported.
  FakeFiles files;
  files.files[Name] = file;
  files.files[Name].resize(MappingRecordSize + MaxExtensionSize + 100);
  MappingCharacters loaded;
  const auto big = LoadMapping(files, Name, areas.hotKeys, areas.remap, loaded);
  ASSERT_TRUE(big);
  EXPECT_EQ(big->state, ExtensionState::Damaged);
}

TEST(MappingExtension, AShortFileOrOneThatCannotBeOpenedLoadsAsTheRecordDoes) {
  FakeFiles files;
  Areas areas;
  MappingCharacters loaded = Sample();
  EXPECT_FALSE(LoadMapping(files, Name, areas.hotKeys, areas.remap, loaded));
  EXPECT_EQ(loaded, Sample());
  files.files[Name] = Bytes(1000, 0);
  try {
    LoadMapping(files, Name, areas.hotKeys, areas.remap, loaded);
    ADD_FAILURE() << "no error for a short file";
  } catch (const IoError& error) {
    EXPECT_STREQ(error.what(), "Read beyond end of file");
  }
  EXPECT_EQ(loaded, Sample());
}

const int CtrlAltM = HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 12);
const int CtrlAltN = HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 13);

MappingCharacters WithTexts() {
  MappingCharacters characters = Sample();
  characters.cells[static_cast<std::size_t>(CtrlAltM)] = TextId(u"Hé€😀{Enter}{Tab}x");
  characters.cells[static_cast<std::size_t>(CtrlAltN)] = TextId(u"{Ctrl+C}{Delay 200}{Ctrl+V}");
  return characters;
}

// Texts come back as they were, and their cells hold 0 in the record. Their placeholders are there for a
// version that knows characters alone: one that passes the texts over reads the placeholders, and this
// version reads those as texts lost.
TEST(MappingExtension, TextsSurviveASaveAndALoadBesideTheirPlaceholders) {
  const MappingCharacters characters = WithTexts();
  const RoundTrip back(characters);
  ASSERT_TRUE(back.read);
  EXPECT_EQ(back.read->state, ExtensionState::Loaded) << back.read->problem;
  EXPECT_EQ(back.loaded, characters);
  EXPECT_EQ(TextOfId(back.loaded.At(CtrlAltM)), u"Hé€😀{Enter}{Tab}x");
  EXPECT_EQ(*back.target.hotKeys.Action(*TableByCategory(Alphabetic), CtrlAlt, 12), 0);

  Bytes file = back.File();
  EXPECT_EQ(PassOver(file, EntryType::Text), 2);
  const ExtensionRead passedOver = ReadFileExtension(file);
  EXPECT_EQ(passedOver.state, ExtensionState::TextsLeftOut);
  EXPECT_EQ(passedOver.characters, Sample());
}

// A hot key set to U+FFFC itself is no lost text's placeholder, beside a text or alone.
TEST(MappingExtension, AHotKeySetToThePlaceholderCharacterComesBack) {
  for (MappingCharacters characters : {Sample(), WithTexts()}) {
    characters.cells[static_cast<std::size_t>(CtrlAltN) + 1] = TextPlaceholder;
    const RoundTrip back(characters);
    ASSERT_TRUE(back.read);
    EXPECT_EQ(back.read->state, ExtensionState::Loaded) << back.read->problem;
    EXPECT_EQ(back.loaded, characters);
  }
}

TEST(MappingExtension, TextsDroppedByAnOlderVersionThatSavedTheFileAreReportedOnce) {
  Areas areas;
  MappingCharacters older = WithTexts();  // as a version that knows characters alone loaded it
  older.cells[static_cast<std::size_t>(CtrlAltM)] = TextPlaceholder;
  older.cells[static_cast<std::size_t>(CtrlAltN)] = TextPlaceholder;
  FakeFiles files;
  files.files[Name] = MappingBytes(RecordOf(SavedFile(areas, WithTexts())), older);
  EXPECT_EQ(PassOver(files.files[Name], EntryType::TextsKnown), 1);

  ExtensionReports reports;
  for (int load = 0; load < 2; ++load) {
    MappingCharacters loaded = WithTexts();
    const auto read = LoadMapping(files, Name, areas.hotKeys, areas.remap, loaded);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->state, ExtensionState::TextsLeftOut);
    EXPECT_EQ(loaded, Sample());  // the characters beside them stay
    const std::string notice = reports.NoticeFor(Name, *read);
    EXPECT_EQ(
        notice.find(std::string(Name) + " were left out: an older version of Tavrix 98 has saved the file "
                                        "since") != std::string::npos,
        load == 0)
        << notice;
  }
}

Bytes CharacterEntry(int cell, char32_t code) {
  Bytes entry{1, 1, 6, 0, 0, 0, 0, 0, 0, 0};
  PutAt(entry, 4, static_cast<std::uint16_t>(cell));
  PutAt(entry, 6, static_cast<std::uint32_t>(code));
  return entry;
}

Bytes TextEntry(int cell, std::u16string_view text, std::uint8_t version = 1, std::size_t extra = 0) {
  Bytes entry(6 + 2 * text.size() + extra, 0);
  entry[0] = 2;
  entry[1] = version;
  PutAt(entry, 2, static_cast<std::uint16_t>(entry.size() - 4));
  PutAt(entry, 4, static_cast<std::uint16_t>(cell));
  for (std::size_t i = 0; i < text.size(); ++i) PutAt(entry, 6 + 2 * i, static_cast<std::uint16_t>(text[i]));
  return entry;
}

// These entries in a whole extension of a record whose hot keys are all empty.
ExtensionRead ReadEntriesOf(const std::vector<Bytes>& entries) {
  const MappingRecord record{};
  Bytes extension(ExtensionHeaderSize, 0);
  std::copy_n("TVXU", 4, extension.begin());
  PutAt(extension, 4, ExtensionVersion);
  PutAt(extension, 6, static_cast<std::uint16_t>(entries.size()));
  PutAt(extension, 12, Crc32(record));
  for (const Bytes& entry : entries) extension.insert(extension.end(), entry.begin(), entry.end());
  PutAt(extension, 8, static_cast<std::uint32_t>(extension.size() + ExtensionChecksumSize));
  const std::uint32_t crc = Crc32(extension);
  extension.resize(extension.size() + ExtensionChecksumSize);
  PutAt(extension, extension.size() - ExtensionChecksumSize, crc);
  return ReadExtension(record, extension);
}

// A text that cannot be put in force is passed over and named; its cell is left empty, and the rest loads.
TEST(MappingExtension, TextEntriesInEveryOrderAndTheirFaults) {
  const char32_t ab = TextId(u"ab");
  struct Case {
    const char* what;
    std::vector<Bytes> entries;
    const char* problem;  // empty: loaded
    char32_t atM;         // Ctrl+Alt+M's value after the load
  };
  const Case cases[] = {
      {"the text after its placeholder",
       {CharacterEntry(CtrlAltM, 0xFFFC), TextEntry(CtrlAltM, u"ab")},
       "",
       ab},
      {"the text first", {TextEntry(CtrlAltM, u"ab"), CharacterEntry(CtrlAltM, 0xFFFC)}, "", ab},
      {"the placeholder alone", {CharacterEntry(CtrlAltM, 0xFFFC)}, "older version", 0},
      {"U+FFFC itself, from a writer that knows texts",
       {CharacterEntry(CtrlAltM, 0xFFFC), Bytes{3, 1, 0, 0}},
       "",
       0xFFFC},
      {"a text that does not read",
       {CharacterEntry(CtrlAltM, 0xFFFC), TextEntry(CtrlAltM, u"a{Foo}")},
       "does not read (Position 3: ",
       0},
      {"an empty text", {CharacterEntry(CtrlAltM, 0xFFFC), TextEntry(CtrlAltM, u"")}, "does not read", 0},
      {"a text of 256 units",
       {CharacterEntry(CtrlAltM, 0xFFFC), TextEntry(CtrlAltM, std::u16string(256, u'a'))},
       "does not read",
       0},
      {"a text of a later version",
       {CharacterEntry(CtrlAltM, 0xFFFC), TextEntry(CtrlAltM, u"ab", 2)},
       "of a later version",
       0},
      {"a text without its placeholder", {TextEntry(CtrlAltM, u"ab")}, "without its placeholder", 0},
      {"a text over a character",
       {CharacterEntry(CtrlAltM, U'x'), TextEntry(CtrlAltM, u"ab")},
       "without its placeholder",
       U'x'},
      {"two texts for a cell",
       {CharacterEntry(CtrlAltM, 0xFFFC), TextEntry(CtrlAltM, u"ab"), TextEntry(CtrlAltM, u"cd")},
       "without its placeholder",
       ab},
      {"a text for a remapped key", {TextEntry(HotKeyCellCount, u"ab")}, "which is no hot key", 0},
      {"an odd length",
       {CharacterEntry(CtrlAltM, 0xFFFC), TextEntry(CtrlAltM, u"ab", 1, 1)},
       "wrong length",
       0},
      {"no cell", {Bytes{2, 1, 1, 0, 0}}, "wrong length", 0},
  };
  for (const Case& c : cases) {
    std::vector<Bytes> entries = c.entries;
    entries.push_back(CharacterEntry(CtrlAltG, U'→'));
    const ExtensionRead read = ReadEntriesOf(entries);
    EXPECT_EQ(read.state, *c.problem ? ExtensionState::TextsLeftOut : ExtensionState::Loaded) << c.what;
    EXPECT_NE(read.problem.find(c.problem), std::string::npos) << c.what << ": " << read.problem;
    EXPECT_EQ(read.problem.find("older version") != std::string::npos,
              std::string_view(c.problem) == "older version")
        << c.what << ": " << read.problem;
    EXPECT_EQ(read.characters.At(CtrlAltM), c.atM) << c.what;
    EXPECT_EQ(read.characters.At(CtrlAltG), U'→') << c.what;
    if (*c.problem) {
      EXPECT_NE(ExtensionReports().NoticeFor(Name, read).find(read.problem), std::string::npos) << c.what;
    }
  }
}

// A hot key that shows the sheet comes back with 0 in the record; a sheet the program never sets (on a
// remapped key, beside a character, on a combination the system keeps) is not put in force.
TEST(MappingExtension, SheetEntriesAndTheirFaults) {
  MappingCharacters characters = Sample();
  characters.cells[static_cast<std::size_t>(CtrlAltM)] = SheetMarker;
  characters.cells[HotKeyCellCount] = SheetMarker;
  const RoundTrip back(characters);
  characters.cells[HotKeyCellCount] = 0;
  EXPECT_EQ(back.loaded, characters);
  EXPECT_EQ(*back.target.hotKeys.Action(*TableByCategory(Alphabetic), CtrlAlt, 12), 0);

  const auto sheet = [](int cell, std::uint8_t version = 1) {
    Bytes entry{5, version, 2, 0, 0, 0};
    PutAt(entry, 4, static_cast<std::uint16_t>(cell));
    return entry;
  };
  const struct {
    std::vector<Bytes> entries;
    const char* problem;  // empty: loaded
    char32_t atM;
  } cases[] = {
      {{sheet(CtrlAltM, 2)}, "", 0},
      {{CharacterEntry(CtrlAltM, U'x'), sheet(CtrlAltM)}, "two actions", 0},
      {{sheet(HotKeyCellCount)}, "which is no hot key", 0},
      {{sheet(HotKeyCellNumber(*TableByCategory(Editing), CtrlAlt, 1))}, "keeps for itself", 0},
      {{Bytes{5, 1, 0, 0}}, "wrong length", 0},
  };
  for (const auto& c : cases) {
    const ExtensionRead read = ReadEntriesOf(c.entries);
    EXPECT_EQ(read.state, *c.problem ? ExtensionState::Damaged : ExtensionState::Loaded) << c.problem;
    EXPECT_NE(read.problem.find(c.problem), std::string::npos) << read.problem;
    EXPECT_EQ(read.characters.At(CtrlAltM), c.atM) << c.problem;
  }
}

Bytes KeyEntry(std::uint8_t from, std::uint8_t kind, std::uint8_t to, std::uint8_t hold = 0,
               std::uint16_t delay = DefaultHoldDelayMs) {
  Bytes entry{4, 1, 6, 0, from, kind, to, hold, 0, 0};
  PutAt(entry, 8, delay);
  return entry;
}

// Key remaps come back beside the characters with the record as it was; an entry that cannot be in force is
// named and left out, and the rest loads.
TEST(MappingExtension, KeyRemapEntriesAndTheirFaults) {
  MappingCharacters withKeys = Sample();
  withKeys.keys.SetAll({{0x14, KeyRemapKind::TapHold, 0x1B, 0xA2, 300},
                        {0x70, KeyRemapKind::Key, 0x24},
                        {0x2D, KeyRemapKind::Off}});
  const RoundTrip back(withKeys);
  EXPECT_EQ(back.read->state, ExtensionState::Loaded) << back.read->problem;
  EXPECT_EQ(back.loaded, withKeys);
  Areas areas;
  EXPECT_EQ(RecordOf(back.File()), RecordOf(SavedFile(areas, Sample())));

  struct Case {
    const char* what;
    std::vector<Bytes> entries;
    const char* problem;
  };
  const Case cases[] = {
      {"a kind this version does not know", {KeyEntry(0x14, 4, 0x1B)}, "CapsLock is of kind 4"},
      {"to no key", {KeyEntry(0x14, 1, 0)}, "No key has the code 00"},
      {"from no key", {KeyEntry(0xFF, 2, 0)}, "No key has the code FF"},
      {"to itself", {KeyEntry(0x70, 1, 0x70)}, "F1 cannot be in force (A key cannot be mapped to itself.)"},
      {"a delay too short", {KeyEntry(0x14, 3, 0x1B, 0xA2, 49)}, "50 to 1000 ms"},
      {"a delay too long", {KeyEntry(0x14, 3, 0x1B, 0xA2, 1001)}, "50 to 1000 ms"},
      {"a source twice", {KeyEntry(0x70, 1, 0x24), KeyEntry(0x70, 1, 0x23)}, "two remaps of the key F1"},
      {"the wrong length", {Bytes{4, 1, 2, 0, 0x70, 1}}, "wrong length"},
  };
  for (const Case& c : cases) {
    std::vector<Bytes> entries = c.entries;
    entries.push_back(KeyEntry(0x2D, 2, 0x41, 0x42, 7));
    entries.push_back(CharacterEntry(CtrlAltG, U'→'));
    const ExtensionRead read = ReadEntriesOf(entries);
    EXPECT_EQ(read.state, ExtensionState::KeysLeftOut) << c.what;
    EXPECT_NE(read.problem.find(c.problem), std::string::npos) << c.what << ": " << read.problem;
    // The key turned off keeps nothing of the fields it does not use; the first of two remaps stays.
    EXPECT_EQ(read.characters.keys.At(0x2D), (KeyRemap{0x2D, KeyRemapKind::Off})) << c.what;
    EXPECT_EQ(read.characters.keys.List().size(), c.entries.size()) << c.what;
    EXPECT_EQ(read.characters.At(CtrlAltG), U'→') << c.what;
    EXPECT_NE(ExtensionReports().NoticeFor(Name, read).find(read.problem), std::string::npos) << c.what;
  }
}

// Every hot key with a text of 255 units and every remapped key with a character fit in a file; a longer
// text, or one on a remapped key, is not written.
TEST(MappingExtension, LimitsOfTexts) {
  MappingCharacters all;
  for (int cell = 0; cell < CellCount; ++cell)
    all.cells[static_cast<std::size_t>(cell)] = cell < HotKeyCellCount
                                                    ? TextId(std::u16string(253, u'a') + u"😀")
                                                    : 0x1F000 + static_cast<char32_t>(cell);
  for (const HotKeyTable& table : HotKeyTables)
    for (int column = 1; column <= ModifierColumnCount; ++column)
      for (int row = 0; row < table.keys; ++row)
        if (IsReserved(table.category, column, row))
          all.cells[static_cast<std::size_t>(HotKeyCellNumber(table, column, row))] = 0;
  Areas areas;
  const Bytes file = SavedFile(areas, all);
  EXPECT_LE(file.size() - MappingRecordSize, MaxExtensionSize);
  const ExtensionRead read = ReadFileExtension(file);
  EXPECT_EQ(read.state, ExtensionState::Loaded) << read.problem;
  EXPECT_EQ(read.characters, all);

  MappingCharacters unwritten;
  unwritten.cells[static_cast<std::size_t>(CtrlAltM)] = TextId(std::u16string(256, u'a'));
  unwritten.cells[static_cast<std::size_t>(LowerQ)] = TextId(u"ab");
  unwritten.cells[static_cast<std::size_t>(CtrlAltN)] = FirstTextId + 0xFFFFFF;  // no text given out
  const Bytes none = SavedFile(areas, unwritten);
  const ExtensionRead empty = ReadFileExtension(none);
  EXPECT_EQ(empty.state, ExtensionState::Loaded) << empty.problem;
  EXPECT_TRUE(empty.characters.Empty());
}

// What files saved by other versions and machines hold, fixed: the cell numbers, and the checksum, the
// standard CRC-32 (its check value), which every saved extension carries twice.
TEST(MappingExtension, CellNumbersAndTheChecksumFollowTheFormat) {
  EXPECT_EQ(HotKeyCellNumber(*TableByCategory(Alphabetic), Alt, 0), 0);
  EXPECT_EQ(HotKeyCellNumber(*TableByCategory(Editing), AltShift, 17), HotKeyCellCount - 1);
  EXPECT_EQ(RemapCellNumber(RemapTableId::Upper, 0), HotKeyCellCount);
  EXPECT_EQ(PunctTilde, CellCount - 1);
  EXPECT_EQ(CellCount, 632);
  const std::string_view check = "123456789";
  EXPECT_EQ(Crc32(Bytes(check.begin(), check.end())), 0xCBF43926u);
}

// What the "Other" box of the Select Character dialogs takes.
TEST(CharacterInput, TypedPastedOrWrittenAsItsCode) {
  struct Case {
    std::u16string text;
    char32_t code;  // 0: refused
  };
  const Case cases[] = {
      {u"α", U'α'},
      {u" → ", U'→'},
      {u"😀", 0x1F600},
      {u"U+03B1", U'α'},
      {u"u+1f600", 0x1F600},
      {u"U+10FFFF", 0x10FFFF},
      {u"U+3B1", 0},
      {u"U+0010FFFF", 0},
      {u"U+110000", 0},
      {u"U+D800", 0},
      {u"U+001F", 0},
      {u"U+00G1", 0},
      {u"ab", 0},
      {u"", 0},
      {u"  ", 0},
      {u"\xD83D", 0},
      {std::u16string(1, u'\xD83D'), 0},
      {u"\u0085", 0},
      {u"x", U'x'},
  };
  for (const Case& c : cases) {
    const std::optional<char32_t> code = CharacterFromInput(c.text);
    EXPECT_EQ(code.value_or(0), c.code) << static_cast<std::uint32_t>(c.code);
  }
  // A character the code page has goes in the record, whichever dialog chose it.
  const auto cp1252 = [](std::uint8_t b) -> char16_t {
    return b >= 0x80 && b < 0xA0 ? xkb::Cp1252High[b - 0x80] : b;
  };
  const std::pair<char32_t, int> bytes[] = {{U'A', 'A'}, {U'é', 0xE9}, {U'€', 0x80}, {U'ÿ', 0xFF},
                                            {U'α', -1},  {0x81, -1},   {0x1F600, -1}};
  for (const auto& [code, byte] : bytes)
    EXPECT_EQ(CodePageByte(code, cp1252), byte < 0 ? std::nullopt : std::optional<std::uint8_t>(byte))
        << static_cast<std::uint32_t>(code);
  EXPECT_EQ(Utf16Of(U'α'), u"α");
  EXPECT_EQ(Utf16Of(0x1F600), u"😀");
  EXPECT_EQ(Utf16Of(0x10FFFF), (std::u16string{0xDBFF, 0xDFFF}));
}

}  // namespace
}  // namespace tvx
