// The two pages of the main window, the remapper and the hot keys: the mode and category buttons, the
// grids redrawn, and where the keyboard's focus goes on them.
#include <algorithm>
#include <span>

#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx {

void TMainWin::ShowPage() {
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
    case IdHotKeys:
      Settings.Remap = id == IdRemap;
      ShowPage();
      break;
    case IdAlpha:
      hotKeyEditor_.AlphaClick();
      break;
    case IdPunctuation:
      hotKeyEditor_.PunctuationClick();
      break;
    case IdFunctionKeys:
      hotKeyEditor_.FunctionKeysClick();
      break;
    case IdNumeric:
      hotKeyEditor_.NumericClick();
      break;
    case IdEditing:
      hotKeyEditor_.EditingClick();
      break;
  }
}

// A page or category the user chooses puts the focus on the page's first grid, ready for the keys.
bool TMainWin::PageClick(int id) {
  if (std::find(ModeButtons.begin(), ModeButtons.end(), id) == ModeButtons.end() &&
      std::find(CategoryButtons.begin(), CategoryButtons.end(), id) == CategoryButtons.end())
    return false;
  const bool remap = Settings.Remap;
  const int category = Settings.LastKeys;
  CheckRadio(id);
  if (Settings.Remap != remap || Settings.LastKeys != category) FocusFirstGrid();
  return true;
}

void TMainWin::UpdateGrid() {
  hotKeyEditor_.UpdateGrid();
  remapEditor_.UpdateGrids();
}

// The keyboard works on the grids: the focus comes back to where it was when the window is activated
// again, and to the page's first grid when that control is gone from view.
HWND TMainWin::FirstGrid() const { return Control(Settings.Remap ? IdUpperGrid : IdNewGrid); }

void TMainWin::FocusFirstGrid() {
  focus_ = FirstGrid();
  ::SetFocus(focus_);
}

void TMainWin::RememberFocus() {
  const HWND focus = ::GetFocus();
  if (focus && ::IsChild(hwnd(), focus)) focus_ = focus;
}

void TMainWin::RestoreFocus() {
  if (!focus_ || !::IsWindowVisible(focus_) || !::IsWindowEnabled(focus_)) focus_ = FirstGrid();
  ::SetFocus(focus_);
}

}  // namespace tvx
