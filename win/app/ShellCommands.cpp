// The Help menu and the printed mapping guide: each handler hands over to its part of win/shell.
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

// The help is an HTML document now that Windows has no engine for the old help files.
void TMainWin::MenuContentsClick() { OpenDocument(hwnd(), HelpFileName(ProgramDir), HelpFileMissing); }

void TMainWin::MenuUserManualClick() { TUserManual(Dialog(), ProgramDir).ShowModal(hwnd()); }

void TMainWin::MenuAboutClick() { TAboutBox(Dialog()).ShowModal(hwnd()); }

void TMainWin::MenuOtherClick() { TOtherProducts(Dialog()).ShowModal(hwnd()); }

}  // namespace tvx
