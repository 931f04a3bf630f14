#include "win/app/MainWin.h"

namespace tvx {

// The recent-file items stay out of the File menu until the list has an entry.
void TMainWin::SetMenuLastFiles() {}
void TMainWin::ProcessParam(const ShortString&) {}

}  // namespace tvx
