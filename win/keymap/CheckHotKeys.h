#pragma once
// TCheckHotKeys: every conflict of the current file's hot keys, one line each. It changes nothing.

#include <string>

#include "win/shell/InfoForm.h"

namespace tvx {

inline constexpr char CheckHotKeysClassName[] = "TCheckHotKeys";

class TCheckHotKeys : public InfoForm {
 public:
  TCheckHotKeys();
  std::string Report;  // the lines, set before the dialog shows

 protected:
  void FormShow() override;
  void Command(int id, int code) override;
};

}  // namespace tvx
