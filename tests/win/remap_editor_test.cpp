// The remapper page and the Select Character dialog of the real TAVRIX.EXE, driven from another process by
// window messages alone; the results are read from the named area and the mapping file.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "core/files/MappingFile.h"
#include "tests/win/support/EditorTest.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/keymap/Pickers.h"
#include "win/ui/CellPainting.h"

namespace tvx::test {
namespace {

const std::vector<int> RemapColumns{20, 40};
const std::vector<int> SymbolColumnWidths(28, 20);

// The default tables, with three damaged bytes in the lower-case table (rows "a" to "c").
std::vector<std::uint8_t> KeyFileWithLowerRows(std::initializer_list<std::uint8_t> bytes) {
  std::array<std::uint8_t, AreaSize> hotKeyBytes{}, remapBytes{};
  const HotKeyAreaView hotKeys(hotKeyBytes.data());
  const RemapAreaView remap(remapBytes.data());
  InitTavrix(hotKeys, remap);
  int row = 0;
  for (const std::uint8_t byte : bytes) remap.SetByte(RemapTableId::Lower, row++, byte);
  const MappingRecord record = RecordFromAreas(hotKeys, remap);
  return {record.begin(), record.end()};
}

// The remap tables follow the 1078 bytes of the hot-key tables in the file.
std::uint8_t FileByte(const std::vector<std::uint8_t>& file, std::size_t areaOffset) {
  return file.at(1078 + areaOffset - 8);
}

class RemapEditor : public EditorTest {
 protected:
  void Start(const std::vector<std::uint8_t>& keyFile = {}) {
    tavrix_ = std::make_unique<TavrixProcess>(keyFile);
    ASSERT_TRUE(::IsWindowVisible(tavrix_->Control(IdNumGrid))) << "a first start shows the remapper";
  }
  HWND Grid(int id) const { return tavrix_->Control(id); }
  HWND OpenDialog(int gridId, int row) {
    PostDoubleClick(Grid(gridId), CellCentre(Grid(gridId), RemapColumns, 1, row));
    return WaitForWindow(tavrix_->id(), "TDoSpecial");
  }
  std::uint8_t AreaByte(std::size_t offset) const { return SharedArea(RemapAreaName).data()[offset]; }
};

TEST_F(RemapEditor, APickedCharacterGoesIntoTheTableAndTheFileSavedOnce) {
  Start();
  FolderWatch folder(tavrix_->folder().path());
  const HWND dialog = OpenDialog(IdNumGrid, 1);  // the digit "1"
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), "Select Character");
  const HWND symbols = ::GetDlgItem(dialog, picker::SymbolGrid);
  PostDoubleClick(symbols, CellCentre(symbols, SymbolColumnWidths, 10, 3));  // "~"
  Finish(dialog);
  EXPECT_EQ(AreaByte(61), 0x7E);
  const auto file = File();
  EXPECT_EQ(FileByte(file, 61), 0x7E);
  EXPECT_EQ(FileByte(file, 60), '0') << "the rows around it keep their characters";
  EXPECT_EQ(FileByte(file, 62), '2');
  EXPECT_EQ(folder.RenamesOnto("KEY.TVX"), 1);
}

TEST_F(RemapEditor, TheLastPunctuationRowIsReachedByScrollingAndPickedByKeys) {
  Start();
  const HWND punct = Grid(IdPunctGrid);
  EXPECT_EQ(GridRowCount(punct), 31);
  ::SendMessageA(punct, WM_VSCROLL, SB_BOTTOM, 0);
  const HWND dialog = OpenDialog(IdPunctGrid, 30);  // "~", the last row
  ASSERT_NE(dialog, nullptr);
  const HWND symbols = ::GetDlgItem(dialog, picker::SymbolGrid);
  EXPECT_EQ(GridCurrent(symbols).x, 10);
  EXPECT_EQ(GridCurrent(symbols).y, 3);
  PostKey(symbols, VK_LEFT);    // "}"
  PostKey(symbols, VK_RETURN);  // "&Ok", the default button
  Finish(dialog);
  EXPECT_EQ(AreaByte(100), '}');
  EXPECT_EQ(FileByte(File(), 100), '}');
}

