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
#include "win/files/Win32Clock.h"
#include "win/ui/Form.h"

namespace tvx {

class NetworkHost {
 public:
  // The window that owns the boxes and the timers.
  virtual HWND Owner() const = 0;
  // The current file read again, each grid keeping its current cell: every grid, or the hot-key grid.
  enum class Grids { All, HotKeys };
  virtual void ReloadKeepingCells(Grids grids) = 0;
  // True when it wrote the file.
  virtual bool SaveTavrix(const ShortString& fileName) = 0;

 protected:
  ~NetworkHost() = default;
};

class TNetworkMode {
 public:
  TNetworkMode(NetworkHost& host, TSettings& settings, FileAccess& files)
      : host_(host), Settings(settings), sync_(files, clock_, MachineAndProcess()) {}

  // True when the edit must not go ahead (the user has been told); otherwise the lock is held.
  bool FileInUse();
  void ReleaseSyncFile(int changed);
  void AttachSyncFile();
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

  NetworkHost& host_;
  TSettings& Settings;
  Win32Clock clock_;
  SyncSession sync_;
  std::int32_t SyncMinuteCount = 0;
  bool syncTimerEnabled_ = false;
  bool lostReported_ = false;
  // The file whose refused save was reported in local mode, until a save succeeds.
  std::optional<ShortString> refusedFile_;
  // Per timer: its error report is up (the box pumps messages, and the timer must not stack reports).
  std::map<UINT_PTR, bool> reportShowing_;
};

}  // namespace tvx
