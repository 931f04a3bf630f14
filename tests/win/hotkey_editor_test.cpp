// The hot-key page and the Hot Key Action dialog of the real TAVRIX.EXE, driven from another process by
// window messages alone; the results are read from the named area and the mapping file.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>

#include "core/files/MappingFile.h"
#include "tests/win/support/EditorTest.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/keymap/Pickers.h"

namespace tvx::test {
namespace {

const std::vector<int> NewGridColumns(8, 40);
const std::vector<int> SymbolColumnWidths(28, 20);
const std::vector<int> KeyColumnWidths(10, 57);

// A mapping file with the default tables and a few hot keys of the Alphabetic Alt column (rows A, B...).
std::vector<std::uint8_t> KeyFileWithAltKeys(const std::vector<HotKeyAction>& altColumn) {
  std::array<std::uint8_t, AreaSize> hotKeyBytes{}, remapBytes{};
  const HotKeyAreaView hotKeys(hotKeyBytes.data());
  const RemapAreaView remap(remapBytes.data());
  InitTavrix(hotKeys, remap);
  for (std::size_t row = 0; row < altColumn.size(); ++row)
    hotKeys.SetAction(HotKeyTables[0], Alt, static_cast<int>(row), altColumn[row]);
  const MappingRecord record = RecordFromAreas(hotKeys, remap);
  return {record.begin(), record.end()};
}

std::uint16_t FileWord(const std::vector<std::uint8_t>& file, std::size_t areaOffset) {
  const std::size_t at = areaOffset - 8;  // the file starts with the first hot-key table
  return static_cast<std::uint16_t>(file.at(at) | file.at(at + 1) << 8);
}

bool SameTime(FILETIME a, FILETIME b) { return ::CompareFileTime(&a, &b) == 0; }

class HotKeyEditor : public EditorTest {
 protected:
  void Start(const std::vector<std::uint8_t>& keyFile = {}) {
    tavrix_ = std::make_unique<TavrixProcess>(keyFile);
    Press(IdHotKeys);
    ASSERT_TRUE(::IsWindowVisible(Grid()));
  }
  void Press(int id) { ::SendMessageA(tavrix_->Control(id), BM_CLICK, 0, 0); }
  HWND Grid() const { return tavrix_->Control(IdNewGrid); }
  HWND OpenDialog(int col, int row) {
    PostDoubleClick(Grid(), CellCentre(Grid(), NewGridColumns, col, row));
    return WaitForWindow(tavrix_->id(), "TDoSpecial2");
  }
  std::uint16_t AreaWord(std::size_t offset) const { return SharedArea(HotKeyAreaName).Word(offset); }
};

TEST_F(HotKeyEditor, PickingAKeyStoresItsCodeAndSavesTheFile) {
  Start();
  Press(IdEditing);
  const HWND dialog = OpenDialog(CtrlAlt, 2);  // "Home"
  ASSERT_NE(dialog, nullptr);
  SaveScreenshot(dialog, "hot_key_action");
  const HWND keys = ::GetDlgItem(dialog, picker::KeyGrid);
  PostClick(keys, CellCentre(keys, KeyColumnWidths, 4, 0));  // "F5"
  // A sent message is handled before posted ones: the click counts once it has been handled.
  EXPECT_TRUE(WaitFor([&] { return DefaultButtonId(dialog) == picker::OkKey; }))
      << "a click in the key grid makes Select Key the default";
  ::SendMessageA(::GetDlgItem(dialog, picker::OkKey), BM_CLICK, 0, 0);
  Finish(dialog);
  EXPECT_EQ(AreaWord(946), 260);
  EXPECT_EQ(FileWord(File(), 946), 260);
}

TEST_F(HotKeyEditor, EachPickStoresWhatItNames) {
  // Rows A and B of the Alt column hold 'X' and the key "PA1".
  Start(KeyFileWithAltKeys({'X', 315}));
  struct Case {
    const char* what;
    int row;
    std::function<void(HWND dialog)> pick;
    std::uint16_t stored;
  };
  const auto press = [](int id) {
    return [id](HWND dialog) { ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); };
  };
  const Case cases[] = {
      {"Select \"none\"", 0, press(picker::NoneButton), 0},
      {"a symbol double-clicked after opening on a key is a character", 1,
       [](HWND dialog) {
         const HWND symbols = ::GetDlgItem(dialog, picker::SymbolGrid);
         PostDoubleClick(symbols, CellCentre(symbols, SymbolColumnWidths, 10, 3));
       },
       '~'},
      {"Enter in the key grid after moving by key presses Select Key", 1,
       [](HWND dialog) {
         const HWND keys = ::GetDlgItem(dialog, picker::KeyGrid);
         PostKey(keys, VK_LEFT);
         PostKey(keys, VK_RETURN);
       },
       314},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.row == 1) {
      // Put "PA1" back first, so the dialog opens on a key.
      const HWND dialog = OpenDialog(Alt, 1);
      const HWND keys = ::GetDlgItem(dialog, picker::KeyGrid);
      PostDoubleClick(keys, CellCentre(keys, KeyColumnWidths, 9, 5));
      Finish(dialog);
      ASSERT_EQ(AreaWord(10), 315);
    }
    const HWND dialog = OpenDialog(Alt, c.row);
    ASSERT_NE(dialog, nullptr);
    c.pick(dialog);
    Finish(dialog);
    EXPECT_EQ(AreaWord(8 + 2 * c.row), c.stored);
    EXPECT_EQ(FileWord(File(), 8 + 2 * c.row), c.stored);
  }
}

