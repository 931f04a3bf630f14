#include "win/keymap/CheckHotKeys.h"

namespace tvx {
namespace {

enum Id : int { OkButton = IDOK, Conflicts = 101 };

constexpr FontSpec ReportFont{13};

const ControlSpec CheckHotKeysControls[] = {
    {ControlKind::Edit, Conflicts, "", 8, 8, 584, 218, ReportFont, 0,
     ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_HSCROLL},
    {ControlKind::DefaultButton, OkButton, "&Ok", 262, 236, 75, 25, ReportFont},
};

const InfoFormSpec CheckHotKeysForm{CheckHotKeysClassName, "Check Hot Keys", 600, 270,
                                    CheckHotKeysControls,  OkButton};

}  // namespace

TCheckHotKeys::TCheckHotKeys(DialogContext context) : InfoForm(context, CheckHotKeysForm) {}

void TCheckHotKeys::FormShow() {
  InfoForm::FormShow();
  ::SetWindowTextA(Control(Conflicts), Report.c_str());
}

void TCheckHotKeys::Command(int id, int code) {
  if (Clicked(code) && (id == OkButton || id == IDCANCEL)) Close();
}

}  // namespace tvx
