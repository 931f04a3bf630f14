#pragma once
// TUserManual, the User Manual Notice: says what the manual needs and opens it on "&Ok".

#include "core/common/ShortString.h"
#include "win/ui/InfoForm.h"

namespace tvx {

inline constexpr char UserManualClassName[] = "TUserManual";

class TUserManual : public InfoForm {
 public:
  // The manual is looked for in the program's folder.
  TUserManual(DialogContext context, const ShortString& programDir);

 protected:
  void Command(int id, int code) override;

 private:
  void OkButtonClick();
  void CancelButtonClick();

  ShortString programDir_;
};

}  // namespace tvx