TEST_F(RemapEditor, TheDialogOpensOnTheCellsCharacter) {
  Start(KeyFileWithLowerRows({0, 5, 255}));
  struct Case {
    int gridId, row;
    POINT symbol;
  };
  const Case cases[] = {
      {IdUpperGrid, 0, {5, 1}},   // "A"
      {IdPunctGrid, 0, {0, 0}},   // the space
      {IdLowerGrid, 0, {0, 0}},   // 0, from a damaged file
      {IdLowerGrid, 1, {0, 0}},   // 5, from a damaged file
      {IdLowerGrid, 2, {27, 7}},  // 255
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("grid " + std::to_string(c.gridId) + " row " + std::to_string(c.row));
    const HWND dialog = OpenDialog(c.gridId, c.row);
    ASSERT_NE(dialog, nullptr);
    const POINT symbol = GridCurrent(::GetDlgItem(dialog, picker::SymbolGrid));
    EXPECT_EQ(symbol.x, c.symbol.x);
    EXPECT_EQ(symbol.y, c.symbol.y);
    EXPECT_EQ(FocusedControlId(dialog), picker::SymbolGrid);
    EXPECT_EQ(DefaultButtonId(dialog), picker::OkButton);
    ::SendMessageA(::GetDlgItem(dialog, picker::CancelButton), BM_CLICK, 0, 0);
    Finish(dialog);
  }
}

TEST_F(RemapEditor, CancellingOrTheKeyColumnChangesNothing) {
  Start();
  const auto before = File();
  const auto area = SharedArea(RemapAreaName).Snapshot();
  CancelBothWays([this] { return OpenDialog(IdUpperGrid, 4); }, picker::SymbolGrid);
  PostDoubleClick(Grid(IdLowerGrid), POINT{10, 10});  // "a" in the key column
  Settle();
  EXPECT_EQ(FindProcessWindow(tavrix_->id(), "TDoSpecial"), nullptr);
  EXPECT_EQ(GridCurrent(Grid(IdLowerGrid)).x, 1) << "the key column never becomes current";
  EXPECT_EQ(SharedArea(RemapAreaName).Snapshot(), area);
  EXPECT_EQ(File(), before);
}

TEST_F(RemapEditor, PageAndDialogSitWhereTheyShould) {
  Start();
  SaveScreenshot(tavrix_->MainWindow(), "remapper_page");
  struct Place {
    int id;
    RECT rect;  // in the parent's client area
  };
  const Place page[] = {
      {IdLabel4, {12, 8, 93, 24}},      {IdUpperGrid, {11, 28, 94, 410}}, {IdPunctGrid, {207, 28, 290, 410}},
      {IdNumGrid, {303, 28, 366, 241}}, {IdBevel1, {296, 248, 377, 385}}, {IdLabel16, {300, 276, 373, 381}},
  };
  for (const Place& place : page) {
    const RECT rect = RectInParent(tavrix_->Control(place.id));
    EXPECT_TRUE(::EqualRect(&rect, &place.rect)) << "control " << place.id;
  }
  EXPECT_EQ(WindowText(tavrix_->Control(IdLabel16)), "The Remapper takes precedence over the Hot Keys.");
  // The key column is 20 pixels wide: 22 pixels in is already the character column.
  PostClick(Grid(IdNumGrid), POINT{22, 31});
  Settle();
  EXPECT_EQ(GridCurrent(Grid(IdNumGrid)).y, 1);

  const HWND dialog = OpenDialog(IdNumGrid, 1);
  ASSERT_NE(dialog, nullptr);
  SaveScreenshot(dialog, "select_character");
  RECT client, main, mainClient, frame;
  ::GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 201);
  const Place controls[] = {
      {picker::SymbolGrid, {4, 4, 595, 175}},
      {picker::OkButton, {208, 178, 299, 201}},
      {picker::CancelButton, {312, 178, 403, 201}},
  };
  for (const Place& place : controls) {
    const RECT rect = RectInParent(::GetDlgItem(dialog, place.id));
    EXPECT_TRUE(::EqualRect(&rect, &place.rect)) << "control " << place.id;
  }
  // Placed by the hot-key grid's top (88), whichever grid was clicked, and the bottom of row 1 (41).
  ::GetWindowRect(tavrix_->MainWindow(), &main);
  ::GetClientRect(tavrix_->MainWindow(), &mainClient);
  ::GetWindowRect(dialog, &frame);
  EXPECT_EQ(frame.left, (::GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
  EXPECT_EQ(frame.top, main.bottom - mainClient.bottom + 88 + 41);
  ::SendMessageA(::GetDlgItem(dialog, picker::CancelButton), BM_CLICK, 0, 0);
  Finish(dialog);
}

TEST(CellText, ControlCodesFromADamagedFileShowInCaretNotation) {
  struct Case {
    std::uint16_t value;
    const char* text;
  };
  const Case cases[] = {
      {1, "^A"},     {5, "^E"},   {27, "^["},   {31, "^_"}, {32, " "},   {'~', "~"},
      {255, "\xFF"}, {256, "F1"}, {315, "PA1"}, {'?', "?"}, {316, "??"}, {65535, "??"},
  };
  for (const Case& c : cases) EXPECT_EQ(HotKeyCellText(c.value), c.text) << c.value;
  EXPECT_EQ(CharacterText(0), std::string(1, '\0')) << "shown as \"none\" by the grids";
}

}  // namespace
}  // namespace tvx::test
