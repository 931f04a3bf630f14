// Per-application mappings through the real program and library, with real X keystrokes: two target
// programs with different file names, one bound to a mapping file of its own, the other on the default.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/hook/Messages.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/hook_harness.h"
#include "win/app/MainWin.h"

namespace tvx::test {
namespace {

// The default file: q types z, Alt+A types "a". The bound program's: q types y, Alt+A types "b".
Tables TablesTyping(char q, HotKeyAction altA) {
  Tables tables;
  tables.Identity();
  tables.Remap(RemapTableId::Lower, 'q', q);
  tables.Bind(Alphabetic, Alt, 0, altA);
  return tables;
}

// The characters logged since `mark` once `count` have arrived (or two seconds have passed), with the
// message time of the last key down among them.
struct Arrival {
  std::string typed;
  DWORD keyTime = 0;
};
Arrival WaitForTyped(const Target& target, std::size_t mark, std::size_t count) {
  Arrival arrival;
  WaitFor(
      [&] {
        std::istringstream lines(ReadFileText(target.log()).substr(mark));
        std::string line;
        arrival = {};
        while (std::getline(lines, line)) {
          if (line.rfind("c ", 0) == 0)
            arrival.typed += static_cast<char>(std::stoi(line.substr(2), nullptr, 16));
          if (line.rfind("t ", 0) == 0) arrival.keyTime = static_cast<DWORD>(std::stoul(line.substr(2)));
        }
        return arrival.typed.size() >= count;
      },
      2s);
  return arrival;
}

std::size_t LogSize(const Target& target) { return ReadFileText(target.log()).size(); }

class AppMappings : public ::testing::Test {
 protected:
  // TAVRIX.EXE with the default tables as KEY.TVX, started again once BOUNDAPP.EXE is bound to BOUND.TVX.
  void SetUp() override {
    // As the Application Mappings dialog leaves them: the binding, and the file current before it.
    ::WritePrivateProfileStringA("Applications", "boundapp.exe", boundFile_.c_str(),
                                 SettingsFilePath().c_str());
    ::WritePrivateProfileStringA("Applications", "Default", tavrix_.KeyFile().c_str(),
                                 SettingsFilePath().c_str());
    WriteFileBytes(boundFile_, TablesTyping('y', 'b').MappingFile());
    ASSERT_TRUE(::CopyFileA((BuildDir() + "\\KeyTarget.exe").c_str(), boundProgram_.c_str(), FALSE));
    tavrix_.Restart(arguments_);
    ASSERT_TRUE(WaitFor([&] { return TablesInForce() == Current().MappingFile(); }, 20s));
  }
  virtual Tables Current() const { return TablesTyping('z', 'a'); }

