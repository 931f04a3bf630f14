#pragma once
// Drives the real TAVRIX.EXE from a test, as another process would: started from a fresh folder of its
// own, found by its window classes, read through the named areas, closed with WM_CLOSE.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/win/support/ProcessWindows.h"
#include "win/sys/Handles.h"

namespace tvx::test {

// The folder of the running test EXE, where the build puts TAVRIX.EXE and TAVRIXHK.DLL.
std::string BuildDir();
// A new empty folder under the temp folder; removed with its files when the object goes.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

std::vector<std::uint8_t> ReadFileBytes(const std::string& name);
void WriteFileBytes(const std::string& name, const std::vector<std::uint8_t>& bytes);
std::string ReadFileText(const std::string& name);
void WriteFileText(const std::string& name, const std::string& text);
bool FileExists(const std::string& name);

// Starts a program, a Windows one or a Unix one by its path, in `folder` (empty: this one's), shown as
// `showWindow` unless it is negative. Wine has been seen to refuse a start once in a long while: a
// refused start is reported and tried twice more before it throws, with the error code in the text.
PROCESS_INFORMATION StartProgram(std::string commandLine, const std::string& folder = "",
                                 int showWindow = -1);

// Runs a Unix shell command and waits for its end. Wine starts a Unix program by its path but cannot wait
// for it, so the shell that runs the command leaves its exit status in a file once it has ended: what the
// command wrote is complete when it is read. `ended` is false when the command did not end in time.
struct UnixRun {
  bool ended = false;
  int status = -1;
  std::string output;  // standard output and error
};
UnixRun RunUnix(const std::string& command, std::chrono::seconds timeout = std::chrono::seconds(60));
// The name Wine gives a Unix path, on its drive Z:.
std::string WindowsPathOf(std::string unixPath);

// Pumps this thread's messages until `done` holds or the time is up.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Makes the window the foreground. Right after another program shows its window, the foreground can drop
// to the desktop a moment after it was taken, and X keystrokes sent meanwhile are lost: it counts once it
// has held for a while.
bool TakeForeground(HWND window);

// A window's text.
std::string WindowText(HWND window);

// A message box of the process: its caption and text, and a way to press its OK button.
struct MessageBoxInfo {
  HWND window = nullptr;
  std::string caption;
  std::string text;
};
MessageBoxInfo FindMessageBox(DWORD processId);
void PressOk(const MessageBoxInfo& box);
// Presses OK on the process's message boxes, one after the other, until none is left; how many there were.
int AnswerMessageBoxes(DWORD processId);

// Watches a folder for files put in place: each save of a mapping file writes beside it and then
// renames the new file onto it, so renames onto a name count its saves.
class FolderWatch {
 public:
  explicit FolderWatch(const std::string& folder);
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;
  ~FolderWatch();
  // Once the folder has been quiet for a while: how many times a file was renamed onto `name`.
  int RenamesOnto(const std::string& name);

 private:
  void Arm();
  UniqueFile folder_;
  UniqueHandle event_;
  OVERLAPPED overlapped_{};
  alignas(DWORD) char buffer_[8192] = {};
};

// A named area opened by name, as the hook library opens it.
class SharedArea {
 public:
  explicit SharedArea(const char* name);
  bool IsOpen() const { return static_cast<bool>(view_); }
  const std::uint8_t* data() const { return static_cast<const std::uint8_t*>(view_.get()); }
  std::uint8_t* mutable_data() const { return static_cast<std::uint8_t*>(view_.get()); }
  std::uint16_t Word(std::size_t offset) const {
    return static_cast<std::uint16_t>(data()[offset] | data()[offset + 1] << 8);
  }
  std::uint32_t Dword(std::size_t offset) const;
  std::vector<std::uint8_t> Snapshot() const;

 private:
  UniqueHandle mapping_;
  MappedView view_;
};

// The tables in force, as a mapping file holds them: the record part of both named areas.
std::vector<std::uint8_t> TablesInForce();

// Removes the settings file of earlier runs, so the program starts from its defaults.
void RemoveSettingsFile();
std::string SettingsFilePath();

// TAVRIX.EXE copied with its DLL into a fresh folder (optionally with a KEY.TVX), then started there.
class TavrixProcess {
 public:
  // showWindow: the show-window value the process starts with (STARTF_USESHOWWINDOW), if any;
  // hookLibrary: the file of the build folder that goes beside it as TAVRIXHK.DLL.
  explicit TavrixProcess(const std::vector<std::uint8_t>& keyFile = {}, const std::string& arguments = "",
                         int showWindow = -1, const std::string& hookLibrary = "TAVRIXHK.DLL");
  TavrixProcess(const TavrixProcess&) = delete;
  TavrixProcess& operator=(const TavrixProcess&) = delete;
  ~TavrixProcess();

  const TempDir& folder() const { return folder_; }
  std::string KeyFile() const { return folder_.File("KEY.TVX"); }
  DWORD id() const { return info_.dwProcessId; }
  HWND MainWindow() const { return main_; }
  // A control of the main window or of one of its panels, by id.
  HWND Control(int id) const;

  // Starts another copy of the same EXE; returns its process handle.
  UniqueHandle StartAnother(const std::string& arguments = "") const;

  // Posts WM_CLOSE and waits for the end of the process; its exit code, or -1 when it did not end.
  int Close();
  // The same with another message to another window (the taskbar button's SC_CLOSE, say).
  int CloseBy(HWND window, UINT message, WPARAM wParam);
  // Closes the program and starts it again in the same folder, with the settings it saved.
  void Restart(const std::string& arguments = "");
  bool Running() const;

 private:
  void Start(const std::string& arguments, int showWindow);

  TempDir folder_;
  PROCESS_INFORMATION info_{};
  HWND main_ = nullptr;
};

// The exit code once the process has ended, or -1 after the timeout.
int WaitForExit(HANDLE process, std::chrono::milliseconds timeout = std::chrono::seconds(15));

}  // namespace tvx::test
