#pragma once
// Runs the real TAVRIX.EXE with TAVRIXHK.DLL from a folder of its own with known tables, beside the
// target window that records what it receives, and types real X keystrokes through xdotool.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "core/keymap/Areas.h"
#include "core/keymap/Catalogue.h"
#include "tests/support/Tables.h"
#include "tests/win/support/TavrixProcess.h"

namespace tvx::test {

using namespace std::chrono_literals;

class Process {
 public:
  Process(std::string commandLine, const std::string& folder)
      : info_(StartProgram(std::move(commandLine), folder)) {
    ::CloseHandle(info_.hThread);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
    if (!Wait(3000)) ::TerminateProcess(info_.hProcess, 1);
    ::CloseHandle(info_.hProcess);
  }
  bool Wait(DWORD ms) const { return ::WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }

 private:
  PROCESS_INFORMATION info_{};
};

// Types through xdotool and waits for it to end: once it has, every key has reached the display.
inline void Xdotool(const std::string& arguments) {
  const UnixRun run = RunUnix("/usr/bin/xdotool " + arguments, 10s);
  EXPECT_TRUE(run.ended && run.status == 0) << "xdotool " << arguments << "\n" << run.output;
}

// TAVRIX.EXE started with the tables as its KEY.TVX and no settings file; loaded() once they are in force.
class TavrixRun {
 public:
  explicit TavrixRun(const Tables& tables) : process_(tables.MappingFile()) {
    loaded_ = WaitFor([&] { return Loaded(tables); }, 20s);
  }

  bool loaded() const { return loaded_; }
  HWND MainWindow() const { return process_.MainWindow(); }
  // Closes the program and waits for its end; its exit code.
  int Close() { return process_.Close(); }

 private:
  static bool Loaded(const Tables& tables) {
    const SharedArea hotKeys(HotKeyAreaName);
    return hotKeys.IsOpen() &&
           std::equal(hotKeys.data() + hotkey_area::TablesBegin, hotKeys.data() + hotkey_area::TablesEnd,
                      tables.hot.begin() + hotkey_area::TablesBegin);
  }

  TavrixProcess process_;
  bool loaded_ = false;
};

// The recording window, focused; `program` a copy of KeyTarget.exe under another name.
class Target {
 public:
  explicit Target(const std::string& name = "target",
                  const std::string& program = BuildDir() + "\\KeyTarget.exe")
      : log_(folder_.File(name + ".log")), process_("\"" + program + "\" " + log_, "") {
    WaitFor([&] { return ReadFileText(log_).rfind("ready ", 0) == 0; });
    window_ = reinterpret_cast<HWND>(std::stoull(ReadFileText(log_).substr(6, 8), nullptr, 16));
    Focus();
  }
  ~Target() {
    if (window_) ::PostMessageA(window_, WM_CLOSE, 0, 0);
  }

  bool Focus() const { return TakeForeground(window_); }
  HWND window() const { return window_; }
  const std::string& log() const { return log_; }

  // The log once nothing more arrived for a while.
  std::string Settled(int quietMs = 400) const {
    std::string last = ReadFileText(log_);
    for (int quiet = 0, waited = 0; quiet < quietMs && waited < 10000; waited += 50) {
      ::Sleep(50);
      std::string now = ReadFileText(log_);
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
  std::string KeysDown() const { return Ask(WM_APP + 1, "down"); }
  // The Scroll Lock toggle as the target's input state holds it: "0" or "1".
  std::string ScrollLock() const { return Ask(WM_APP + 2, "scroll "); }
  bool MenuOpened(std::size_t mark) const { return Settled().find("menu", mark) != std::string::npos; }
  // A window the target owns, shown as its dialogs are.
  HWND OpenDialog() const {
    const std::string handle = Ask(WM_APP + 3, "dialog ");
    return handle == "?" ? nullptr : reinterpret_cast<HWND>(std::stoull(handle, nullptr, 16));
  }

 private:
  // The rest of the line the target logs after `prefix` in answer to the message; "?" for no answer.
  std::string Ask(UINT message, const std::string& prefix) const {
    const std::size_t mark = Mark();
    ::PostMessageA(window_, message, 0, 0);
    WaitFor([&] { return ReadFileText(log_).find(prefix, mark) != std::string::npos; }, 3s);
    const std::string text = ReadFileText(log_);
    const std::size_t at = text.find(prefix, mark);
    if (at == std::string::npos) return "?";
    return text.substr(at + prefix.size(), text.find('\n', at) - at - prefix.size());
  }

  TempDir folder_;
  std::string log_;
  Process process_;
  HWND window_ = nullptr;
};

// The UTF-16 units the target logged since the mark ("0041 00E9"), once `count` have arrived or `timeout`
// has passed.
inline std::string Units(const Target& target, std::size_t mark, std::size_t count,
                         std::chrono::milliseconds timeout = 5s) {
  std::string units;
  WaitFor(
      [&] {
        units = target.Since(mark, "c");
        return units.size() >= count * 5 - 1;
      },
      timeout);
  return units;
}

// The characters the target received since the mark, as text.
inline std::string Typed(const Target& target, std::size_t mark) {
  std::istringstream codes(target.Since(mark, "c"));
  std::string text, code;
  while (codes >> code) text += static_cast<char>(std::stoi(code, nullptr, 16));
  return text;
}

}  // namespace tvx::test
