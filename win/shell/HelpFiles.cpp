#include "win/shell/HelpFiles.h"

#include <shellapi.h>

namespace tvx {

ShortString HelpFileName(const ShortString& programDir) { return programDir + "\\TAVRIX.HTM"; }

ShortString UserManualFileName(const ShortString& programDir) { return programDir + "\\TAVRIX.DOC"; }

void OpenDocument(HWND owner, const ShortString& file, const char* missing) {
  const DWORD attributes = ::GetFileAttributesA(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::MessageBoxA(owner, missing, "Error", MB_OK);
    return;
  }
  ::ShellExecuteA(owner, "open", file.c_str(), "", "", SW_SHOWNORMAL);
}

}  // namespace tvx
