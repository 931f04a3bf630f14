#pragma once
// The draw grid: a registered control class used by every grid of the program. The owner paints each
// cell through OnDrawCell; the grid keeps the current cell, scrolling and the keyboard and mouse.

#include <windows.h>

#include <functional>
#include <vector>

namespace tvx {

inline constexpr char DrawGridClassName[] = "TvxDrawGrid";
void RegisterDrawGridClass();

struct GridCellPaint {
  HDC dc;
  int col;
  int row;
  RECT rect;  // in the grid's client coordinates
  bool selected;
};

class DrawGrid {
 public:
  // The object behind a grid window; nullptr for any other window.
  static DrawGrid* From(HWND grid);

  void SetColCount(int count);
  void SetRowCount(int count);
  int ColCount() const;
  int RowCount() const;
  void SetDefaultColWidth(int width);
  void SetColWidth(int col, int width);
  void SetDefaultRowHeight(int height);
  void SetFixedCols(int count);  // the fixed columns are never current
  void SetVerticalScrollBar(bool shown);

  int Col() const;
  int Row() const;
  void SetCurrent(int col, int row);
  RECT CellRect(int col, int row) const;  // client coordinates of the grid

  void Invalidate() const;

  std::function<void(const GridCellPaint&)> OnDrawCell;
  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
};

}  // namespace tvx
