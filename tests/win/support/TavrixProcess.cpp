#include "tests/win/support/TavrixProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace tvx::test {
namespace {

std::string ModuleDir() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of('\\'));
}

void CopyOrThrow(const std::string& from, const std::string& to) {
  if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) throw std::runtime_error("cannot copy " + from);
}

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = dir + "\\" + name;
      ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        ::DeleteFileA(full.c_str());
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryA(dir.c_str());
}

// Every program a test starts goes into this job. Its handle is closed only when the test program ends, in
// whatever way (a failed assertion, a crash, CTest's timeout), and then the system ends them all, so no
// TAVRIX.EXE outlives its test to meet the next one with the single-instance refusal.
HANDLE StartedPrograms() {
  static const HANDLE job = [] {
    HANDLE created = ::CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!created ||
        !::SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits))
      throw std::runtime_error("no job object for the started programs: error " +
                               std::to_string(::GetLastError()));
    return created;
  }();
  return job;
}

}  // namespace

std::string BuildDir() { return ModuleDir(); }

TempDir::TempDir() {
  char base[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    path_ =
        std::string(base) + "tvx" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++counter);
    if (::CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

std::vector<std::uint8_t> ReadFileBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileText(const std::string& name) {
  const auto bytes = ReadFileBytes(name);
  return {bytes.begin(), bytes.end()};
}

void WriteFileText(const std::string& name, const std::string& text) {
  WriteFileBytes(name, {text.begin(), text.end()});
}

bool FileExists(const std::string& name) {
  return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

PROCESS_INFORMATION StartProgram(std::string commandLine, const std::string& folder, int showWindow) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (showWindow >= 0) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showWindow);
  }
  PROCESS_INFORMATION info{};
  for (int attempt = 1;; ++attempt) {
    if (::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                         folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
      // In the job before it runs, so nothing it starts escapes it either. A Unix program has no Windows
      // process to hold.
      if (commandLine[0] != '/' && !::AssignProcessToJobObject(StartedPrograms(), info.hProcess))
        std::fprintf(stderr, "not in the job (error %lu): %s\n", ::GetLastError(), commandLine.c_str());
      ::ResumeThread(info.hThread);
      return info;
    }
    const std::string refused = "start refused with error " + std::to_string(::GetLastError()) + " (try " +
                                std::to_string(attempt) + "): " + commandLine;
    std::fprintf(stderr, "%s\n", refused.c_str());
    if (attempt == 3) throw std::runtime_error(refused);
    ::Sleep(500);
  }
}

std::string WindowsPathOf(std::string unixPath) {
  for (char& c : unixPath)
    if (c == '/') c = '\\';
  return "Z:" + unixPath;
}

UnixRun RunUnix(const std::string& command, std::chrono::seconds timeout) {
  static int count = 0;
  const std::string base =
      "/tmp/tvx_unix_" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++count);
  const std::string script = base + ".sh", output = base + ".out", status = base + ".status";
  // The status is written beside and renamed into place, so a status file that exists is whole.
  WriteFileText(WindowsPathOf(script), "( " + command + "\n) >" + output + " 2>&1 </dev/null\necho $? >" +
                                           status + ".new && mv " + status + ".new " + status + "\n");
  const PROCESS_INFORMATION info = StartProgram("/bin/sh " + script);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  UnixRun run;
  run.ended = WaitFor([&] { return FileExists(WindowsPathOf(status)); }, timeout);
  if (run.ended) run.status = std::atoi(ReadFileText(WindowsPathOf(status)).c_str());
  run.output = ReadFileText(WindowsPathOf(output));
  for (const std::string& file : {script, output, status}) ::DeleteFileA(WindowsPathOf(file).c_str());
  return run;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool TakeForeground(HWND window) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    ::SetForegroundWindow(window);
    if (!WaitFor([&] { return ::GetForegroundWindow() == window; }, std::chrono::seconds(3))) continue;
    WaitFor([] { return false; }, std::chrono::milliseconds(700));
    if (::GetForegroundWindow() == window) return true;
  }
  return false;
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

MessageBoxInfo FindMessageBox(DWORD processId) {
  MessageBoxInfo box;
  box.window = FindProcessWindow(processId, "#32770");
  if (!box.window) return box;
  box.caption = WindowText(box.window);
  box.text = WindowText(::GetDlgItem(box.window, 0xFFFF));
  return box;
}

void PressOk(const MessageBoxInfo& box) { ::PostMessageA(box.window, WM_COMMAND, IDOK, 0); }

int AnswerMessageBoxes(DWORD processId) {
  int boxes = 0;
  for (MessageBoxInfo box; (box = FindMessageBox(processId)).window; ++boxes) {
    PressOk(box);
    if (!WaitFor([&box] { return !::IsWindow(box.window); })) break;
  }
  return boxes;
}

FolderWatch::FolderWatch(const std::string& folder)
    : folder_(::CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr)),
      event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  Arm();
}

FolderWatch::~FolderWatch() {
  ::CancelIo(folder_.get());
  ::WaitForSingleObject(event_.get(), 1000);
}

