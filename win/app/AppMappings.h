#pragma once
// Per-application mappings at run time: a worker thread follows the foreground window through a WinEvent
// hook, resolves each window to the table set of its program, reloads bound files when their folders
// change, and publishes the sets to the hook library. Neither the hook's thread nor the UI thread
// resolves a window or reads a bound file.

#include <windows.h>

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/app/AppSets.h"
#include "core/app/ReloadSchedule.h"
#include "core/app/TablePublisher.h"
#include "core/settings/Applications.h"
#include "win/app/HookExports.h"
#include "win/files/Win32FileAccess.h"
#include "win/sys/Handles.h"

namespace tvx {

// Posted to the main window when there is something to tell the user (a bound file that could not be
// read, say); TakeNotices gives the texts.
inline constexpr UINT AppMappingNoticeMessage = WM_APP + 5;

// The two areas' bytes and the characters beyond them, copied.
struct AreaCopy {
  std::array<std::uint8_t, AreaSize> hotKeys{};
  std::array<std::uint8_t, AreaSize> remap{};
  MappingCharacters characters;
};

class TAppMappings : public std::enable_shared_from_this<TAppMappings> {
 public:
  TAppMappings() = default;
  TAppMappings(const TAppMappings&) = delete;
  TAppMappings& operator=(const TAppMappings&) = delete;
  ~TAppMappings() { Stop(); }

  // `current` is the program's view of the shared areas, which hold the current file, and its characters
  // beyond the record. Without bindings the areas serve every window, and sets are published only for
  // those characters: the current file's alone.
  void Start(HWND mainWindow, TableSetAreas current);
  // The areas are about to take another file's tables: once this returns, no set reads the areas for the
  // file going out, but a copy of its tables, until Configure names the new current file.
  void HandOver();
  // The bindings or the current file changed: the worker prepares the sets again.
  void Configure(const TApplications& apps, const ShortString& currentFile);
  // A character beyond the record was set or cleared in the current file: the sets are published again,
  // so that the library has the current file's set where it needs one.
  void CharactersChanged();
  // The hook goes back to the areas and the worker ends; before the areas are unmapped. A worker blocked
  // longer than two seconds (a bound file on a dead share) is left behind and does nothing more.
  void Stop();
  // For the sheet of the hot keys in force: the tables of the set `window` uses, copied, and its file;
  // nothing where no bound program's set is published (the current file's tables are in force there).
  std::optional<std::pair<AreaCopy, ShortString>> InForceFor(HWND window);
  // What the user is to be told since the last call, each thing once.
  std::vector<std::string> TakeNotices();

  // On the worker thread, from its WinEvent hook.
  void WindowEvent(DWORD event, HWND window);
  // The system sends foreground changes across processes: no more looking at the foreground window.
  void ForegroundEventsArrive() { foregroundEvents_ = true; }

 private:
  static DWORD WINAPI ThreadProc(void* self);
  DWORD Run();
  void Prepare();
  void Publish();
  Publication CurrentFileAlone() const;
  // A set's tables as the hook is to read them: the outgoing copy where the set reads the areas.
  TableSetAreas InForce(TableSetAreas set) const;
  void Report(const std::vector<ShortString>& failedFiles, const ShortString& defaultFile);
  void Notify(std::string text);
  void WatchFolders(const TApplications& apps, const ShortString& currentFile);
  // How long the worker may wait before it looks at the foreground window; INFINITE: it need not.
  DWORD PollInterval() const;
  void Resolve(HWND window);
  std::string ProgramOf(HWND window);
  std::string ProcessPath(DWORD processId);

  // Set on the UI thread, taken by the worker.
  std::mutex mutex_;
  TApplications apps_;
  ShortString currentFile_;
  std::vector<std::string> notices_;
  std::shared_ptr<AreaCopy> handedOver_;
  // The sets published last with every set's file, what owns their tables, for InForceFor.
  std::shared_ptr<const TableSets> shownSets_;
  std::shared_ptr<const void> shownTables_;
  std::vector<ShortString> shownFiles_;

  HWND mainWindow_ = nullptr;
  TableSetAreas current_;
  UniqueHandle thread_;
  DWORD threadId_ = 0;
  UniqueHandle ready_;
  UniqueHandle handedOverDone_;

  // The worker's own.
  struct Process {
    UniqueHandle handle;  // signalled once the process has ended: its id may be reused
    std::string path;
  };
  Win32FileAccess files_;
  bool bound_ = false;
  std::map<DWORD, Process> processes_;
  std::map<std::uintptr_t, std::string> windows_;  // window, its program's full path
  HWND foreground_ = nullptr;
  std::shared_ptr<AppTableSets> prepared_;
  std::shared_ptr<AreaCopy> outgoing_;  // in force where a set reads the areas, until the next Configure
  TablePublisher publisher_{[](const TableSets* sets) { return HookSetTables()(sets) != 0; }};
  std::vector<UniqueHandle> folderWatches_;
  ReloadSchedule reload_;
  bool foregroundEvents_ = false;
  std::atomic<bool> abandoned_ = false;
  bool windowsDropped_ = false;  // reported
  std::set<std::string> reported_;
  ExtensionReports extensionReports_;
};

}  // namespace tvx
