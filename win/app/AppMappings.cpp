#include "win/app/AppMappings.h"

#include <algorithm>

#include "core/common/Text.h"
#include "win/app/HookExports.h"

namespace tvx {
namespace {

constexpr UINT ConfigureMessage = WM_APP + 1;
constexpr UINT HandOverMessage = WM_APP + 2;
constexpr UINT PublishMessage = WM_APP + 3;
// The longest the user-interface thread waits for the worker to stop reading the areas (a worker blocked
// on a dead share, say): the areas change then all the same.
constexpr DWORD HandOverWait = 2000;
// The longest a close waits for the worker.
constexpr DWORD StopWait = 2000;
constexpr std::size_t MaxKnownWindows = 2048;
constexpr std::size_t MaxKnownProcesses = 64;  // then the ended ones are dropped, their handles closed
// Not every system sends WinEvents across processes (Wine sends none): until one has come, the foreground
// window is also looked at, one cheap question each time; often while the user is at the keyboard or the
// mouse, so a window is resolved before the first key typed into it, and seldom otherwise.
constexpr DWORD FastPoll = 10;
constexpr DWORD SlowPoll = 200;
constexpr DWORD RecentInput = 2000;

constexpr char FrameHost[] = "APPLICATIONFRAMEHOST.EXE";

thread_local TAppMappings* WorkerOfThread = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (!WorkerOfThread || !window || object != OBJID_WINDOW || child != CHILDID_SELF) return;
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (event == EVENT_SYSTEM_FOREGROUND && process != ::GetCurrentProcessId())
    WorkerOfThread->ForegroundEventsArrive();
  WorkerOfThread->WindowEvent(event, window);
}

std::string FolderOf(const ShortString& file) {
  const std::size_t slash = file.str().find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : file.str().substr(0, slash);
}

struct HostedSearch {
  DWORD frameProcess;
  DWORD found;
};

// A store app's frame belongs to the frame host; the app's own window is a child from another process.
BOOL CALLBACK FindHosted(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<HostedSearch*>(param);
  DWORD process = 0;
  ::GetWindowThreadProcessId(child, &process);
  if (process == search->frameProcess) return TRUE;
  search->found = process;
  return FALSE;
}

BOOL CALLBACK ResolveTopLevel(HWND window, LPARAM self) {
  reinterpret_cast<TAppMappings*>(self)->WindowEvent(EVENT_OBJECT_SHOW, window);
  return TRUE;
}

}  // namespace

void TAppMappings::Start(HWND mainWindow, TableSetAreas current) {
  if (thread_) return;
  mainWindow_ = mainWindow;
  current_ = current;
  ready_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  handedOverDone_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  // The worker holds its object: one it was left running in may end after the program let go of it.
  auto* held = new std::shared_ptr<TAppMappings>(shared_from_this());
  thread_.reset(::CreateThread(nullptr, 0, &TAppMappings::ThreadProc, held, 0, &threadId_));
  if (!thread_) delete held;
  // The worker's queue must exist before Configure posts to it.
  if (thread_ && ready_) ::WaitForSingleObject(ready_.get(), INFINITE);
}

void TAppMappings::HandOver() {
  if (!thread_) return;
  auto copy = std::make_shared<AreaCopy>();
  std::copy_n(current_.hotKeys, AreaSize, copy->hotKeys.begin());
  std::copy_n(current_.remap, AreaSize, copy->remap.begin());
  if (current_.characters) copy->characters.SetAll(*current_.characters);
  {
    const std::lock_guard lock(mutex_);
    handedOver_ = std::move(copy);
  }
  ::ResetEvent(handedOverDone_.get());
  ::PostThreadMessageA(threadId_, HandOverMessage, 0, 0);
  ::WaitForSingleObject(handedOverDone_.get(), HandOverWait);
}

void TAppMappings::Configure(const TApplications& apps, const ShortString& currentFile) {
  {
    const std::lock_guard lock(mutex_);
    apps_ = apps;
    currentFile_ = currentFile;
  }
  if (thread_) ::PostThreadMessageA(threadId_, ConfigureMessage, 0, 0);
}

void TAppMappings::CharactersChanged() {
  if (thread_) ::PostThreadMessageA(threadId_, PublishMessage, 0, 0);
}

void TAppMappings::Stop() {
  if (!thread_) return;
  ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  if (::WaitForSingleObject(thread_.get(), StopWait) == WAIT_TIMEOUT) {
    // Blocked in a file call on a share that stopped answering: left behind, and from now on it touches
    // neither the areas nor the library. The hook goes back to the areas before they are unmapped.
    abandoned_ = true;
    HookSetTables()(nullptr);
  }
  thread_.reset();
}

