#pragma once
// TUserManual, the User Manual Notice: says what the manual needs and opens it on "&Ok".

#include "win/shell/InfoForm.h"

namespace tvx {

inline constexpr char UserManualClassName[] = "TUserManual";

class TUserManual : public InfoForm {
 public:
  TUserManual();

 protected:
  void Command(int id, int code) override;

 private:
  void OkButtonClick();
  void CancelButtonClick();
};

}  // namespace tvx
