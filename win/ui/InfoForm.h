#pragma once
// What the information dialogs (the Help menu's, Check Hot Keys, Application Mappings) share: a fixed
// dialog border, an exact client size with its controls from a table and the place at the screen's centre.

#include <windows.h>

#include <map>
#include <span>

#include "win/ui/Form.h"

namespace tvx {

struct InfoFormSpec {
  const char* className;
  const char* caption;
  int clientWidth, clientHeight;
  std::span<const ControlSpec> controls;
  int defaultButton;  // what Enter presses; a button with id IDCANCEL answers Escape
};

class InfoForm : public ModalForm {
 protected:
  InfoForm(DialogContext context, const InfoFormSpec& layout) : ModalForm(context), spec_(layout) {}
  void Create(HWND owner) override;
  void FormShow() override;
  HWND Control(int id) const { return controls_.at(id); }
  // Only clicks reach the dialogs' handlers.
  static bool Clicked(int code) { return code == BN_CLICKED; }

 private:
  const InfoFormSpec& spec_;
  std::map<int, HWND> controls_;
};

}  // namespace tvx
