#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/files/MappingExtension.h"
#include "core/files/MappingFile.h"
#include "core/keymap/Catalogue.h"
#include "core/keymap/CellTexts.h"
#include "core/shell/HotKeySheet.h"
#include "core/shell/MappingGuide.h"

namespace tvx {
namespace {

// Every character 5 units wide and 10 high: RowHeight 14, ColWidth trunc(35 * 1.2) = 42.
constexpr int CharWidth = 5, TextHeight = 10, RowHeight = 14, ColWidth = 42;
// A page of 1700 by 2200 units: margins of 100 each way.
constexpr int PageWidth = 1700, PageHeight = 2200, Margin = 100;

struct Op {
  enum Kind { Text, Fill, Line, NewPage } kind;
  GuideRect rect{};  // Text: its top-left corner in left and top
  std::string text;
  bool opaque = false;
  std::uint32_t colour = 0;
  friend bool operator==(const Op&, const Op&) = default;
};

// Measures in proportion to the type the sheet chooses, the guide's own at first.
class RecordingCanvas : public SheetCanvas {
 public:
  TextSize TextExtent(std::string_view text) override {
    return {CharWidth * static_cast<int>(text.size()) * height_ / TextHeight, height_};
  }
  void UseTextHeight(int pixels) override { height_ = pixels; }
  void Text(int x, int y, std::string_view text, TextBackground background) override {
    ops.push_back({Op::Text, {x, y, 0, 0}, std::string(text), background == TextBackground::OpaqueWhite});
  }
  // A character beyond the code page is recorded as its code, "U+03B1", and measured so.
  TextSize TextExtent(std::u16string_view text) override { return TextExtent(Recorded(text)); }
  void Text(int x, int y, std::u16string_view text, TextBackground background) override {
    Text(x, y, Recorded(text), background);
  }
  void Fill(const GuideRect& rect, std::uint32_t colour) override {
    ops.push_back({Op::Fill, rect, {}, false, colour});
  }
  void Line(int x1, int y1, int x2, int y2) override { ops.push_back({Op::Line, {x1, y1, x2, y2}, {}}); }
  void NewPage() override { ops.push_back({Op::NewPage, {}, {}}); }

  std::vector<Op> ops;

 private:
  int height_ = TextHeight;
  // A longer text (a text cell's) is recorded in UTF-8 and measured by its bytes.
  static std::string Recorded(std::u16string_view text) {
    const bool pair = text.size() == 2 && text[0] >= 0xD800 && text[0] <= 0xDBFF;
    if (text.size() > 2 || (text.size() == 2 && !pair)) return Utf8(text);
    const char32_t code = pair ? 0x10000 + ((text[0] - 0xD800u) << 10) + (text[1] - 0xDC00u) : text[0];
    return CodePointText(code);
  }
  static std::string Utf8(std::u16string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
      char32_t code = text[i];
      if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size())
        code = 0x10000 + ((code - 0xD800u) << 10) + (text[++i] - 0xDC00u);
      const int extra = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
      bytes += static_cast<char>(extra == 0 ? code : (0xF0u << (3 - extra)) | (code >> (6 * extra)));
      for (int shift = 6 * (extra - 1); shift >= 0; shift -= 6)
        bytes += static_cast<char>(0x80 | ((code >> shift) & 0x3F));
    }
    return bytes;
  }
};

// Where the guide's tables stand: TableX in half columns, TableY in rows, their body rows.
struct Placed {
  int halfColumns, rows, bodyRows, columns;
};
constexpr Placed AlphaHot{0, 38, 26, 8}, NumericHot{20, 4, 10, 8}, PunctHot{20, 17, 11, 8},
    FunctionHot{20, 31, 12, 8}, EditingHot{20, 46, 18, 8}, UpperRemap{0, 4, 26, 2}, LowerRemap{5, 4, 26, 2},
    PunctRemap{10, 4, 31, 2}, NumericRemap{15, 4, 10, 2};
constexpr Placed InDrawingOrder[] = {AlphaHot,   NumericHot, PunctHot,   FunctionHot, EditingHot,
                                     UpperRemap, LowerRemap, PunctRemap, NumericRemap};

