#pragma once
// Network mode: the edit lock around every change of the tables, the reloads that bring in other users'
// changes, the two timers and the Network Considerations dialog. The window it serves is reached through
// NetworkHost alone.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "core/files/SyncFile.h"
#include "core/settings/Settings.h"
#include "win/files/FileCalls.h"
#include "win/ui/Form.h"

namespace tvx {

class NetworkHost {
 public:
  // The window that owns the boxes and the timers.
  virtual HWND Owner() const = 0;
  // The current file read again, each grid keeping its current cell: every grid, or the hot-key grid.
  // False when it could not be read (the user is told): the tables stay as they were.
  enum class Grids { All, HotKeys };
  virtual bool ReloadKeepingCells(Grids grids) = 0;
  // The tables in force, as the mapping file holds them: the record and what follows it.
  virtual std::vector<std::uint8_t> CurrentFileBytes() const = 0;

 protected:
  ~NetworkHost() = default;
};

class TNetworkMode {
 public:
  TNetworkMode(NetworkHost& host, TSettings& settings, TFileCalls& calls)
      : host_(host), Settings(settings), calls_(calls) {}

  // True when the edit must not go ahead (the user has been told); otherwise the lock is held.
  bool FileInUse();
  void ReleaseSyncFile(int changed);
  // Before the file is read: a change another instance saves meanwhile is then reloaded at the next edit.
  void AttachSyncFile(const ShortString& file);
  // Network mode comes on (at start-up, or in the dialog) for tables read before: attached, then read again.
  void AttachAndRead();
  // Start-up: the lock seen so far is forgotten, and the timer runs when automatic synchronisation is on.
  void Start();
  // Saves the current file after an edit; false when the edit must not count as saved.
  bool SaveEdit();
  // Runs one edit of the tables (a dialog, then storing and saving; true when it stored an entry) and
  // gives the lock back.
  void EditUnderLock(const std::function<bool()>& edit);
  void MenuNetworkClick(DialogContext dialog);
  // The session ends: a held lock, or one half given back, is given back once and quietly.
  void EndSession();
  // WM_TIMER: false for a timer that is not network mode's.
  bool TimerTick(UINT_PTR timer);

 private:
  enum Timer : UINT_PTR { SyncTimer = 1, NetTimer };
  void StartSyncTimer();
  void EnableSyncTimer(bool enabled);
  void SyncTimerTimer();
  void NetTimerTimer();
  // Another instance took the lock over: `notice` tells the user an edit was not saved (once an edit).
  void LockLost(bool notice);
  // Runs a call on the sync session; nothing when it did not answer in time (or could not start).
  template <typename Result>
  std::optional<Result> OnSession(std::function<Result(SyncSession&)> call,
                                  std::function<void(SyncSession&, Result&)> late = nullptr);
  // Brings the session to the current file, when an attach did not get through.
  bool Attached();
  LockResult Release(int changed);
  bool Reload();

  NetworkHost& host_;
  TSettings& Settings;
  TFileCalls& calls_;
  // What an earlier call left undone because the worker did not answer in time.
  bool attachDue_ = false;
  std::optional<int> releaseDue_;   // the change of an edit whose release could not start
  bool releaseLeftToSave_ = false;  // a save left behind gives the lock back itself
  // What the session said at its last answer, read on this thread.
  bool holding_ = false;
  bool needsHeartbeat_ = false;
  std::int32_t SyncMinuteCount = 0;
  bool syncTimerEnabled_ = false;
  bool lostReported_ = false;
  // The file whose refused save was reported in local mode, until a save succeeds.
  std::optional<ShortString> refusedFile_;
  // Per timer: its error report is up (the box pumps messages, and the timer must not stack reports).
  std::map<UINT_PTR, bool> reportShowing_;
};

}  // namespace tvx
