#pragma once
// TOtherCharacter, opened by "&Other..." in both pickers: any Unicode character, typed, pasted or written
// as U+ and its code, for the characters the symbol grid does not hold.

#include "win/ui/Form.h"

namespace tvx {

inline constexpr char OtherCharacterClassName[] = "TOtherCharacter";

namespace other_character {
enum Id : int { PromptLabel = 101, CharacterBox, OkButton, CancelButton };
}  // namespace other_character

// Character after the dialog: the character, or 0 when cancelled.
class TOtherCharacter : public ModalForm {
 public:
  using ModalForm::ModalForm;
  char32_t Character = 0;

 protected:
  void Create(HWND owner) override;
  void FormShow() override;
  void Command(int id, int code) override;

 private:
  void OkButtonClick();

  HWND edit_ = nullptr;
};

}  // namespace tvx