TEST_F(HotKeyEditor, CancellingStoresAndSavesNothing) {
  Start(KeyFileWithAltKeys({'X'}));
  const auto before = File();
  const FILETIME written = LastWriteTime(tavrix_->KeyFile());
  const auto area = SharedArea(HotKeyAreaName).Snapshot();
  CancelBothWays([this] { return OpenDialog(Alt, 0); }, picker::NoneButton);
  EXPECT_EQ(SharedArea(HotKeyAreaName).Snapshot(), area);
  EXPECT_EQ(File(), before);
  EXPECT_TRUE(SameTime(LastWriteTime(tavrix_->KeyFile()), written));
}

TEST_F(HotKeyEditor, AReservedCellRefusesWithTheNotice) {
  Start();
  const auto before = File();
  const FILETIME written = LastWriteTime(tavrix_->KeyFile());
  PostDoubleClick(Grid(), CellCentre(Grid(), NewGridColumns, Win, 3));  // Win+D
  MessageBoxInfo box;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(tavrix_->id())).window != nullptr; }));
  EXPECT_EQ(box.caption, "Notice");
  EXPECT_EQ(box.text,
            "This key combination is used by the Windows 95, 98 or NT operating system and is therefore "
            "unavailable for use by Tavrix.");
  EXPECT_EQ(FindProcessWindow(tavrix_->id(), "TDoSpecial2"), nullptr);
  PressOk(box);
  ASSERT_TRUE(WaitUntilGone(box.window));
  EXPECT_EQ(File(), before);
  EXPECT_TRUE(SameTime(LastWriteTime(tavrix_->KeyFile()), written));
}

