// The draw grid control driven only by window messages, as a user (or an accessibility tool) would.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "win/ui/DrawGrid.h"

namespace tvx {
namespace {

// A grid shaped like the hot-key grid: a fixed key column and seven data columns of 40 pixels, rows of
// 20 pixels, 26 rows in a window that shows 15 of them.
class DrawGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterDrawGridClass();
    owner_ = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 400, 400, nullptr, nullptr,
                               nullptr, nullptr);
    window_ = ::CreateWindowExA(0, DrawGridClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 15, 20, 349,
                                320, owner_, nullptr, nullptr, nullptr);
    grid_ = DrawGrid::From(window_);
    ASSERT_NE(grid_, nullptr);
    grid_->SetColCount(8);
    grid_->SetDefaultColWidth(40);
    grid_->SetDefaultRowHeight(20);
    grid_->SetFixedCols(1);
    grid_->SetRowCount(26);
    grid_->OnClick = [this] { ++clicks_; };
    grid_->OnDblClick = [this] { doubleClicks_.push_back({grid_->Col(), grid_->Row()}); };
    grid_->OnDrawCell = [this](const GridCellPaint& cell) { painted_.push_back(cell); };
    ::SetFocus(window_);
  }
  void TearDown() override { ::DestroyWindow(owner_); }

  POINT Current() const {
    const LRESULT packed = ::SendMessageA(window_, GridGetCurrentMessage, 0, 0);
    return POINT{LOWORD(packed), HIWORD(packed)};
  }
  int TopRow() const { return static_cast<int>(::SendMessageA(window_, GridGetTopRowMessage, 0, 0)); }
  void Key(WPARAM key) { ::SendMessageA(window_, WM_KEYDOWN, key, 0); }
  void Click(int x, int y, UINT message = WM_LBUTTONDOWN) {
    ::SendMessageA(window_, message, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageA(window_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  void Wheel(int delta) {
    ::SendMessageA(window_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
  }
  bool HasScrollBar() const { return (::GetWindowLongA(window_, GWL_STYLE) & WS_VSCROLL) != 0; }
  void PaintAll() {
    painted_.clear();
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 400, 400);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::SendMessageA(window_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
  }

  HWND owner_ = nullptr;
  HWND window_ = nullptr;
  DrawGrid* grid_ = nullptr;
  int clicks_ = 0;
  std::vector<POINT> doubleClicks_;
  std::vector<GridCellPaint> painted_;
};

TEST_F(DrawGridTest, KeysMoveTheCurrentCellAndNeverOntoTheKeyColumn) {
  struct Case {
    POINT from;
    WPARAM key;
    POINT to;
  };
  const Case cases[] = {
      {{1, 0}, VK_LEFT, {1, 0}},   {{1, 0}, VK_UP, {1, 0}},     {{1, 0}, VK_RIGHT, {2, 0}},
      {{7, 4}, VK_RIGHT, {7, 4}},  {{3, 4}, VK_DOWN, {3, 5}},   {{3, 4}, VK_UP, {3, 3}},
      {{5, 3}, VK_HOME, {1, 3}},   {{2, 3}, VK_END, {7, 3}},    {{2, 25}, VK_DOWN, {2, 25}},
      {{2, 0}, VK_NEXT, {2, 15}},  {{2, 20}, VK_PRIOR, {2, 5}}, {{2, 3}, VK_PRIOR, {2, 0}},
      {{2, 20}, VK_NEXT, {2, 25}}, {{4, 9}, VK_TAB, {4, 9}},
  };
  for (const Case& c : cases) {
    grid_->SetCurrent(c.from.x, c.from.y);
    Key(c.key);
    EXPECT_EQ(Current().x, c.to.x) << "key " << c.key << " from " << c.from.x << "," << c.from.y;
    EXPECT_EQ(Current().y, c.to.y) << "key " << c.key << " from " << c.from.x << "," << c.from.y;
    EXPECT_GE(c.to.y, TopRow());
    EXPECT_LT(c.to.y, TopRow() + 15) << "the current row is scrolled into view";
  }
}

TEST_F(DrawGridTest, AClickMakesADataCellCurrentAndTellsTheOwner) {
  grid_->SetCurrent(0, 4);
  EXPECT_EQ(Current().x, 1) << "the key column is never current";
  Click(10, 5);
  EXPECT_EQ(Current().y, 4) << "a click on the key column changes nothing";
  EXPECT_EQ(clicks_, 0);

  Click(4 * 41 + 5, 2 * 21 + 5);
  EXPECT_EQ(Current().x, 4);
  EXPECT_EQ(Current().y, 2);
  EXPECT_EQ(clicks_, 1);
  Click(4 * 41 + 5, 2 * 21 + 5);
  EXPECT_EQ(clicks_, 2) << "a click on the current cell is still a click";
  Key(VK_RIGHT);
  EXPECT_EQ(clicks_, 3) << "moving by key counts as a click";
  Key(VK_END);
  Key(VK_RIGHT);
  EXPECT_EQ(clicks_, 4) << "a key that cannot move reports nothing";
  grid_->SetCurrent(2, 2);
  EXPECT_EQ(clicks_, 4) << "moves made by the program are not clicks";
  EXPECT_EQ(::GetFocus(), window_);
}

TEST_F(DrawGridTest, ADoubleClickIsReportedOnDataCellsOnly) {
  grid_->SetCurrent(1, 0);
  Click(6 * 41 + 20, 3 * 21 + 10);
  Click(6 * 41 + 20, 3 * 21 + 10, WM_LBUTTONDBLCLK);
  ASSERT_EQ(doubleClicks_.size(), 1u);
  EXPECT_EQ(doubleClicks_[0].x, 6);
  EXPECT_EQ(doubleClicks_[0].y, 3);

  Click(10, 3 * 21 + 10, WM_LBUTTONDBLCLK);          // key column
  Click(8 * 41 + 3, 3 * 21 + 10, WM_LBUTTONDBLCLK);  // right of the last column
  EXPECT_EQ(doubleClicks_.size(), 1u);

  // A double-click alone (no click before it) still edits the cell under the mouse.
  Click(2 * 41 + 20, 7 * 21 + 10, WM_LBUTTONDBLCLK);
  ASSERT_EQ(doubleClicks_.size(), 2u);
  EXPECT_EQ(doubleClicks_[1].x, 2);
  EXPECT_EQ(doubleClicks_[1].y, 7);
}

TEST_F(DrawGridTest, RowsThatOverflowScroll) {
  EXPECT_TRUE(HasScrollBar());
  ::SendMessageA(window_, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(TopRow(), 11) << "no further than the last page";
  ::SendMessageA(window_, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(TopRow(), 10);
  Click(3 * 41 + 5, 5);
  EXPECT_EQ(Current().y, 10) << "clicks land on the scrolled rows";
  EXPECT_EQ(grid_->CellRect(3, 10).top, 0);

  Wheel(WHEEL_DELTA);
  EXPECT_EQ(TopRow(), 7);
  Wheel(-WHEEL_DELTA / 2);
  EXPECT_EQ(TopRow(), 7) << "half a notch waits for the other half";
  Wheel(-WHEEL_DELTA / 2);
  EXPECT_EQ(TopRow(), 10);
  ::SendMessageA(window_, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(TopRow(), 0);

  grid_->SetCurrent(3, 25);
  grid_->SetRowCount(10);
  EXPECT_EQ(TopRow(), 0);
  EXPECT_EQ(Current().y, 9) << "the current row stays inside the grid";
  EXPECT_FALSE(HasScrollBar());

  grid_->SetRowCount(26);
  EXPECT_TRUE(HasScrollBar());
  grid_->SetVerticalScrollBar(false);
  EXPECT_FALSE(HasScrollBar());
}

TEST_F(DrawGridTest, TheOwnerPaintsEveryShownCellAndOnlyTheCurrentOneIsSelected) {
  grid_->SetCurrent(5, 2);
  PaintAll();
  ASSERT_EQ(painted_.size(), 16u * 8u) << "15 whole rows and the top of the 16th";
  int selected = 0;
  for (const GridCellPaint& cell : painted_) {
    EXPECT_EQ(cell.rect.left, cell.col * 41);
    EXPECT_EQ(cell.rect.top, cell.row * 21);
    EXPECT_EQ(cell.rect.right - cell.rect.left, 40);
    EXPECT_EQ(cell.rect.bottom - cell.rect.top, 20);
    if (cell.selected) {
      ++selected;
      EXPECT_EQ(cell.col, 5);
      EXPECT_EQ(cell.row, 2);
    }
  }
  EXPECT_EQ(selected, 1);

  grid_->SetColWidth(0, 20);
  ::SendMessageA(window_, WM_VSCROLL, SB_BOTTOM, 0);
  PaintAll();
  EXPECT_EQ(painted_.front().row, 11);
  EXPECT_EQ(painted_.back().row, 25);
  EXPECT_EQ(painted_[1].rect.left, 21) << "a column of its own width";
}

TEST_F(DrawGridTest, AnEmptyGridStaysQuiet) {
  grid_->SetRowCount(0);
  EXPECT_FALSE(HasScrollBar());
  Click(3 * 41 + 5, 5, WM_LBUTTONDBLCLK);
  Key(VK_DOWN);
  PaintAll();
  EXPECT_TRUE(painted_.empty());
  EXPECT_TRUE(doubleClicks_.empty());
  EXPECT_EQ(clicks_, 0);
  EXPECT_EQ(::SendMessageA(window_, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS)
      << "Enter and Escape stay with a dialog";
}

// A grid of the main window edits on Enter and F2 as on a double-click; a dialog's grid leaves Enter to the
// dialog's default button.
TEST_F(DrawGridTest, EnterAndF2EditOnlyWhereAsked) {
  MSG enter{window_, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  const auto wantsEnter = [&] {
    return (::SendMessageA(window_, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
            DLGC_WANTMESSAGE) != 0;
  };
  Key(VK_DOWN);
  Key(VK_RETURN);
  Key(VK_F2);
  EXPECT_FALSE(wantsEnter());
  EXPECT_TRUE(doubleClicks_.empty());
  grid_->SetEditOnEnter(true);
  Key(VK_RETURN);
  Key(VK_F2);
  EXPECT_TRUE(wantsEnter());
  ASSERT_EQ(doubleClicks_.size(), 2u);
  for (const POINT& cell : doubleClicks_) {
    EXPECT_EQ(cell.x, 1);
    EXPECT_EQ(cell.y, 1);
  }
}

}  // namespace
}  // namespace tvx
