// The layout at the display's DPI: run here at 96 DPI, and by high_dpi_test.sh in prefixes at 144 and
// 192 DPI, where every size must be its 96-DPI size times the scale and the screenshots are kept.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/win/support/EditorTest.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/keymap/Pickers.h"
#include "win/ui/DrawGrid.h"
#include "win/ui/Form.h"

namespace tvx::test {
namespace {

// The test measures the program's device pixels, not a picture of them scaled to 96 DPI.
const bool DpiAware = ::SetProcessDPIAware() != FALSE;

// The DPI the machine was set up with (high_dpi_test.sh names it; 96 otherwise). Every expected length is
// worked out from it, never from what the display reports: a machine that ignored the setting would
// otherwise pass the 96-DPI test again.
int ScreenDpi() {
  const char* intended = std::getenv("TAVRIX_DPI");
  return intended ? std::atoi(intended) : LayoutDpi;
}
double Scale() { return ScreenDpi() / 96.0; }

// A length of the 96-DPI layout within the rounding of its scaled lengths.
void ExpectScaled(long actual, int at96, const std::string& what) {
  EXPECT_NEAR(static_cast<double>(actual), at96 * Scale(), 2.0) << what << " at " << ScreenDpi() << " DPI";
}

void ExpectScaledRect(HWND control, const RECT& at96, const std::string& what) {
  const RECT rect = RectInParent(control);
  ExpectScaled(rect.left, at96.left, what + " left");
  ExpectScaled(rect.top, at96.top, what + " top");
  ExpectScaled(rect.right, at96.right, what + " right");
  ExpectScaled(rect.bottom, at96.bottom, what + " bottom");
}

// The cells (grid lines between them one device pixel) reach no further than the client area, which
// the scroll bar, when shown, has already left out.
void ExpectCellsFit(HWND grid, const std::vector<int>& colWidthsAt96, int rows, const std::string& what) {
  RECT client;
  ::GetClientRect(grid, &client);
  int cellsRight = -1;
  for (const int width : colWidthsAt96) cellsRight += ScaledToDpi(width, ScreenDpi()) + 1;
  EXPECT_LE(cellsRight, client.right) << what << " at " << ScreenDpi() << " DPI";
  if (rows) {
    EXPECT_LE(rows * (ScaledToDpi(20, ScreenDpi()) + 1) - 1, client.bottom) << what;
  }
}

void KeepScreenshot(HWND window, const std::string& name) {
  if (ScreenDpi() != 96) SaveScreenshot(window, "dpi" + std::to_string(ScreenDpi()) + "_" + name);
}

// The centre of a cell of 20-pixel rows, columns of `colWidth` after a key column of `keyWidth`.
POINT ScaledCellCentre(int keyWidth, int colWidth, int col, int row) {
  const int dpi = ScreenDpi();
  const int left = col ? ScaledToDpi(keyWidth, dpi) + 1 + (col - 1) * (ScaledToDpi(colWidth, dpi) + 1) : 0;
  const int width = ScaledToDpi(col ? colWidth : keyWidth, dpi);
  return {left + width / 2, row * (ScaledToDpi(20, dpi) + 1) + ScaledToDpi(10, dpi)};
}

class ScaledLayout : public EditorTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(DpiAware);
    ASSERT_EQ(WindowDpi(nullptr), ScreenDpi()) << "the display does not run at the DPI it was set to";
    tavrix_ = std::make_unique<TavrixProcess>();
  }
  HWND Control(int id) const { return tavrix_->Control(id); }
  void ShowHotKeys() {
    ::SendMessageA(Control(IdHotKeys), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(Control(IdNewGrid)) != FALSE; }));
  }
  HWND OpenPicker(HWND grid, POINT cell, const char* className) {
    PostDoubleClick(grid, cell);
    return WaitForWindow(tavrix_->id(), className);
  }
  void Cancel(HWND dialog) {
    ::SendMessageA(::GetDlgItem(dialog, picker::CancelButton), BM_CLICK, 0, 0);
    Finish(dialog);
  }
};

