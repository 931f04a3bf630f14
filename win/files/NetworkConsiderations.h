#pragma once
// TNetworkConsiderations, the Network Considerations dialog: network mode, automatic synchronisation and
// its interval. Closing it, however it is closed, applies the choices to the settings.

#include <map>

#include "core/settings/Settings.h"
#include "win/ui/Form.h"

namespace tvx {

inline constexpr char NetworkConsiderationsClassName[] = "TNetworkConsiderations";

class TNetworkConsiderations : public ModalForm {
 public:
  enum Id : int { NetworkOption = 101, OKButton, AutoSync, Bevel1, Label1, Minutes, Label2 };

  // The dialog shows the network settings and, on closing, puts the choices into them.
  TNetworkConsiderations(DialogContext context, TSettings& settings)
      : ModalForm(context), Settings(settings) {}

  // The two settings as they stood when the dialog opened.
  bool OrigAutoSync = false;
  bool OrigNetworkMode = false;

 protected:
  void Create(HWND owner) override;
  void FormShow() override;
  void FormClose() override;
  void Command(int id, int code) override;

 private:
  void OKButtonClick();
  void NetworkOptionClick();
  void EnableDisable();
  HWND Control(int id) const { return controls_.at(id); }

  TSettings& Settings;
  std::map<int, HWND> controls_;
};

}  // namespace tvx
