#include "tools/TvxTool.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/files/MappingExtension.h"
#include "core/files/MappingFile.h"
#include "core/files/MappingText.h"
#include "core/keymap/Catalogue.h"
#include "core/keymap/KeyNames.h"

namespace tvx {
namespace {

MappingRecord RecordOf(const std::vector<std::uint8_t>& file) {
  MappingRecord record;
  std::copy_n(file.begin(), MappingRecordSize, record.begin());
  return record;
}

// A file long enough to hold a record: the record, and what its extension gave.
struct FileContent {
  Mapping mapping;
  ExtensionRead extension;
};

FileContent ContentOf(const std::vector<std::uint8_t>& file) {
  ExtensionRead extension = ReadFileExtension(file);
  return {{RecordOf(file), extension.characters}, std::move(extension)};
}

// Why the program leaves a file's extension out; empty when it loads it or there is none.
std::string ExtensionFinding(const ExtensionRead& extension) {
  switch (extension.state) {
    case ExtensionState::Stale:
      return "the extension with the characters beyond the record is stale (" + extension.problem +
             "); the program ignores it";
    case ExtensionState::Damaged:
      return "the extension with the characters beyond the record is damaged: " + extension.problem +
             "; the program loads the record alone";
    case ExtensionState::TextsLeftOut:
      return "texts of hot keys are left out: " + extension.problem +
             "; the program loads the rest, with those hot keys empty";
    case ExtensionState::KeysLeftOut:
      return "key remaps are left out: " + extension.problem +
             "; the program loads the rest, with those keys as they are";
    default:
      return {};
  }
}

// The tables of a file, in areas of their own so the catalogue's views can read them.
class MappingImage {
 public:
  explicit MappingImage(const std::vector<std::uint8_t>& file) {
    RecordToAreas(RecordOf(file), hotKeys(), remap());
  }
  HotKeyAreaView hotKeys() { return HotKeyAreaView(hotKeyBytes_.data()); }
  RemapAreaView remap() { return RemapAreaView(remapBytes_.data()); }

