#pragma once
// THotKeyText, opened by "&Text..." in the Hot Key Action dialog: a text the hot key types or a key
// sequence it plays, in one line (core/app/TextAction.h), checked as the user types.

#include <string>

#include "win/ui/Form.h"

namespace tvx {

inline constexpr char HotKeyTextClassName[] = "THotKeyText";

namespace hot_key_text {
enum Id : int { PromptLabel = 101, TextBox, SyntaxLabel, ErrorLabel, OkButton, CancelButton };
}  // namespace hot_key_text

// Text: in, the text to show; out, the text chosen, or empty when cancelled.
class THotKeyText : public ModalForm {
 public:
  using ModalForm::ModalForm;
  std::u16string Text;

 protected:
  void Create(HWND owner) override;
  void FormShow() override;
  void Command(int id, int code) override;

 private:
  std::u16string BoxText() const;
  // The error of the text in the box under it, and OK only for a text without one.
  void TextBoxChange();
  void OkButtonClick();

  HWND edit_ = nullptr;
};

}  // namespace tvx
