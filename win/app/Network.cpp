#include "win/app/MainWin.h"

namespace tvx {

// Network mode is not built yet: with it off, an edit never waits for a lock and touches no sync file.
bool TMainWin::FileInUse() { return false; }
void TMainWin::ReleaseSyncFile(int) {}
void TMainWin::AttachSyncFile() {}
void TMainWin::StartSyncTimer() {}

}  // namespace tvx
