#pragma once
// The one palette and text placement of every grid of the editors and their dialogs.

#include <windows.h>

#include <string_view>

#include "core/keymap/CellText.h"
#include "win/ui/DrawGrid.h"

namespace tvx {

inline constexpr COLORREF KeyColumnColour = RGB(192, 192, 192);
inline constexpr COLORREF SelectedColour = RGB(0, 0, 255);
inline constexpr COLORREF CellColour = RGB(255, 255, 255);
inline constexpr COLORREF ReservedColour = RGB(0, 0, 0);

// Fills the cell with the palette's background and sets the matching text colour.
void PaintCellBackground(const GridCellPaint& cell, bool keyColumn);
void FillCell(const GridCellPaint& cell, COLORREF colour);

// Centred across the cell, one layout pixel below its top (the width halved toward zero).
void DrawCentredText(const GridCellPaint& cell, std::string_view text);
// The same for a character beyond the code page, drawn as Unicode text.
void DrawCentredText(const GridCellPaint& cell, std::u16string_view text);

// The width of Unicode text in the DC's font.
int TextWidth(HDC dc, std::u16string_view text);

// A font height in pixels for a size in points on this device.
int PointsToPixels(HDC dc, int points);

}  // namespace tvx
