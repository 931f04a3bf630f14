#pragma once
// TDoSpecial, the Select Character dialog of the remapper: the character a key is to produce.

#include "win/keymap/Pickers.h"

namespace tvx {

inline constexpr char SelectCharacterClassName[] = "TDoSpecial";

// Code on entry: the symbol index 0..223 to preselect. Choice after the dialog: empty (cancelled) or the
// picked character; there is no "none", so the remapper never writes 0.
class TDoSpecial : public PickerForm {
 public:
  using PickerForm::PickerForm;

 protected:
  void Create(HWND owner) override;
  void FormShow() override;
  void Command(int id, int code) override;

 private:
  void SymbolGridDblClick();
  void OkButtonClick();
  void CancelButtonClick();
};

}  // namespace tvx
