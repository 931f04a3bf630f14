// Drives the Tavrix 98 running in this Wine prefix as its user would, for the tests that put several
// instances on several "machines" (prefixes) around one shared mapping file. It writes its results, one
// per line, to the file named first on its command line:
//   edit ROW CODE      double-clicks the upper-case row ROW and picks the character CODE: "saved", or
//                      "message CAPTION|TEXT" for the box that came instead (answered with OK)
//   hold ROW           opens the picker of row ROW and leaves it open: "holding", or the message
//   pick CODE          picks the character CODE in the picker a "hold" left open: as "edit" does
//   box SECONDS        waits that long for the program's message box: "message CAPTION|TEXT" (answered with
//                      OK), or "nothing"
//   byte ROW           "byte N": the character the upper-case row ROW makes now, from the shared area
//   soak SECONDS ROWS  edits the given rows (e.g. 0,4,8) with ever new characters for SECONDS, checking
//                      after each attempt that every edit it saw saved is still in force; then the figures
//                      "tried T saved S inuse U notices N notsaved X lost L hangs H longest MS" (hangs:
//                      attempts not answered by a picker or a message within 5 s; longest: the longest
//                      answer in milliseconds), an "other ATTEMPT MS OUTCOME" line for each attempt that
//                      ended neither saved nor refused as in use or changed, and a "cell ROW CODE" line for
//                      the last saved character of each row.
//   stall ROW SECONDS [LOG]
//                      double-clicks the upper-case row ROW and sends the window round trips for SECONDS:
//                      "longest MS typed MS answer MS OUTCOME", the longest round trip, and how long the
//                      attempt took to a picker ("picker", cancelled) or a box (its text, answered with
//                      OK). With LOG, the log of a key target (tests/programs/KeyTarget) running here:
//                      once the attempt waits on the file, the target is brought to the front and Alt+A
//                      pressed; typed is when a character first reached the target (-1: never).
//   read FILE MS       opens FILE for reading as another program would, sharing it for reading only,
//                      and holds it MS milliseconds: "read", or "refused".
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/win/support/ProcessWindows.h"
#include "win/app/MainWin.h"
#include "win/keymap/DoSpecial.h"