TEST_F(HotKeyEditor, TheDialogOpensOnTheCellsEntry) {
  // Alt column, rows A to H. 5 and 400 only come from a damaged file.
  Start(KeyFileWithAltKeys({0, ' ', 255, 315, 5, 400, 'A', 260}));
  struct Case {
    int row;
    POINT symbol, key;
    int focus, defaultButton;
  };
  const Case cases[] = {
      {0, {0, 0}, {0, 0}, picker::NoneButton, picker::OkButton},
      {1, {0, 0}, {0, 0}, picker::NoneButton, picker::OkButton},
      {2, {27, 7}, {0, 0}, picker::SymbolGrid, picker::OkButton},
      {3, {0, 0}, {9, 5}, picker::KeyGrid, picker::OkKey},
      {4, {0, 0}, {0, 0}, picker::NoneButton, picker::OkButton},
      {5, {0, 0}, {0, 0}, picker::NoneButton, picker::OkButton},
      {6, {5, 1}, {0, 0}, picker::SymbolGrid, picker::OkButton},
      {7, {0, 0}, {4, 0}, picker::KeyGrid, picker::OkKey},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("row " + std::to_string(c.row));
    const HWND dialog = OpenDialog(Alt, c.row);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(::IsWindowVisible(dialog));
    const POINT symbol = GridCurrent(::GetDlgItem(dialog, picker::SymbolGrid));
    const POINT key = GridCurrent(::GetDlgItem(dialog, picker::KeyGrid));
    EXPECT_EQ(symbol.x, c.symbol.x);
    EXPECT_EQ(symbol.y, c.symbol.y);
    EXPECT_EQ(key.x, c.key.x);
    EXPECT_EQ(key.y, c.key.y);
    EXPECT_EQ(FocusedControlId(dialog), c.focus);
    EXPECT_EQ(DefaultButtonId(dialog), c.defaultButton);
    const int looksDefault = c.focus == picker::NoneButton ? picker::NoneButton : c.defaultButton;
    EXPECT_EQ(::GetWindowLongA(::GetDlgItem(dialog, looksDefault), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON)
        << "Enter presses the button that looks default";
    ::SendMessageA(::GetDlgItem(dialog, picker::CancelButton), BM_CLICK, 0, 0);
    Finish(dialog);
  }
}

TEST_F(HotKeyEditor, OnlyAnotherCategoryRepaintsAndWritesTheSettings) {
  Start();
  const std::string settings = SettingsFilePath();
  const RECT grid = [&] {
    RECT rect;
    ::GetWindowRect(Grid(), &rect);
    return rect;
  }();
  Press(IdAlpha);  // the focus goes from the grid to the button, and the grid repaints its current cell
  Settle();
  ::UpdateWindow(Grid());
  const auto shown = SettledScreenPixels(grid);
  SharedArea(HotKeyAreaName).mutable_data()[8] = 'Q';  // Alt+A, behind the grid's back
  const bool existed = FileExists(settings);
  const FILETIME written = LastWriteTime(settings);

  Press(IdAlpha);
  Settle();
  ::UpdateWindow(Grid());  // a pending repaint happens now, before the pixels are read
  EXPECT_EQ(SettledScreenPixels(grid), shown) << "the category already shown is not repainted";
  EXPECT_EQ(FileExists(settings), existed);
  if (existed) {
    EXPECT_TRUE(SameTime(LastWriteTime(settings), written));
  }

  Press(IdNumeric);
  EXPECT_EQ(ProfileString(settings, "Misc", "Last Keys"), "4");
  EXPECT_EQ(GridRowCount(Grid()), 10);
  Press(IdAlpha);
  EXPECT_EQ(ProfileString(settings, "Misc", "Last Keys"), "1");
  Settle();
  ::UpdateWindow(Grid());
  EXPECT_TRUE(WaitFor([&] { return ScreenPixels(grid) != shown; }))
      << "another category repaints from the area";
}

TEST_F(HotKeyEditor, PageAndDialogSitWhereTheyShould) {
  Start();
  Press(IdEditing);
  SaveScreenshot(tavrix_->MainWindow(), "hot_key_page");
  struct Place {
    int id;
    RECT rect;  // in the hot-key panel
  };
  const Place page[] = {
      {IdAlpha, {8, 8, 125, 25}},
      {IdEditing, {128, 28, 245, 45}},
      {IdHeadingFirst + 11, {305, 69, 345, 83}},
      {IdNewGrid, {15, 88, 364, 408}},
  };
  for (const Place& place : page) {
    const RECT rect = RectInParent(tavrix_->Control(place.id));
    EXPECT_TRUE(::EqualRect(&rect, &place.rect)) << "control " << place.id;
  }

  const HWND dialog = OpenDialog(CtrlAlt, 2);
  ASSERT_NE(dialog, nullptr);
  RECT client;
  ::GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 394);
  EXPECT_EQ(WindowText(dialog), "Hot Key Action");
  const Place controls[] = {
      {picker::SymbolGrid, {4, 16, 595, 187}}, {picker::OkButton, {240, 190, 361, 213}},
      {picker::KeyGrid, {4, 232, 587, 361}},   {picker::NoneButton, {4, 366, 109, 389}},
      {picker::OkKey, {240, 366, 361, 389}},   {picker::CancelButton, {504, 366, 595, 389}},
  };
  for (const Place& place : controls) {
    const RECT rect = RectInParent(::GetDlgItem(dialog, place.id));
    EXPECT_TRUE(::EqualRect(&rect, &place.rect)) << "control " << place.id;
  }
  EXPECT_EQ(WindowText(::GetDlgItem(dialog, picker::NoneButton)), "&Select \"none\"");

  // Below the cell, centred across the screen: the main window's top and frame, the grid's 88 within
  // its panel and the bottom of the "Home" row (62).
  RECT main, mainClient, frame;
  ::GetWindowRect(tavrix_->MainWindow(), &main);
  ::GetClientRect(tavrix_->MainWindow(), &mainClient);
  ::GetWindowRect(dialog, &frame);
  EXPECT_EQ(frame.left, (::GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
  EXPECT_EQ(frame.top, main.bottom - mainClient.bottom + 88 + 62);
  EXPECT_EQ(::GetWindow(dialog, GW_OWNER), tavrix_->MainWindow());
  EXPECT_FALSE(::IsWindowEnabled(tavrix_->MainWindow()));
  ::SendMessageA(::GetDlgItem(dialog, picker::CancelButton), BM_CLICK, 0, 0);
  Finish(dialog);
}

TEST(PickerPlacement, BelowTheCellAboveItOrCentred) {
  struct Case {
    PickerMargins margins;
    int screenHeight, y, top;
  };
  // A 420-pixel dialog. Hot Key Action: 20 above the cell, never within 25 of the screen's bottom;
  // Select Character: 50 above, up to 40 past the bottom.
  const PickerMargins hotKey{20, -25}, character{50, 40};
  const Case cases[] = {
      {hotKey, 1024, 522, 522},    {hotKey, 1024, 523, 83},    {hotKey, 600, 155, 155},
      {hotKey, 600, 156, 90},      {hotKey, 600, 400, 90},     {hotKey, 600, 500, 60},
      {character, 1024, 537, 537}, {character, 1024, 538, 68}, {character, 600, 220, 220},
      {character, 600, 221, 90},   {hotKey, 300, 280, -60},  // taller than the screen
  };
  for (const Case& c : cases) {
    const POINT at = PickerPosition(1280, c.screenHeight, SIZE{606, 420}, c.y, c.margins);
    EXPECT_EQ(at.x, 337);
    EXPECT_EQ(at.y, c.top) << "margin " << c.margins.aboveMargin << ", screen " << c.screenHeight << ", y "
                           << c.y;
  }
}

}  // namespace
}  // namespace tvx::test
