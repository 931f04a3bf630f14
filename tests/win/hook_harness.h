#pragma once
// Runs the real TAVRIX.EXE with TAVRIXHK.DLL from a folder of its own with known tables, beside the
// target window that records what it receives, and types real X keystrokes through xdotool.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/keymap/Areas.h"
#include "core/keymap/Catalogue.h"

namespace tvx::test {

inline void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

inline std::string ExeDir() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

inline std::string FreshFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + name + "\\";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Two areas in memory, filled by the test, and the mapping file that holds their tables.
struct Tables {
  std::vector<std::uint8_t> hot = std::vector<std::uint8_t>(AreaSize, 0);
  std::vector<std::uint8_t> remap = std::vector<std::uint8_t>(AreaSize, 0);

  HotKeyAreaView HotKeys() { return HotKeyAreaView(hot.data()); }
  RemapAreaView Remaps() { return RemapAreaView(remap.data()); }
  void Identity() {
    for (const RemapTableRows& list : RemapRowLists)
      for (std::size_t row = 0; row < list.rows.size(); ++row)
        Remaps().SetByte(list.table, static_cast<int>(row), static_cast<std::uint8_t>(list.rows[row]));
  }
  void Bind(int category, int column, int row, HotKeyAction action) {
    HotKeys().SetAction(*TableByCategory(category), column, row, action);
  }
  void Remap(RemapTableId table, char from, char to) {
    Remaps().SetByte(table, static_cast<int>(RemapRows(table).find(from)), static_cast<std::uint8_t>(to));
  }
  std::vector<std::uint8_t> MappingFile() const {
    std::vector<std::uint8_t> file(hot.begin() + hotkey_area::TablesBegin,
                                   hot.begin() + hotkey_area::TablesEnd);
    file.insert(file.end(), remap.begin() + remap_area::TablesBegin, remap.begin() + remap_area::TablesEnd);
    return file;
  }
};

class Process {
 public:
  Process(std::string commandLine, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         folder.empty() ? nullptr : folder.c_str(), &startup, &info_))
      ::CloseHandle(info_.hThread);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
    if (!info_.hProcess) return;
    if (!Wait(3000)) ::TerminateProcess(info_.hProcess, 1);
    ::CloseHandle(info_.hProcess);
  }
  bool started() const { return info_.hProcess != nullptr; }
  bool Wait(DWORD ms) const { return ::WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }

 private:
  PROCESS_INFORMATION info_{};
};

// Wine runs a Unix program handed to CreateProcess by its Unix path.
inline void Xdotool(const std::string& arguments) {
  Process xdotool("/usr/bin/xdotool " + arguments, "");
  xdotool.Wait(10000);
}

template <typename Condition>
bool WaitFor(Condition condition, int ms = 10000) {
  for (int waited = 0; waited < ms; waited += 50, Sleep(50))
    if (condition()) return true;
  return condition();
}

// TAVRIX.EXE and TAVRIXHK.DLL copied into a folder with the tables as KEY.TVX, and no settings file,
// so that the program starts with exactly these tables.
class TavrixRun {
 public:
  explicit TavrixRun(const Tables& tables, const std::string& name = "tavrix-run")
      : folder_(FreshFolder(name)), process_(Prepare(folder_, tables), folder_) {
    expected_ = tables.hot;
    loaded_ = WaitFor([&] { return Loaded(); }, 20000);
  }
  TavrixRun(const TavrixRun&) = delete;
  TavrixRun& operator=(const TavrixRun&) = delete;
  ~TavrixRun() {
    if (HWND main = MainWindow()) ::PostMessageA(main, WM_CLOSE, 0, 0);
    process_.Wait(5000);
    if (view_) ::UnmapViewOfFile(view_);
    if (mapping_) ::CloseHandle(mapping_);
  }

  bool loaded() const { return loaded_; }
  const std::string& folder() const { return folder_; }
  HWND MainWindow() const {
    if (!view_) return nullptr;
    const auto handle =
        static_cast<std::int32_t>(HotKeyAreaView(static_cast<std::uint8_t*>(view_)).MainWindow());
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
  }

