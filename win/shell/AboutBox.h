#pragma once
// TAboutBox: the product's name, version and publication notice beside its picture.

#include "win/shell/InfoForm.h"

namespace tvx {

inline constexpr char AboutBoxClassName[] = "TAboutBox";

class TAboutBox : public InfoForm {
 public:
  TAboutBox();

 protected:
  void FormShow() override;
  void Command(int id, int code) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Button1Click();
  void ProgramIconPaint(const DRAWITEMSTRUCT& item) const;
};

}  // namespace tvx
