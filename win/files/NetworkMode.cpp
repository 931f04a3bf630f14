#include "win/files/NetworkMode.h"

#include <utility>

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

template <typename Result>
std::optional<Result> TNetworkMode::OnSession(std::function<Result(SyncSession&)> call,
                                              std::function<void(SyncSession&, Result&)> late) {
  struct Answer {
    Result result;
    bool holding, needsHeartbeat;
  };
  const auto answer = calls_.Run<Answer>(
      host_.Owner(),
      [call = std::move(call)](TFileCalls::Parts& parts) {
        Result result = call(parts.sync);
        return Answer{result, parts.sync.Holding(), parts.sync.NeedsHeartbeat()};
      },
      [late = std::move(late)](TFileCalls::Parts& parts, Answer& answer) {
        if (late) late(parts.sync, answer.result);
      });
  if (!answer) return std::nullopt;
  holding_ = answer->holding;
  needsHeartbeat_ = answer->needsHeartbeat;
  return answer->result;
}

bool TNetworkMode::Attached() {
  if (!attachDue_) return true;
  AttachSyncFile(Settings.CurrentFile);
  return !attachDue_;
}

// An attempt the share does not answer in 5 s ends with the in-use message; should it take the lock
// after all, the worker gives it back. A reload it asked for stays due in the session until one reads
// the file.
bool TNetworkMode::FileInUse() {
  if (!Settings.NetworkMode) return false;
  std::optional<EditPermission> permission;
  if (Attached())
    permission =
        OnSession<EditPermission>([](SyncSession& sync) { return sync.FileInUse(); },
                                  [](SyncSession& sync, EditPermission& late) {
                                    if (late == EditPermission::Granted || late == EditPermission::TakenOver)
                                      sync.ReleaseSyncFile(0);
                                  });
  switch (permission.value_or(EditPermission::InUse)) {
    case EditPermission::TakenOver:
      // The dead holder may have saved before it could count its change: no edit on tables without it.
      // The window has told the user why the file could not be read.
      if (!Reload()) {
        ReleaseSyncFile(0);
        return true;
      }
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
      Reload();
      return true;
  }
  return true;
}

// A release the share refused keeps the lock, and its heartbeat tries it again; so does one that could
// not start while an earlier call still ran. A lock found taken over here was kept until after the save:
// the file holds the edit, and the tables are brought up to date.
void TNetworkMode::ReleaseSyncFile(int changed) {
  if (!Settings.NetworkMode) return;
  if (std::exchange(releaseLeftToSave_, false) || !holding_) {
    ::KillTimer(host_.Owner(), NetTimer);  // given back by the save left behind, or lost and reloaded then
    return;
  }
  switch (Release(changed)) {
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

// A release that did not answer in time is the session's to finish (it keeps it pending).
LockResult TNetworkMode::Release(int changed) {
  releaseDue_.reset();
  if (calls_.Busy()) {
    releaseDue_ = changed;
    return LockResult::NotNow;
  }
  return OnSession<LockResult>([changed](SyncSession& sync) { return sync.ReleaseSyncFile(changed); })
      .value_or(LockResult::NotNow);
}

// Only a reload that read the file makes the share's count known: one that failed is made again at the
// next edit attempt.
bool TNetworkMode::Reload() {
  if (!host_.ReloadKeepingCells(NetworkHost::Grids::All)) return false;
  OnSession<bool>([](SyncSession& sync) {
    sync.TablesRead();
    return true;
  });
  return true;
}

// Nothing more is written for this lock: the heartbeat stops and the tables come back from the file, which
// holds the other user's edits; the entry this edit stored goes with them.
void TNetworkMode::LockLost(bool notice) {
  holding_ = false;
  ::KillTimer(host_.Owner(), NetTimer);
  Reload();
  if (!notice || lostReported_) return;
  lostReported_ = true;
  ::MessageBoxA(host_.Owner(), TakenOverText, "Notice", MB_OK);
}

// A heartbeat still trying to release the previous file's lock ends with it. An attach that did not get
// through is made again before the next edit, to the current file.
void TNetworkMode::AttachSyncFile(const ShortString& file) {
  attachDue_ = !OnSession<bool>([file](SyncSession& sync) {
    sync.AttachSyncFile(file);
    return true;
  });
  releaseDue_.reset();
  ::KillTimer(host_.Owner(), NetTimer);
}

// The tables in force were read before the count was taken: a change saved between the two would be taken
// as known and saved over at the next edit, so the file is read again after it.
void TNetworkMode::AttachAndRead() {
  AttachSyncFile(Settings.CurrentFile);
  Reload();
}

void TNetworkMode::Start() {
  OnSession<bool>([](SyncSession& sync) {
    sync.ForgetSeenLock();
    return true;
  });
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
// A beat that comes while a call still runs is left out; a release that could not start is made here.
void TNetworkMode::NetTimerTimer() {
  if (calls_.Busy()) return;
  if (releaseDue_) {
    if (Release(*releaseDue_) == LockResult::Lost) LockLost(false);
  } else {
    const auto beat = OnSession<std::pair<bool, LockResult>>([](SyncSession& sync) {
      const bool releasing = sync.ReleasePending();
      return std::pair{releasing, releasing ? sync.RetryRelease() : sync.RefreshLock()};
    });
    if (beat && beat->second == LockResult::Lost) return LockLost(!beat->first);
  }
  if (!needsHeartbeat_ && !releaseDue_ && !calls_.Busy()) ::KillTimer(host_.Owner(), NetTimer);
}

// An edit counts as saved only once the file holds it; in network mode, only while the lock on the share
// is still ours. A save the file refuses is reported, in local mode once per file until a save succeeds;
// the edit stays in force and the next save that succeeds writes it.
bool TNetworkMode::SaveEdit() {
  const std::string file = Settings.CurrentFile.str();
  const std::vector<std::uint8_t> bytes = host_.CurrentFileBytes();
  auto save = [file, bytes](Win32FileAccess& files) { return SaveRecord(files, file, bytes); };
  if (!Settings.NetworkMode) {
    const bool saved =
        calls_.Run<bool>(host_.Owner(), [save](TFileCalls::Parts& parts) { return save(parts.files); })
            .value_or(false);
    if (saved) {
      refusedFile_.reset();
    } else if (refusedFile_ != Settings.CurrentFile) {
      refusedFile_ = Settings.CurrentFile;
      ::MessageBoxA(host_.Owner(), NotSavedText, "Error", MB_OK);
    }
    return saved;
  }
  // A save left behind counts once it completes: the worker then gives the lock back with its change.
  const bool started = !calls_.Busy();
  const auto saved = calls_.Run<LockResult>(
      host_.Owner(),
      [save](TFileCalls::Parts& parts) {
        return parts.sync.SaveUnderLock([&] { return save(parts.files); });
      },
      [](TFileCalls::Parts& parts, LockResult& late) {
        if (late != LockResult::Lost) parts.sync.ReleaseSyncFile(late == LockResult::Done ? 1 : 0);
      });
  if (!saved) releaseLeftToSave_ = started;
  switch (saved.value_or(LockResult::NotNow)) {
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
  if (Settings.NetworkMode && !dialog.OrigNetworkMode) AttachAndRead();
}

// Windows ends the process soon after the session's end has been answered, whatever modal loop runs:
// nobody is left to answer a report.
void TNetworkMode::EndSession() {
  try {
    OnSession<bool>([](SyncSession& sync) {
      if (sync.Holding())
        sync.ReleaseSyncFile(0);
      else if (sync.ReleasePending())
        sync.RetryRelease();
      return true;
    });
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
