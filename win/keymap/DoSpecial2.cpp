#include "win/keymap/DoSpecial2.h"

#include <utility>

#include "core/keymap/Catalogue.h"
#include "win/keymap/HotKeyText.h"
#include "win/ui/CellPainting.h"

namespace tvx {
namespace {

constexpr int KeyColumns = 10;
constexpr int KeyRows = 6;
constexpr PickerMargins HotKeyActionMargins{20, -25};
constexpr FontSpec FormFont{12};
constexpr FontSpec LabelFont{13, true};
constexpr FontSpec GridFont{15, true};

const ControlSpec HotKeyActionControls[] = {
    {ControlKind::Label, picker::Label1, "Select a Character", 4, 0, 129, 15, LabelFont},
    {ControlKind::Grid, picker::SymbolGrid, "", 4, 16, 591, 171, GridFont},
    {ControlKind::DefaultButton, picker::OkButton, "Select &Character", 240, 190, 121, 23, FormFont, 0,
     BS_NOTIFY},
    {ControlKind::Label, picker::Label2, "Select a Keyboard Key", 4, 216, 161, 15, LabelFont},
    {ControlKind::Grid, picker::KeyGrid, "", 4, 232, 583, 129, GridFont},
    {ControlKind::Button, picker::NoneButton, "&Select \"none\"", 4, 366, 105, 23, FormFont, 0, BS_NOTIFY},
    {ControlKind::Button, picker::OkKey, "Select &Key", 240, 366, 121, 23, FormFont, 0, BS_NOTIFY},
    {ControlKind::Button, picker::CancelButton, "&Cancel", 504, 366, 91, 23, FormFont, 0, BS_NOTIFY},
    // Last in the tab order, which the two grids and their buttons lead.
    {ControlKind::Button, picker::OtherButton, "&Other...", 370, 190, 91, 23, FormFont, 0, BS_NOTIFY},
    {ControlKind::Button, picker::TextButton, "&Text...", 470, 190, 91, 23, FormFont, 0, BS_NOTIFY},
    {ControlKind::Button, picker::SheetButton, "Show &Hot Keys", 370, 366, 121, 23, FormFont, 0, BS_NOTIFY},
};

int KeyIndex(const DrawGrid& grid) { return grid.Row() * KeyColumns + grid.Col(); }

}  // namespace

void TDoSpecial2::Create(HWND owner) {
  CreateForm(owner, HotKeyActionClassName, "Hot Key Action", 600, 394, HotKeyActionControls);
  DrawGrid& symbols = Grid(picker::SymbolGrid);
  SetUpSymbolGrid(symbols);
  symbols.OnClick = [this] { SymbolGridClick(); };
  symbols.OnDblClick = [this] { SymbolGridDblClick(); };
  // The default button follows the grid that has the focus, reached by Tab as by a click.
  symbols.OnFocus = [this] { SymbolGridClick(); };
  DrawGrid& keys = Grid(picker::KeyGrid);
  keys.SetColCount(KeyColumns);
  keys.SetRowCount(KeyRows);
  keys.SetDefaultColWidth(57);
  keys.SetDefaultRowHeight(20);
  keys.SetVerticalScrollBar(false);
  keys.OnDrawCell = [this](const GridCellPaint& cell) { KeyGridDrawCell(cell); };
  keys.OnClick = [this] { KeyGridClick(); };
  keys.OnDblClick = [this] { KeyGridDblClick(); };
  keys.OnFocus = [this] { KeyGridClick(); };
  SetDefaultButton(picker::OkButton);
}

// A value no key has (only a damaged file holds one) preselects as "none" does, and leaves a Code below
// 256, so that a pick other than a key stores a character and never that value.
void TDoSpecial2::FormShow() {
  PlaceBelowCell(HotKeyActionMargins);
  Choice = ShortString();
  ShowOtherButton();
  // A text is kept where characters beyond the record are: only a library that takes those plays it.
  ::EnableWindow(::GetDlgItem(hwnd(), picker::TextButton), OtherCharacters);
  ::EnableWindow(::GetDlgItem(hwnd(), picker::SheetButton), OtherCharacters);
  cellText_ = std::move(Text);
  Text.clear();
  if (std::exchange(Sheet, false) && OtherCharacters) {
    Code = 0;
    FocusControl(picker::SheetButton);
    return;
  }
  if (Code > 255) {
    Code -= 256;
    if (Code < static_cast<int>(ActionKeyTable.size())) {
      Grid(picker::KeyGrid).SetCurrent(Code % KeyColumns, Code / KeyColumns);
      FocusControl(picker::KeyGrid);
      SetDefaultButton(picker::OkKey);
      return;
    }
    Code = 0;
  }
  if (Code <= 0 || Code >= SymbolCount) {
    Code = 0;
    Grid(picker::SymbolGrid).SetCurrent(0, 0);
    Grid(picker::KeyGrid).SetCurrent(0, 0);
    FocusControl(picker::NoneButton);
    return;
  }
  Grid(picker::SymbolGrid).SetCurrent(Code % SymbolColumns, Code / SymbolColumns);
  FocusControl(picker::SymbolGrid);
}

void TDoSpecial2::Command(int id, int code) {
  if (ButtonFocusChanged(code) || code != BN_CLICKED) return;
  switch (id) {
    case picker::OkButton:
      OkButtonClick();
      break;
    case picker::OkKey:
      OkKeyClick();
      break;
    case picker::NoneButton:
      NoneButtonClick();
      break;
    case picker::CancelButton:
      CancelButtonClick();
      break;
    case picker::OtherButton:
      OtherButtonClick();
      break;
    case picker::TextButton:
      TextButtonClick();
      break;
    case picker::SheetButton:
      SheetButtonClick();
      break;
  }
}

void TDoSpecial2::SymbolGridClick() { SetDefaultButton(picker::OkButton); }

void TDoSpecial2::SymbolGridDblClick() {
  Choice = OneCharacter(FirstSymbol + SymbolIndex(Grid(picker::SymbolGrid)));
  Close();
}

void TDoSpecial2::KeyGridDrawCell(const GridCellPaint& cell) {
  PaintCellBackground(cell, false);
  DrawCentredText(cell, ActionKeyTable[cell.row * KeyColumns + cell.col].name);
}

void TDoSpecial2::KeyGridClick() { SetDefaultButton(picker::OkKey); }

void TDoSpecial2::KeyGridDblClick() { PickKey(); }

void TDoSpecial2::OkButtonClick() {
  Code = SymbolIndex(Grid(picker::SymbolGrid));
  Choice = OneCharacter(FirstSymbol + Code);
  Close();
}

void TDoSpecial2::OkKeyClick() { PickKey(); }

void TDoSpecial2::NoneButtonClick() {
  Choice = OneCharacter(0);
  Close();
}

void TDoSpecial2::CancelButtonClick() { Close(); }

void TDoSpecial2::TextButtonClick() {
  THotKeyText text({Screen()});
  text.Text = cellText_;
  text.ShowModal(hwnd());
  if (text.Text.empty()) return;
  Text = std::move(text.Text);
  Close();
}

void TDoSpecial2::SheetButtonClick() {
  Sheet = true;
  Close();
}

void TDoSpecial2::PickKey() {
  const int key = KeyIndex(Grid(picker::KeyGrid));
  Choice = ShortString(ActionKeyTable[key].name);
  Code = FirstKeyAction + key;
  Close();
}

}  // namespace tvx
