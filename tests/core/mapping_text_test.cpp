#include <gtest/gtest.h>

#include "core/files/MappingText.h"
#include "core/keymap/Catalogue.h"

namespace tvx {
namespace {

std::vector<std::string> Export(const MappingRecord& record, std::vector<std::string>* problems = nullptr) {
  std::vector<std::string> found;
  auto lines = ExportMapping(record, problems ? *problems : found);
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
    EXPECT_EQ(*back, record);
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
  std::string error;
  EXPECT_FALSE(ImportMapping({"hotkey\tAlphabetic\tAlt\tA\tchar 65"}, error));
  EXPECT_EQ(error.rfind("line 1: not a mapping text", 0), 0u);
  EXPECT_FALSE(ImportMapping(
      {MappingTextHeader, "remap\tUpper Case\tA\tchar 66", "", "remap\tUpper Case\tA\tchar 67"}, error));
  EXPECT_EQ(error, "line 4: the same entry as line 2");
}

}  // namespace
}  // namespace tvx
