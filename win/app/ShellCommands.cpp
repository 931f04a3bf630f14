// The Help menu and the printed mapping guide: each handler hands over to its part of win/shell.
#include "core/shell/HotKeySheet.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"
#include "win/shell/AboutBox.h"
#include "win/shell/HelpFiles.h"
#include "win/shell/OtherProducts.h"
#include "win/shell/UserManual.h"

namespace tvx {

void TMainWin::MenuOutputClick() {
  DoOutput(hwnd(), MyPrintDialog, Settings.CurrentFile, HotKeys(), Remaps(), &characters_);
}

void TMainWin::ShowSheet(HWND front) {
  if (auto bound = appMappings_->InForceFor(front)) {
    AreaCopy& tables = bound->first;
    sheet_.Show(front, bound->second,
                SheetLines(HotKeyAreaView(tables.hotKeys.data()), RemapAreaView(tables.remap.data()),
                           &tables.characters));
    return;
  }
  sheet_.Show(front, Settings.CurrentFile, SheetLines(HotKeys(), Remaps(), &characters_));
}

void TMainWin::MenuShowHotKeysClick() {
  ShowSheet(hwnd());
  sheetUntilInput_ = true;
}

void TMainWin::InputArrives(UINT message) {
  const bool input = message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_LBUTTONDOWN ||
                     message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_NCLBUTTONDOWN ||
                     message == WM_NCRBUTTONDOWN || message == WM_ACTIVATEAPP;
  if (!sheetUntilInput_ || !input) return;
  sheetUntilInput_ = false;
  sheet_.Hide();
}

// The help is an HTML document now that Windows has no engine for the old help files.
void TMainWin::MenuContentsClick() { OpenDocument(hwnd(), HelpFileName(ProgramDir), HelpFileMissing); }

void TMainWin::MenuUserManualClick() { TUserManual(Dialog(), ProgramDir).ShowModal(hwnd()); }

void TMainWin::MenuAboutClick() { TAboutBox(Dialog()).ShowModal(hwnd()); }

void TMainWin::MenuOtherClick() { TOtherProducts(Dialog()).ShowModal(hwnd()); }

}  // namespace tvx
