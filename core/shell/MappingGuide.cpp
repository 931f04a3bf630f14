#include "core/shell/MappingGuide.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "core/keymap/Catalogue.h"
#include "core/keymap/CellText.h"
#include "core/keymap/CellTexts.h"
#include "core/keymap/KeyNames.h"

namespace tvx {
namespace {

// One table of the page, in drawing order. Offsets from the margins: half columns, then rows.
struct GuideTable {
  int hotKeyTable;  // TableNumber 1..5, or 0 for a remap table
  RemapTableId remap;
  int halfColumns;
  int rows;
};

constexpr GuideTable GuideTables[] = {
    {1, {}, 0, 38},
    {2, {}, 20, 4},
    {3, {}, 20, 17},
    {4, {}, 20, 31},
    {5, {}, 20, 46},
    {0, RemapTableId::Upper, 0, 4},
    {0, RemapTableId::Lower, 5, 4},
    {0, RemapTableId::Punct, 10, 4},
    {0, RemapTableId::Numeric, 15, 4},
};

using Captions = std::span<const char* const>;
constexpr const char* HotKeyUpperCaptions[] = {"", "", "", "", "Ctrl", "Ctrl", "Alt", "Alt"};
constexpr const char* HotKeyLowerCaptions[] = {"Key", "Alt", "Ctrl", "Win", "Alt", "Win", "Win", "Shift"};
constexpr const char* RemapUpperCaptions[] = {"Orig", "New"};
constexpr const char* RemapLowerCaptions[] = {"Key", "Key"};

// The cells of one table: column 0 holds the row labels, rows -2 and -1 the header.
class TableCells {
 public:
  TableCells(GuideCanvas& canvas, const GuideMetrics& m, const GuideTable& table)
      : canvas_(canvas),
        m_(m),
        x_(m.marginX + table.halfColumns * m.colWidth / 2),
        y_(m.marginY + table.rows * m.rowHeight) {}

  int Left(int col) const { return x_ + col * m_.colWidth; }
  int Top(int row) const { return y_ + row * m_.rowHeight; }
  GuideRect Cell(int col, int row) const { return {Left(col), Top(row), Left(col + 1), Top(row + 1)}; }

  // Centred across the cell, a tenth of a row below its middle; a text wider than the cell starts
  // left of it.
  template <typename Text>
  void CellText(int col, int row, Text text, TextBackground background) const {
    const TextSize size = canvas_.TextExtent(text);
    canvas_.Text(Left(col) + (m_.colWidth - size.width) / 2,
                 Top(row) + m_.rowHeight / 10 + (m_.rowHeight - size.height) / 2, text, background);
  }

  // A text cell: its text in quotes, cut to the cell's width.
  void QuotedText(int col, int row, std::u16string_view text) const {
    const std::u16string shown = QuotedCellText(
        text, m_.colWidth, [this](std::u16string_view part) { return canvas_.TextExtent(part).width; });
    CellText(col, row, std::u16string_view(shown), TextBackground::OpaqueWhite);
  }

  void Header(Captions upper, Captions lower) const {
    for (int col = 0; col < static_cast<int>(upper.size()); ++col)
      canvas_.Fill({Left(col), Top(-2), Left(col + 1), Top(0)}, GuideLightGrey);
    for (int col = 0; col < static_cast<int>(upper.size()); ++col) {
      CellText(col, -2, upper[static_cast<std::size_t>(col)], TextBackground::Transparent);
      CellText(col, -1, lower[static_cast<std::size_t>(col)], TextBackground::Transparent);
    }
  }

  void RowLabel(int row, std::string_view label) const {
    canvas_.Fill(Cell(0, row), GuideLightGrey);
    CellText(0, row, label, TextBackground::Transparent);
  }

  void Reserved(int col, int row) const { canvas_.Fill(Cell(col, row), GuideDarkGrey); }

  // No line between the two header rows; the last horizontal line closes the table.
  void Lines(int columns, int rows) const {
    canvas_.Line(Left(0), Top(-2), Left(columns), Top(-2));
    for (int row = 0; row <= rows; ++row) canvas_.Line(Left(0), Top(row), Left(columns), Top(row));
    for (int col = 0; col <= columns; ++col) canvas_.Line(Left(col), Top(-2), Left(col), Top(rows));
  }