int Left(const Placed& t, int col) { return Margin + t.halfColumns * ColWidth / 2 + col * ColWidth; }
int Top(const Placed& t, int row) { return Margin + (t.rows + row) * RowHeight; }
GuideRect Cell(const Placed& t, int col, int row) {
  return {Left(t, col), Top(t, row), Left(t, col + 1), Top(t, row + 1)};
}

class MappingGuide : public ::testing::Test {
 protected:
  MappingGuide() { InitTavrix(hotKeys_, remaps_); }

  std::vector<Op> Draw(int copies = 1, const ShortString& file = "C:\\KEYS\\OFFICE.TVX") {
    RecordingCanvas canvas;
    const GuideMetrics metrics = MeasureGuide(canvas, PageWidth, PageHeight);
    DrawMappingGuide(canvas, metrics, copies, file, hotKeys_, remaps_, &characters_);
    return canvas.ops;
  }
  // The text drawn in a cell, centred as the guide centres it; empty when none was.
  static std::string TextIn(const std::vector<Op>& ops, const GuideRect& cell) {
    for (const Op& op : ops) {
      if (op.kind != Op::Text) continue;
      const int width = CharWidth * static_cast<int>(op.text.size());
      if (op.rect.left == cell.left + (ColWidth - width) / 2 &&
          op.rect.top == cell.top + RowHeight / 10 + (RowHeight - TextHeight) / 2)
        return op.text;
    }
    return {};
  }
  static int FillsOf(const std::vector<Op>& ops, std::uint32_t colour) {
    return static_cast<int>(std::count_if(ops.begin(), ops.end(), [colour](const Op& op) {
      return op.kind == Op::Fill && op.colour == colour;
    }));
  }
  static bool Filled(const std::vector<Op>& ops, const GuideRect& rect, std::uint32_t colour) {
    return std::find(ops.begin(), ops.end(), Op{Op::Fill, rect, {}, false, colour}) != ops.end();
  }

  std::array<std::uint8_t, AreaSize> hotKeyBytes_{}, remapBytes_{};
  HotKeyAreaView hotKeys_{hotKeyBytes_.data()};
  RemapAreaView remaps_{remapBytes_.data()};
  MappingCharacters characters_;
};

TEST_F(MappingGuide, MeasuresInRowsAndColumnsOfThePrintFontAndCentresTheTitleOnThePage) {
  RecordingCanvas canvas;
  const GuideMetrics m = MeasureGuide(canvas, PageWidth + 16, PageHeight + 21);
  EXPECT_EQ(m.marginX, Margin);
  EXPECT_EQ(m.marginY, Margin);
  EXPECT_EQ(m.rowHeight, RowHeight);
  EXPECT_EQ(m.colWidth, ColWidth);

  const std::vector<Op> ops = Draw();
  const std::string title = "Tavrix Mapping Guide For: C:\\KEYS\\OFFICE.TVX";
  EXPECT_EQ(ops.front(), (Op{Op::Text, {(PageWidth - CharWidth * 44) / 2, Margin, 0, 0}, title, true}));
  EXPECT_EQ(Draw(1, std::string(300, 'x')).front().text.size(), 255u);
}

TEST_F(MappingGuide, EveryTableStandsAtItsPlaceWithGreyHeaderAndLabelCells) {
  const std::vector<Op> ops = Draw();
  for (const Placed& t : InDrawingOrder) {
    SCOPED_TRACE(t.halfColumns * 100 + t.rows);
    for (int col = 0; col < t.columns; ++col)
      EXPECT_TRUE(Filled(ops, {Left(t, col), Top(t, -2), Left(t, col + 1), Top(t, 0)}, GuideLightGrey))
          << col;
    for (int row = 0; row < t.bodyRows; ++row)
      EXPECT_TRUE(Filled(ops, Cell(t, 0, row), GuideLightGrey)) << row;
    EXPECT_EQ(TextIn(ops, Cell(t, 0, -1)), "Key");
  }
  EXPECT_EQ(FillsOf(ops, GuideLightGrey), 5 * 8 + 77 + 4 * 2 + 93);
  EXPECT_EQ(TextIn(ops, Cell(EditingHot, 4, -2)), "Ctrl");
  EXPECT_EQ(TextIn(ops, Cell(EditingHot, 7, -1)), "Shift");
  EXPECT_EQ(TextIn(ops, Cell(PunctRemap, 0, -2)), "Orig");
  EXPECT_EQ(TextIn(ops, Cell(PunctRemap, 1, -2)), "New");
  EXPECT_EQ(TextIn(ops, Cell(FunctionHot, 0, 11)), "F12");
  EXPECT_EQ(TextIn(ops, Cell(EditingHot, 0, 14)), "KeyP /");

  // Both page columns end with row 63; the right one ends 18 columns in.
  int right = 0, bottom = 0, top = PageHeight;
  for (const Op& op : ops)
    if (op.kind == Op::Line) {
      right = std::max(right, op.rect.right);
      bottom = std::max(bottom, op.rect.bottom);
      top = std::min(top, op.rect.top);
    }
  EXPECT_EQ(right, Margin + 18 * ColWidth);
  EXPECT_EQ(top, Margin + 2 * RowHeight);
  EXPECT_EQ(bottom, Margin + 64 * RowHeight);
}