std::vector<std::string> TAppMappings::TakeNotices() {
  const std::lock_guard lock(mutex_);
  return std::exchange(notices_, {});
}

DWORD WINAPI TAppMappings::ThreadProc(void* held) {
  const std::unique_ptr<std::shared_ptr<TAppMappings>> self(
      static_cast<std::shared_ptr<TAppMappings>*>(held));
  return (*self)->Run();
}

DWORD TAppMappings::Run() {
  WorkerOfThread = this;
  MSG msg;
  ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  ::SetEvent(ready_.get());
  const HWINEVENTHOOK hooks[] = {
      ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnWinEvent, 0, 0,
                        WINEVENT_OUTOFCONTEXT),
      ::SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, OnWinEvent, 0, 0,
                        WINEVENT_OUTOFCONTEXT),
      ::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, OnWinEvent, 0, 0,
                        WINEVENT_OUTOFCONTEXT),
  };
  for (bool running = true; running && !abandoned_;) {
    std::vector<HANDLE> waits;
    for (const UniqueHandle& watch : folderWatches_) waits.push_back(watch.get());
    const DWORD poll = PollInterval();
    DWORD timeout = poll;
    if (const auto wait = reload_.Wait(::GetTickCount())) timeout = std::min<DWORD>(timeout, *wait);
    const DWORD woken = ::MsgWaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE,
                                                    timeout, QS_ALLINPUT);
    if (woken < WAIT_OBJECT_0 + waits.size()) {
      ::FindNextChangeNotification(waits[woken - WAIT_OBJECT_0]);
      reload_.FolderChanged(::GetTickCount());
    } else if (reload_.TakeDue(::GetTickCount())) {
      Prepare();
    }
    if (poll != INFINITE) WindowEvent(EVENT_SYSTEM_FOREGROUND, ::GetForegroundWindow());
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) running = false;
      if (msg.message == ConfigureMessage) {
        outgoing_.reset();  // the areas hold the file now current
        Prepare();
      }
      if (msg.message == PublishMessage) Publish();
      if (msg.message == HandOverMessage) {
        {
          const std::lock_guard lock(mutex_);
          outgoing_ = std::move(handedOver_);
        }
        Publish();
        ::SetEvent(handedOverDone_.get());
      }
      ::DispatchMessageA(&msg);
    }
  }
  for (HWINEVENTHOOK hook : hooks)
    if (hook) ::UnhookWinEvent(hook);
  bound_ = false;
  // The areas again, before they are unmapped; a worker left behind touches the library no more.
  if (!abandoned_) publisher_.Publish([] { return Publication{}; });
  WorkerOfThread = nullptr;
  return 0;
}

void TAppMappings::Prepare() {
  TApplications apps;
  ShortString currentFile;
  {
    const std::lock_guard lock(mutex_);
    apps = apps_;
    currentFile = currentFile_;
  }
  const bool wasBound = std::exchange(bound_, !apps.bindings.empty());
  // The windows already open are known before the first switch to one of them.
  if (bound_ && !wasBound) ::EnumWindows(ResolveTopLevel, reinterpret_cast<LPARAM>(this));
  // Watched before the files are read, so a change that lands meanwhile is not missed.
  WatchFolders(apps, currentFile);
  auto prepared = std::make_shared<AppTableSets>();
  std::optional<TableSetAreas> lastDefault;
  if (prepared_ && prepared_->Sets().sets[0].hotKeys) lastDefault = InForce(prepared_->Sets().sets[0]);
  if (bound_ && !abandoned_) prepared->Prepare(apps, currentFile, current_, files_, lastDefault);
  if (abandoned_) return;  // the program closed while the files were read
  Report(prepared->Failed(), apps.DefaultFile(currentFile));
  for (const auto& [file, read] : prepared->ExtensionProblems())
    if (std::string notice = extensionReports_.NoticeFor(file.str(), read); !notice.empty())
      Notify(std::move(notice));
  reload_.Read(::GetTickCount(), prepared->Failed().empty());
  prepared_ = std::move(prepared);
  Publish();
}