 private:
  GuideCanvas& canvas_;
  const GuideMetrics& m_;
  int x_, y_;
};

// The cell's character beyond the record; 0 for none.
char32_t Beyond(const MappingCharacters* characters, int cell) {
  return characters ? characters->At(cell) : 0;
}

void DrawHotKeyTable(const TableCells& cells, const HotKeyTable& table, const HotKeyAreaView& hotKeys,
                     const MappingCharacters* characters) {
  cells.Header(HotKeyUpperCaptions, HotKeyLowerCaptions);
  for (int row = 0; row < table.keys; ++row) {
    cells.RowLabel(row, RowLabel(table.category, row));
    for (int col = 1; col <= ModifierColumnCount; ++col) {
      if (IsReserved(table.category, col, row)) {
        cells.Reserved(col, row);
        continue;
      }
      const CellWords words = HotKeyCellWords(hotKeys.Action(table, col, row).value_or(0),
                                              Beyond(characters, HotKeyCellNumber(table, col, row)));
      if (words.quoted)
        cells.QuotedText(col, row, words.wide);
      else if (!words.wide.empty())
        cells.CellText(col, row, std::u16string_view(words.wide), TextBackground::OpaqueWhite);
      else
        cells.CellText(col, row, std::string_view(words.narrow.empty() ? "none" : words.narrow),
                       TextBackground::OpaqueWhite);
    }
  }
  cells.Lines(ModifierColumnCount + 1, table.keys);
}

void DrawRemapTable(const TableCells& cells, RemapTableId table, const RemapAreaView& remaps,
                    const MappingCharacters* characters) {
  cells.Header(RemapUpperCaptions, RemapLowerCaptions);
  const std::string_view rows = RemapRows(table);
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    cells.RowLabel(row, rows.substr(static_cast<std::size_t>(row), 1));
    const std::uint8_t code = remaps.Byte(table, row).value_or(0);
    if (const char32_t beyond = Beyond(characters, RemapCellNumber(table, row)))
      cells.CellText(1, row, std::u16string_view(Utf16Of(beyond)), TextBackground::OpaqueWhite);
    else
      cells.CellText(1, row, std::string_view(code ? CharacterText(code) : "none"),
                     TextBackground::OpaqueWhite);
  }
  cells.Lines(2, static_cast<int>(rows.size()));
}

// The Keys table, when there is one, on pages after the tables' page: blocks of two columns, "From" two
// columns wide and "To" six, where the page's two halves stand, each block as many rows as the tables use.
constexpr int KeysTop = 4, KeysRows = 58, FromColumns = 2, ToColumns = 6;
constexpr int KeysHalfColumns[] = {0, 20};
constexpr int KeysPerPage = KeysRows * static_cast<int>(std::size(KeysHalfColumns));

std::string KeyRemapTarget(const KeyRemap& remap) {
  if (remap.kind == KeyRemapKind::Off) return "none";
  if (remap.kind == KeyRemapKind::Key) return KeyName(remap.to);
  return "tap " + KeyName(remap.to) + " hold " + KeyName(remap.hold) + " after " +
         std::to_string(remap.delayMs) + " ms";
}

class KeysBlock {
 public:
  KeysBlock(GuideCanvas& canvas, const GuideMetrics& m, int halfColumns)
      : canvas_(canvas), m_(m), x_(m.marginX + halfColumns * m.colWidth / 2) {}

  void Header() const {
    canvas_.Fill({Left(0), Top(-2), Left(FromColumns + ToColumns), Top(0)}, GuideLightGrey);
    Text(0, FromColumns, -2, "Keys", TextBackground::Transparent);
    Text(0, FromColumns, -1, "From", TextBackground::Transparent);
    Text(FromColumns, ToColumns, -1, "To", TextBackground::Transparent);
  }
  void Row(int row, const KeyRemap& remap) const {
    canvas_.Fill({Left(0), Top(row), Left(FromColumns), Top(row + 1)}, GuideLightGrey);
    Text(0, FromColumns, row, KeyName(remap.from), TextBackground::Transparent);
    Text(FromColumns, ToColumns, row, KeyRemapTarget(remap), TextBackground::OpaqueWhite);
  }
  void Lines(int rows) const {
    const int right = Left(FromColumns + ToColumns);
    canvas_.Line(Left(0), Top(-2), right, Top(-2));
    for (int row = 0; row <= rows; ++row) canvas_.Line(Left(0), Top(row), right, Top(row));
    for (const int col : {0, FromColumns, FromColumns + ToColumns})
      canvas_.Line(Left(col), Top(-2), Left(col), Top(rows));
  }