namespace {

using Clock = std::chrono::steady_clock;
using tvx::test::FindProcessWindow;

struct Program {
  HWND main = nullptr;
  DWORD processId = 0;
  HWND grid = nullptr;
};

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

template <typename Done>
bool WaitFor(Done done, int milliseconds = 10000) {
  const auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (Clock::now() > until) return false;
    Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

std::string Text(HWND window) {
  char text[512] = {};
  ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

void DoubleClick(HWND window, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    ::PostMessageA(window, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
}

// Answered once the window is not waiting for a file call either (its wait answers messages too). Two
// calls may follow each other with no message in between (a save, then the release of the lock): the
// window is done only once two round trips in a row found no call running.
void RoundTrip(HWND window) {
  const auto until = Clock::now() + std::chrono::seconds(30);
  for (int idle = 0; idle < 2 && Clock::now() < until;) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    idle = ::GetPropA(window, tvx::FileCallProperty) ? 0 : idle + 1;
    WaitFor([&] { return !::GetPropA(window, tvx::FileCallProperty); });
  }
}

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The box the program shows, answered with OK: "message CAPTION|TEXT".
std::string AnswerMessage(const Program& program, HWND box) {
  const std::string line = "message " + Text(box) + "|" + Text(::GetDlgItem(box, 0xFFFF));
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  WaitFor([box] { return !::IsWindow(box); });
  RoundTrip(program.main);
  return line;
}

long long lastAnswerMs = 0;  // how long the last double-click waited for a picker or a message

// Opens the picker of an upper-case row: the picker, or null with the box that came instead answered.
// The click goes to a window that runs no file call (its timers may start one): one would drop it.
HWND OpenPicker(const Program& program, int row, std::string& message) {
  RoundTrip(program.main);
  ::SendMessageA(program.grid, WM_VSCROLL, SB_TOP, 0);
  const auto clicked = Clock::now();
  DoubleClick(program.grid, 21 + 20, row * 21 + 10);
  HWND picker = nullptr, box = nullptr;
  WaitFor([&] {
    picker = FindProcessWindow(program.processId, tvx::SelectCharacterClassName, true);
    box = FindProcessWindow(program.processId, "#32770", true);
    return picker || box;
  });
  lastAnswerMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - clicked).count();
  if (!picker) message = box ? AnswerMessage(program, box) : "nothing";
  return picker;
}

// Picks the character CODE in the open picker: "saved", or the box that came instead.
std::string Pick(const Program& program, HWND picker, int code) {
  const int symbol = code - tvx::FirstSymbol;
  DoubleClick(::GetDlgItem(picker, tvx::picker::SymbolGrid), symbol % tvx::SymbolColumns * 21 + 10,
              symbol / tvx::SymbolColumns * 21 + 10);
  WaitFor([picker] { return !::IsWindow(picker); });
  RoundTrip(program.main);
  if (const HWND box = FindProcessWindow(program.processId, "#32770", true))
    return AnswerMessage(program, box);
  return "saved";
}

std::string Edit(const Program& program, int row, int code) {
  std::string message;
  const HWND picker = OpenPicker(program, row, message);
  return picker ? Pick(program, picker, code) : message;
}

int UpperByte(int row) {
  const HANDLE mapping = ::OpenFileMappingA(FILE_MAP_READ, FALSE, tvx::RemapAreaName);
  if (!mapping) return -1;
  const auto* area = static_cast<const std::uint8_t*>(::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  const int byte = area ? area[tvx::remap_area::TablesBegin + row] : -1;
  if (area) ::UnmapViewOfFile(area);
  ::CloseHandle(mapping);
  return byte;
}

std::string Soak(const Program& program, int seconds, const std::vector<int>& rows) {
  std::map<int, int> saved;  // row: the last character seen saved
  int tried = 0, savedCount = 0, inUse = 0, notices = 0, notSaved = 0, lost = 0, next = 0, hangs = 0;
  long long longest = 0;
  std::ostringstream others;
  const auto until = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < until) {
    const int row = rows[static_cast<std::size_t>(tried) % rows.size()];
    const int code = 33 + next++ % 94;
    const std::string outcome = Edit(program, row, code);
    ++tried;
    longest = std::max(longest, lastAnswerMs);
    hangs += lastAnswerMs > 5000;
    if (outcome == "saved") {
      saved[row] = code;
      ++savedCount;
    } else if (outcome.find("in use") != std::string::npos) {
      ++inUse;
    } else if (outcome.find("has changed") != std::string::npos) {
      ++notices;
    } else {
      ++notSaved;
      others << "\nother " << tried << " " << lastAnswerMs << " " << outcome;
    }
    for (const auto& [savedRow, savedCode] : saved) lost += UpperByte(savedRow) != savedCode;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::rand() % 300));
  }
  std::ostringstream out;
  out << "tried " << tried << " saved " << savedCount << " inuse " << inUse << " notices " << notices
      << " notsaved " << notSaved << " lost " << lost << " hangs " << hangs << " longest " << longest
      << others.str();
  for (const auto& [row, code] : saved) out << "\ncell " << row << " " << code;
  return out.str();
}

std::string FileText(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The foreground right after another program showed its window may drop to the desktop a moment later: it
// counts once it has held for a while.
bool TakeForeground(HWND window) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    ::SetForegroundWindow(window);
    if (!WaitFor([window] { return ::GetForegroundWindow() == window; }, 3000)) continue;
    WaitFor([] { return false; }, 700);
    if (::GetForegroundWindow() == window) return true;
  }
  return false;
}

// Whether a key target's log shows a character past `mark`.
bool CharacterLogged(const std::string& log, std::size_t mark) {
  std::istringstream lines(log.substr(std::min(mark, log.size())));
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("c ", 0) == 0) return true;
  return false;
}

// Alt+A pressed and released, as the keyboard would.
void PressAltA() {
  const WORD keys[] = {VK_MENU, 'A', 'A', VK_MENU};
  INPUT inputs[4] = {};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    inputs[i].ki.wScan = static_cast<WORD>(::MapVirtualKeyA(keys[i], MAPVK_VK_TO_VSC));
    inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
  }
  ::SendInput(4, inputs, sizeof(INPUT));
}