TEST_F(ScaledLayout, TheMainWindowAndItsGridsGrowWithTheDpi) {
  RECT client;
  ::GetClientRect(tavrix_->MainWindow(), &client);
  ExpectScaled(client.right, 388, "client width");
  ExpectScaled(client.bottom, 454, "client height");
  KeepScreenshot(tavrix_->MainWindow(), "remapper");

  ExpectScaledRect(Control(IdUpperGrid), {11, 28, 94, 410}, "upper-case grid");
  ExpectScaledRect(Control(IdNumGrid), {303, 28, 366, 241}, "numeric grid");
  for (const int id : {IdUpperGrid, IdLowerGrid, IdPunctGrid, IdNumGrid})
    ExpectCellsFit(Control(id), {20, 40}, 0, "remap grid " + std::to_string(id));
  // Rows scaled for the mouse too: the centre of row 5 at this DPI is row 5.
  PostClick(Control(IdNumGrid), ScaledCellCentre(20, 40, 1, 5));
  EXPECT_TRUE(WaitFor([&] { return GridCurrent(Control(IdNumGrid)).y == 5; }));

  ShowHotKeys();
  KeepScreenshot(tavrix_->MainWindow(), "hot_keys");
  ExpectScaledRect(Control(IdNewGrid), {15, 88, 364, 408}, "hot-key grid");
  ExpectScaledRect(Control(IdAlpha), {8, 8, 125, 25}, "category button");
  ExpectCellsFit(Control(IdNewGrid), std::vector<int>(8, 40), 0, "hot-key grid");
  PostClick(Control(IdNewGrid), ScaledCellCentre(40, 40, 7, 9));
  EXPECT_TRUE(WaitFor(
      [&] { return GridCurrent(Control(IdNewGrid)).x == 7 && GridCurrent(Control(IdNewGrid)).y == 9; }));
}

TEST_F(ScaledLayout, BothPickersGrowWithTheDpi) {
  const HWND select = OpenPicker(Control(IdNumGrid), ScaledCellCentre(20, 40, 1, 1), "TDoSpecial");
  ASSERT_NE(select, nullptr);
  KeepScreenshot(select, "select_character");
  RECT client;
  ::GetClientRect(select, &client);
  ExpectScaled(client.right, 600, "Select Character width");
  ExpectScaled(client.bottom, 201, "Select Character height");
  ExpectScaledRect(::GetDlgItem(select, picker::SymbolGrid), {4, 4, 595, 175}, "symbol grid");
  ExpectScaledRect(::GetDlgItem(select, picker::CancelButton), {312, 178, 403, 201}, "Cancel");
  ExpectCellsFit(::GetDlgItem(select, picker::SymbolGrid), std::vector<int>(SymbolColumns, 20), SymbolRows,
                 "symbol grid");
  Cancel(select);

  ShowHotKeys();
  const HWND action = OpenPicker(Control(IdNewGrid), ScaledCellCentre(40, 40, 1, 0), "TDoSpecial2");
  ASSERT_NE(action, nullptr);
  KeepScreenshot(action, "hot_key_action");
  ::GetClientRect(action, &client);
  ExpectScaled(client.right, 600, "Hot Key Action width");
  ExpectScaled(client.bottom, 394, "Hot Key Action height");
  ExpectScaledRect(::GetDlgItem(action, picker::KeyGrid), {4, 232, 587, 361}, "key grid");
  ExpectScaledRect(::GetDlgItem(action, picker::CancelButton), {504, 366, 595, 389}, "Cancel");
  ExpectCellsFit(::GetDlgItem(action, picker::KeyGrid), std::vector<int>(10, 57), 6, "key grid");
  ExpectCellsFit(::GetDlgItem(action, picker::SymbolGrid), std::vector<int>(SymbolColumns, 20), SymbolRows,
                 "symbol grid");
  // Placed by the clicked cell's bottom as the main window now measures it, with margins at this DPI.
  RECT main, mainClient, frame;
  ::GetWindowRect(tavrix_->MainWindow(), &main);
  ::GetClientRect(tavrix_->MainWindow(), &mainClient);
  ::GetWindowRect(action, &frame);
  const int y =
      main.bottom - mainClient.bottom + RectInParent(Control(IdNewGrid)).top + ScaledToDpi(20, ScreenDpi());
  // Centred across; below the cell, unless there is less room below than above (then 20 pixels above it,
  // or centred where that leaves the screen) or it would pass 25 pixels above the screen's foot (centred).
  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int above = ScaledToDpi(20, ScreenDpi()), foot = ScaledToDpi(25, ScreenDpi());
  const int centred = (screenHeight - height) / 2;
  int top = y;
  if (screenHeight - y < y - above)
    top = y - height - above < 0 ? centred : y - height - above;
  else if (y + height > screenHeight - foot)
    top = centred;
  EXPECT_EQ(frame.left, (screenWidth - width) / 2);
  EXPECT_EQ(frame.top, top);
  Cancel(action);
}

