#include "win/app/ApplicationMappingsForm.h"

#include <tlhelp32.h>

#include <set>

#include "core/common/Text.h"
#include "core/files/RecentFiles.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx {
namespace {

enum Id : int {
  CloseButton = IDCANCEL,
  Bindings = 101,
  DefaultLabel,
  ProgramBox,
  AddButton,
  RemoveButton,
  EditButton,
  ListLabel,
  ProgramLabel,
};

constexpr FontSpec DialogFont{14};

const ControlSpec ApplicationMappingsControls[] = {
    {ControlKind::Label, ListLabel, "&Programs with a mapping file of their own:", 8, 8, 464, 16, DialogFont},
    {ControlKind::ListBox, Bindings, "", 8, 26, 464, 130, DialogFont},
    {ControlKind::Label, DefaultLabel, "", 8, 162, 464, 32, DialogFont},
    {ControlKind::Label, ProgramLabel, "Program &name:", 8, 204, 96, 16, DialogFont},
    {ControlKind::ComboBox, ProgramBox, "", 106, 200, 190, 160, DialogFont},
    {ControlKind::Button, AddButton, "&Add...", 304, 199, 80, 25, DialogFont},
    {ControlKind::Button, RemoveButton, "&Remove", 392, 199, 80, 25, DialogFont},
    {ControlKind::Button, EditButton, "&Edit", 304, 233, 80, 25, DialogFont},
    {ControlKind::DefaultButton, CloseButton, "&Close", 392, 233, 80, 25, DialogFont},
};

const InfoFormSpec ApplicationMappingsForm{
    ApplicationMappingsClassName, "Application Mappings", 480, 266, ApplicationMappingsControls, CloseButton};

}  // namespace

TApplicationMappings::TApplicationMappings(DialogContext context, TMainWin& main)
    : InfoForm(context, ApplicationMappingsForm), main_(main) {}

void TApplicationMappings::FormShow() {
  InfoForm::FormShow();
  const int tabStop = 100;  // dialog units: the program's name, then its file
  ::SendMessageA(Control(Bindings), LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
  FillBindings();
  FillRunningPrograms();
  // Browse-only modes show the bindings but change nothing.
  if (BrowseOnly || FullBrowseOnly)
    for (int id : {AddButton, RemoveButton, EditButton}) ::EnableWindow(Control(id), FALSE);
}

void TApplicationMappings::Command(int id, int code) {
  if (!Clicked(code)) return;
  switch (id) {
    case AddButton:
      return AddButtonClick();
    case RemoveButton:
      return RemoveButtonClick();
    case EditButton:
      return EditButtonClick();
    case CloseButton:
      return Close();
  }
}

void TApplicationMappings::FillBindings() {
  HWND list = Control(Bindings);
  ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
  const TApplications& apps = main_.Applications();
  for (const AppBinding& binding : apps.bindings) {
    const std::string line = binding.program + "\t" + binding.file.str();
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  const std::string text =
      "Other programs use the default file: " + apps.DefaultFile(Settings.CurrentFile).str();
  ::SetWindowTextA(Control(DefaultLabel), text.c_str());
}

// The file names of the programs running now, to pick one rather than type it.
void TApplicationMappings::FillRunningPrograms() {
  const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return;
  std::set<std::string> names;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot.get(), &entry); more;
       more = ::Process32Next(snapshot.get(), &entry))
    names.insert(UpperCaseAscii(ProgramFileName(entry.szExeFile)));
  for (const std::string& name : names)
    ::SendMessageA(Control(ProgramBox), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

std::string TApplicationMappings::SelectedProgram() const {
  const auto index = ::SendMessageA(Control(Bindings), LB_GETCURSEL, 0, 0);
  const auto& bindings = main_.Applications().bindings;
  if (index < 0 || static_cast<std::size_t>(index) >= bindings.size()) return {};
  return bindings[static_cast<std::size_t>(index)].program;
}

void TApplicationMappings::AddButtonClick() {
  char typed[ShortStringCapacity + 1] = {};
  ::GetWindowTextA(Control(ProgramBox), typed, sizeof typed);
  const std::string program(TrimSpaces(typed));
  if (program.empty()) {
    ::MessageBoxA(hwnd(), "Type or pick the program's file name first.", "Error", MB_OK);
    return;
  }
  TFileDialog dialog(FileDialogKind::Open, "Mapping File for the Program");
  const std::optional<ShortString> file = dialog.Execute(hwnd());
  if (!file) return;
  if (!HasTavrixExtension(*file)) {
    ::MessageBoxA(hwnd(), "Invalid file type selected.", "Error", MB_OK);
    return;
  }
  if (!main_.BindApplication(program, *file))
    ::MessageBoxA(hwnd(), "At most 32 programs can have a mapping file of their own.", "Error", MB_OK);
  FillBindings();
}

void TApplicationMappings::RemoveButtonClick() {
  const std::string program = SelectedProgram();
  if (program.empty()) return;
  main_.UnbindApplication(program);
  FillBindings();
}

void TApplicationMappings::EditButtonClick() {
  const std::string program = SelectedProgram();
  if (program.empty()) return;
  EditFile = main_.Applications().BindingOf(program)->file;
  Close();
}

}  // namespace tvx
