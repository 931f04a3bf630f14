#include <functional>

#include "win/app/MainWin.h"

namespace tvx {

// Network mode is not built yet: with it off, an edit never waits for a lock and touches no sync file.
bool TMainWin::FileInUse() { return false; }
void TMainWin::ReleaseSyncFile(int) {}
void TMainWin::AttachSyncFile() {}
void TMainWin::StartSyncTimer() {}

// The lock taken by FileInUse is given back whatever happens, with 1 when the edit stored an entry and
// saved it; an error goes on to the general error report.
void TMainWin::EditUnderLock(const std::function<bool()>& edit) {
  bool stored = false;
  try {
    stored = edit();
  } catch (...) {
    ReleaseSyncFile(0);
    throw;
  }
  ReleaseSyncFile(stored ? 1 : 0);
}

}  // namespace tvx
