#pragma once
// TApplicationMappings: Options > Application Mappings. The programs with a mapping file of their own,
// the default file the others use, and Add, Remove and Edit (which makes a bound file current).

#include <optional>
#include <string>

#include "core/common/ShortString.h"
#include "win/ui/InfoForm.h"

namespace tvx {

class TMainWin;

inline constexpr char ApplicationMappingsClassName[] = "TApplicationMappings";

class TApplicationMappings : public InfoForm {
 public:
  TApplicationMappings(DialogContext context, TMainWin& main);
  std::optional<ShortString> EditFile;  // Edit: the bound file to make current once the dialog is gone

 protected:
  void FormShow() override;
  void Command(int id, int code) override;

 private:
  void FillBindings();
  void FillRunningPrograms();
  void AddButtonClick();
  void RemoveButtonClick();
  void EditButtonClick();
  // The program of the selected line; empty when none is selected.
  std::string SelectedProgram() const;

  TMainWin& main_;
};

}  // namespace tvx
