// Network mode of the real program, with this test as the other machine on the shared folder: it writes
// the sync file and the mapping file as another instance would, and reads what the program wrote.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "core/files/MappingExtension.h"
#include "core/files/SyncFile.h"
#include "core/keymap/CellTexts.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "tests/win/support/hook_harness.h"
#include "win/app/MainWin.h"
#include "win/files/NetworkConsiderations.h"
#include "win/keymap/Pickers.h"

namespace tvx::test {
namespace {

using N = TNetworkConsiderations;
const std::vector<int> RemapColumns{20, 40};
const std::vector<int> SymbolColumnWidths(28, 20);
constexpr char16_t TheirText[] = u"H\u00E9{Enter}x";

class Network : public ::testing::Test {
 protected:
  SyncRecord Sync() const {
    const auto bytes = ReadFileBytes(sync_);
    EXPECT_EQ(bytes.size(), SyncRecordSize);
    if (bytes.size() != SyncRecordSize) return {};
    return DecodeSyncRecord(std::span<const std::uint8_t, SyncRecordSize>(bytes.data(), SyncRecordSize));
  }
  void WriteSync(const SyncRecord& record) const {
    const auto bytes = EncodeSyncRecord(record);
    WriteFileBytes(sync_, {bytes.begin(), bytes.end()});
  }
  // Double-clicks the "1" of the digits; returns the picker once it is shown (its controls made), if the
  // edit got that far.
  HWND TryEdit() const {
    const HWND grid = tavrix_.Control(IdNumGrid);
    PostDoubleClick(grid, CellCentre(grid, RemapColumns, 1, 1));
    HWND picker = nullptr;
    WaitFor([&] {
      return (picker = FindProcessWindow(tavrix_.id(), "TDoSpecial", true)) ||
             FindMessageBox(tavrix_.id()).window;
    });
    return picker;
  }
  void ExpectMessage(const char* caption, const char* text) const {
    MessageBoxInfo box;
    ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(tavrix_.id())).window != nullptr; })) << text;
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text);
    PressOk(box);
    ASSERT_TRUE(WaitUntilGone(box.window));
    RoundTrip(tavrix_.MainWindow());
  }
  void SwitchNetworkModeOn() const {
    ::PostMessageA(tavrix_.MainWindow(), WM_COMMAND, IdMenuNetwork, 0);
    const HWND dialog = WaitForWindow(tavrix_.id(), NetworkConsiderationsClassName);
    ASSERT_NE(dialog, nullptr);
    const HWND option = ::GetDlgItem(dialog, N::NetworkOption), autoSync = ::GetDlgItem(dialog, N::AutoSync),
               minutes = ::GetDlgItem(dialog, N::Minutes);
    EXPECT_EQ(WindowText(dialog), "Network Considerations");
    EXPECT_EQ(::SendMessageA(option, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(::SendMessageA(autoSync, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(WindowText(minutes), "10");
    EXPECT_FALSE(::IsWindowEnabled(autoSync) || ::IsWindowEnabled(minutes));
    ::SendMessageA(option, BM_CLICK, 0, 0);
    EXPECT_TRUE(::IsWindowEnabled(autoSync) && ::IsWindowEnabled(minutes));
    ::SendMessageA(minutes, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(" 5"));
    PressButton(dialog, N::OKButton);
    ASSERT_TRUE(WaitUntilGone(dialog));
    RoundTrip(tavrix_.MainWindow());
  }

  TavrixProcess tavrix_;
  std::string sync_ = tavrix_.folder().File("KEY.TVS");
};

TEST_F(Network, TheDialogTheLockAndAnotherMachinesEdits) {
  EXPECT_FALSE(FileExists(sync_));
  SwitchNetworkModeOn();
  EXPECT_EQ(ProfileString(SettingsFilePath(), "Network", "Network Mode"), "Yes");
  EXPECT_EQ(ProfileString(SettingsFilePath(), "Network", "Sync Minutes"), "5");
  EXPECT_EQ(Sync(), (SyncRecord{1, LockFree, 0}));

  // The lock is held while the picker is open; a saved edit counts one change.
  HWND picker = TryEdit();
  ASSERT_NE(picker, nullptr);
  const SyncRecord held = Sync();
  EXPECT_EQ(held.LockState, LockHeld);
  EXPECT_NE(held.LockStamp, 0);
  const HWND symbols = ::GetDlgItem(picker, picker::SymbolGrid);
  PostDoubleClick(symbols, CellCentre(symbols, SymbolColumnWidths, 10, 3));  // "~"
  ASSERT_TRUE(WaitUntilGone(picker));
  RoundTrip(tavrix_.MainWindow());
  EXPECT_EQ(Sync(), (SyncRecord{2, LockFree, held.LockStamp}));
  EXPECT_EQ(ReadFileBytes(tavrix_.KeyFile()).at(1130 + 1), '~');

  // The other machine holds the lock: in use, and no picker.
  WriteSync({2, LockHeld, 45000.25});
  EXPECT_EQ(TryEdit(), nullptr);
  ExpectMessage("Error", "Tavrix File in use by another user.  Please try again later.");

  // The other machine saved a change, a hot key's text among it: the notice, its tables reloaded, and
  // still no picker.
  auto theirs = ReadFileBytes(tavrix_.KeyFile());
  theirs.at(1130 + 1) = '!';
  theirs.resize(MappingRecordSize);
  MappingRecord record;
  std::copy_n(theirs.begin(), MappingRecordSize, record.begin());
  MappingCharacters texts;
  texts.Set(HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 'M' - 'A'), TextId(TheirText));
  WriteFileBytes(tavrix_.KeyFile(), MappingBytes(record, texts));
  WriteSync({3, LockFree, 45000.25});
  EXPECT_EQ(TryEdit(), nullptr);
  ExpectMessage("Notice",
                "Tavrix File has changed by another user.  Changed Tavrix file will be reloaded after "
                "clicking \"ok\".");
  EXPECT_EQ(TablesInForce(), theirs);
  EXPECT_EQ(GridCurrent(tavrix_.Control(IdNumGrid)).y, 1);  // the selected cell stays

  // Then the edit goes ahead; a cancelled one counts nothing.
  picker = TryEdit();
  ASSERT_NE(picker, nullptr);
  ::PostMessageA(picker, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntilGone(picker));
  RoundTrip(tavrix_.MainWindow());
  EXPECT_EQ(Sync().ChangeCount, 3);
  EXPECT_EQ(Sync().LockState, LockFree);

  // Another program reads the sync file, sharing neither write nor delete, while an edit is saved: the
  // lock stays held after the retries, and the next heartbeat after the reader let go releases it.
  picker = TryEdit();
  ASSERT_NE(picker, nullptr);
  {
    const UniqueFile reader(::CreateFileA(sync_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader);
    const HWND grid = ::GetDlgItem(picker, picker::SymbolGrid);
    PostDoubleClick(grid, CellCentre(grid, SymbolColumnWidths, 10, 3));
    ASSERT_TRUE(WaitUntilGone(picker));
    RoundTrip(tavrix_.MainWindow());
    EXPECT_EQ(Sync().LockState, LockHeld);
    EXPECT_EQ(FindMessageBox(tavrix_.id()).window, nullptr);
  }
  EXPECT_EQ(ReadFileBytes(tavrix_.KeyFile()).at(1130 + 1), '~');
  ASSERT_TRUE(Handled(tavrix_.MainWindow(), WM_TIMER, 2, 0));  // NetTimer
  EXPECT_EQ(Sync().ChangeCount, 4);
  EXPECT_EQ(Sync().LockState, LockFree);

  // A sync file that may not be written is reported at once with the system's number, not waited on as
  // another program's hold.
  ASSERT_TRUE(::SetFileAttributesA(sync_.c_str(), FILE_ATTRIBUTE_READONLY));
  const ULONGLONG start = ::GetTickCount64();
  EXPECT_EQ(TryEdit(), nullptr);
  ExpectMessage("Tavrix 98", "I/O error 5");
  EXPECT_LE(::GetTickCount64() - start, 1000u);
  ::SetFileAttributesA(sync_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Sync().LockState, LockFree);

  // The other machine's text, kept through this machine's saves, types here as it does there.
  Target target;
  ASSERT_TRUE(target.Focus());
  const std::size_t mark = target.Mark();
  Xdotool("key --delay 30 ctrl+alt+m");
  EXPECT_TRUE(WaitFor([&] { return target.Since(mark, "c") == "0048 00E9 000D 0078"; }, 5s))
      << target.Since(mark, "c");
  EXPECT_EQ(target.KeysDown(), "");
}

// Another machine takes the lock over while the picker is open (this one slept past a minute): the next
// heartbeat finds it, writes nothing, reloads and tells the user; the choice made then is not saved, and no
// second notice comes.
TEST_F(Network, ALockTakenOverWhileThePickerIsOpen) {
  SwitchNetworkModeOn();
  const HWND main = tavrix_.MainWindow();
  const HWND picker = TryEdit();
  ASSERT_NE(picker, nullptr);
  ASSERT_EQ(Sync().LockState, LockHeld);
  auto theirs = ReadFileBytes(tavrix_.KeyFile());
  theirs.at(1130 + 2) = '@';
  WriteFileBytes(tavrix_.KeyFile(), theirs);
  const SyncRecord takenOver{2, LockHeld, 12345.5};
  WriteSync(takenOver);
  ::PostMessageA(main, WM_TIMER, 2, 0);  // NetTimer
  ExpectMessage("Notice", "Another user has taken over the Tavrix File.  Your change was not saved.");
  EXPECT_EQ(TablesInForce(), theirs);
  const HWND symbols = ::GetDlgItem(picker, picker::SymbolGrid);
  PostDoubleClick(symbols, CellCentre(symbols, SymbolColumnWidths, 10, 3));
  ASSERT_TRUE(WaitUntilGone(picker));
  RoundTrip(main);
  EXPECT_EQ(FindMessageBox(tavrix_.id()).window, nullptr);
  EXPECT_EQ(ReadFileBytes(tavrix_.KeyFile()), theirs);
  EXPECT_EQ(Sync(), takenOver);
  EXPECT_EQ(TablesInForce(), theirs);
}

TEST_F(Network, AutomaticReloadsAndASaveTheFileRefuses) {
  const HWND main = tavrix_.MainWindow();
  // Local mode: a save the file refuses is reported once for that file, the edit staying in force, until a
  // save succeeds; that save writes every edit.
  {
    const auto before = ReadFileBytes(tavrix_.KeyFile());
    const UniqueFile held(::CreateFileA(tavrix_.KeyFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    for (const bool reported : {true, false}) {
      const HWND picker = TryEdit();
      ASSERT_NE(picker, nullptr);
      const HWND symbols = ::GetDlgItem(picker, picker::SymbolGrid);
      PostDoubleClick(symbols, CellCentre(symbols, SymbolColumnWidths, 10, 3));
      if (reported) ExpectMessage("Error", "Tavrix File could not be saved.  Please try again later.");
      ASSERT_TRUE(WaitUntilGone(picker));
      RoundTrip(main);
      EXPECT_EQ(FindMessageBox(tavrix_.id()).window, nullptr);
      EXPECT_EQ(TablesInForce().at(1130 + 1), '~') << reported;
    }
    EXPECT_EQ(ReadFileBytes(tavrix_.KeyFile()), before);
  }
  HWND picker = TryEdit();
  ASSERT_NE(picker, nullptr);
  HWND symbols = ::GetDlgItem(picker, picker::SymbolGrid);
  PostDoubleClick(symbols, CellCentre(symbols, SymbolColumnWidths, 10, 3));
  ASSERT_TRUE(WaitUntilGone(picker));
  RoundTrip(main);
  EXPECT_EQ(ReadFileBytes(tavrix_.KeyFile()), TablesInForce());

  SwitchNetworkModeOn();  // every 5 minutes
  auto theirs = ReadFileBytes(tavrix_.KeyFile());
  theirs.at(1130 + 2) = '@';
  WriteFileBytes(tavrix_.KeyFile(), theirs);
  // The fifth minute reloads the file, whatever the sync file says.
  for (int minute = 1; minute <= 4; ++minute) ASSERT_TRUE(Handled(main, WM_TIMER, 1, 0));
  EXPECT_NE(TablesInForce(), theirs);
  ASSERT_TRUE(Handled(main, WM_TIMER, 1, 0));
  EXPECT_EQ(TablesInForce(), theirs);

  // Held by another program that lets nobody write it: the edit is not counted as saved.
  const UniqueFile held(::CreateFileA(tavrix_.KeyFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  picker = TryEdit();
  ASSERT_NE(picker, nullptr);
  const SyncRecord locked = Sync();
  EXPECT_EQ(locked.LockState, LockHeld);
  symbols = ::GetDlgItem(picker, picker::SymbolGrid);
  PostDoubleClick(symbols, CellCentre(symbols, SymbolColumnWidths, 10, 3));
  ExpectMessage("Error", "Tavrix File could not be saved.  Please try again later.");
  EXPECT_EQ(Sync(), (SyncRecord{1, LockFree, locked.LockStamp}));
  EXPECT_EQ(ReadFileBytes(tavrix_.KeyFile()), theirs);
}

// A logoff, as Windows sends it, while an edit holds the lock on a file made current by "/F": the settings
// name that file and the lock is given back before the process is ended.
TEST_F(Network, TheSessionsEndKeepsTheSettingsAndGivesTheLockBack) {
  WriteFileBytes(tavrix_.folder().File("OTHER.TVX"), ReadFileBytes(tavrix_.KeyFile()));
  tavrix_.Restart("/FOTHER.TVX /N");
  sync_ = tavrix_.folder().File("OTHER.TVS");
  ASSERT_NE(TryEdit(), nullptr);
  ASSERT_EQ(Sync().LockState, LockHeld);

  const HWND main = tavrix_.MainWindow();
  DWORD_PTR answer = 0;
  ASSERT_TRUE(
      ::SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer));
  EXPECT_EQ(answer, TRUE);
  const DWORD start = ::GetTickCount();
  ASSERT_TRUE(
      ::SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer));
  std::printf("WM_ENDSESSION answered in %lu ms\n", ::GetTickCount() - start);
  const UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, tavrix_.id()));
  ASSERT_TRUE(process);
  ASSERT_TRUE(::TerminateProcess(process.get(), 1));
  ASSERT_NE(WaitForExit(process.get()), -1);

  EXPECT_EQ(ProfileString(SettingsFilePath(), "Misc", "Current File"), "OTHER.TVX");
  EXPECT_EQ(ProfileString(SettingsFilePath(), "Network", "Network Mode"), "Yes");
  EXPECT_EQ(Sync().LockState, LockFree);
}

// A timer's error stays one box however many ticks come while it is on screen: here the share holding the
// file has gone while an edit keeps the lock fresh.
TEST_F(Network, ATimersErrorShowsOnceWhileItIsOnScreen) {
  const TempDir share;
  WriteFileBytes(share.File("SHARED.TVX"), ReadFileBytes(tavrix_.KeyFile()));
  tavrix_.Restart("/F" + share.File("SHARED.TVX") + " /N");
  const HWND picker = TryEdit();
  ASSERT_NE(picker, nullptr);
  for (const char* name : {"SHARED.TVX", "SHARED.TVS"}) ASSERT_TRUE(::DeleteFileA(share.File(name).c_str()));
  ASSERT_TRUE(::RemoveDirectoryA(share.path().c_str()));

  const HWND main = tavrix_.MainWindow();
  constexpr WPARAM NetTimer = 2;
  EXPECT_FALSE(Handled(main, WM_TIMER, NetTimer, 0));  // held up by its report
  ASSERT_TRUE(WaitFor([&] { return FindMessageBox(tavrix_.id()).window != nullptr; }));
  for (int tick = 0; tick < 3; ++tick) EXPECT_TRUE(Handled(main, WM_TIMER, NetTimer, 0)) << tick;
  EXPECT_EQ(FindMessageBox(tavrix_.id()).text, "I/O error 3");
  EXPECT_EQ(AnswerMessageBoxes(tavrix_.id()), 1);
  ::PostMessageA(picker, WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace tvx::test