TEST_F(MappingGuide, HotKeyCellsPrintAsTheGridShowsThem) {
  const HotKeyTable& alpha = *TableByNumber(1);
  const struct {
    int row;
    HotKeyAction action;
    const char* text;
  } cases[] = {{0, 0, "none"},     {1, 65, "A"}, {2, 256, "F1"},
               {3, 298, "PrtScr"}, {4, 1, "^A"}, {6, 0xFFFF, "??"}};
  for (const auto& c : cases) hotKeys_.SetAction(alpha, Alt, c.row, c.action);
  const std::vector<Op> ops = Draw();
  for (const auto& c : cases) EXPECT_EQ(TextIn(ops, Cell(AlphaHot, Alt, c.row)), c.text) << c.action;
  const auto body = std::find_if(ops.begin(), ops.end(), [](const Op& op) { return op.text == "PrtScr"; });
  ASSERT_NE(body, ops.end());
  EXPECT_TRUE(body->opaque);
}

TEST_F(MappingGuide, CharactersBeyondTheCodePagePrintAsThemselves) {
  characters_.Set(HotKeyCellNumber(*TableByNumber(1), CtrlAlt, 6), U'→');
  characters_.Set(HotKeyCellNumber(*TableByNumber(1), Alt, 7), 0x1F600);
  characters_.Set(RemapCellNumber(RemapTableId::Lower, 16), U'α');
  const std::vector<Op> ops = Draw();
  EXPECT_EQ(TextIn(ops, Cell(AlphaHot, CtrlAlt, 6)), "U+2192");
  EXPECT_EQ(TextIn(ops, Cell(AlphaHot, Alt, 7)), "U+1F600");
  EXPECT_EQ(TextIn(ops, Cell(LowerRemap, 1, 16)), "U+03B1");
  EXPECT_EQ(TextIn(ops, Cell(LowerRemap, 1, 15)), "p");
  EXPECT_EQ(TextIn(ops, Cell(AlphaHot, CtrlAlt, 5)), "none");
}

// ColWidth holds 8 bytes of the canvas's UTF-8: a text cell shows in quotes, cut before the closing quote
// with the ellipsis (3 bytes) where it is wider, and never inside a surrogate pair.
TEST_F(MappingGuide, TextCellsPrintQuotedAndCutToTheCell) {
  const struct {
    int row;
    std::u16string text;
    const char* shown;
  } cases[] = {{0, u"a{F5}", "\"a{F5}\""},
               {1, u"Hello world", "\"Hel\u2026\""},
               {2, u"ab\U0001F600cd", "\"ab\u2026\""},
               {3, u"\U0001F600", "\"\U0001F600\""}};
  for (const auto& c : cases)
    characters_.Set(HotKeyCellNumber(*TableByNumber(1), CtrlAlt, c.row), TextId(c.text));
  const std::vector<Op> ops = Draw();
  for (const auto& c : cases) EXPECT_EQ(TextIn(ops, Cell(AlphaHot, CtrlAlt, c.row)), c.shown) << c.row;
}

