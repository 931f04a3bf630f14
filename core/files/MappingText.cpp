#include "core/files/MappingText.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <optional>

#include "core/common/Utf8.h"
#include "core/keymap/Catalogue.h"
#include "core/keymap/KeyNames.h"
#include "core/keymap/TextSyntax.h"

namespace tvx {
namespace {

constexpr std::size_t RemapRunStart = HotKeyRunSize;

// The units of a text a line cannot hold, written as no text the syntax reads, so they come back as they
// were: a tab is not {Tab}, which plays the same but is another text.
struct LineEscape {
  char16_t unit;
  std::u16string_view written;
};
constexpr LineEscape LineEscapes[] = {{u'\t', u"{U+0009}"}, {u'\r', u"{U+000D}"}, {u'\n', u"{U+000A}"}};

std::string KeyLabel(char key) { return key == ' ' ? "space" : std::string(1, key); }

std::vector<MappingCell> AllCells() {
  std::vector<MappingCell> cells;
  for (const HotKeyTable& table : HotKeyTables)
    for (int column = 1; column <= ModifierColumnCount; ++column)
      for (int row = 0; row < table.keys; ++row)
        cells.push_back({std::string("hotkey\t") + CategoryNames[table.category] + "\t" +
                             ColumnNames[column] + "\t" + RowLabel(table.category, row),
                         *HotKeyEntryOffset(table, column, row) - hotkey_area::TablesBegin, true,
                         table.category, column, row, 0});
  for (const RemapTableRows& table : RemapRowLists)
    for (std::size_t row = 0; row < table.rows.size(); ++row)
      cells.push_back({std::string("remap\t") + table.heading + "\t" + KeyLabel(table.rows[row]),
                       RemapRunStart + RemapTableOf(table.table).start - remap_area::TablesBegin + row, false,
                       0, 0, static_cast<int>(row), static_cast<std::uint8_t>(table.rows[row])});
  return cells;
}

std::string ValueText(const MappingCell& cell, std::uint16_t value) {
  if (cell.hotKey && value == 0) return "none";
  if (const ActionKey* key = cell.hotKey ? ActionKeyFor(value) : nullptr)
    return "key " + std::string(key->name);
  return "char " + std::to_string(value);
}

// A "char U+XXXX" value: the character, or nothing when the text is not one a cell can hold.
std::optional<char32_t> ReadCharacter(const std::string& text) {
  if (!text.starts_with("char U+")) return std::nullopt;
  const char* first = text.data() + 7;
  const char* last = text.data() + text.size();
  std::uint32_t code = 0;
  const auto [end, error] = std::from_chars(first, last, code, 16);
  const auto digits = last - first;
  if (error != std::errc() || end != last || digits < 4 || digits > 6 ||
      std::any_of(first, last, [](char c) { return c >= 'a' && c <= 'f'; }) || !IsCellCharacter(code))
    return std::nullopt;
  return code;
}

// A "text STEPS" value: the text's id; nothing when the value is none, with `problem` set when it is one
// that does not read.
std::optional<char32_t> ReadText(const std::string& text, std::string& problem) {
  if (!text.starts_with("text ")) return std::nullopt;
  const std::optional<std::u16string> line = Utf16OfUtf8(std::string_view(text).substr(5));
  if (!line) {
    problem = "the text is not UTF-8";
    return std::nullopt;
  }
  const std::u16string source = TextOfLine(*line);
  if (const ParsedText parsed = ParseTextSyntax(source); parsed.error) {
    problem = "the text does not read: " + parsed.error->message;
    return std::nullopt;
  }
  return TextId(source);
}

std::optional<std::uint16_t> ReadValue(const MappingCell& cell, const std::string& text) {
  if (cell.hotKey && text == "none") return 0;
  if (cell.hotKey && text.starts_with("key ")) {
    const std::string_view name = std::string_view(text).substr(4);
    for (std::size_t i = 0; i < ActionKeyTable.size(); ++i)
      if (ActionKeyTable[i].name == name) return static_cast<std::uint16_t>(FirstKeyAction + i);
    return std::nullopt;
  }
  if (!text.starts_with("char ")) return std::nullopt;
  unsigned code = 0;
  const char* first = text.data() + 5;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, code);
  if (error != std::errc() || end != last || first == last || code > 255) return std::nullopt;
  return static_cast<std::uint16_t>(code);
}

// The names of a line: everything before its last field.
std::pair<std::string, std::string> SplitLastField(const std::string& line) {
  const auto tab = line.rfind('\t');
  if (tab == std::string::npos) return {line, ""};
  return {line.substr(0, tab), line.substr(tab + 1)};
}

// A key named in a line; nothing, with `problem` set, for a name no key has.
std::optional<std::uint8_t> NamedKey(std::string_view name, std::string& problem) {
  const std::optional<std::uint8_t> vk = KeyNamed(name);
  if (!vk)
    problem = "no key is named \"" + std::string(name) +
              "\" (the names are A, 1, F1, Esc, CapsLock, LCtrl, VK E2...)";
  return vk;
}

// "tap KEY hold KEY" with " after N": the remap; nothing, with `problem` set, when it does not read.
std::optional<KeyRemap> TapHoldOf(std::uint8_t from, std::string_view to, std::string& problem) {
  const std::size_t hold = to.find(" hold ", 4);
  if (hold == std::string_view::npos) {
    problem = "a tap key with no hold key: " + std::string(to);
    return std::nullopt;
  }
  std::string_view holdName = to.substr(hold + 6);
  unsigned delay = DefaultHoldDelayMs;
  if (const std::size_t after = holdName.find(" after "); after != std::string_view::npos) {
    const std::string_view digits = holdName.substr(after + 7);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), delay);
    if (error != std::errc() || end != digits.data() + digits.size() || delay > 0xFFFF) {
      problem = "the hold delay is a number of ms: " + std::string(digits);
      return std::nullopt;
    }
    holdName = holdName.substr(0, after);
  }
  const auto tapKey = NamedKey(to.substr(4, hold - 4), problem);
  const auto holdKey = tapKey ? NamedKey(holdName, problem) : std::nullopt;
  if (!holdKey) return std::nullopt;
  return KeyRemap{from, KeyRemapKind::TapHold, *tapKey, *holdKey, static_cast<std::uint16_t>(delay)};
}

