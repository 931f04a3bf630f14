#pragma once
// TDoSpecial2, the Hot Key Action dialog: the character to type, the key to press, a text, the sheet of the
// hot keys in force or "none".

#include <string>

#include "win/keymap/Pickers.h"

namespace tvx {

inline constexpr char HotKeyActionClassName[] = "TDoSpecial2";

// Choice after the dialog: empty (cancelled), one character (code 0 for "none") or a key's name.
// Code on entry: a symbol index 0..223, or a HotKeyAction above 255 for a key; after "Select &Character"
// the picked symbol index, after a key its HotKeyAction, after anything else below 256.
// Text: in, the cell's text, which "&Text..." shows; out, the text picked there, or empty (then Choice or
// Character says what was picked).
// Sheet: in, the cell shows the sheet of the hot keys in force; out, "Show &Hot Keys" was picked.
class TDoSpecial2 : public PickerForm {
 public:
  using PickerForm::PickerForm;
  std::u16string Text;
  bool Sheet = false;

 protected:
  void Create(HWND owner) override;
  void FormShow() override;
  void Command(int id, int code) override;

 private:
  void SymbolGridClick();
  void SymbolGridDblClick();
  void KeyGridDrawCell(const GridCellPaint& cell);
  void KeyGridClick();
  void KeyGridDblClick();
  void OkButtonClick();
  void OkKeyClick();
  void NoneButtonClick();
  void CancelButtonClick();
  void TextButtonClick();
  void SheetButtonClick();
  void PickKey();

  std::u16string cellText_;
};

}  // namespace tvx
