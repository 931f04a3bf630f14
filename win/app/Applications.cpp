// Per-application mappings on the main window's side: the bindings are read once, the default follows
// the current file, and the worker of TAppMappings does the rest.
#include <string>

#include "win/app/ApplicationMappingsForm.h"
#include "win/app/HookExports.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx {

void TMainWin::StartAppMappings() {
  if (settingsStore_) apps_ = LoadApplications(*settingsStore_);
  // An older hook library cannot take the tables: the bindings are kept, and nothing publishes them.
  if (HookSetTables()) appMappings_->Start(hwnd(), {HotKeys().data(), Remaps().data(), &characters_});
  CurrentFileChanged();
}

void TMainWin::CurrentFileChanged() {
  if (settingsStore_) NoteCurrentFile(apps_, *settingsStore_, Settings.CurrentFile);
  appMappings_->Configure(apps_, Settings.CurrentFile);
}

bool TMainWin::BindApplication(const std::string& program, const ShortString& file) {
  if (!settingsStore_ || !BindProgram(apps_, *settingsStore_, program, file, Settings.CurrentFile))
    return false;
  appMappings_->Configure(apps_, Settings.CurrentFile);
  return true;
}

void TMainWin::UnbindApplication(const std::string& program) {
  if (!settingsStore_) return;
  UnbindProgram(apps_, *settingsStore_, program);
  appMappings_->Configure(apps_, Settings.CurrentFile);
}

void TMainWin::MenuApplicationMappingsClick() {
  TApplicationMappings dialog(Dialog(), *this);
  dialog.ShowModal(hwnd());
  if (dialog.EditFile) OpenSaveFile(*dialog.EditFile);
}

void TMainWin::AppMappingNoticeMsg() {
  for (const std::string& text : appMappings_->TakeNotices())
    ::MessageBoxA(hwnd(), text.c_str(), "Notice", MB_OK);
}

}  // namespace tvx