TEST_F(MappingGuide, ReservedCellsAreDarkGreyWithNoText) {
  const std::vector<Op> ops = Draw();
  EXPECT_TRUE(Filled(ops, Cell(AlphaHot, Win, 3), GuideDarkGrey));        // Win+D
  EXPECT_TRUE(Filled(ops, Cell(EditingHot, CtrlAlt, 1), GuideDarkGrey));  // Ctrl+Alt+Delete
  EXPECT_EQ(TextIn(ops, Cell(EditingHot, CtrlAlt, 1)), "");
  for (int row = 0; row < 10; ++row)
    EXPECT_TRUE(Filled(ops, Cell(NumericHot, Win, row), GuideDarkGrey)) << row;
  for (int row = 0; row < 11; ++row)
    for (int col = 1; col < 8; ++col) {
      EXPECT_FALSE(Filled(ops, Cell(PunctHot, col, row), GuideDarkGrey));
    }
  EXPECT_EQ(FillsOf(ops, GuideDarkGrey), 6 + 4 + 10 + 11);
}

TEST_F(MappingGuide, DefaultRemapTablesPrintEachRowsOwnCharacterInTheNewColumn) {
  const std::vector<Op> ops = Draw();
  const Placed placed[] = {UpperRemap, LowerRemap, NumericRemap, PunctRemap};
  for (const RemapTableRows& table : RemapRowLists) {
    const Placed& t = placed[static_cast<int>(table.table)];
    for (int row = 0; row < static_cast<int>(table.rows.size()); ++row) {
      const std::string own(1, table.rows[static_cast<std::size_t>(row)]);
      EXPECT_EQ(TextIn(ops, Cell(t, 0, row)), own) << table.heading;
      EXPECT_EQ(TextIn(ops, Cell(t, 1, row)), own) << table.heading;
    }
  }
  // A damaged byte shows as on screen, and 0 as "none".
  remaps_.SetByte(RemapTableId::Upper, 0, 2);
  remaps_.SetByte(RemapTableId::Upper, 1, 0);
  const std::vector<Op> damaged = Draw();
  EXPECT_EQ(TextIn(damaged, Cell(UpperRemap, 1, 0)), "^B");
  EXPECT_EQ(TextIn(damaged, Cell(UpperRemap, 1, 1)), "none");
}

// Within a table: header fills and captions, the body row by row with its label first, then the lines
// on top. So the lines come in nine runs, one closing each table.
TEST_F(MappingGuide, EachTablesLinesComeLastAndCloseIt) {
  const std::vector<Op> ops = Draw();
  std::vector<int> runs;
  for (std::size_t i = 1; i < ops.size(); ++i) {
    if (ops[i].kind != Op::Line) continue;
    if (ops[i - 1].kind != Op::Line) runs.push_back(0);
    ++runs.back();
  }
  std::vector<int> expected;
  for (const Placed& t : InDrawingOrder) expected.push_back(1 + (t.bodyRows + 1) + (t.columns + 1));
  EXPECT_EQ(runs, expected);
  EXPECT_EQ(ops.back().kind, Op::Line);
  EXPECT_EQ(ops[1], (Op{Op::Fill,
                        {Left(AlphaHot, 0), Top(AlphaHot, -2), Left(AlphaHot, 1), Top(AlphaHot, 0)},
                        {},
                        false,
                        GuideLightGrey}));
  // The first body row starts with its label, filled before it is written.
  const auto label =
      std::find(ops.begin(), ops.end(), Op{Op::Fill, Cell(AlphaHot, 0, 0), {}, false, GuideLightGrey});
  ASSERT_NE(label, ops.end());
  EXPECT_EQ(label[1].text, "A");
  EXPECT_FALSE(label[1].opaque);
}

TEST_F(MappingGuide, CopiesAreIdenticalPagesOfOneDocument) {
  const std::vector<Op> one = Draw(1);
  const std::vector<Op> three = Draw(3);
  ASSERT_EQ(three.size(), 3 * one.size() + 2);
  for (std::size_t page = 0; page < 3; ++page) {
    const auto begin = three.begin() + static_cast<std::ptrdiff_t>(page * (one.size() + 1));
    EXPECT_TRUE(std::equal(one.begin(), one.end(), begin)) << page;
    if (page < 2) {
      EXPECT_EQ(begin[static_cast<std::ptrdiff_t>(one.size())].kind, Op::NewPage);
    }
  }
  EXPECT_TRUE(Draw(0).empty());
  EXPECT_TRUE(Draw(-1).empty());
}

