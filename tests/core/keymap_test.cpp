#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/keymap/Areas.h"
#include "core/keymap/Catalogue.h"

namespace tvx {
namespace {

struct Cell {
  int category, column, row;
  std::size_t offset;
};

TEST(Layout, EntryOffsetsFollowTheStoredColumnOrder) {
  const Cell cells[] = {
      {Alphabetic, Alt, 0, 8},        // Alt+A, the first word
      {Alphabetic, CtrlWin, 5, 226},  // Ctrl+Win+F
      {FunctionKeys, Win, 0, 714},    // Win+F1
      {Editing, CtrlAlt, 1, 944},     // Ctrl+Alt+Delete
      {Editing, CtrlAlt, 2, 946},     // Ctrl+Alt+Home
      {Editing, AltShift, 17, 1084},  // Alt+Shift+KeyP +, the last word
      {Punctuation, Alt, 0, 512},     // category 2 is stored third
      {Numeric, Alt, 0, 372},         // category 4 is stored second
  };
  for (const Cell& cell : cells) {
    const auto offset = HotKeyEntryOffset(*TableByCategory(cell.category), cell.column, cell.row);
    ASSERT_TRUE(offset.has_value());
    EXPECT_EQ(*offset, cell.offset) << cell.category << "/" << cell.column << "/" << cell.row;
  }
  EXPECT_EQ(RemapTableOf(RemapTableId::Punct).start + 30, 100u);
}

TEST(Layout, AccessOutsideATableIsRefusedAndTouchesNothing) {
  std::vector<std::uint8_t> area(AreaSize + 16, 0xAB);
  HotKeyAreaView view(area.data());
  const HotKeyTable& editing = *TableByNumber(5);
  for (auto [column, row] : std::array<std::pair<int, int>, 5>{{{0, 0}, {8, 0}, {1, -1}, {1, 18}, {7, 18}}}) {
    EXPECT_FALSE(view.Action(editing, column, row)) << column << "/" << row;
    EXPECT_FALSE(view.SetAction(editing, column, row, 1));
  }
  EXPECT_FALSE(view.ActionByNumber(0, 1, 0));
  EXPECT_FALSE(view.ActionByNumber(6, 1, 0));
  EXPECT_FALSE(view.ActionByCategory(0, 1, 0));
  RemapAreaView remap(area.data());
  EXPECT_FALSE(remap.Byte(RemapTableId::Punct, 31));
  EXPECT_FALSE(remap.SetByte(RemapTableId::Numeric, 10, 1));
  for (std::uint8_t byte : area) ASSERT_EQ(byte, 0xAB);
}

TEST(Layout, ByNumberAndByCategoryMeetInTheSameWord) {
  std::vector<std::uint8_t> area(AreaSize, 0);
  HotKeyAreaView view(area.data());
  ASSERT_TRUE(view.SetAction(*TableByCategory(Editing), CtrlAlt, 2, 260));
  EXPECT_EQ(area[946] | area[947] << 8, 260);
  EXPECT_EQ(view.ActionByNumber(5, CtrlAlt, 2), 260);
  ASSERT_TRUE(view.SetAction(*TableByCategory(Numeric), Alt, 0, 0x41));
  EXPECT_EQ(view.ActionByNumber(2, Alt, 0), 0x41);
  view.SetMainWindow(0x12345678);
  EXPECT_EQ(area[0], 0x78);
  EXPECT_EQ(view.MainWindow(), 0x12345678u);
}

TEST(Catalogue, ReservedSet) {
  struct Case {
    int category, column;
    const char* label;
    bool reserved;
  };
  const Case cases[] = {
      {Alphabetic, Win, "D", true},         {Alphabetic, Win, "E", true},
      {Alphabetic, Win, "F", true},         {Alphabetic, Win, "M", true},
      {Alphabetic, Win, "R", true},         {Alphabetic, CtrlWin, "F", true},
      {Alphabetic, Win, "A", false},        {Alphabetic, CtrlWin, "D", false},
      {FunctionKeys, Alt, "F6", true},      {FunctionKeys, AltWin, "F6", true},
      {FunctionKeys, AltShift, "F6", true}, {FunctionKeys, Alt, "F4", false},
      {FunctionKeys, Win, "F1", true},      {FunctionKeys, Win, "F2", false},
      {Editing, CtrlAlt, "Delete", true},   {Editing, Ctrl, "Delete", false},
      {Editing, AltShift, "Delete", false}, {Editing, Ctrl, "PrtScr", true},
      {Editing, CtrlWin, "Pause", true},    {Editing, AltShift, "KeyP /", true},
      {Editing, AltShift, "KeyP +", true},
  };
  for (const Case& c : cases) {
    int row = -1;
    for (int k = 0; k < RowCount(c.category); ++k)
      if (RowLabel(c.category, k) == c.label) row = k;
    ASSERT_GE(row, 0) << c.label;
    EXPECT_EQ(IsReserved(c.category, c.column, row), c.reserved)
        << c.category << " " << c.column << " " << c.label;
  }
  for (int row = 0; row < 10; ++row)
    for (int column = 1; column <= ModifierColumnCount; ++column)
      EXPECT_EQ(IsReserved(Numeric, column, row), column == Win);
  for (int row = 0; row < 11; ++row)
    for (int column = 1; column <= ModifierColumnCount; ++column)
      EXPECT_FALSE(IsReserved(Punctuation, column, row));
  EXPECT_FALSE(IsReserved(0, Win, 3));
}

TEST(Catalogue, RowsAndActionKeys) {
  EXPECT_EQ(RowCount(1), 26);
  EXPECT_EQ(RowCount(2), 11);
  EXPECT_EQ(RowCount(3), 12);
  EXPECT_EQ(RowCount(4), 10);
  EXPECT_EQ(RowCount(5), 18);
  EXPECT_EQ(RowCount(0), 0);
  EXPECT_EQ(PunctRemapRows.size(), 31u);
  EXPECT_EQ(PunctRemapRows.find('{'), std::string_view::npos);
  EXPECT_EQ(PunctRemapRows.find('|'), std::string_view::npos);
  EXPECT_EQ(PunctRemapRows.substr(29), "}~");
  EXPECT_EQ(ActionKeyFor(276)->vk, 0x25);
  EXPECT_EQ(ActionKeyFor(277)->vk, 0x27);
  EXPECT_EQ(ActionKeyFor(315)->name, "PA1");
  EXPECT_EQ(ActionKeyFor(255), nullptr);
  EXPECT_EQ(ActionKeyFor(316), nullptr);
  EXPECT_TRUE(IsActionKeyName("KeyP ."));
  EXPECT_TRUE(IsActionKeyName("F1"));
  EXPECT_FALSE(IsActionKeyName("A"));
  EXPECT_FALSE(IsActionKeyName("f1"));
  EXPECT_EQ(ActionText(260), "F5");
  EXPECT_EQ(ActionText(65), "A");
  EXPECT_EQ(ActionText(400), "??");  // apart from the character "?" (63)
  EXPECT_EQ(ActionText(63), "?");
}

}  // namespace
}  // namespace tvx
