// Network mode: the edit lock around every change of the tables, the reloads that bring in other users'
// changes, and the Network Considerations dialog.
#include <functional>
#include <vector>

#include "win/app/MainWin.h"
#include "win/app/Program.h"
#include "win/files/NetworkConsiderations.h"

namespace tvx {
namespace {

constexpr UINT SyncTimerInterval = 60000;  // one tick is one minute of the automatic synchronisation
constexpr UINT NetTimerInterval = 30000;   // the lock's heartbeat while this instance holds it
constexpr DWORD SaveRetryMilliseconds = 2000;
constexpr DWORD SaveRetryPause = 50;

constexpr int AllGrids[] = {IdNewGrid, IdUpperGrid, IdLowerGrid, IdPunctGrid, IdNumGrid};
constexpr int HotKeyGrid[] = {IdNewGrid};

constexpr char InUseText[] = "Tavrix File in use by another user.  Please try again later.";
constexpr char ChangedText[] =
    "Tavrix File has changed by another user.  Changed Tavrix file will be reloaded after clicking \"ok\".";
constexpr char NotSavedText[] = "Tavrix File could not be saved.  Please try again later.";

}  // namespace

bool TMainWin::FileInUse() {
  if (!Settings.NetworkMode) return false;
  switch (sync_.FileInUse()) {
    case EditPermission::TakenOver:
      // The dead holder may have saved before it could count its change.
      ReloadKeepingCells(AllGrids);
      [[fallthrough]];
    case EditPermission::Granted:
      ::SetTimer(hwnd(), NetTimer, NetTimerInterval, nullptr);
      return false;
    case EditPermission::InUse:
      ::MessageBoxA(hwnd(), InUseText, "Error", MB_OK);
      return true;
    case EditPermission::Changed:
      ::MessageBoxA(hwnd(), ChangedText, "Notice", MB_OK);
      ReloadKeepingCells(AllGrids);
      return true;
  }
  return true;
}

void TMainWin::ReleaseSyncFile(int changed) {
  if (!Settings.NetworkMode) return;
  // A release the share refused keeps the lock, and its heartbeat tries it again.
  if (sync_.ReleaseSyncFile(changed)) ::KillTimer(hwnd(), NetTimer);
}

// A heartbeat still trying to release the previous file's lock ends with it.
void TMainWin::AttachSyncFile() {
  sync_.AttachSyncFile(Settings.CurrentFile);
  ::KillTimer(hwnd(), NetTimer);
}

void TMainWin::StartSyncTimer() {
  SyncMinuteCount = 0;
  EnableSyncTimer(true);
}

void TMainWin::EnableSyncTimer(bool enabled) {
  if (enabled == syncTimerEnabled_) return;  // enabling a running timer does not restart its minute
  syncTimerEnabled_ = enabled;
  if (enabled)
    ::SetTimer(hwnd(), SyncTimer, SyncTimerInterval, nullptr);
  else
    ::KillTimer(hwnd(), SyncTimer);
}

void TMainWin::SyncTimerTimer() {
  if (++SyncMinuteCount < Settings.SyncMinutes) return;
  SyncMinuteCount = 0;
  ReloadKeepingCells(HotKeyGrid);
}

// An edit attempt may have finished a pending release itself: the heartbeat then stops here.
void TMainWin::NetTimerTimer() {
  if (sync_.ReleasePending())
    sync_.RetryRelease();
  else
    sync_.RefreshLock();
  if (!sync_.NeedsHeartbeat()) ::KillTimer(hwnd(), NetTimer);
}

void TMainWin::ReloadKeepingCells(std::span<const int> gridIds) {
  std::vector<POINT> cells;
  for (int id : gridIds) {
    const DrawGrid& grid = *DrawGrid::From(Control(id));
    cells.push_back({grid.Col(), grid.Row()});
  }
  LoadTavrix(Settings.CurrentFile);
  UpdateGrid();
  for (std::size_t i = 0; i < gridIds.size(); ++i)
    DrawGrid::From(Control(gridIds[i]))->SetCurrent(cells[i].x, cells[i].y);
}

// In network mode an edit counts as saved only once the file holds it: a save refused while another
// instance reads the file is tried again for a moment, and otherwise reported, never counted.
bool TMainWin::SaveEdit() {
  if (!Settings.NetworkMode) {
    SaveTavrix(Settings.CurrentFile);
    return true;
  }
  for (const DWORD start = ::GetTickCount(); !SaveTavrix(Settings.CurrentFile); ::Sleep(SaveRetryPause)) {
    if (::GetTickCount() - start < SaveRetryMilliseconds) continue;
    ::MessageBoxA(hwnd(), NotSavedText, "Error", MB_OK);
    return false;
  }
  return true;
}

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

// The dialog has put the choices into the settings; the timer and the sync file follow them here. The
// timer follows automatic synchronisation alone, whether or not network mode is on.
void TMainWin::MenuNetworkClick() {
  TNetworkConsiderations dialog;
  dialog.ShowModal(hwnd());
  if (Settings.AutoSync && !dialog.OrigAutoSync) SyncMinuteCount = 0;
  EnableSyncTimer(Settings.AutoSync);
  if (Settings.NetworkMode && !dialog.OrigNetworkMode) AttachSyncFile();
  SaveSettings();
}

void TMainWin::TimerTick(UINT_PTR timer) {
  ReportedOnce(reportShowing_[timer], [&] {
    if (timer == SyncTimer) SyncTimerTimer();
    if (timer == NetTimer) NetTimerTimer();
  });
}

}  // namespace tvx