 private:
  static std::string Prepare(const std::string& folder, const Tables& tables) {
    ::DeleteFileA("C:\\windows\\TAVRIX.INI");
    for (const char* file : {"TAVRIX.EXE", "TAVRIXHK.DLL"})
      ::CopyFileA((ExeDir() + file).c_str(), (folder + file).c_str(), FALSE);
    test::WriteFile(folder + "KEY.TVX", tables.MappingFile());
    return "\"" + folder + "TAVRIX.EXE\"";
  }

  bool Loaded() {
    if (!mapping_) mapping_ = ::OpenFileMappingA(FILE_MAP_READ, FALSE, HotKeyAreaName);
    if (mapping_ && !view_) view_ = ::MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, AreaSize);
    if (!view_ || !::IsWindowVisible(MainWindow())) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(view_);
    return std::equal(bytes + hotkey_area::TablesBegin, bytes + hotkey_area::TablesEnd,
                      expected_.begin() + hotkey_area::TablesBegin);
  }

  std::string folder_;
  Process process_;
  std::vector<std::uint8_t> expected_;
  HANDLE mapping_ = nullptr;
  void* view_ = nullptr;
  bool loaded_ = false;
};

// The recording window, focused.
class Target {
 public:
  explicit Target(const std::string& name = "target")
      : log_(FreshLog(name)), process_("\"" + ExeDir() + "KeyTarget.exe\" " + log_, "") {
    WaitFor([&] { return ReadFile(log_).rfind("ready ", 0) == 0; });
    window_ = reinterpret_cast<HWND>(std::stoull(ReadFile(log_).substr(6, 8), nullptr, 16));
    Focus();
  }
  ~Target() {
    if (window_) ::PostMessageA(window_, WM_CLOSE, 0, 0);
  }

  // A log left by an earlier target would show its window as ready.
  static std::string FreshLog(const std::string& name) {
    const std::string log = FreshFolder("tavrix-target") + name + ".log";
    ::DeleteFileA(log.c_str());
    return log;
  }

  bool Focus() {
    ::SetForegroundWindow(window_);
    return WaitFor([&] { return ::GetForegroundWindow() == window_; }, 3000);
  }
  const std::string& log() const { return log_; }

  // The log once nothing more arrived for a while.
  std::string Settled(int quietMs = 400) const {
    std::string last = ReadFile(log_);
    for (int quiet = 0, waited = 0; quiet < quietMs && waited < 10000; waited += 50) {
      Sleep(50);
      std::string now = ReadFile(log_);
      quiet = now == last ? quiet + 50 : 0;
      last = std::move(now);
    }
    return last;
  }
  // Lines added since the mark, of one kind ("k", "c", "m"), joined by blanks without their prefix.
  std::string Since(std::size_t mark, const std::string& kind) const {
    std::istringstream lines(Settled().substr(mark));
    std::string line, joined;
    while (std::getline(lines, line))
      if (line.rfind(kind + " ", 0) == 0)
        joined += (joined.empty() ? "" : " ") + line.substr(kind.size() + 1);
    return joined;
  }
  std::size_t Mark() const { return Settled().size(); }
  // The keys the target's input state holds down now.
  std::string KeysDown() const {
    const std::size_t mark = Mark();
    ::PostMessageA(window_, WM_APP + 1, 0, 0);
    WaitFor([&] { return ReadFile(log_).find("down", mark) != std::string::npos; }, 3000);
    const std::string text = ReadFile(log_);
    const std::size_t at = text.find("down", mark);
    return at == std::string::npos ? "?" : text.substr(at + 4, text.find('\n', at) - at - 4);
  }
  bool MenuOpened(std::size_t mark) const { return Settled().find("menu", mark) != std::string::npos; }

 private:
  std::string log_;
  Process process_;
  HWND window_ = nullptr;
};

}  // namespace tvx::test