std::string Stall(const Program& program, int row, int seconds, const char* keyLog) {
  const std::size_t logged = keyLog ? FileText(keyLog).size() : 0;
  ::SendMessageA(program.grid, WM_VSCROLL, SB_TOP, 0);
  const auto clicked = Clock::now();
  DoubleClick(program.grid, 21 + 20, row * 21 + 10);
  long long longest = 0, answer = -1, typed = -1;
  bool pressed = false;
  std::string outcome = "nothing";
  while (MillisecondsSince(clicked) < seconds * 1000LL) {
    const auto sent = Clock::now();
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(program.main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
    longest = std::max(longest, MillisecondsSince(sent));
    // The user turns to another window while the program waits, and presses the hot key there.
    if (keyLog && !pressed && answer < 0 && ::GetPropA(program.main, tvx::FileCallProperty)) {
      if (!TakeForeground(::FindWindowA("TavrixKeyTarget", nullptr))) return "no key target in front";
      PressAltA();
      pressed = true;
    }
    if (pressed && typed < 0 && CharacterLogged(FileText(keyLog), logged)) typed = MillisecondsSince(clicked);
    if (answer < 0) {
      if (const HWND picker = FindProcessWindow(program.processId, tvx::SelectCharacterClassName, true)) {
        answer = MillisecondsSince(clicked);
        outcome = "picker";
        ::PostMessageA(picker, WM_CLOSE, 0, 0);
      } else if (const HWND box = FindProcessWindow(program.processId, "#32770", true)) {
        answer = MillisecondsSince(clicked);
        outcome = Text(::GetDlgItem(box, 0xFFFF));
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
      }
    }
    Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return "longest " + std::to_string(longest) + " typed " + std::to_string(typed) + " answer " +
         std::to_string(answer) + " " + outcome;
}

std::string HoldForReading(const char* name, int milliseconds) {
  const HANDLE file = ::CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "refused";
  ::Sleep(static_cast<DWORD>(milliseconds));
  ::CloseHandle(file);
  return "read";
}

std::vector<int> Rows(const std::string& list) {
  std::vector<int> rows;
  std::istringstream in(list);
  for (std::string row; std::getline(in, row, ',');) rows.push_back(std::atoi(row.c_str()));
  return rows;
}

int WriteResult(const std::string& result) {
  FILE* out = std::fopen(__argv[1], "wb");
  if (!out) return 1;
  std::fprintf(out, "%s\n", result.c_str());
  std::fclose(out);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 4) return 2;
  const std::string command = __argv[2];
  if (command == "read" && __argc > 4) return WriteResult(HoldForReading(__argv[3], std::atoi(__argv[4])));
  Program program;
  WaitFor([&] { return (program.main = ::FindWindowA(tvx::MainWindowClassName, nullptr)) != nullptr; });
  if (!program.main) return 1;
  ::GetWindowThreadProcessId(program.main, &program.processId);
  program.grid = ::GetDlgItem(::GetDlgItem(program.main, tvx::IdPanel2), tvx::IdUpperGrid);
  // A program just started has its window before it has finished starting: the first click must not
  // count its start-up as the answer's time.
  WaitFor([&] { return ::IsWindowVisible(program.main) != FALSE; });
  RoundTrip(program.main);
  std::srand(static_cast<unsigned>(::GetCurrentProcessId()));
  const int value = std::atoi(__argv[3]);
  std::string result;
  if (command == "edit" && __argc > 4) result = Edit(program, value, std::atoi(__argv[4]));
  if (command == "hold") {
    std::string message;
    result = OpenPicker(program, value, message) ? "holding" : message;
  }
  if (command == "pick") {
    const HWND picker = FindProcessWindow(program.processId, tvx::SelectCharacterClassName, true);
    result = picker ? Pick(program, picker, value) : "no picker";
  }
  if (command == "byte") result = "byte " + std::to_string(UpperByte(value));
  if (command == "box") {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindProcessWindow(program.processId, "#32770", true)) != nullptr; },
            value * 1000);
    result = box ? AnswerMessage(program, box) : "nothing";
  }
  if (command == "soak" && __argc > 4) result = Soak(program, value, Rows(__argv[4]));
  if (command == "stall" && __argc > 4)
    result = Stall(program, value, std::atoi(__argv[4]), __argc > 5 ? __argv[5] : nullptr);
  return WriteResult(result);
}