// A form moved to a monitor of another DPI: built in this process, told of the change as Windows tells it.
constexpr int TestButton = 1, TestGrid = 2;
const ControlSpec TestTable[] = {
    {ControlKind::Button, TestButton, "OK", 10, 20, 81, 25, {13}},
    {ControlKind::Grid, TestGrid, "", 10, 50, 101, 42, {15}},
};

class TestForm : public ModalForm {
 public:
  void Create(HWND owner) override {
    RegisterWindowClass("TvxScaledTestForm", reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const DWORD style = WS_POPUP | WS_CAPTION;
    ASSERT_TRUE(CreateWin(0, "TvxScaledTestForm", "Scaled", style, FrameForClient(200, 100, style, 0, false),
                          owner, nullptr));
    controls = layout_.Build(hwnd(), TestTable);
  }
  void Command(int, int) override {}
  std::map<int, HWND> controls;
};

int FontHeight(HWND control) {
  LOGFONTA font{};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return -font.lfHeight;
}

TEST(DpiChange, TheFormIsLaidOutAgainFromItsTableAndTakesTheSuggestedRectangle) {
  TestForm form;
  form.Create(nullptr);
  const HWND button = form.controls.at(TestButton);
  DrawGrid& grid = *DrawGrid::From(form.controls.at(TestGrid));
  struct Case {
    int dpi;
    RECT suggested, button, cell;  // the cell at column 1, row 1 of 64 x 24 (at 96 DPI) cells
    int fontHeight;
  };
  const Case cases[] = {
      {192, {100, 50, 550, 300}, {20, 40, 182, 90}, {129, 49, 257, 97}, 26},
      {144, {10, 20, 330, 200}, {15, 30, 137, 68}, {97, 37, 193, 73}, 20},
      {96, {0, 0, 220, 130}, {10, 20, 91, 45}, {65, 25, 129, 49}, 13},
  };
  for (const Case& c : cases) {
    RECT suggested = c.suggested;
    ::SendMessageA(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    RECT window;
    ::GetWindowRect(form.hwnd(), &window);
    EXPECT_TRUE(::EqualRect(&window, &c.suggested)) << c.dpi;
    const RECT placed = RectInParent(button), cell = grid.CellRect(1, 1);
    EXPECT_TRUE(::EqualRect(&placed, &c.button)) << c.dpi;
    EXPECT_TRUE(::EqualRect(&cell, &c.cell)) << c.dpi;
    EXPECT_EQ(FontHeight(button), c.fontHeight) << c.dpi;
    EXPECT_EQ(FontHeight(form.controls.at(TestGrid)), ScaledToDpi(15, c.dpi)) << c.dpi;
  }
}

}  // namespace
}  // namespace tvx::test