  TempDir files_;
  std::string boundFile_ = files_.File("BOUND.TVX");
  std::string boundProgram_ = files_.File("BOUNDAPP.EXE");
  std::string arguments_;
  TavrixProcess tavrix_{TablesTyping('z', 'a').MappingFile()};
};

TEST_F(AppMappings, EachProgramTypesWithItsFileAcrossAHundredSwitches) {
  Target plain("plain");
  Target bound("bound", boundProgram_);
  ASSERT_TRUE(bound.Focus());
  int keys = 0, wrong = 0, early = 0, earlyOld = 0, lost = 0;
  std::string wrongOnes;
  // Q right after each switch and again once the switch is 50 ms old; a hot key now and then after that.
  for (int i = 0; i < 100; ++i) {
    const Target& target = i % 2 ? plain : bound;
    const char expected = i % 2 ? 'z' : 'y';
    const DWORD switchedAt = ::GetTickCount();
    ::SetForegroundWindow(target.window());
    for (int late = 0; late < 2; ++late) {
      if (late) ::Sleep(std::max<LONG>(0, 60 - static_cast<LONG>(::GetTickCount() - switchedAt)));
      const std::size_t mark = LogSize(target);
      Xdotool("key q");
      const Arrival arrival = WaitForTyped(target, mark, 1);
      ++keys;
      if (arrival.typed.empty()) {
        ++lost;
      } else if (arrival.keyTime - switchedAt < 50) {
        ++early;
        if (arrival.typed[0] != expected) ++earlyOld;
      } else if (arrival.typed != std::string(1, expected)) {
        ++wrong;
        wrongOnes += " " + std::to_string(i) + ":" + arrival.typed;
      }
    }
    if (i % 10 < 2) {
      const std::size_t hotMark = LogSize(target);
      Xdotool("key alt+a");
      ++keys;
      if (WaitForTyped(target, hotMark, 1).typed != std::string(1, i % 2 ? 'a' : 'b')) ++wrong;
    }
  }
  std::printf(
      "switches 100, keys %d, wrong keys %d, keys lost %d, typed within 50 ms of a switch %d "
      "(with the old set %d)\n",
      keys, wrong, lost, early, earlyOld);
  EXPECT_EQ(wrong, 0) << wrongOnes;
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(plain.KeysDown(), "");
  EXPECT_EQ(bound.KeysDown(), "");
}

TEST_F(AppMappings, AKeyHeldAcrossASwitchEndsAsPressedAndADialogIsItsProgram) {
  Target plain("plain");
  Target bound("bound", boundProgram_);
  ASSERT_TRUE(bound.Focus());
  const std::size_t boundMark = LogSize(bound);
  Xdotool("keydown q");
  ASSERT_EQ(WaitForTyped(bound, boundMark, 1).typed, "y");
  ASSERT_TRUE(plain.Focus());
  const std::size_t plainMark = LogSize(plain);
  Xdotool("keyup q");
  Xdotool("key w");  // the round trip: once w is there, the release has been handled
  std::string typed;
  WaitFor([&] { return (typed = WaitForTyped(plain, plainMark, 1).typed).find('w') != std::string::npos; },
          3s);
  // Wine reports the held q to the newly focused window again: a repeat, typed with the set of its press.
  EXPECT_EQ(typed.find_first_not_of('y'), typed.size() - 1) << typed;
  EXPECT_EQ(typed.back(), 'w') << typed;
  EXPECT_EQ(plain.KeysDown(), "");
  EXPECT_EQ(bound.KeysDown(), "");

  const HWND dialog = bound.OpenDialog();
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(TakeForeground(dialog));
  const std::size_t dialogMark = LogSize(bound);
  Xdotool("key q alt+a");
  EXPECT_EQ(WaitForTyped(bound, dialogMark, 2).typed, "yb");
}

TEST_F(AppMappings, ABoundFileChangedOnDiskIsInForceWithinASecond) {
  Target bound("bound", boundProgram_);
  ASSERT_TRUE(bound.Focus());
  WriteFileBytes(boundFile_, TablesTyping('v', 'b').MappingFile());
  const DWORD written = ::GetTickCount();
  DWORD inForce = 0;
  std::string typed;
  // Typed again until the change shows, each key counted: the figure is the time it took.
  while (::GetTickCount() - written < 1000 && typed != "v") {
    const std::size_t mark = LogSize(bound);
    Xdotool("key q");
    typed = WaitForTyped(bound, mark, 1).typed;
    inForce = ::GetTickCount() - written;
  }
  std::printf("the changed bound file in force after at most %lu ms\n", static_cast<unsigned long>(inForce));
  EXPECT_EQ(typed, "v");
}

// A bound file another program holds when its folder changes cannot be read: the program says so once, and
// the programs bound to it use the default file meanwhile. The worker tries the file again every 3 s for a
// minute, and at every switch of window, past the minute too: let go of a moment after the folder changed
// again (after the try that brought, well before the next), it is in force from the first key after the
// next switch.
TEST_F(AppMappings, ABoundFileThatCouldNotBeReadIsTriedAgainAtTheNextSwitch) {
  Target plain("plain");
  Target bound("bound", boundProgram_);
  ASSERT_TRUE(plain.Focus());
  UniqueFile held(::CreateFileA(boundFile_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  WriteFileText(files_.File("CHANGE1.TXT"), "x");
  MessageBoxInfo box;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(tavrix_.id())).window != nullptr; }));
  EXPECT_NE(box.text.find(" could not be read."), std::string::npos) << box.text;
  PressOk(box);
  ASSERT_TRUE(bound.Focus());
  std::size_t mark = LogSize(bound);
  Xdotool("key q");
  EXPECT_EQ(WaitForTyped(bound, mark, 1).typed, "z") << "the default file's while the bound one is held";
  ASSERT_TRUE(plain.Focus());

  WriteFileText(files_.File("CHANGE2.TXT"), "x");
  WaitFor([] { return false; }, 600ms);
  held.reset();
  ASSERT_TRUE(bound.Focus());
  mark = LogSize(bound);
  Xdotool("key q");
  EXPECT_EQ(WaitForTyped(bound, mark, 1).typed, "y") << "not read again at the switch";
  EXPECT_EQ(AnswerMessageBoxes(tavrix_.id()), 0) << "reported twice";
}

