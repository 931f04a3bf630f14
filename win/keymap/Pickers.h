#pragma once
// What the two picker dialogs (Hot Key Action, Select Character) share: control ids, the symbol grid,
// the placement below the clicked cell and the dialog-box manners of their buttons.

#include <windows.h>

#include "core/common/ShortString.h"
#include "win/ui/DrawGrid.h"
#include "win/ui/Form.h"

namespace tvx {

// Control ids of both pickers; never IDOK or IDCANCEL, so that no button answers Escape.
namespace picker {
enum Id : int {
  Label1 = 101,
  SymbolGrid,
  OkButton,
  Label2,
  KeyGrid,
  NoneButton,
  OkKey,
  CancelButton,
  OtherButton,
  TextButton,
  SheetButton,
};
}  // namespace picker

inline constexpr int SymbolColumns = 28;
inline constexpr int SymbolRows = 8;
inline constexpr int FirstSymbol = 32;  // symbol index 0 stands for this character code
inline constexpr int SymbolCount = SymbolColumns * SymbolRows;

// Where a picker goes: centred across the screen; below the clicked cell when there is room, above it
// (by `aboveMargin`) when there is more room there, centred when neither fits. `y` is the cell's bottom
// as the main window measures it; `belowSlack` is how far the dialog may reach past the screen's bottom.
struct PickerMargins {
  int aboveMargin;
  int belowSlack;
};
POINT PickerPosition(int screenWidth, int screenHeight, SIZE dialog, int y, PickerMargins margins);

// The y that PickerPosition takes: the main window's top and frame, the hot-key grid's top within its
// panel and the cell's bottom. Every picker measures from the hot-key grid, whichever grid was clicked.
int PickerAnchorY(HWND mainWindow, const RECT& cellRect);

// A byte of the system's code page as UTF-16; 0 where it has no character.
char16_t AnsiCharacter(std::uint8_t byte);

// A modal picker: the focus returns to its control when the dialog is activated again, and a focused
// button is the one Enter presses, as in a dialog box.
class PickerForm : public ModalForm {
 public:
  using ModalForm::ModalForm;
  ShortString Choice;  // empty: nothing picked
  // In: whether "&Other..." may offer any character (the hook library can take them); out: the character
  // picked there, or 0 (then Choice says what was picked).
  bool OtherCharacters = false;
  char32_t Character = 0;
  int Code = 0;     // in: what to preselect; out: see each picker
  RECT CellRect{};  // the clicked cell; its bottom places the dialog

 protected:
  void CreateForm(HWND owner, const char* className, const char* caption, int clientWidth, int clientHeight,
                  std::span<const ControlSpec> controls);
  DrawGrid& Grid(int id) const;
  void FocusControl(int id);
  void PlaceBelowCell(PickerMargins margins);
  // "&Other..." enabled as OtherCharacters says, and no character picked yet; for FormShow.
  void ShowOtherButton();
  // "&Other...": the character dialog; a character picked there closes the picker with it.
  void OtherButtonClick();
  // Handles the focus notifications of the buttons; true when `code` was one.
  bool ButtonFocusChanged(int code);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // The focused button looks default (Enter presses it); with the focus elsewhere, the default button.
  void SettleDefaultLook();

  std::map<int, HWND> controls_;
  HWND focus_ = nullptr;
};

// The symbol grid of both pickers: 28 x 8 cells of 20 pixels, no scroll bar.
void SetUpSymbolGrid(DrawGrid& grid);
void SymbolGridDrawCell(const GridCellPaint& cell);
int SymbolIndex(const DrawGrid& grid);
// One character: the picked symbol, or "none" as the character code 0.
ShortString OneCharacter(int code);

}  // namespace tvx