 private:
  std::array<std::uint8_t, AreaSize> hotKeyBytes_{}, remapBytes_{};
};

struct HotKeyEntry {
  std::string combination;  // "Ctrl+Alt+Home"
  const char* category;
  HotKeyAction action;
};

struct RemapEntry {
  std::string key;  // "A", "space"
  const char* table;
  std::uint8_t code;
  std::uint8_t own;  // the key's own character, the default
};

std::string KeyLabel(char key) { return key == ' ' ? "space" : std::string(1, key); }

std::vector<HotKeyEntry> HotKeyEntries(MappingImage& image) {
  std::vector<HotKeyEntry> entries;
  for (const HotKeyTable& table : HotKeyTables)
    for (int column = 1; column <= ModifierColumnCount; ++column)
      for (int row = 0; row < table.keys; ++row)
        entries.push_back({std::string(ColumnNames[column]) + "+" + RowLabel(table.category, row),
                           CategoryNames[table.category], *image.hotKeys().Action(table, column, row)});
  return entries;
}

std::vector<RemapEntry> RemapEntries(MappingImage& image) {
  std::vector<RemapEntry> entries;
  for (const RemapTableRows& table : RemapRowLists)
    for (std::size_t row = 0; row < table.rows.size(); ++row)
      entries.push_back({KeyLabel(table.rows[row]), table.heading,
                         *image.remap().Byte(table.table, static_cast<int>(row)),
                         static_cast<std::uint8_t>(table.rows[row])});
  return entries;
}

// A character as the report shows it: quoted with its code, or its code alone where it cannot be shown.
std::string QuotedCharacter(int code) {
  if (code == ' ') return "space (32)";
  if (code > ' ' && code < 127)
    return std::string("'") + static_cast<char>(code) + "' (" + std::to_string(code) + ")";
  return "code " + std::to_string(code);
}

std::string ActionWords(HotKeyAction action) {
  if (const ActionKey* key = ActionKeyFor(action)) return "key " + std::string(key->name);
  if (action > LastKeyAction) return "unknown action " + std::to_string(action);
  return "character " + QuotedCharacter(action);
}

std::optional<std::vector<std::uint8_t>> ReadWhole(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string ShortFileFinding(std::size_t size) {
  return std::to_string(size) + " bytes, shorter than a mapping file (" + std::to_string(MappingRecordSize) +
         " bytes); the program reports \"Read beyond end of file\"";
}

// The file's content, when it is long enough to hold a record; the reason on standard error otherwise.
std::optional<FileContent> ReadContent(const char* path) {
  const auto file = ReadWhole(path);
  if (!file) {
    std::cerr << "tvxtool: cannot open " << path << "\n";
    return std::nullopt;
  }
  if (file->size() < MappingRecordSize) {
    std::cerr << path << ": " << ShortFileFinding(file->size()) << "\n";
    return std::nullopt;
  }
  return ContentOf(*file);
}

int Export(const char* path) {
  const auto content = ReadContent(path);
  if (!content) return 1;
  std::vector<std::string> problems;
  if (const std::string finding = ExtensionFinding(content->extension); !finding.empty())
    problems.push_back(finding);
  for (const std::string& line : ExportMapping(content->mapping, problems)) std::printf("%s\n", line.c_str());
  for (const std::string& problem : problems) std::cerr << path << ": not exported: " << problem << "\n";
  return problems.empty() ? 0 : 1;
}

int Import(const char* textPath, const char* outPath) {
  std::ifstream in(textPath, std::ios::binary);
  if (!in) {
    std::cerr << "tvxtool: cannot open " << textPath << "\n";
    return 1;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  std::string error;
  const auto mapping = ImportMapping(lines, error);
  if (!mapping) {
    std::cerr << textPath << ": " << error << "\n";
    return 1;
  }
  std::vector<std::uint8_t> bytes(mapping->record.begin(), mapping->record.end());
  const std::vector<std::uint8_t> extension = ExtensionBytes(mapping->record, mapping->characters);
  bytes.insert(bytes.end(), extension.begin(), extension.end());
  std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::cerr << "tvxtool: cannot write " << outPath << "\n";
    return 1;
  }
  return 0;
}

int Diff(const char* firstPath, const char* secondPath) {
  const auto first = ReadContent(firstPath), second = ReadContent(secondPath);
  if (!first || !second) return 2;
  bool differ = false;
  for (const MappingCell& cell : MappingCells()) {
    // What is stored is compared, not the lines: equal texts have one id.
    const std::uint16_t valueBefore = CellValue(first->mapping.record, cell),
                        valueAfter = CellValue(second->mapping.record, cell);
    const char32_t characterBefore = CellCharacter(first->mapping, cell),
                   characterAfter = CellCharacter(second->mapping, cell);
    if (valueBefore == valueAfter && characterBefore == characterAfter) continue;
    const std::string before = CellLine(cell, valueBefore, characterBefore);
    const std::string after = CellLine(cell, valueAfter, characterAfter);
    std::printf("- %s\n+ %s\n", before.c_str(), after.c_str());
    differ = true;
  }
  // A key remapped on one side only has a line on that side alone.
  for (std::size_t vk = 0; vk < KeyRemapTable{}.words.size(); ++vk) {
    const auto before = first->mapping.characters.keys.At(static_cast<std::uint8_t>(vk));
    const auto after = second->mapping.characters.keys.At(static_cast<std::uint8_t>(vk));
    if (before == after) continue;
    if (before) std::printf("- %s\n", KeyRemapLine(*before).c_str());
    if (after) std::printf("+ %s\n", KeyRemapLine(*after).c_str());
    differ = true;
  }
  return differ ? 1 : 0;
}

int Usage() {
  std::cerr << "usage: tvxtool dump FILE          list the entries that differ from the default tables\n"
               "       tvxtool check FILE         report damage; exit 1 when the file is damaged\n"
               "       tvxtool export FILE        the entries as text lines, on standard output\n"
               "       tvxtool import TEXT FILE   write the mapping file that the text lines describe\n"
               "       tvxtool diff FILE1 FILE2   the entries that differ; exit 1 when there are some\n";
  return 2;
}

}  // namespace

int Dump(const char* path, const std::vector<std::uint8_t>& file) {
  if (file.size() < MappingRecordSize) {
    std::cerr << path << ": " << ShortFileFinding(file.size()) << "\n";
    return 1;
  }
  MappingImage image(file);
  const FileContent content = ContentOf(file);
  const MappingCharacters& characters = content.mapping.characters;
  std::printf("%s\n", path);
  if (const std::string finding = ExtensionFinding(content.extension); !finding.empty())
    std::printf("Note: %s\n", finding.c_str());
  std::printf("Hot keys:\n");
  bool any = false;
  const std::vector<HotKeyEntry> hotKeys = HotKeyEntries(image);
  for (std::size_t cell = 0; cell < hotKeys.size(); ++cell) {
    const HotKeyEntry& entry = hotKeys[cell];
    if (entry.action == 0 && characters.cells[cell] == 0) continue;
    const char32_t character = characters.cells[cell];
    const std::string words = IsTextId(character)        ? "text " + TextLine(TextOfId(character))
                              : character == SheetMarker ? "sheet of the hot keys in force"
                              : character                ? "character " + CodePointText(character)
                                                         : ActionWords(entry.action);
    std::printf("  %-14s %-20s %s\n", entry.category, entry.combination.c_str(), words.c_str());
    any = true;
  }
  if (!any) std::printf("  none\n");
  std::printf("Remapped characters:\n");
  any = false;
  const std::vector<RemapEntry> remaps = RemapEntries(image);
  for (std::size_t row = 0; row < remaps.size(); ++row) {
    const RemapEntry& entry = remaps[row];
    const char32_t character = characters.cells[hotKeys.size() + row];
    if (entry.code == entry.own && character == 0) continue;
    std::printf("  %-14s %-6s -> %s\n", entry.table, entry.key.c_str(),
                character ? CodePointText(character).c_str() : QuotedCharacter(entry.code).c_str());
    any = true;
  }
  if (!any) std::printf("  none\n");
  if (characters.keys.Empty()) return 0;
  std::printf("Keys:\n");
  for (const KeyRemap& remap : characters.keys.List())
    std::printf("  %-14s -> %s\n", KeyName(remap.from).c_str(), KeyRemapTarget(remap).c_str());
  return 0;
}

int Check(const char* path, const std::vector<std::uint8_t>& file) {
  int errors = 0, warnings = 0;
  const auto report = [&](bool error, const std::string& text) {
    std::printf("%s: %s: %s\n", path, error ? "error" : "warning", text.c_str());
    ++(error ? errors : warnings);
  };
  if (file.size() < MappingRecordSize) {
    report(true, ShortFileFinding(file.size()));
  } else {
    const FileContent content = ContentOf(file);
    if (const std::string finding = ExtensionFinding(content.extension); !finding.empty())
      report(true, finding);
    if (file.size() > MappingRecordSize && content.extension.state == ExtensionState::None)
      report(false, std::to_string(file.size()) + " bytes; the " +
                        std::to_string(file.size() - MappingRecordSize) + " bytes after the first " +
                        std::to_string(MappingRecordSize) + " are ignored");
    MappingImage image(file);
    for (const HotKeyEntry& entry : HotKeyEntries(image))
      if ((entry.action != 0 && entry.action < FirstCharacter) || entry.action > LastKeyAction)
        report(true, std::string(entry.category) + " " + entry.combination + " holds " +
                         std::to_string(entry.action) +
                         ", which is neither a character nor an action key the program writes");
    for (const RemapEntry& entry : RemapEntries(image))
      if (entry.code < FirstCharacter)
        report(true, std::string(entry.table) + " " + entry.key + " is remapped to control code " +
                         std::to_string(entry.code) + ", which the program never writes");
    const MappingRecord record = RecordOf(file);
    for (const MappingCell& cell : MappingCells())
      if (cell.hotKey && CellValue(record, cell) != 0 && IsReserved(cell.category, cell.column, cell.row))
        report(true, std::string(CategoryNames[cell.category]) + " " + ColumnNames[cell.column] + "+" +
                         RowLabel(cell.category, cell.row) +
                         " is filled, but the operating system keeps that combination for itself");
  }
  if (errors + warnings == 0)
    std::printf("%s: OK\n", path);
  else
    std::printf("%s: %d error(s), %d warning(s)\n", path, errors, warnings);
  return errors == 0 ? 0 : 1;
}

namespace {

// What the command wrote must have reached standard output (a full disk, a closed pipe): a listing cut
// short must not pass for a whole one.
int WithOutputChecked(int status) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  std::cerr << "tvxtool: cannot write standard output: " << std::strerror(errno) << "\n";
  return 2;
}

int RunCommand(int argc, char** argv) {
  const std::string command = argc >= 3 ? argv[1] : "";
  if (argc == 4 && command == "import") return Import(argv[2], argv[3]);
  if (argc == 4 && command == "diff") return Diff(argv[2], argv[3]);
  if (argc != 3) return Usage();
  if (command == "export") return Export(argv[2]);
  if (command != "dump" && command != "check") return Usage();
  const auto file = ReadWhole(argv[2]);
  if (!file) {
    std::cerr << "tvxtool: cannot open " << argv[2] << "\n";
    return 1;
  }
  return command == "dump" ? Dump(argv[2], *file) : Check(argv[2], *file);
}

}  // namespace

int RunTvxTool(int argc, char** argv) { return WithOutputChecked(RunCommand(argc, argv)); }

}  // namespace tvx
