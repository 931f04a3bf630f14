#include "win/ui/CellPainting.h"

namespace tvx {

void FillCell(const GridCellPaint& cell, COLORREF colour) {
  ::SetBkColor(cell.dc, colour);
  ::ExtTextOutA(cell.dc, 0, 0, ETO_OPAQUE, &cell.rect, nullptr, 0, nullptr);
}

void PaintCellBackground(const GridCellPaint& cell, bool keyColumn) {
  FillCell(cell, keyColumn ? KeyColumnColour : cell.selected ? SelectedColour : CellColour);
  ::SetTextColor(cell.dc, cell.selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
  ::SetBkMode(cell.dc, TRANSPARENT);
}

void DrawCentredText(const GridCellPaint& cell, std::string_view text) {
  SIZE extent{};
  const int length = static_cast<int>(text.size());
  ::GetTextExtentPoint32A(cell.dc, text.data(), length, &extent);
  const int x = cell.rect.left + (cell.rect.right - cell.rect.left - extent.cx) / 2;
  ::TextOutA(cell.dc, x, cell.rect.top + ScaledToDpi(1, cell.dpi), text.data(), length);
}

void DrawCentredText(const GridCellPaint& cell, std::u16string_view text) {
  const int x = cell.rect.left + (cell.rect.right - cell.rect.left - TextWidth(cell.dc, text)) / 2;
  ::TextOutW(cell.dc, x, cell.rect.top + ScaledToDpi(1, cell.dpi),
             reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()));
}

int TextWidth(HDC dc, std::u16string_view text) {
  SIZE extent{};
  ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
                          &extent);
  return extent.cx;
}

int PointsToPixels(HDC dc, int points) { return ::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72); }

}  // namespace tvx
