// The two pages of the main window, the remapper and the hot keys, and what the main window does for
// the editors on them.
#include <algorithm>
#include <span>
#include <vector>

#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx {

void TMainWin::RemapClick() {
  Settings.Remap = true;
  EnableDisable();
}

void TMainWin::HotKeysClick() {
  Settings.Remap = false;
  EnableDisable();
}

void TMainWin::EnableDisable() {
  const HWND shown = Control(Settings.Remap ? IdPanel2 : IdPanel1);
  const HWND hidden = Control(Settings.Remap ? IdPanel1 : IdPanel2);
  ::EnableWindow(hidden, FALSE);
  ::ShowWindow(hidden, SW_HIDE);
  ::EnableWindow(shown, TRUE);
  ::ShowWindow(shown, SW_SHOW);
}

// A radio button checked from code runs its click handler, as a click on it would.
void TMainWin::CheckRadio(int id) {
  const bool mode = std::find(ModeButtons.begin(), ModeButtons.end(), id) != ModeButtons.end();
  const std::span<const int> group =
      mode ? std::span<const int>(ModeButtons) : std::span<const int>(CategoryButtons);
  for (int other : group) SetChecked(Control(other), other == id);
  switch (id) {
    case IdRemap:
      RemapClick();
      break;
    case IdHotKeys:
      HotKeysClick();
      break;
    case IdAlpha:
      AlphaClick();
      break;
    case IdPunctuation:
      PunctuationClick();
      break;
    case IdFunctionKeys:
      FunctionKeysClick();
      break;
    case IdNumeric:
      NumericClick();
      break;
    case IdEditing:
      EditingClick();
      break;
  }
}

// A page or category the user chooses puts the focus on the page's first grid, ready for the keys.
void TMainWin::PageClick(int id) {
  const bool remap = Settings.Remap;
  const int category = Settings.LastKeys;
  CheckRadio(id);
  if (Settings.Remap != remap || Settings.LastKeys != category) FocusFirstGrid();
}

// Every grid keeps its current cell across the reload.
bool TMainWin::ReloadKeepingCells(Grids grids) {
  static constexpr int AllGrids[] = {IdNewGrid, IdUpperGrid, IdLowerGrid, IdPunctGrid, IdNumGrid};
  const std::span<const int> gridIds =
      grids == Grids::All ? std::span<const int>(AllGrids) : std::span(AllGrids, 1);
  std::vector<POINT> cells;
  for (int id : gridIds) {
    const DrawGrid& grid = *DrawGrid::From(Control(id));
    cells.push_back({grid.Col(), grid.Row()});
  }
  if (!LoadTavrix(Settings.CurrentFile)) return false;
  UpdateGrid();
  for (std::size_t i = 0; i < gridIds.size(); ++i)
    DrawGrid::From(Control(gridIds[i]))->SetCurrent(cells[i].x, cells[i].y);
  return true;
}

void TMainWin::MenuNetworkClick() {
  network_.MenuNetworkClick(Dialog());
  SaveSettings();
}

void TMainWin::UpdateGrid() {
  hotKeyEditor_.UpdateGrid();
  remapEditor_.UpdateGrids();
}

bool TMainWin::BrowsingOnly() const { return BrowseOnly || FullBrowseOnly; }

DialogContext TMainWin::EditDialog() { return Dialog(); }

}  // namespace tvx
