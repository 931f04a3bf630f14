#include "win/files/NetworkMode.h"

#include "core/common/IoError.h"
#include "win/files/NetworkConsiderations.h"

namespace tvx {
namespace {

constexpr UINT SyncTimerInterval = 60000;  // one tick is one minute of the automatic synchronisation
constexpr UINT NetTimerInterval = 30000;   // the lock's heartbeat while this instance holds it
constexpr DWORD SaveRetryMilliseconds = 2000;
constexpr DWORD SaveRetryPause = 50;

constexpr char InUseText[] = "Tavrix File in use by another user.  Please try again later.";
constexpr char ChangedText[] =
    "Tavrix File has changed by another user.  Changed Tavrix file will be reloaded after clicking \"ok\".";
constexpr char NotSavedText[] = "Tavrix File could not be saved.  Please try again later.";

}  // namespace

bool TNetworkMode::FileInUse() {
  if (!Settings.NetworkMode) return false;
  switch (sync_.FileInUse()) {
    case EditPermission::TakenOver:
      // The dead holder may have saved before it could count its change.
      host_.ReloadKeepingCells(NetworkHost::Grids::All);
      [[fallthrough]];
    case EditPermission::Granted:
      ::SetTimer(host_.Owner(), NetTimer, NetTimerInterval, nullptr);
      return false;
    case EditPermission::InUse:
      ::MessageBoxA(host_.Owner(), InUseText, "Error", MB_OK);
      return true;
    case EditPermission::Changed:
      ::MessageBoxA(host_.Owner(), ChangedText, "Notice", MB_OK);
      host_.ReloadKeepingCells(NetworkHost::Grids::All);
      return true;
  }
  return true;
}

void TNetworkMode::ReleaseSyncFile(int changed) {
  if (!Settings.NetworkMode) return;
  // A release the share refused keeps the lock, and its heartbeat tries it again.
  if (sync_.ReleaseSyncFile(changed)) ::KillTimer(host_.Owner(), NetTimer);
}

// A heartbeat still trying to release the previous file's lock ends with it.
void TNetworkMode::AttachSyncFile() {
  sync_.AttachSyncFile(Settings.CurrentFile);
  ::KillTimer(host_.Owner(), NetTimer);
}

void TNetworkMode::Start() {
  sync_.ForgetSeenLock();
  if (Settings.NetworkMode && Settings.AutoSync) StartSyncTimer();
}

void TNetworkMode::StartSyncTimer() {
  SyncMinuteCount = 0;
  EnableSyncTimer(true);
}

void TNetworkMode::EnableSyncTimer(bool enabled) {
  if (enabled == syncTimerEnabled_) return;  // enabling a running timer does not restart its minute
  syncTimerEnabled_ = enabled;
  if (enabled)
    ::SetTimer(host_.Owner(), SyncTimer, SyncTimerInterval, nullptr);
  else
    ::KillTimer(host_.Owner(), SyncTimer);
}

void TNetworkMode::SyncTimerTimer() {
  if (++SyncMinuteCount < Settings.SyncMinutes) return;
  SyncMinuteCount = 0;
  host_.ReloadKeepingCells(NetworkHost::Grids::HotKeys);
}

// An edit attempt may have finished a pending release itself: the heartbeat then stops here.
void TNetworkMode::NetTimerTimer() {
  if (sync_.ReleasePending())
    sync_.RetryRelease();
  else
    sync_.RefreshLock();
  if (!sync_.NeedsHeartbeat()) ::KillTimer(host_.Owner(), NetTimer);
}

// In network mode an edit counts as saved only once the file holds it: a save refused while another
// instance reads the file is tried again for a moment, and otherwise reported, never counted.
bool TNetworkMode::SaveEdit() {
  if (!Settings.NetworkMode) {
    host_.SaveTavrix(Settings.CurrentFile);
    return true;
  }
  for (const DWORD start = ::GetTickCount(); !host_.SaveTavrix(Settings.CurrentFile);
       ::Sleep(SaveRetryPause)) {
    if (::GetTickCount() - start < SaveRetryMilliseconds) continue;
    ::MessageBoxA(host_.Owner(), NotSavedText, "Error", MB_OK);
    return false;
  }
  return true;
}

// The lock taken by FileInUse is given back whatever happens, with 1 when the edit stored an entry and
// saved it; an error goes on to the general error report.
void TNetworkMode::EditUnderLock(const std::function<bool()>& edit) {
  bool stored = false;
  try {
    stored = edit();
  } catch (...) {
    ReleaseSyncFile(0);
    throw;
  }
  ReleaseSyncFile(stored ? 1 : 0);
}

// The dialog has put the choices into the settings; the timer and the sync file follow them here. The
// timer follows automatic synchronisation alone, whether or not network mode is on.
void TNetworkMode::MenuNetworkClick(DialogContext context) {
  TNetworkConsiderations dialog(context, Settings);
  dialog.ShowModal(host_.Owner());
  if (Settings.AutoSync && !dialog.OrigAutoSync) SyncMinuteCount = 0;
  EnableSyncTimer(Settings.AutoSync);
  if (Settings.NetworkMode && !dialog.OrigNetworkMode) AttachSyncFile();
}

// Windows ends the process soon after the session's end has been answered, whatever modal loop runs:
// nobody is left to answer a report.
void TNetworkMode::EndSession() {
  try {
    if (sync_.Holding())
      ReleaseSyncFile(0);
    else if (sync_.ReleasePending())
      sync_.RetryRelease();
  } catch (const IoError&) {
    // The other instances take a lock left behind once it has gone stale.
  }
}

bool TNetworkMode::TimerTick(UINT_PTR timer) {
  if (timer != SyncTimer && timer != NetTimer) return false;
  ReportedOnce(reportShowing_[timer], [&] {
    if (timer == SyncTimer) SyncTimerTimer();
    if (timer == NetTimer) NetTimerTimer();
  });
  return true;
}

}  // namespace tvx
