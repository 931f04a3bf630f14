// Options > Check Hot Keys, and the warning before a hot key that takes something the user needs.
#include "win/app/MainWin.h"
#include "win/app/Program.h"
#include "win/keymap/CheckHotKeys.h"
#include "win/keymap/HotKeyFacts.h"

namespace tvx {

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
  const auto lines =
      CheckHotKeys(HotKeys(), characters_, Remaps(), layouts, [&](const HotKeyCombination& combination) {
        return RegisteredElsewhere(hwnd(), combination, layouts, Remaps());
      });
  TCheckHotKeys dialog(Dialog());
  for (const std::string& line : lines) dialog.Report += (dialog.Report.empty() ? "" : "\r\n") + line;
  if (lines.empty()) dialog.Report = NoConflictsFound;
  dialog.ShowModal(hwnd());
}

}  // namespace tvx
