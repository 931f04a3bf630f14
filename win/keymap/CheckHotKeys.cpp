// Options > Check Hot Keys, and the warning before a hot key that takes something the user needs.
#include "win/keymap/CheckHotKeys.h"

#include "core/keymap/Catalogue.h"
#include "win/app/MainWin.h"
#include "win/keymap/HotKeyFacts.h"

namespace tvx {
namespace {

enum Id : int { OkButton = IDOK, Conflicts = 101 };

constexpr FontSpec ReportFont{13};

const ControlSpec CheckHotKeysControls[] = {
    {ControlKind::Edit, Conflicts, "", 8, 8, 584, 218, ReportFont, 0,
     ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_HSCROLL},
    {ControlKind::DefaultButton, OkButton, "&Ok", 262, 236, 75, 25, ReportFont},
};

const InfoFormSpec CheckHotKeysForm{CheckHotKeysClassName,
                                    "Check Hot Keys",
                                    600,
                                    270,
                                    CheckHotKeysControls,
                                    &DialogShowingFlags::CheckHotKeysShowing,
                                    OkButton};

}  // namespace

TCheckHotKeys::TCheckHotKeys() : InfoForm(CheckHotKeysForm) {}

void TCheckHotKeys::FormShow() {
  InfoForm::FormShow();
  ::SetWindowTextA(Control(Conflicts), Report.c_str());
}

void TCheckHotKeys::Command(int id, int code) {
  if (Clicked(code) && (id == OkButton || id == IDCANCEL)) Close();
}

bool TMainWin::ConfirmHotKey(const HotKeyCombination& combination) {
  const std::vector<LayoutFacts> layouts = InstalledLayouts();
  const auto conflicts = FindConflicts(combination, layouts, Remaps(),
                                       RegisteredElsewhere(hwnd(), combination, layouts, Remaps()));
  if (conflicts.empty()) return true;
  return ::MessageBoxA(hwnd(), ConflictWarning(combination, conflicts).c_str(), "Warning",
                       MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void TMainWin::MenuCheckHotKeysClick() {
  const std::vector<LayoutFacts> layouts = InstalledLayouts();
  const auto lines = CheckHotKeys(HotKeys(), Remaps(), layouts, [&](const HotKeyCombination& combination) {
    return RegisteredElsewhere(hwnd(), combination, layouts, Remaps());
  });
  TCheckHotKeys dialog;
  for (const std::string& line : lines) dialog.Report += (dialog.Report.empty() ? "" : "\r\n") + line;
  if (lines.empty()) dialog.Report = NoConflictsFound;
  dialog.ShowModal(hwnd());
}

}  // namespace tvx
