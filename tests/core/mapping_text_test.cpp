#include <gtest/gtest.h>

#include "core/common/Utf8.h"
#include "core/files/MappingText.h"
#include "core/keymap/Catalogue.h"
#include "core/keymap/CellTexts.h"

namespace tvx {
namespace {

std::vector<std::string> Export(const MappingRecord& record, std::vector<std::string>* problems = nullptr) {
  std::vector<std::string> found;
  auto lines = ExportMapping({record, {}}, problems ? *problems : found);
  EXPECT_TRUE(problems || found.empty());
  return lines;
}

void Set(MappingRecord& record, const MappingCell& cell, std::uint16_t value) {
  record[cell.offset] = static_cast<std::uint8_t>(value);
  if (cell.hotKey) record[cell.offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

const MappingCell& CellNamed(const std::string& names) {
  for (const MappingCell& cell : MappingCells())
    if (cell.names == names) return cell;
  throw std::runtime_error("no cell " + names);
}

// Every entry the program could write, each one differing from its default.
MappingRecord EveryTableFilled() {
  MappingRecord record = DefaultRecord();
  int n = 0;
  for (const MappingCell& cell : MappingCells()) {
    if (cell.hotKey && IsReserved(cell.category, cell.column, cell.row)) continue;
    Set(record, cell, cell.hotKey ? static_cast<std::uint16_t>(33 + n++ % 283) : cell.own + 1);
  }
  return record;
}

TEST(MappingText, ExportThenImportGivesBackEveryValidFile) {
  EXPECT_EQ(MappingCells().size(), (26 + 10 + 11 + 12 + 18) * 7u + 26 + 26 + 10 + 31);
  for (const MappingRecord& record : {DefaultRecord(), EveryTableFilled()}) {
    std::string error;
    const auto back = ImportMapping(Export(record), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, (Mapping{record, {}}));
  }
  EXPECT_EQ(Export(DefaultRecord()), std::vector<std::string>{MappingTextHeader});
  MappingRecord edited = DefaultRecord();
  Set(edited, CellNamed("hotkey\tEditing\tCtrl+Alt\tHome"), 260);
  Set(edited, CellNamed("hotkey\tAlphabetic\tAlt\tA"), 'x');
  Set(edited, CellNamed("remap\tPunctuation\tspace"), '_');
  EXPECT_EQ(Export(edited),
            (std::vector<std::string>{MappingTextHeader, "hotkey\tAlphabetic\tAlt\tA\tchar 120",
                                      "hotkey\tEditing\tCtrl+Alt\tHome\tkey F5",
                                      "remap\tPunctuation\tspace\tchar 95"}));
}

TEST(MappingText, ADamagedFileExportsWhatCanBeReadAndNamesTheRest) {
  MappingRecord damaged = DefaultRecord();
  Set(damaged, CellNamed("hotkey\tAlphabetic\tWin\tD"), 'x');  // reserved
  Set(damaged, CellNamed("hotkey\tNumeric\tAlt\t1"), 400);     // past the action keys
  Set(damaged, CellNamed("hotkey\tNumeric\tAlt\t2"), 9);       // a control code
  Set(damaged, CellNamed("remap\tLower Case\ta"), 0);
  Set(damaged, CellNamed("remap\tLower Case\tb"), 'B');
  std::vector<std::string> problems;
  EXPECT_EQ(Export(damaged, &problems),
            (std::vector<std::string>{MappingTextHeader, "remap\tLower Case\tb\tchar 66"}));
  EXPECT_EQ(problems.size(), 4u);
  EXPECT_NE(problems[0].find("Win\tD: a combination the operating system keeps"), std::string::npos);
}

TEST(MappingText, ImportRefusesWhatTheProgramWouldWithTheLineNumber) {
  struct Case {
    std::string line;
    const char* error;
  };
  const Case cases[] = {
      {"hotkey\tAlphabetic\tWin\tD\tchar 120", "line 2: a combination the operating system keeps for itself"},
      {"hotkey\tAlphabetic\tAlt\tA\tkey F25", "line 2: not a value this entry can hold: key F25"},
      {"hotkey\tAlphabetic\tAlt\tA\tchar 256", "line 2: not a value this entry can hold: char 256"},
      {"hotkey\tAlphabetic\tAlt\tA\tchar 9", "line 2: 9 is a control code, which the program never writes"},
      {"hotkey\tAlphabetic\tAlt\tA\tchar x", "line 2: not a value this entry can hold: char x"},
      {"hotkey\tAlphabetic\tShift\tA\tchar 65", "line 2: no such key or table: hotkey\tAlphabetic\tShift\tA"},
      {"remap\tUpper Case\tA\tnone", "line 2: not a value this entry can hold: none"},
      {"remap Upper Case A char 66", "line 2: no such key or table: remap Upper Case A char 66"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ImportMapping({MappingTextHeader, c.line}, error)) << c.line;
    EXPECT_EQ(error, c.error);
  }
  const Case unicodeCases[] = {
      {"remap\tLower Case\tq\tchar U+D800", "line 2: not a value this entry can hold: char U+D800"},
      {"remap\tLower Case\tq\tchar U+110000", "line 2: not a value this entry can hold: char U+110000"},
      {"remap\tLower Case\tq\tchar U+001F", "line 2: not a value this entry can hold: char U+001F"},
      {"remap\tLower Case\tq\tchar U+3B1", "line 2: not a value this entry can hold: char U+3B1"},
      {"remap\tLower Case\tq\tchar U+03b1", "line 2: not a value this entry can hold: char U+03b1"},
      {"remap\tLower Case\tq\tchar U+0010FFFF", "line 2: not a value this entry can hold: char U+0010FFFF"},
      {"hotkey\tAlphabetic\tWin\tD\tchar U+2192",
       "line 2: a combination the operating system keeps for itself"},
  };
  for (const Case& c : unicodeCases) {
    std::string error;
    EXPECT_FALSE(ImportMapping({UnicodeMappingTextHeader, c.line}, error)) << c.line;
    EXPECT_EQ(error, c.error);
  }
  std::string error;
  EXPECT_FALSE(ImportMapping({"hotkey\tAlphabetic\tAlt\tA\tchar 65"}, error));
  EXPECT_EQ(error.rfind("line 1: not a mapping text", 0), 0u);
  EXPECT_FALSE(ImportMapping(
      {MappingTextHeader, "remap\tUpper Case\tA\tchar 66", "", "remap\tUpper Case\tA\tchar 67"}, error));
  EXPECT_EQ(error, "line 4: the same entry as line 2");
  EXPECT_FALSE(ImportMapping({MappingTextHeader, "remap\tLower Case\tq\tchar U+03B1"}, error));
  EXPECT_EQ(error,
            "line 2: a character beyond the record or a text needs the first line \"tavrix-mapping<TAB>2\"");
  EXPECT_FALSE(ImportMapping(
      {UnicodeMappingTextHeader, "remap\tLower Case\tq\tchar 66", "remap\tLower Case\tq\tchar U+03B1"},
      error));
  EXPECT_EQ(error, "line 3: the same entry as line 2");
}

TEST(MappingText, CharactersBeyondTheRecordExportUnderTheSecondHeaderAndComeBack) {
  Mapping mapping{DefaultRecord(), {}};
  Set(mapping.record, CellNamed("hotkey\tAlphabetic\tAlt\tA"), 'x');
  mapping.characters.cells[static_cast<std::size_t>(RemapCellNumber(RemapTableId::Lower, 16))] = U'α';
  mapping.characters
      .cells[static_cast<std::size_t>(HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 6))] = U'→';
  mapping.characters
      .cells[static_cast<std::size_t>(HotKeyCellNumber(*TableByCategory(Alphabetic), Alt, 16))] = 0x1F600;
  mapping.characters.cells[static_cast<std::size_t>(RemapCellNumber(RemapTableId::Punct, 30))] = 0x10FFFF;
  std::vector<std::string> problems;
  const std::vector<std::string> lines = ExportMapping(mapping, problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(lines,
            (std::vector<std::string>{
                UnicodeMappingTextHeader, "hotkey\tAlphabetic\tAlt\tA\tchar 120",
                "hotkey\tAlphabetic\tAlt\tQ\tchar U+1F600", "hotkey\tAlphabetic\tCtrl+Alt\tG\tchar U+2192",
                "remap\tLower Case\tq\tchar U+03B1", "remap\tPunctuation\t~\tchar U+10FFFF"}));
  std::string error;
  const auto back = ImportMapping(lines, error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(*back, mapping);
}

// A hot key's text is its line's last field: UTF-8, a tab and the units of a line break in it escaped so
// that the line stays one line and reads back to the same text, unit for unit, however long.
TEST(MappingText, TextsOfHotKeysExportAsTheirStepsAndComeBack) {
  const int ctrlAltM = HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 12);
  const int ctrlAltN = HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 13);
  const int ctrlAltO = HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 14);
  Mapping mapping{DefaultRecord(), {}};
  mapping.characters.cells[static_cast<std::size_t>(ctrlAltM)] = TextId(u"Hé€😀{Enter}{Tab}x");
  mapping.characters.cells[static_cast<std::size_t>(ctrlAltN)] = TextId(u"a\tb\r\nc\nd{{U+0009}}");
  mapping.characters.cells[static_cast<std::size_t>(ctrlAltO)] = TextId(std::u16string(255, u'\t'));
  std::vector<std::string> problems;
  const std::vector<std::string> lines = ExportMapping(mapping, problems);
  EXPECT_TRUE(problems.empty());
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
            (std::vector<std::string>{
                UnicodeMappingTextHeader, "hotkey\tAlphabetic\tCtrl+Alt\tM\ttext Hé€😀{Enter}{Tab}x",
                "hotkey\tAlphabetic\tCtrl+Alt\tN\ttext a{U+0009}b{U+000D}{U+000A}c{U+000A}d{{U+0009}}"}));
  std::string error;
  const auto back = ImportMapping(lines, error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(*back, mapping);

  // A text no version could read again, or on a remapped key, is named rather than exported.
  mapping.characters.cells[static_cast<std::size_t>(ctrlAltN)] = TextId(u"{Foo}");
  mapping.characters.cells[static_cast<std::size_t>(ctrlAltO)] = 0;
  mapping.characters.cells[static_cast<std::size_t>(RemapCellNumber(RemapTableId::Lower, 0))] = TextId(u"ab");
  problems.clear();
  EXPECT_EQ(ExportMapping(mapping, problems).size(), 2u);
  EXPECT_EQ(problems,
            (std::vector<std::string>{"hotkey\tAlphabetic\tCtrl+Alt\tN: a text the program cannot read",
                                      "remap\tLower Case\ta: a text the program cannot read"}));

  struct Case {
    std::string line;
    const char* error;
  };
  const Case cases[] = {
      {"hotkey\tAlphabetic\tCtrl+Alt\tM\ttext a{Foo}",
       "line 2: the text does not read: Position 3: No key has"},
      {"hotkey\tAlphabetic\tCtrl+Alt\tM\ttext ",
       "line 2: the text does not read: Position 1: The text is empty."},
      {"hotkey\tAlphabetic\tCtrl+Alt\tM\ttext a\xC3", "line 2: the text is not UTF-8"},
      {"hotkey\tAlphabetic\tWin\tD\ttext ab", "line 2: a combination the operating system keeps for itself"},
      {"remap\tLower Case\tq\ttext ab", "line 2: not a value this entry can hold: text ab"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ImportMapping({UnicodeMappingTextHeader, c.line}, error)) << c.line;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
  }
  EXPECT_FALSE(ImportMapping({MappingTextHeader, "hotkey\tAlphabetic\tCtrl+Alt\tM\ttext ab"}, error));
  EXPECT_NE(error.find("needs the first line"), std::string::npos);
}

// A hot key that shows the sheet is "sheet", under the second header, and a hot key's alone.
TEST(MappingText, ASheetExportsAsItsWordAndComesBack) {
  const std::string line = "hotkey\tEditing\tCtrl+Alt\tHome\tsheet";
  const int cell = HotKeyCellNumber(*TableByCategory(Editing), CtrlAlt, 2);
  Mapping mapping{DefaultRecord(), {}};
  mapping.characters.cells[static_cast<std::size_t>(cell)] = SheetMarker;
  mapping.characters.cells[static_cast<std::size_t>(RemapCellNumber(RemapTableId::Lower, 0))] = SheetMarker;
  std::vector<std::string> problems;
  EXPECT_EQ(ExportMapping(mapping, problems), (std::vector<std::string>{UnicodeMappingTextHeader, line}));
  EXPECT_EQ(problems, std::vector<std::string>{"remap\tLower Case\ta: a sheet on a remapped key"});
  std::string error;
  const auto back = ImportMapping({UnicodeMappingTextHeader, line}, error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->characters.At(cell), SheetMarker);
  EXPECT_FALSE(ImportMapping({MappingTextHeader, line}, error));
  EXPECT_FALSE(ImportMapping({UnicodeMappingTextHeader, "remap\tLower Case\tq\tsheet"}, error));
}

// Key lines: names in any case read, the list's spelling written, under the third header; a line that
// cannot be in force is refused with its number.
TEST(MappingText, KeyRemapsExportUnderTheThirdHeaderAndComeBack) {
  std::string error;
  const auto mapping = ImportMapping(
      {KeysMappingTextHeader, "key\tcapslock\ttap escape hold lctrl after 300", "key\tF1\tHOME",
       "key\tInsert\tnone", "key\tVK E8\ttap Space hold LShift", "remap\tLower Case\tq\tchar U+03B1"},
      error);
  ASSERT_TRUE(mapping) << error;
  std::vector<std::string> problems;
  EXPECT_EQ(ExportMapping(*mapping, problems),
            (std::vector<std::string>{KeysMappingTextHeader, "remap\tLower Case\tq\tchar U+03B1",
                                      "key\tCapsLock\ttap Esc hold LCtrl after 300", "key\tInsert\tnone",
                                      "key\tF1\tHome", "key\tVK E8\ttap Space hold LShift"}));
  const std::pair<std::vector<std::string>, const char*> refused[] = {
      {{KeysMappingTextHeader, "key\tCapsLk\tEsc"}, "line 2: no key is named \"CapsLk\""},
      {{KeysMappingTextHeader, "key\tCapsLock\ttap Esc hold LCtrl after 40"},
       "line 2: The hold delay is 50 to 1000"},
      {{KeysMappingTextHeader, "key\tCapsLock\ttap Esc hold LCtrl after 1e3"},
       "line 2: the hold delay is a number"},
      {{KeysMappingTextHeader, "key\tCapsLock\ttap hold LCtrl"}, "line 2: a tap key with no hold key"},
      {{KeysMappingTextHeader, "key\tF1\tf1"}, "line 2: A key cannot be mapped to itself."},
      {{KeysMappingTextHeader, "key\tVK 00\tEsc"}, "line 2: no key is named \"VK 00\""},
      {{KeysMappingTextHeader, "key\tF1"}, "line 2: a key line is key<TAB>FROM<TAB>TO"},
      {{KeysMappingTextHeader, "key\tF1\tHome", "key\tf1\tEnd"}, "line 3: the same key as line 2"},
      {{UnicodeMappingTextHeader, "key\tF1\tHome"}, "line 2: a key line needs the first line"},
  };
  for (const auto& [lines, message] : refused) {
    EXPECT_FALSE(ImportMapping(lines, error)) << lines.back();
    EXPECT_EQ(error.rfind(message, 0), 0u) << error;
  }
}

TEST(Utf8, StrictBothWays) {
  EXPECT_EQ(Utf8Of(u"Hé€😀"), "H\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8Of(std::u16string{u'a', 0xD83D}), "a\xEF\xBF\xBD");
  EXPECT_EQ(Utf16OfUtf8("H\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF").value_or(u"?"),
            std::u16string(u"Hé€😀") + u"\U0010FFFF");
  for (const char* broken : {"\xC3", "\x80", "a\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                             "\xF8\x88\x80\x80\x80", "\xC3\x28"})
    EXPECT_FALSE(Utf16OfUtf8(broken)) << broken;
}

}  // namespace
}  // namespace tvx
