#pragma once
// The common Open and Save dialogs for mapping files, as the File menu runs them.

#include <windows.h>

#include <optional>
#include <string>

#include "core/common/ShortString.h"

namespace tvx {

enum class FileDialogKind { Open, Save };

// Title, the filter "Tavrix (*.TVX)" and the default extension "TVX". A dialog keeps its last choice
// while the program runs and starts from it the next time.
class TFileDialog {
 public:
  TFileDialog(FileDialogKind kind, const char* title) : kind_(kind), title_(title) {}
  // The chosen name (cut to 255 characters), or nothing when the user cancelled.
  std::optional<ShortString> Execute(HWND owner);

 private:
  FileDialogKind kind_;
  const char* title_;
  std::string fileName_;
};

}  // namespace tvx