void FolderWatch::Arm() {
  ::ResetEvent(event_.get());
  overlapped_ = {};
  overlapped_.hEvent = event_.get();
  ::ReadDirectoryChangesW(folder_.get(), buffer_, sizeof buffer_, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME,
                          nullptr, &overlapped_, nullptr);
}

int FolderWatch::RenamesOnto(const std::string& name) {
  const std::wstring wanted(name.begin(), name.end());
  int renames = 0;
  while (::WaitForSingleObject(event_.get(), 1000) == WAIT_OBJECT_0) {
    DWORD size = 0;
    if (!::GetOverlappedResult(folder_.get(), &overlapped_, &size, FALSE) || size == 0) break;
    for (DWORD offset = 0;;) {
      const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + offset);
      const std::wstring file(info->FileName, info->FileNameLength / sizeof(WCHAR));
      if (info->Action == FILE_ACTION_RENAMED_NEW_NAME && ::lstrcmpiW(file.c_str(), wanted.c_str()) == 0)
        ++renames;
      if (!info->NextEntryOffset) break;
      offset += info->NextEntryOffset;
    }
    Arm();
  }
  return renames;
}

SharedArea::SharedArea(const char* name)
    : mapping_(::OpenFileMappingA(FILE_MAP_WRITE, FALSE, name)),
      view_(mapping_ ? ::MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, 0) : nullptr) {}

std::uint32_t SharedArea::Dword(std::size_t offset) const {
  return Word(offset) | static_cast<std::uint32_t>(Word(offset + 2)) << 16;
}

std::vector<std::uint8_t> SharedArea::Snapshot() const { return {data(), data() + 1093}; }

std::vector<std::uint8_t> TablesInForce() {
  const SharedArea hotKeys("TVXH1KGR"), remap("STTT1KGR");
  std::vector<std::uint8_t> tables(hotKeys.data() + 8, hotKeys.data() + 1086);
  tables.insert(tables.end(), remap.data() + 8, remap.data() + 101);
  return tables;
}

std::string SettingsFilePath() {
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\TAVRIX.INI";
}

void RemoveSettingsFile() { ::DeleteFileA(SettingsFilePath().c_str()); }

TavrixProcess::TavrixProcess(const std::vector<std::uint8_t>& keyFile, const std::string& arguments,
                             int showWindow, const std::string& hookLibrary) {
  RemoveSettingsFile();
  CopyOrThrow(BuildDir() + "\\TAVRIX.EXE", folder_.File("TAVRIX.EXE"));
  CopyOrThrow(BuildDir() + "\\" + hookLibrary, folder_.File("TAVRIXHK.DLL"));
  if (!keyFile.empty()) WriteFileBytes(KeyFile(), keyFile);
  Start(arguments, showWindow);
}

void TavrixProcess::Start(const std::string& arguments, int showWindow) {
  info_ = StartProgram("\"" + folder_.File("TAVRIX.EXE") + "\" " + arguments, folder_.path(), showWindow);
  // Shown (perhaps minimised), or held up by a message box from start-up.
  WaitFor([this] {
    main_ = FindProcessWindow(info_.dwProcessId, "TMainWin");
    return main_ && (::IsWindowVisible(main_) || ::IsIconic(::GetWindow(main_, GW_OWNER)) ||
                     FindMessageBox(info_.dwProcessId).window);
  });
  if (!main_) throw std::runtime_error("TAVRIX.EXE showed no main window");
}

TavrixProcess::~TavrixProcess() {
  if (Running()) {
    Close();
    if (Running()) ::TerminateProcess(info_.hProcess, 1);
  }
  ::WaitForSingleObject(info_.hProcess, 5000);
  ::CloseHandle(info_.hThread);
  ::CloseHandle(info_.hProcess);
}

HWND TavrixProcess::Control(int id) const {
  if (HWND control = ::GetDlgItem(main_, id)) return control;
  for (HWND panel = ::GetWindow(main_, GW_CHILD); panel; panel = ::GetWindow(panel, GW_HWNDNEXT))
    if (HWND control = ::GetDlgItem(panel, id)) return control;
  return nullptr;
}

UniqueHandle TavrixProcess::StartAnother(const std::string& arguments) const {
  const PROCESS_INFORMATION info =
      StartProgram("\"" + folder_.File("TAVRIX.EXE") + "\" " + arguments, folder_.path());
  ::CloseHandle(info.hThread);
  return UniqueHandle(info.hProcess);
}

int TavrixProcess::Close() { return CloseBy(main_, WM_CLOSE, 0); }

int TavrixProcess::CloseBy(HWND window, UINT message, WPARAM wParam) {
  if (window) ::PostMessageA(window, message, wParam, 0);
  return WaitForExit(info_.hProcess);
}

void TavrixProcess::Restart(const std::string& arguments) {
  ASSERT_EQ(Close(), 0);
  ::CloseHandle(info_.hThread);
  ::CloseHandle(info_.hProcess);
  info_ = {};
  main_ = nullptr;
  Start(arguments, -1);
}

bool TavrixProcess::Running() const { return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

int WaitForExit(HANDLE process, std::chrono::milliseconds timeout) {
  if (!WaitFor([process] { return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeout)) return -1;
  DWORD code = 0;
  ::GetExitCodeProcess(process, &code);
  return static_cast<int>(code);
}

}  // namespace tvx::test