void SetValue(MappingRecord& record, const MappingCell& cell, std::uint16_t value) {
  if (cell.hotKey)
    std::memcpy(&record[cell.offset], &value, sizeof value);
  else
    record[cell.offset] = static_cast<std::uint8_t>(value);
}

}  // namespace

const std::vector<MappingCell>& MappingCells() {
  static const std::vector<MappingCell> cells = AllCells();
  return cells;
}

std::uint16_t CellValue(const MappingRecord& record, const MappingCell& cell) {
  if (!cell.hotKey) return record[cell.offset];
  std::uint16_t value;
  std::memcpy(&value, &record[cell.offset], sizeof value);
  return value;
}

char32_t CellCharacter(const Mapping& mapping, const MappingCell& cell) {
  return mapping.characters.cells[static_cast<std::size_t>(&cell - MappingCells().data())];
}

std::string CellProblem(const MappingCell& cell, std::uint16_t value) {
  if (value == cell.own) return {};
  if (cell.hotKey && IsReserved(cell.category, cell.column, cell.row))
    return "a combination the operating system keeps for itself";
  if (value < FirstCharacter)
    return std::to_string(value) + " is a control code, which the program never writes";
  if (cell.hotKey && value > LastKeyAction)
    return std::to_string(value) + " is neither a character nor an action key";
  return {};
}

