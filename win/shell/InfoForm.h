#pragma once
// What the Help menu's dialogs share: a fixed dialog border, an exact client size with its controls
// from a table, the place at the screen's centre, and the showing flag set while the dialog is on screen.

#include <windows.h>

#include <map>
#include <span>

#include "win/app/Program.h"
#include "win/ui/Form.h"

namespace tvx {

struct InfoFormSpec {
  const char* className;
  const char* caption;
  int clientWidth, clientHeight;
  std::span<const ControlSpec> controls;
  bool DialogShowingFlags::*showing;
  int defaultButton;  // what Enter presses; a button with id IDCANCEL answers Escape
};

class InfoForm : public ModalForm {
 protected:
  explicit InfoForm(const InfoFormSpec& layout) : spec_(layout) {}
  void Create(HWND owner) override;
  void FormShow() override;
  void FormClose() override;
  HWND Control(int id) const { return controls_.at(id); }
  // Only clicks reach the dialogs' handlers.
  static bool Clicked(int code) { return code == BN_CLICKED; }

 private:
  const InfoFormSpec& spec_;
  std::map<int, HWND> controls_;
};

}  // namespace tvx
