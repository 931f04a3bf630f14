#include "win/keymap/DoSpecial.h"

namespace tvx {
namespace {

constexpr PickerMargins SelectCharacterMargins{50, 40};
constexpr FontSpec FormFont{12};

const ControlSpec SelectCharacterControls[] = {
    {ControlKind::Grid, picker::SymbolGrid, "", 4, 4, 591, 171, {15, true}},
    {ControlKind::DefaultButton, picker::OkButton, "&Ok", 208, 178, 91, 23, FormFont, 0, BS_NOTIFY},
    {ControlKind::Button, picker::CancelButton, "&Cancel", 312, 178, 91, 23, FormFont, 0, BS_NOTIFY},
    {ControlKind::Button, picker::OtherButton, "&Other...", 504, 178, 91, 23, FormFont, 0, BS_NOTIFY},
};

}  // namespace

void TDoSpecial::Create(HWND owner) {
  CreateForm(owner, SelectCharacterClassName, "Select Character", 600, 201, SelectCharacterControls);
  DrawGrid& symbols = Grid(picker::SymbolGrid);
  SetUpSymbolGrid(symbols);
  symbols.OnDblClick = [this] { SymbolGridDblClick(); };
  SetDefaultButton(picker::OkButton);
}

// A Code outside the grid (the caller never gives one) preselects the first cell.
void TDoSpecial::FormShow() {
  PlaceBelowCell(SelectCharacterMargins);
  Choice = ShortString();
  ShowOtherButton();
  const int code = Code >= 0 && Code < SymbolCount ? Code : 0;
  Grid(picker::SymbolGrid).SetCurrent(code % SymbolColumns, code / SymbolColumns);
  FocusControl(picker::SymbolGrid);
}

void TDoSpecial::Command(int id, int code) {
  if (ButtonFocusChanged(code) || code != BN_CLICKED) return;
  if (id == picker::OkButton) OkButtonClick();
  if (id == picker::CancelButton) CancelButtonClick();
  if (id == picker::OtherButton) OtherButtonClick();
}

void TDoSpecial::SymbolGridDblClick() { OkButtonClick(); }

void TDoSpecial::OkButtonClick() {
  Choice = OneCharacter(FirstSymbol + SymbolIndex(Grid(picker::SymbolGrid)));
  Close();
}

void TDoSpecial::CancelButtonClick() { Close(); }

}  // namespace tvx