std::string CellLine(const MappingCell& cell, std::uint16_t value, char32_t character) {
  if (IsTextId(character)) return cell.names + "\ttext " + TextLine(TextOfId(character));
  if (character == SheetMarker) return cell.names + "\tsheet";
  return cell.names + "\t" + (character ? "char " + CodePointText(character) : ValueText(cell, value));
}

std::string TextLine(std::u16string_view text) {
  std::u16string line;
  for (const char16_t unit : text) {
    const auto escape = std::find_if(std::begin(LineEscapes), std::end(LineEscapes),
                                     [unit](const LineEscape& e) { return e.unit == unit; });
    if (escape == std::end(LineEscapes))
      line += unit;
    else
      line += escape->written;
  }
  return Utf8Of(line);
}

std::string KeyRemapTarget(const KeyRemap& remap) {
  if (remap.kind == KeyRemapKind::Off) return "none";
  if (remap.kind == KeyRemapKind::Key) return KeyName(remap.to);
  std::string target = "tap " + KeyName(remap.to) + " hold " + KeyName(remap.hold);
  if (remap.delayMs != DefaultHoldDelayMs) target += " after " + std::to_string(remap.delayMs);
  return target;
}

std::string KeyRemapLine(const KeyRemap& remap) {
  return "key\t" + KeyName(remap.from) + "\t" + KeyRemapTarget(remap);
}

std::optional<KeyRemap> KeyRemapOf(std::uint8_t from, std::string_view to, std::string& problem) {
  std::optional<KeyRemap> remap;
  if (to == "none")
    remap = KeyRemap{from, KeyRemapKind::Off};
  else if (to.starts_with("tap "))
    remap = TapHoldOf(from, to, problem);
  else if (const auto vk = NamedKey(to, problem))
    remap = KeyRemap{from, KeyRemapKind::Key, *vk};
  if (!remap) return std::nullopt;
  if (const auto refused = KeyRemapProblem(*remap)) {
    problem = *refused;
    return std::nullopt;
  }
  return remap;
}

// "{{" and "}}" are the braces themselves, never the start or the end of an escape.
std::u16string TextOfLine(std::u16string_view line) {
  std::u16string text;
  for (std::size_t at = 0; at < line.size();) {
    const std::u16string_view rest = line.substr(at);
    if (rest.starts_with(u"{{") || rest.starts_with(u"}}")) {
      text += rest.substr(0, 2);
      at += 2;
      continue;
    }
    const auto escape = std::find_if(std::begin(LineEscapes), std::end(LineEscapes),
                                     [rest](const LineEscape& e) { return rest.starts_with(e.written); });
    if (escape == std::end(LineEscapes)) {
      text += line[at++];
    } else {
      text += escape->unit;
      at += escape->written.size();
    }
  }
  return text;
}

MappingRecord DefaultRecord() {
  MappingRecord record{};
  for (const MappingCell& cell : MappingCells()) SetValue(record, cell, cell.own);
  return record;
}

std::vector<std::string> ExportMapping(const Mapping& mapping, std::vector<std::string>& problems) {
  std::vector<std::string> lines{MappingTextHeader};
  for (const MappingCell& cell : MappingCells()) {
    if (const char32_t character = CellCharacter(mapping, cell)) {
      if (IsTextId(character) && (!cell.hotKey || ParseTextSyntax(TextOfId(character)).error)) {
        problems.push_back(cell.names + ": a text the program cannot read");
        continue;
      }
      if (character == SheetMarker && !cell.hotKey) {
        problems.push_back(cell.names + ": a sheet on a remapped key");
        continue;
      }
      lines.front() = UnicodeMappingTextHeader;
      lines.push_back(CellLine(cell, cell.own, character));
      continue;
    }
    const std::uint16_t value = CellValue(mapping.record, cell);
    if (value == cell.own) continue;
    if (const std::string problem = CellProblem(cell, value); !problem.empty())
      problems.push_back(cell.names + ": " + problem);
    else
      lines.push_back(CellLine(cell, value));
  }
  for (const KeyRemap& remap : mapping.characters.keys.List()) {
    if (const auto problem = KeyRemapProblem(remap)) {
      problems.push_back(KeyRemapLine(remap) + ": " + *problem);
      continue;
    }
    lines.front() = KeysMappingTextHeader;
    lines.push_back(KeyRemapLine(remap));
  }
  return lines;
}