// Each file once, until it has been read again.
void TAppMappings::Report(const std::vector<ShortString>& failedFiles, const ShortString& defaultFile) {
  std::vector<ShortString> failed;
  for (const ShortString& file : failedFiles)
    if (reported_.insert(UpperCaseAscii(file.str())).second) failed.push_back(file);
  std::erase_if(reported_, [&](const std::string& file) {
    return std::none_of(failedFiles.begin(), failedFiles.end(),
                        [&](const ShortString& f) { return UpperCaseAscii(f.str()) == file; });
  });
  for (const ShortString& file : failed)
    Notify(UpperCaseAscii(file.str()) == UpperCaseAscii(defaultFile.str())
               ? "The default mapping file " + file.str() +
                     " could not be read. The programs bound to no mapping file keep the tables it had."
               : "The mapping file " + file.str() +
                     " could not be read. The programs bound to it use the default mapping file.");
}

void TAppMappings::Notify(std::string text) {
  {
    const std::lock_guard lock(mutex_);
    notices_.push_back(std::move(text));
  }
  ::PostMessageA(mainWindow_, AppMappingNoticeMessage, 0, 0);
}

void TAppMappings::WatchFolders(const TApplications& apps, const ShortString& currentFile) {
  folderWatches_.clear();
  if (!bound_) return;
  std::set<std::string> folders{UpperCaseAscii(FolderOf(apps.DefaultFile(currentFile)))};
  for (const AppBinding& binding : apps.bindings) folders.insert(UpperCaseAscii(FolderOf(binding.file)));
  for (const std::string& folder : folders) {
    const HANDLE watch = ::FindFirstChangeNotificationA(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    if (watch == INVALID_HANDLE_VALUE) continue;
    UniqueHandle owned(watch);
    if (folderWatches_.size() < MAXIMUM_WAIT_OBJECTS - 1) folderWatches_.push_back(std::move(owned));
  }
}

DWORD TAppMappings::PollInterval() const {
  if (!bound_ || foregroundEvents_) return INFINITE;
  LASTINPUTINFO input{sizeof input, 0};
  const bool active = ::GetLastInputInfo(&input) && ::GetTickCount() - input.dwTime < RecentInput;
  return active ? FastPoll : SlowPoll;
}

// The sets with every known window of a bound program; the library swaps them in between two keys.
void TAppMappings::Publish() {
  if (abandoned_) return;
  publisher_.Publish([this] {
    {
      const std::lock_guard lock(mutex_);
      shownSets_.reset();
      shownTables_.reset();
    }
    Publication next;
    if (!bound_) return CurrentFileAlone();
    if (!prepared_) return next;
    next.sets = std::make_unique<TableSets>(prepared_->Sets());
    for (std::uint8_t i = 0; i < next.sets->setCount; ++i) {
      TableSetAreas& set = next.sets->sets[i];
      set = InForce(set);
      if (set.hotKeys == current_.hotKeys) next.sets->areaSets |= std::uint64_t{1} << i;
    }
    next.tables = std::make_shared<std::pair<std::shared_ptr<AppTableSets>, std::shared_ptr<AreaCopy>>>(
        prepared_, outgoing_);
    bool dropped = false;
    for (const auto& [window, program] : windows_) {
      const std::uint8_t set = prepared_->SetOfProgram(program);
      if (set == 0) continue;
      if (next.sets->windowCount == TableSets::MaxWindows) {
        dropped = true;
        break;
      }
      next.sets->windows[next.sets->windowCount++] = {window, set};
    }
    if (dropped && !std::exchange(windowsDropped_, true))
      Notify("More than " + std::to_string(TableSets::MaxWindows) +
             " windows of bound programs are open. The others use the default mapping file.");
    std::vector<ShortString> files;
    for (std::uint8_t i = 0; i < next.sets->setCount; ++i) files.push_back(prepared_->FileOfSet(i));
    const std::lock_guard lock(mutex_);
    shownSets_ = std::make_shared<const TableSets>(*next.sets);
    shownTables_ = next.tables;
    shownFiles_ = std::move(files);
    return next;
  });
}

// Without bindings: the current file's set alone where it has characters beyond the record, which the
// areas cannot show the library; none otherwise.
Publication TAppMappings::CurrentFileAlone() const {
  Publication next;
  const TableSetAreas current = InForce(current_);
  if (!current.characters || current.characters->Empty()) return next;
  next.sets = std::make_unique<TableSets>();
  next.sets->sets[0] = current;
  next.sets->areaSets = 1;
  next.tables = outgoing_;
  return next;
}

std::optional<std::pair<AreaCopy, ShortString>> TAppMappings::InForceFor(HWND window) {
  std::shared_ptr<const TableSets> sets;
  std::shared_ptr<const void> tables;  // kept while the copy is made
  std::vector<ShortString> files;
  {
    const std::lock_guard lock(mutex_);
    sets = shownSets_;
    tables = shownTables_;
    files = shownFiles_;
  }
  if (!sets) return std::nullopt;
  const std::uint8_t set = SetOfWindow(*sets, reinterpret_cast<std::uintptr_t>(window),
                                       reinterpret_cast<std::uintptr_t>(::GetAncestor(window, GA_ROOTOWNER)));
  const TableSetAreas& areas = sets->sets[set];
  if (!areas.hotKeys || !areas.remap || set >= files.size()) return std::nullopt;
  std::pair<AreaCopy, ShortString> copy{AreaCopy{}, files[set]};
  std::copy_n(areas.hotKeys, AreaSize, copy.first.hotKeys.begin());
  std::copy_n(areas.remap, AreaSize, copy.first.remap.begin());
  if (areas.characters) copy.first.characters.SetAll(*areas.characters);
  return copy;
}

TableSetAreas TAppMappings::InForce(TableSetAreas set) const {
  if (outgoing_ && set.hotKeys == current_.hotKeys)
    return {outgoing_->hotKeys.data(), outgoing_->remap.data(), &outgoing_->characters};
  return set;
}

void TAppMappings::WindowEvent(DWORD event, HWND window) {
  if (!window || !bound_) return;  // without bindings every window uses the areas: nothing to resolve
  switch (event) {
    case EVENT_SYSTEM_FOREGROUND:
      if (window == foreground_) return;  // seen already; a window handle reused comes with its show
      foreground_ = window;
      reload_.ForegroundChanged(::GetTickCount());
      break;
    case EVENT_OBJECT_SHOW:  // resolved before it comes to the front
      if (::GetAncestor(window, GA_PARENT) != ::GetDesktopWindow()) return;
      break;
    case EVENT_OBJECT_NAMECHANGE:  // a store app's frame takes its app's name once the app is in it
      if (window != ::GetForegroundWindow()) return;
      break;
    default:
      return;
  }
  Resolve(window);
}

// Resolved again at every event: a window handle, like a process id, can come back for another program.
void TAppMappings::Resolve(HWND window) {
  const auto key = reinterpret_cast<std::uintptr_t>(window);
  std::string program = ProgramOf(window);
  const auto known = windows_.find(key);
  if (known != windows_.end() && known->second == program) return;
  // Before the clean-up below, which may free the entry `known` points at.
  const bool wasBound = known != windows_.end() && prepared_ && prepared_->SetOfProgram(known->second) != 0;
  if (windows_.size() >= MaxKnownWindows)
    std::erase_if(windows_,
                  [](const auto& entry) { return !::IsWindow(reinterpret_cast<HWND>(entry.first)); });
  windows_[key] = std::move(program);
  if (bound_ && prepared_ && (wasBound || prepared_->SetOfProgram(windows_[key]) != 0)) Publish();
}

// The windows a program owns (its dialogs, its Open and Save boxes) are the program's.
std::string TAppMappings::ProgramOf(HWND window) {
  HWND root = ::GetAncestor(window, GA_ROOTOWNER);
  if (!root) root = window;
  DWORD process = 0;
  ::GetWindowThreadProcessId(root, &process);
  std::string path = ProcessPath(process);
  if (UpperCaseAscii(ProgramFileName(path)) == FrameHost) {
    HostedSearch search{process, 0};
    ::EnumChildWindows(root, FindHosted, reinterpret_cast<LPARAM>(&search));
    if (search.found) path = ProcessPath(search.found);
  }
  return path;
}

// Empty for a process the program may not look into (an elevated one): it uses the default.
std::string TAppMappings::ProcessPath(DWORD processId) {
  const auto cached = processes_.find(processId);
  if (cached != processes_.end()) {
    if (::WaitForSingleObject(cached->second.handle.get(), 0) == WAIT_TIMEOUT) return cached->second.path;
    processes_.erase(cached);
  }
  UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
  if (!process) return {};
  char path[MAX_PATH];
  DWORD size = MAX_PATH;
  if (!::QueryFullProcessImageNameA(process.get(), 0, path, &size)) return {};
  std::string result(path, size);
  if (processes_.size() >= MaxKnownProcesses)
    std::erase_if(processes_, [](const auto& entry) {
      return ::WaitForSingleObject(entry.second.handle.get(), 0) != WAIT_TIMEOUT;
    });
  processes_.emplace(processId, Process{std::move(process), result});
  return result;
}

}  // namespace tvx
