#pragma once
// The draw grid: a registered control class used by every grid of the program. The owner paints each
// cell through OnDrawCell; the grid keeps the current cell, scrolling and the keyboard and mouse.

#include <windows.h>

#include <functional>
#include <vector>

#include "win/sys/Dpi.h"
#include "win/ui/Window.h"

namespace tvx {

inline constexpr char DrawGridClassName[] = "TvxDrawGrid";
void RegisterDrawGridClass();

// Messages any process may send to a grid, as to any other control: tests and accessibility tools read
// where the grid stands without reaching into the program.
inline constexpr UINT GridGetCurrentMessage = WM_USER + 0x200;  // MAKELRESULT(column, row)
inline constexpr UINT GridGetTopRowMessage = WM_USER + 0x201;
inline constexpr UINT GridGetRowCountMessage = WM_USER + 0x202;

struct GridCellPaint {
  HDC dc;
  int col;
  int row;
  RECT rect;  // in the grid's client coordinates
  bool selected;
  int dpi;  // what the cell's layout lengths are scaled by
};

class DrawGrid : public Window {
 public:
  // The object behind a grid window; nullptr for any other window.
  static DrawGrid* From(HWND grid);

  void SetColCount(int count);
  void SetRowCount(int count);
  int ColCount() const;
  int RowCount() const;
  // Widths and heights are in pixels at 96 DPI, scaled by the grid's DPI; grid lines are one device pixel.
  void SetDpi(int dpi);
  void SetDefaultColWidth(int width);
  void SetColWidth(int col, int width);
  void SetDefaultRowHeight(int height);
  void SetFixedCols(int count);  // the fixed columns are never current
  void SetVerticalScrollBar(bool shown);

  int Col() const;
  int Row() const;
  void SetCurrent(int col, int row);
  RECT CellRect(int col, int row) const;  // client coordinates of the grid
  int TopRow() const { return topRow_; }

  void Invalidate() const;

  std::function<void(const GridCellPaint&)> OnDrawCell;
  std::function<void()> OnClick;  // the user made a cell current, by mouse or key
  std::function<void()> OnDblClick;
  std::function<void()> OnFocus;  // the grid has received the keyboard focus
  // Enter and F2 then act as a double-click on the current cell (and Enter is not a dialog's default).
  void SetEditOnEnter(bool edits) { editOnEnter_ = edits; }

 private:
  DrawGrid() = default;
  friend void RegisterDrawGridClass();
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  int ColWidth(int col) const;
  int ColLeft(int col) const;
  int RowHeight() const;
  int RowPitch() const { return RowHeight() + 1; }
  int ClientHeight() const;
  int FullyVisibleRows() const;
  bool HasDataCell() const { return fixedCols_ < colCount_ && rowCount_ > 0; }
  bool DataCellAt(POINT point, int& col, int& row) const;
  void ClampCurrent();
  void MoveCurrent(int col, int row, bool byUser);
  void ScrollTo(int topRow);
  void ScrollIntoView(int row);
  void UpdateScrollBar();
  void InvalidateCell(int col, int row) const;

  void PaintMessage();
  void Paint(HDC target, const RECT& area) const;
  void PaintBorder() const;
  LRESULT DialogCode(LPARAM message) const;
  void KeyDown(WPARAM key);
  void MouseDown(LPARAM position, bool doubleClick);
  void VScroll(int request);
  void MouseWheel(int delta);

  HFONT font_ = nullptr;
  int dpi_ = LayoutDpi;
  int colCount_ = 5;
  int rowCount_ = 5;
  int defaultColWidth_ = 64;
  std::vector<int> colWidths_;  // 0: the default width
  int rowHeight_ = 24;
  int fixedCols_ = 0;
  bool verticalScrollBar_ = true;
  int col_ = 0;
  int row_ = 0;
  int topRow_ = 0;
  int wheelDelta_ = 0;
  bool paintFailed_ = false;
  bool editOnEnter_ = false;
};

}  // namespace tvx