std::optional<Mapping> ImportMapping(const std::vector<std::string>& lines, std::string& error) {
  static const std::map<std::string, const MappingCell*> byNames = [] {
    std::map<std::string, const MappingCell*> names;
    for (const MappingCell& cell : MappingCells()) names[cell.names] = &cell;
    return names;
  }();
  const auto fail = [&error](std::size_t number, const std::string& text) {
    error = "line " + std::to_string(number) + ": " + text;
    return std::nullopt;
  };
  const bool keys = !lines.empty() && lines.front() == KeysMappingTextHeader;
  const bool unicode = keys || (!lines.empty() && lines.front() == UnicodeMappingTextHeader);
  if (lines.empty() || (lines.front() != MappingTextHeader && !unicode))
    return fail(1,
                std::string("not a mapping text (the first line must be \"tavrix-mapping<TAB>1\", 2 or 3)"));
  Mapping mapping{DefaultRecord(), {}};
  std::map<const MappingCell*, std::size_t> given;
  std::map<std::uint8_t, std::size_t> keysGiven;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::size_t number = i + 1;
    if (lines[i].empty()) continue;
    if (lines[i].starts_with("key\t")) {
      if (!keys) return fail(number, "a key line needs the first line \"tavrix-mapping<TAB>3\"");
      const std::string_view fields = std::string_view(lines[i]).substr(4);
      const std::size_t tab = fields.find('\t');
      if (tab == std::string_view::npos) return fail(number, "a key line is key<TAB>FROM<TAB>TO");
      std::string problem;
      const auto from = NamedKey(fields.substr(0, tab), problem);
      const auto remap = from ? KeyRemapOf(*from, fields.substr(tab + 1), problem) : std::nullopt;
      if (!remap) return fail(number, problem);
      if (const auto [earlier, first] = keysGiven.emplace(*from, number); !first)
        return fail(number, "the same key as line " + std::to_string(earlier->second));
      mapping.characters.keys.Set(*remap);
      continue;
    }
    const auto [names, valueText] = SplitLastField(lines[i]);
    const auto found = byNames.find(names);
    if (found == byNames.end()) return fail(number, "no such key or table: " + names);
    const MappingCell& cell = *found->second;
    std::string problem;
    std::optional<char32_t> character = ReadCharacter(valueText);
    if (!character && cell.hotKey) character = ReadText(valueText, problem);
    if (!character && cell.hotKey && valueText == "sheet") character = SheetMarker;
    if (!problem.empty()) return fail(number, problem);
    if (character && !unicode)
      return fail(number,
                  "a character beyond the record or a text needs the first line \"tavrix-mapping<TAB>2\"");
    const std::optional<std::uint16_t> value = character ? cell.own : ReadValue(cell, valueText);
    if (!value) return fail(number, "not a value this entry can hold: " + valueText);
    // A character beyond the record leaves the cell's default there, and is refused where a value is.
    const std::uint16_t checked = character && cell.hotKey ? FirstCharacter : *value;
    if (problem = CellProblem(cell, checked); !problem.empty()) return fail(number, problem);
    if (const auto [earlier, first] = given.emplace(&cell, number); !first)
      return fail(number, "the same entry as line " + std::to_string(earlier->second));
    SetValue(mapping.record, cell, *value);
    if (character)
      mapping.characters.cells[static_cast<std::size_t>(&cell - MappingCells().data())] = *character;
  }
  return mapping;
}

}  // namespace tvx
