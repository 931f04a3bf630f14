#pragma once
// Win32 errors as the program reports them.

#include <windows.h>

#include <string>

#include "core/common/IoError.h"

namespace tvx {

// The IoError for a system error: a full disk has a text of its own, the rest show their number.
IoError SystemIoError(DWORD systemError);

// The system's own words for an error, or "I/O error %d" where it has none.
std::string SystemErrorText(DWORD systemError);

[[noreturn]] inline void ThrowLastError() { throw SystemIoError(::GetLastError()); }

}  // namespace tvx