 private:
  int Left(int col) const { return x_ + col * m_.colWidth; }
  int Top(int row) const { return m_.marginY + (KeysTop + row) * m_.rowHeight; }
  // Centred across `columns` columns from `col`, as a table cell's text.
  void Text(int col, int columns, int row, const std::string& text, TextBackground background) const {
    const TextSize size = canvas_.TextExtent(text);
    canvas_.Text(Left(col) + (columns * m_.colWidth - size.width) / 2,
                 Top(row) + m_.rowHeight / 10 + (m_.rowHeight - size.height) / 2, text, background);
  }

  GuideCanvas& canvas_;
  const GuideMetrics& m_;
  int x_;
};

void DrawTitle(GuideCanvas& canvas, const GuideMetrics& m, const ShortString& title) {
  canvas.Text((m.pageWidth - canvas.TextExtent(title.str()).width) / 2, m.marginY, title.str(),
              TextBackground::OpaqueWhite);
}

void DrawKeysPages(GuideCanvas& canvas, const GuideMetrics& m, const ShortString& title,
                   const KeyRemapList& keys) {
  for (std::size_t first = 0; first < keys.size(); first += KeysRows) {
    const int index = static_cast<int>(first);
    if (index % KeysPerPage == 0) {
      canvas.NewPage();
      DrawTitle(canvas, m, title);
    }
    const KeysBlock block(canvas, m, KeysHalfColumns[index % KeysPerPage / KeysRows]);
    const int rows = std::min(KeysRows, static_cast<int>(keys.size() - first));
    block.Header();
    for (int row = 0; row < rows; ++row) block.Row(row, keys[first + static_cast<std::size_t>(row)]);
    block.Lines(rows);
  }
}

void DrawPage(GuideCanvas& canvas, const GuideMetrics& m, const ShortString& title,
              const HotKeyAreaView& hotKeys, const RemapAreaView& remaps,
              const MappingCharacters* characters) {
  DrawTitle(canvas, m, title);
  for (const GuideTable& table : GuideTables) {
    const TableCells cells(canvas, m, table);
    if (table.hotKeyTable)
      DrawHotKeyTable(cells, *TableByNumber(table.hotKeyTable), hotKeys, characters);
    else
      DrawRemapTable(cells, table.remap, remaps, characters);
  }
}

}  // namespace

CellWords HotKeyCellWords(HotKeyAction action, char32_t beyond) {
  if (beyond == SheetMarker) return {std::string(SheetCellText), {}, false};
  if (IsTextId(beyond)) return {{}, TextOfId(beyond), true};
  if (beyond) return {{}, Utf16Of(beyond), false};
  return {action ? HotKeyCellText(action) : std::string(), {}, false};
}

GuideMetrics MeasureGuide(GuideCanvas& canvas, int pageWidth, int pageHeight) {
  return {pageWidth, pageWidth / 17, pageHeight / 22, canvas.TextExtent("MjJ").height * 14 / 10,
          canvas.TextExtent(" Right ").width * 12 / 10};
}

ShortString GuideTitle(const ShortString& currentFile) {
  return ShortString("Tavrix Mapping Guide For: ") + currentFile.str();
}

void DrawMappingGuide(GuideCanvas& canvas, const GuideMetrics& metrics, int copies,
                      const ShortString& currentFile, const HotKeyAreaView& hotKeys,
                      const RemapAreaView& remaps, const MappingCharacters* characters) {
  const ShortString title = GuideTitle(currentFile);
  const KeyRemapList keys = characters ? characters->keys.List() : KeyRemapList{};
  for (int copy = 1; copy <= copies; ++copy) {
    DrawPage(canvas, metrics, title, hotKeys, remaps, characters);
    DrawKeysPages(canvas, metrics, title, keys);
    if (copy < copies) canvas.NewPage();
  }
}

}  // namespace tvx