// The worker stuck on a bound file that never answers (on a share that stopped answering; here a pipe
// whose other end never writes): the close waits for it at most 2 s, and the program ends with its window,
// so that it can be started again.
TEST(AppMappingsStuck, AWorkerStuckOnABoundFileKeepsTheProgramAtMostTwoSecondsAfterItsClose) {
  const std::string pipeName = "\\\\.\\pipe\\TavrixBound" + std::to_string(::GetCurrentProcessId());
  UniqueFile pipe(::CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED,
                                     PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
  ASSERT_TRUE(pipe);
  const UniqueHandle connected(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED connecting{};
  connecting.hEvent = connected.get();
  if (!::ConnectNamedPipe(pipe.get(), &connecting) && ::GetLastError() == ERROR_PIPE_CONNECTED)
    ::SetEvent(connected.get());

  TavrixProcess tavrix(TablesTyping('z', 'a').MappingFile());
  ::WritePrivateProfileStringA("Applications", "boundapp.exe", pipeName.c_str(), SettingsFilePath().c_str());
  ::WritePrivateProfileStringA("Applications", "Default", tavrix.KeyFile().c_str(),
                               SettingsFilePath().c_str());
  tavrix.Restart();
  ASSERT_TRUE(WaitFor([&] { return ::WaitForSingleObject(connected.get(), 0) == WAIT_OBJECT_0; }, 20s))
      << "the worker never opened the bound file";
  WaitFor([] { return false; }, 500ms);  // on to its read, which never ends

  const ULONGLONG closing = ::GetTickCount64();
  const int exitCode = tavrix.Close();
  const ULONGLONG closed = ::GetTickCount64() - closing;
  EXPECT_EQ(exitCode, 0);
  EXPECT_LE(closed, 4000u) << "the program outlived its window";
  pipe.reset();  // the read fails at last: a worker waited for without bound lets the program end now
}

// The bound file open in the main window, and the default opened again from the recent list: while the
// areas change over, the bound program keeps typing with its own file's tables, never the incoming ones.
TEST_F(AppMappings, OpeningAnotherFileLeavesTheProgramsOfTheFileGoingOutAlone) {
  const HWND main = tavrix_.MainWindow();
  ::PostMessageA(main, WM_COMMAND, IdOpenFile1, 0);
  const HWND open = WaitForDialog(tavrix_.id(), "Open Tavrix File");
  ASSERT_NE(open, nullptr);
  ChooseFile(open, boundFile_);
  ASSERT_TRUE(WaitFor([&] { return WindowText(main) == "Tavrix 98 (BOUND)"; }));
  Target bound("bound", boundProgram_);
  ASSERT_TRUE(bound.Focus());
  ASSERT_TRUE(WaitFor([&] {
    const std::size_t mark = LogSize(bound);
    Xdotool("key q");
    return WaitForTyped(bound, mark, 1).typed == "y";
  }));

  // A hundred keys typed while the recent list switches the files over ten times.
  const std::size_t mark = LogSize(bound);
  std::string keys = "key --delay 10";
  for (int i = 0; i < 100; ++i) keys += " q";
  const std::string script = "/tmp/tvx_switch_keys_" + std::to_string(::GetCurrentProcessId());
  WriteFileText(WindowsPathOf(script), keys + "\n");
  const PROCESS_INFORMATION xdotool = StartProgram("/usr/bin/xdotool " + script);
  ::CloseHandle(xdotool.hThread);
  ::CloseHandle(xdotool.hProcess);
  ASSERT_TRUE(WaitFor([&] { return WaitForTyped(bound, mark, 1).typed.size() >= 1; }));
  for (int i = 0; i < 10; ++i) {
    ::PostMessageA(main, WM_COMMAND, IdMenuLastFile1, 0);
    WaitFor([] { return false; }, 80ms);
  }
  std::string typed;
  WaitFor([&] { return (typed = WaitForTyped(bound, mark, 100).typed).size() >= 100; }, 10s);
  EXPECT_EQ(typed, std::string(100, 'y'));
  EXPECT_EQ(WindowText(main), "Tavrix 98 (BOUND)");
  ::DeleteFileA(WindowsPathOf(script).c_str());
}

// The bound file open in the main window: an edit stored into the shared area, as the editors store it,
// is in force in the bound program at once, and the other programs keep the default file.
class AppMappingsEditingTheBoundFile : public AppMappings {
 protected:
  void SetUp() override {
    arguments_ = "/F" + boundFile_;
    AppMappings::SetUp();
  }
  Tables Current() const override { return TablesTyping('y', 'b'); }
};

TEST_F(AppMappingsEditingTheBoundFile, AnEditIsInForceInTheBoundProgramAtOnce) {
  Target plain("plain");
  Target bound("bound", boundProgram_);
  ASSERT_TRUE(bound.Focus());
  SharedArea remap(RemapAreaName);
  ASSERT_TRUE(remap.IsOpen());
  RemapAreaView(remap.mutable_data())
      .SetByte(RemapTableId::Lower, static_cast<int>(RemapRows(RemapTableId::Lower).find('q')), 'v');
  std::size_t mark = LogSize(bound);
  Xdotool("key q");
  EXPECT_EQ(WaitForTyped(bound, mark, 1).typed, "v");
  ASSERT_TRUE(plain.Focus());
  mark = LogSize(plain);
  Xdotool("key q alt+a");
  EXPECT_EQ(WaitForTyped(plain, mark, 2).typed, "za") << "the default file is KEY.TVX, not the current one";
}

// Inside the program's process, where the main window's messages can be watched: a hot key of the file in
// the shared areas comes as WM_USER+1, the message other programs watch for, and only another file's as
// WM_USER+5 with its action carried.
std::vector<UINT>* watchedMessages = nullptr;

LRESULT CALLBACK WatchKeyActions(int code, WPARAM removed, LPARAM lParam) {
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && removed == PM_REMOVE && watchedMessages &&
      (msg->message == KeyActionMessage || msg->message == CarriedKeyActionMessage))
    watchedMessages->push_back(msg->message);
  return ::CallNextHookEx(nullptr, code, removed, lParam);
}

TEST(AppMappingsInProcess, TheCurrentFilesHotKeysComeAsTheMessageOtherProgramsKnow) {
  TempDir folder;
  const std::string keyFile = folder.File("KEY.TVX"), boundFile = folder.File("BOUND.TVX");
  const std::string boundProgram = folder.File("BOUNDAPP.EXE");
  WriteFileBytes(keyFile, TablesTyping('z', 'a').MappingFile());
  WriteFileBytes(boundFile, TablesTyping('y', 'b').MappingFile());
  ASSERT_TRUE(::CopyFileA((BuildDir() + "\\KeyTarget.exe").c_str(), boundProgram.c_str(), FALSE));
  const std::string settings = SettingsFilePath();
  ::WritePrivateProfileStringA("Applications", "boundapp.exe", boundFile.c_str(), settings.c_str());
  ::WritePrivateProfileStringA("Applications", "Default", keyFile.c_str(), settings.c_str());
  ::WritePrivateProfileStringA("Misc", "Current File", keyFile.c_str(), settings.c_str());
  std::vector<UINT> messages;
  watchedMessages = &messages;
  const HHOOK watch = ::SetWindowsHookExA(WH_GETMESSAGE, WatchKeyActions, nullptr, ::GetCurrentThreadId());
  {
    TMainWin mainWin;
    mainWin.Create({});
    Target plain("plain");
    Target bound("bound", boundProgram);
    const struct {
      const std::string& current;
      const Target& target;
      char q;
      UINT message;
    } rows[] = {
        {keyFile, plain, 'z', KeyActionMessage},
        {keyFile, bound, 'y', CarriedKeyActionMessage},
        {boundFile, bound, 'y', KeyActionMessage},
        {boundFile, plain, 'z', CarriedKeyActionMessage},
    };
    for (const auto& row : rows) {
      SCOPED_TRACE(row.current + " " + row.target.log());
      if (WindowText(mainWin.hwnd()).find(row.current == keyFile ? "(KEY)" : "(BOUND)") == std::string::npos)
        mainWin.OpenSaveFile(row.current);
      ASSERT_TRUE(row.target.Focus());
      // Typed until the target's set is in force: the worker has resolved the window.
      std::string typed;
      WaitFor([&] {
        const std::size_t mark = LogSize(row.target);
        Xdotool("key q");
        return (typed = WaitForTyped(row.target, mark, 1).typed) == std::string(1, row.q);
      });
      ASSERT_EQ(typed, std::string(1, row.q));
      messages.clear();
      Xdotool("key alt+a");
      EXPECT_TRUE(WaitFor([&] { return !messages.empty(); }, 3s));
      EXPECT_EQ(messages, std::vector<UINT>{row.message});
    }
    ::SendMessageA(mainWin.hwnd(), WM_CLOSE, 0, 0);
  }
  ::UnhookWindowsHookEx(watch);
  watchedMessages = nullptr;
  RemoveSettingsFile();
}

}  // namespace
}  // namespace tvx::test