// The sheet lists what the cells that do something do, by modifier combination, then the remapped
// characters and the key remaps, as the guide writes them; an area too small for them all counts the rest in
// smaller type.
TEST_F(MappingGuide, TheSheetListsTheHotKeysInForceAndCountsWhatDoesNotFit) {
  const HotKeyTable& alpha = *TableByNumber(1);
  hotKeys_.SetAction(alpha, Alt, 0, 'x');
  hotKeys_.SetAction(alpha, Alt, 1, 0xFFFF);  // a value no key has does nothing
  hotKeys_.SetAction(*TableByNumber(5), Ctrl, 2, 260);
  characters_.Set(HotKeyCellNumber(alpha, Alt, 7), 0x1F600);
  characters_.Set(HotKeyCellNumber(alpha, CtrlAlt, 10), SheetMarker);
  characters_.Set(HotKeyCellNumber(alpha, CtrlAlt, 12), TextId(u"Hello world, and the rest of it"));
  remaps_.SetByte(RemapTableId::Lower, 0, 'b');
  characters_.keys.SetAll({{0x14, KeyRemapKind::TapHold, 0x1B, 0xA2, 300}});
  const std::vector<SheetLine> lines = SheetLines(hotKeys_, remaps_, &characters_);
  const ShortString title = SheetTitle("C:\\KEYS\\OFFICE.TVX");
  const auto texts = [&](int width, int height) {
    RecordingCanvas canvas;
    DrawHotKeySheet(canvas, LayOutSheet(canvas, width, height, 20, title, lines), title, lines);
    std::string joined;
    for (const Op& op : canvas.ops)
      if (op.kind == Op::Text) joined += op.text + "|";
    return joined;
  };
  EXPECT_EQ(texts(2000, 2000),
            "Hot keys in force: C:\\KEYS\\OFFICE.TVX|Alt|A|x|H|U+1F600|Ctrl|Home|F5|Ctrl+Alt|K|Sheet|M|"
            "\"Hello world, and the re\u2026\"|Remapped characters|a|b|Key remaps|CapsLock|tap Esc hold LCtrl "
            "after 300|");
  // Two columns of three lines in the smallest type: five lines, and the last place for the rest.
  EXPECT_EQ(texts(560, 100),
            "Hot keys in force: C:\\KEYS\\OFFICE.TVX|Alt|A|x|H|U+1F600|Ctrl|Home|F5|and 7 more|");
}

// The Keys table follows each copy's page on a page of its own, only when it has remaps; a block holds 58,
// the next stands on the page's right half.
TEST_F(MappingGuide, KeyRemapsFollowEachCopyOnAPageOfTheirOwn) {
  characters_.keys.SetAll({{0x14, KeyRemapKind::TapHold, 0x1B, 0xA2, 300},
                           {0x70, KeyRemapKind::Key, 0x24},
                           {0x2D, KeyRemapKind::Off}});
  const std::vector<Op> ops = Draw(2);
  EXPECT_EQ(std::count(ops.begin(), ops.end(), Op{Op::NewPage, {}, {}}), 3);
  std::vector<std::string> texts;
  for (auto op = std::find(ops.begin(), ops.end(), Op{Op::NewPage, {}, {}}) + 1; op->kind != Op::NewPage;
       ++op)
    if (op->kind == Op::Text) texts.push_back(op->text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Tavrix Mapping Guide For: C:\\KEYS\\OFFICE.TVX", "Keys", "From",
                                             "To", "CapsLock", "tap Esc hold LCtrl after 300 ms", "Insert",
                                             "none", "F1", "Home"}));

  for (std::uint8_t vk = 0x30; vk < 0x30 + 59; ++vk) characters_.keys.Set({vk, KeyRemapKind::Off});
  const std::vector<Op> more = Draw();
  const Op rightKeys{
      Op::Text,
      {Margin + 10 * ColWidth + (2 * ColWidth - 4 * CharWidth) / 2, Top({0, 4, 0, 0}, -2) + 1 + 2, 0, 0},
      "Keys",
      false};
  EXPECT_NE(std::find(more.begin(), more.end(), rightKeys), more.end());
}

}  // namespace
}  // namespace tvx
