#include "win/ui/DrawGrid.h"

#include <windowsx.h>

#include <algorithm>
#include <new>
#include <utility>

#include "win/sys/Dpi.h"
#include "win/sys/Handles.h"
#include "win/ui/Window.h"

namespace tvx {
namespace {

constexpr int WheelStep = 120;

// Grid lines and frame: a quiet grey that stays apart from the silver key column.
COLORREF LineColour() { return ::GetSysColor(COLOR_BTNSHADOW); }

class DcScope {
 public:
  explicit DcScope(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
  DcScope(const DcScope&) = delete;
  DcScope& operator=(const DcScope&) = delete;
  ~DcScope() { ::RestoreDC(dc_, saved_); }

 private:
  HDC dc_;
  int saved_;
};

// The update region is validated however the painting ends.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &ps_)) {}
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { ::EndPaint(window_, &ps_); }
  HDC dc() const { return dc_; }
  const RECT& area() const { return ps_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

class MemoryDc {
 public:
  MemoryDc(HDC like, int width, int height)
      : dc_(::CreateCompatibleDC(like)), bitmap_(::CreateCompatibleBitmap(like, width, height)) {
    old_ = ::SelectObject(dc_, bitmap_.get());
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    ::SelectObject(dc_, old_);
    ::DeleteDC(dc_);
  }
  HDC get() const { return dc_; }

 private:
  HDC dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ old_;
};

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  ::SetBkColor(dc, colour);
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

bool FocusCuesHidden(HWND window) {
  return (::SendMessageA(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
}

}  // namespace

void RegisterDrawGridClass() {
  Window::RegisterWindowClass(DrawGridClassName, nullptr, CS_DBLCLKS, nullptr,
                              []() -> Window* { return new (std::nothrow) DrawGrid; });
}

// Every window of the grid class is a DrawGrid: the class makes one for each.
DrawGrid* DrawGrid::From(HWND grid) {
  char className[32] = {};
  ::GetClassNameA(grid, className, sizeof className);
  if (::lstrcmpiA(className, DrawGridClassName) != 0) return nullptr;
  return static_cast<DrawGrid*>(Window::From(grid));
}

// A paint that fails is reported once, not at every repaint: the report's message box lets the grid
// paint again, and would otherwise show another box each time.
void DrawGrid::PaintMessage() {
  try {
    const PaintScope paint(hwnd());
    Paint(paint.dc(), paint.area());
    paintFailed_ = false;
  } catch (...) {
    if (!std::exchange(paintFailed_, true)) throw;
  }
}

LRESULT DrawGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      // A one-pixel frame whatever the creator asked for; the scroll bar then sits inside it.
      ::SetWindowLongPtrA(hwnd(), GWL_STYLE, ::GetWindowLongPtrA(hwnd(), GWL_STYLE) | WS_BORDER);
      break;
    case WM_PAINT:
      PaintMessage();
      return 0;
    case WM_PRINTCLIENT: {
      RECT client;
      ::GetClientRect(hwnd(), &client);
      Paint(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCPAINT: {
      const LRESULT result = ::DefWindowProcA(hwnd(), message, wParam, lParam);
      PaintBorder();
      return result;
    }
    case WM_SIZE:
      ScrollTo(topRow_);
      UpdateScrollBar();
      Invalidate();
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) Invalidate();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_GETDLGCODE:
      return DialogCode(lParam);
    case WM_SETFOCUS:
      InvalidateCell(col_, row_);
      if (OnFocus) OnFocus();
      return 0;
    case WM_KILLFOCUS:
      InvalidateCell(col_, row_);
      return 0;
    case WM_UPDATEUISTATE: {
      const LRESULT result = ::DefWindowProcA(hwnd(), message, wParam, lParam);
      InvalidateCell(col_, row_);
      return result;
    }
    case WM_KEYDOWN:
      KeyDown(wParam);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseDown(lParam, message == WM_LBUTTONDBLCLK);
      return 0;
    case WM_VSCROLL:
      VScroll(LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      MouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case GridGetCurrentMessage:
      return MAKELRESULT(col_, row_);
    case GridGetTopRowMessage:
      return topRow_;
    case GridGetRowCountMessage:
      return rowCount_;
  }
  return ::DefWindowProcA(hwnd(), message, wParam, lParam);
}

void DrawGrid::SetColCount(int count) {
  colCount_ = std::max(count, 0);
  ClampCurrent();
  Invalidate();
}

void DrawGrid::SetRowCount(int count) {
  rowCount_ = std::max(count, 0);
  ClampCurrent();
  ScrollTo(topRow_);
  UpdateScrollBar();
  Invalidate();
}

int DrawGrid::ColCount() const { return colCount_; }
int DrawGrid::RowCount() const { return rowCount_; }

void DrawGrid::SetDpi(int dpi) {
  dpi_ = dpi > 0 ? dpi : LayoutDpi;
  ScrollTo(topRow_);
  UpdateScrollBar();
  Invalidate();
}

void DrawGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::max(width, 0);
  Invalidate();
}

void DrawGrid::SetColWidth(int col, int width) {
  if (col < 0) return;
  if (static_cast<std::size_t>(col) >= colWidths_.size()) colWidths_.resize(col + 1, 0);
  colWidths_[col] = std::max(width, 0);
  Invalidate();
}

void DrawGrid::SetDefaultRowHeight(int height) {
  rowHeight_ = std::max(height, 1);
  ScrollTo(topRow_);
  UpdateScrollBar();
  Invalidate();
}

void DrawGrid::SetFixedCols(int count) {
  fixedCols_ = std::max(count, 0);
  ClampCurrent();
  Invalidate();
}

void DrawGrid::SetVerticalScrollBar(bool shown) {
  verticalScrollBar_ = shown;
  UpdateScrollBar();
}

int DrawGrid::Col() const { return col_; }
int DrawGrid::Row() const { return row_; }

void DrawGrid::SetCurrent(int col, int row) { MoveCurrent(col, row, false); }

RECT DrawGrid::CellRect(int col, int row) const {
  const int left = ColLeft(col), top = (row - topRow_) * RowPitch();
  return RECT{left, top, left + ColWidth(col), top + RowHeight()};
}

void DrawGrid::Invalidate() const { ::InvalidateRect(hwnd(), nullptr, FALSE); }

int DrawGrid::ColWidth(int col) const {
  const bool own = col >= 0 && static_cast<std::size_t>(col) < colWidths_.size() && colWidths_[col] > 0;
  return ScaledToDpi(own ? colWidths_[col] : defaultColWidth_, dpi_);
}

int DrawGrid::RowHeight() const { return ScaledToDpi(rowHeight_, dpi_); }

// Each cell is followed by its one-pixel grid line.
int DrawGrid::ColLeft(int col) const {
  int left = 0;
  for (int c = 0; c < col; ++c) left += ColWidth(c) + 1;
  return left;
}

int DrawGrid::ClientHeight() const {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  return client.bottom;
}

// A row counts as visible when the cell itself fits, even if its grid line does not.
int DrawGrid::FullyVisibleRows() const { return std::max((ClientHeight() + 1) / RowPitch(), 1); }

bool DrawGrid::DataCellAt(POINT point, int& col, int& row) const {
  if (point.x < 0 || point.y < 0 || point.y >= ClientHeight()) return false;
  row = topRow_ + point.y / RowPitch();
  for (col = 0; col < colCount_; ++col) {
    const int left = ColLeft(col);
    if (point.x >= left && point.x <= left + ColWidth(col)) break;
  }
  return col >= fixedCols_ && col < colCount_ && row < rowCount_;
}

void DrawGrid::ClampCurrent() {
  col_ = std::clamp(col_, std::min(fixedCols_, std::max(colCount_ - 1, 0)), std::max(colCount_ - 1, 0));
  row_ = std::clamp(row_, 0, std::max(rowCount_ - 1, 0));
}

void DrawGrid::MoveCurrent(int col, int row, bool byUser) {
  if (!HasDataCell()) return;
  col = std::clamp(col, fixedCols_, colCount_ - 1);
  row = std::clamp(row, 0, rowCount_ - 1);
  const bool moved = col != col_ || row != row_;
  if (moved) {
    InvalidateCell(col_, row_);
    col_ = col;
    row_ = row;
    InvalidateCell(col_, row_);
  }
  ScrollIntoView(row_);
  if (moved && byUser && OnClick) OnClick();
}

void DrawGrid::ScrollTo(int topRow) {
  const int last = std::max(rowCount_ - FullyVisibleRows(), 0);
  topRow = std::clamp(topRow, 0, last);
  if (topRow == topRow_) return;
  topRow_ = topRow;
  ::SetScrollPos(hwnd(), SB_VERT, topRow_, TRUE);
  Invalidate();
}

void DrawGrid::ScrollIntoView(int row) {
  if (row < topRow_)
    ScrollTo(row);
  else if (row >= topRow_ + FullyVisibleRows())
    ScrollTo(row - FullyVisibleRows() + 1);
}

void DrawGrid::UpdateScrollBar() {
  const int visible = FullyVisibleRows();
  const bool needed = verticalScrollBar_ && rowCount_ > visible;
  ::ShowScrollBar(hwnd(), SB_VERT, needed);
  if (!needed) return;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = rowCount_ - 1;
  info.nPage = static_cast<UINT>(visible);
  info.nPos = topRow_;
  ::SetScrollInfo(hwnd(), SB_VERT, &info, TRUE);
}

void DrawGrid::InvalidateCell(int col, int row) const {
  RECT cell = CellRect(col, row);
  ::InflateRect(&cell, 1, 1);  // the grid lines and the focus rectangle
  ::InvalidateRect(hwnd(), &cell, FALSE);
}

// Everything goes to a bitmap first and reaches the screen in one copy, so a changing cell never flickers.
void DrawGrid::Paint(HDC target, const RECT& area) const {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  const MemoryDc memory(target, client.right, client.bottom);
  const HDC dc = memory.get();
  FillSolid(dc, client, ::GetSysColor(COLOR_WINDOW));

  // Rows and columns that reach into the client area; the grid lines end with the last of them.
  int rowsShown = 0, colsShown = 0;
  while (topRow_ + rowsShown < rowCount_ && CellRect(0, topRow_ + rowsShown).top < client.bottom) ++rowsShown;
  while (colsShown < colCount_ && ColLeft(colsShown) < client.right) ++colsShown;
  const int cellsRight = ColLeft(colsShown);
  const int cellsBottom = rowsShown * RowPitch();

  for (int row = topRow_; row < topRow_ + rowsShown && OnDrawCell; ++row) {
    for (int col = 0; col < colsShown; ++col) {
      const RECT cell = CellRect(col, row);
      RECT overlap;
      if (!::IntersectRect(&overlap, &cell, &area)) continue;
      const DcScope scope(dc);
      ::IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
      ::SelectObject(dc, font_ ? font_ : ::GetStockObject(DEFAULT_GUI_FONT));
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, RGB(0, 0, 0));
      OnDrawCell(GridCellPaint{dc, col, row, cell, col == col_ && row == row_, dpi_});
    }
  }

  const COLORREF line = LineColour();
  for (int col = 0; col < colsShown; ++col) {
    const int x = ColLeft(col) + ColWidth(col);
    FillSolid(dc, RECT{x, 0, x + 1, cellsBottom}, line);
  }
  for (int row = 1; row <= rowsShown; ++row)
    FillSolid(dc, RECT{0, row * RowPitch() - 1, cellsRight, row * RowPitch()}, line);
  if (::GetFocus() == hwnd() && HasDataCell() && !FocusCuesHidden(hwnd())) {
    const RECT current = CellRect(col_, row_);
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &current);
  }
  ::BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc, area.left,
           area.top, SRCCOPY);
}

void DrawGrid::PaintBorder() const {
  const HDC dc = ::GetWindowDC(hwnd());
  RECT frame;
  ::GetWindowRect(hwnd(), &frame);
  ::OffsetRect(&frame, -frame.left, -frame.top);
  const UniqueBrush brush(::CreateSolidBrush(LineColour()));
  ::FrameRect(dc, &frame, brush.get());
  ::ReleaseDC(hwnd(), dc);
}

// Characters stay with the grid, so a letter typed on it is no mnemonic that switches the page or picks
// in a dialog; Alt with a letter still is.
LRESULT DrawGrid::DialogCode(LPARAM message) const {
  const auto* msg = reinterpret_cast<const MSG*>(message);
  const bool enter = msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN;
  return DLGC_WANTARROWS | DLGC_WANTCHARS | (editOnEnter_ && enter ? DLGC_WANTMESSAGE : 0);
}

void DrawGrid::KeyDown(WPARAM key) {
  const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
  const int page = FullyVisibleRows();
  switch (key) {
    case VK_UP:
      MoveCurrent(col_, row_ - 1, true);
      break;
    case VK_DOWN:
      MoveCurrent(col_, row_ + 1, true);
      break;
    case VK_LEFT:
      MoveCurrent(col_ - 1, row_, true);
      break;
    case VK_RIGHT:
      MoveCurrent(col_ + 1, row_, true);
      break;
    case VK_HOME:
      ctrl ? MoveCurrent(col_, 0, true) : MoveCurrent(fixedCols_, row_, true);
      break;
    case VK_END:
      ctrl ? MoveCurrent(col_, rowCount_ - 1, true) : MoveCurrent(colCount_ - 1, row_, true);
      break;
    case VK_PRIOR:
      ScrollTo(topRow_ - page);
      MoveCurrent(col_, row_ - page, true);
      break;
    case VK_NEXT:
      ScrollTo(topRow_ + page);
      MoveCurrent(col_, row_ + page, true);
      break;
    case VK_RETURN:
    case VK_F2:
      if (editOnEnter_ && HasDataCell() && OnDblClick) OnDblClick();
      break;
  }
}

// A click on the key column or below the rows changes nothing, and a double-click there is not reported:
// it would edit whichever cell happened to be current.
void DrawGrid::MouseDown(LPARAM position, bool doubleClick) {
  if (::GetFocus() != hwnd()) ::SetFocus(hwnd());
  int col = 0, row = 0;
  if (!DataCellAt(POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)}, col, row)) return;
  const bool moved = col != col_ || row != row_;
  MoveCurrent(col, row, false);
  if (OnClick && (moved || !doubleClick)) OnClick();
  if (doubleClick && OnDblClick) OnDblClick();
}

void DrawGrid::VScroll(int request) {
  const int page = FullyVisibleRows();
  switch (request) {
    case SB_LINEUP:
      ScrollTo(topRow_ - 1);
      break;
    case SB_LINEDOWN:
      ScrollTo(topRow_ + 1);
      break;
    case SB_PAGEUP:
      ScrollTo(topRow_ - page);
      break;
    case SB_PAGEDOWN:
      ScrollTo(topRow_ + page);
      break;
    case SB_TOP:
      ScrollTo(0);
      break;
    case SB_BOTTOM:
      ScrollTo(rowCount_);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      ::GetScrollInfo(hwnd(), SB_VERT, &info);
      ScrollTo(info.nTrackPos);
      break;
    }
  }
}

void DrawGrid::MouseWheel(int delta) {
  UINT lines = 3;
  ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  if (lines == WHEEL_PAGESCROLL) lines = static_cast<UINT>(FullyVisibleRows());
  wheelDelta_ += delta;
  const int steps = wheelDelta_ / WheelStep;
  wheelDelta_ -= steps * WheelStep;
  ScrollTo(topRow_ - steps * static_cast<int>(lines));
}

}  // namespace tvx
