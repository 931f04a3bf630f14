#pragma once
// The help file and the user manual: documents beside the program that the shell opens; the program
// never reads them.

#include <windows.h>

#include "core/common/ShortString.h"

namespace tvx {

inline constexpr char HelpFileMissing[] =
    "The help file could not be located.  Please make sure the help file was installed.";
inline constexpr char UserManualMissing[] =
    "The User Manual could not be located.  Please make sure the user manual was installed.";

// ProgramDir has no trailing backslash, so a program in D:\ looks for D:\TAVRIX.DOC.
ShortString HelpFileName(const ShortString& programDir);
ShortString UserManualFileName(const ShortString& programDir);

// Has the shell open `file` with its "open" verb when it exists (whether a viewer starts is the shell's
// to report); otherwise shows `missing` in an "Error" box owned by `owner`.
void OpenDocument(HWND owner, const ShortString& file, const char* missing);

}  // namespace tvx
