#pragma once
// Driving the program's grids and picker dialogs from another process, with the messages any control
// answers: mouse clicks at a cell, keys, the grid's own queries; and looking at what is on screen.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tvx::test {

// The centre of a cell, for columns of the given widths and rows of 20 pixels with one-pixel lines,
// below the grid's top row as it now stands.
POINT CellCentre(HWND grid, const std::vector<int>& colWidths, int col, int row);
// Posted, not sent: a double-click may open a modal dialog, and a sent message would wait for it.
void PostClick(HWND window, POINT at);
void PostDoubleClick(HWND window, POINT at);
void PostKey(HWND window, WPARAM key);

POINT GridCurrent(HWND grid);  // x column, y row
int GridTopRow(HWND grid);
int GridRowCount(HWND grid);

// A visible top-level window of the process with this class, waited for.
HWND WaitForWindow(DWORD processId, const char* className);
bool WaitUntilGone(HWND window);
// The id of the control that has the keyboard focus in the window's thread (0 for none).
int FocusedControlId(HWND window);
int DefaultButtonId(HWND dialog);

// A window's rectangle in its parent's client coordinates (the screen's for a top-level window).
RECT RectInParent(HWND window);
// A rectangle of the screen's pixels, as the user sees them.
std::vector<std::uint32_t> ScreenPixels(const RECT& rect);
// The screen once it has caught up with what was drawn: Wine copies a window's drawing to the display a
// moment later, so the pixels are read until two reads a little apart agree.
std::vector<std::uint32_t> SettledScreenPixels(const RECT& rect);
// The window as it is on screen, into build/screenshots/<name>.bmp.
void SaveScreenshot(HWND window, const std::string& name);

std::string ProfileString(const std::string& file, const char* section, const char* key);
FILETIME LastWriteTime(const std::string& file);

}  // namespace tvx::test
