#include "win/files/NetworkMode.h"

#include "core/common/IoError.h"
#include "win/files/NetworkConsiderations.h"

namespace tvx {
namespace {

constexpr UINT SyncTimerInterval = 60000;  // one tick is one minute of the automatic synchronisation
constexpr UINT NetTimerInterval = 30000;   // the lock's heartbeat while this instance holds it

constexpr char InUseText[] = "Tavrix File in use by another user.  Please try again later.";
constexpr char ChangedText[] =
    "Tavrix File has changed by another user.  Changed Tavrix file will be reloaded after clicking \"ok\".";
constexpr char NotSavedText[] = "Tavrix File could not be saved.  Please try again later.";
constexpr char TakenOverText[] = "Another user has taken over the Tavrix File.  Your change was not saved.";

}  // namespace

bool TNetworkMode::FileInUse() {
  if (!Settings.NetworkMode) return false;
  switch (sync_.FileInUse()) {
    case EditPermission::TakenOver:
      // The dead holder may have saved before it could count its change.
      host_.ReloadKeepingCells(NetworkHost::Grids::All);
      [[fallthrough]];
    case EditPermission::Granted:
      lostReported_ = false;
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

// A release the share refused keeps the lock, and its heartbeat tries it again. A lock found taken over
// here was kept until after the save: the file holds the edit, and the tables are brought up to date.
void TNetworkMode::ReleaseSyncFile(int changed) {
  if (!Settings.NetworkMode) return;
  if (!sync_.Holding()) {
    ::KillTimer(host_.Owner(), NetTimer);  // lost already, and reloaded then
    return;
  }
  switch (sync_.ReleaseSyncFile(changed)) {
    case LockResult::Done:
      ::KillTimer(host_.Owner(), NetTimer);
      break;
    case LockResult::Lost:
      LockLost(false);
      break;
    case LockResult::NotNow:
      break;
  }
}

// Nothing more is written for this lock: the heartbeat stops and the tables come back from the file, which
// holds the other user's edits; the entry this edit stored goes with them.
void TNetworkMode::LockLost(bool notice) {
  ::KillTimer(host_.Owner(), NetTimer);
  host_.ReloadKeepingCells(NetworkHost::Grids::All);
  if (!notice || lostReported_) return;
  lostReported_ = true;
  ::MessageBoxA(host_.Owner(), TakenOverText, "Notice", MB_OK);
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
  const bool releasing = sync_.ReleasePending();
  const LockResult result = releasing ? sync_.RetryRelease() : sync_.RefreshLock();
  if (result == LockResult::Lost) return LockLost(!releasing);
  if (!sync_.NeedsHeartbeat()) ::KillTimer(host_.Owner(), NetTimer);
}

// An edit counts as saved only once the file holds it; in network mode, only while the lock on the share
// is still ours. A save the file refuses is reported, in local mode once per file until a save succeeds;
// the edit stays in force and the next save that succeeds writes it.
bool TNetworkMode::SaveEdit() {
  if (!Settings.NetworkMode) {
    const bool saved = host_.SaveTavrix(Settings.CurrentFile);
    if (saved) {
      refusedFile_.reset();
    } else if (refusedFile_ != Settings.CurrentFile) {
      refusedFile_ = Settings.CurrentFile;
      ::MessageBoxA(host_.Owner(), NotSavedText, "Error", MB_OK);
    }
    return saved;
  }
  switch (sync_.SaveUnderLock([&] { return host_.SaveTavrix(Settings.CurrentFile); })) {
    case LockResult::Done:
      return true;
    case LockResult::Lost:
      LockLost(true);
      return false;
    case LockResult::NotNow:
      break;
  }
  ::MessageBoxA(host_.Owner(), NotSavedText, "Error", MB_OK);
  return false;
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
