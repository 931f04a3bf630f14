#pragma once
// TAboutBox: the product's name, version and publication notice beside its picture.

#include "win/ui/InfoForm.h"

namespace tvx {

inline constexpr char AboutBoxClassName[] = "TAboutBox";

class TAboutBox : public InfoForm {
 public:
  explicit TAboutBox(DialogContext context);

 protected:
  void FormShow() override;
  void Command(int id, int code) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Button1Click();
  void ProgramIconPaint(const DRAWITEMSTRUCT& item) const;
};

}  // namespace tvx
