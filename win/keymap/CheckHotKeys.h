#pragma once
// TCheckHotKeys: every conflict of the current file's hot keys, one line each. It changes nothing.

#include <string>

#include "win/ui/InfoForm.h"

namespace tvx {

inline constexpr char CheckHotKeysClassName[] = "TCheckHotKeys";

class TCheckHotKeys : public InfoForm {
 public:
  explicit TCheckHotKeys(DialogContext context);
  std::string Report;  // the lines, set before the dialog shows

 protected:
  void FormShow() override;
  void Command(int id, int code) override;
};

}  // namespace tvx
