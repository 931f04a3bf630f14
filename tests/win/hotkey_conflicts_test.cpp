// The warning before a hot key that takes another program's or Windows' combination, and Options >
// Check Hot Keys, on the real TAVRIX.EXE beside a program that holds Ctrl+Win+J.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "core/files/MappingFile.h"
#include "core/files/SyncFile.h"
#include "tests/win/support/EditorTest.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/keymap/Pickers.h"

namespace tvx::test {
namespace {

const std::vector<int> NewGridColumns(8, 40);
const std::vector<int> SymbolColumnWidths(28, 20);
constexpr int RowB = 1, RowD = 3, RowJ = 9, RowR = 17, RowV = 21;

std::size_t AlphaOffset(int column, int row) { return *HotKeyEntryOffset(HotKeyTables[0], column, row); }

std::vector<std::uint8_t> KeyFileWithAlphaKeys(std::initializer_list<std::pair<int, int>> cells) {
  std::array<std::uint8_t, AreaSize> hotKeyBytes{}, remapBytes{};
  const HotKeyAreaView hotKeys(hotKeyBytes.data());
  const RemapAreaView remap(remapBytes.data());
  InitTavrix(hotKeys, remap);
  for (auto [column, row] : cells) hotKeys.SetAction(HotKeyTables[0], column, row, 'x');
  const MappingRecord record = RecordFromAreas(hotKeys, remap);
  return {record.begin(), record.end()};
}

class HotKeyConflicts : public EditorTest {
 protected:
  void SetUp() override {
    holder_ = StartProgram(BuildDir() + "\\hotkey_holder.exe");
    ASSERT_TRUE(WaitFor([] { return ::FindWindowA("HotKeyHolder", "Hot key holder") != nullptr; }))
        << "the holder could not register Ctrl+Win+J";
  }
  void TearDown() override {
    EditorTest::TearDown();
    ::PostMessageA(::FindWindowA("HotKeyHolder", nullptr), WM_CLOSE, 0, 0);
    WaitForExit(holder_.hProcess);
    ::CloseHandle(holder_.hThread);
    ::CloseHandle(holder_.hProcess);
  }
  void Start(const std::vector<std::uint8_t>& keyFile = {}, const std::string& arguments = "") {
    tavrix_ = std::make_unique<TavrixProcess>(keyFile, arguments);
    ::SendMessageA(tavrix_->Control(IdHotKeys), BM_CLICK, 0, 0);
  }
  // Picks the character "x" (or "none") for an Alphabetic cell; returns the warning, if one came. The cell
  // is set only after a warning has been answered, so a cell set without one means nothing asked.
  MessageBoxInfo SetCell(int column, int row, HotKeyAction value = 'x') {
    const HWND grid = tavrix_->Control(IdNewGrid);
    PostDoubleClick(grid, CellCentre(grid, NewGridColumns, column, row));
    dialog_ = WaitForWindow(tavrix_->id(), "TDoSpecial2");
    const HWND symbols = ::GetDlgItem(dialog_, picker::SymbolGrid);
    if (value == 0)
      ::SendMessageA(::GetDlgItem(dialog_, picker::NoneButton), BM_CLICK, 0, 0);
    else
      PostDoubleClick(symbols, CellCentre(symbols, SymbolColumnWidths, 4, 3));  // 'x'
    MessageBoxInfo box;
    WaitFor([&] {
      return (box = FindMessageBox(tavrix_->id())).window || AreaWord(AlphaOffset(column, row)) == value;
    });
    return box;
  }
  void Answer(const MessageBoxInfo& box, int button) {
    ::PostMessageA(box.window, WM_COMMAND, button, 0);
    ASSERT_TRUE(WaitUntilGone(box.window));
    Finish(dialog_);
  }
  std::uint16_t AreaWord(std::size_t offset) const { return SharedArea(HotKeyAreaName).Word(offset); }
  // Options > Check Hot Keys: the dialog, and the report it shows.
  HWND CheckHotKeys(std::string& report) {
    ::PostMessageA(tavrix_->MainWindow(), WM_COMMAND, IdMenuCheckHotKeys, 0);
    const HWND dialog = WaitForWindow(tavrix_->id(), "TCheckHotKeys");
    char text[1024] = {};
    ::SendMessageA(::GetDlgItem(dialog, 101), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    report = text;
    return dialog;
  }

  PROCESS_INFORMATION holder_{};
  HWND dialog_ = nullptr;
};

// In network mode, so that No is seen to end the edit unsaved: the lock given back, no change counted.
TEST_F(HotKeyConflicts, AHotKeyTakenElsewhereAsksFirstAndNoLeavesTheCellAsItWas) {
  Start({}, "/N");
  const auto before = File();
  const auto changes = [this] {
    const auto bytes = ReadFileBytes(tavrix_->folder().File("KEY.TVS"));
    const SyncRecord sync =
        DecodeSyncRecord(std::span<const std::uint8_t, SyncRecordSize>(bytes.data(), SyncRecordSize));
    EXPECT_EQ(sync.LockState, LockFree);
    return sync.ChangeCount;
  };
  ASSERT_EQ(changes(), 1);
  MessageBoxInfo box = SetCell(CtrlWin, RowJ);
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, "Warning");
  EXPECT_EQ(
      box.text,
      "Ctrl+Win+J is used elsewhere:\nAnother running program uses Ctrl+Win+J.\n\nUse this hot key anyway?");
  EXPECT_EQ(::GetWindowLongA(::GetDlgItem(box.window, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON)
      << "No is the default";
  Answer(box, IDNO);
  EXPECT_EQ(AreaWord(AlphaOffset(CtrlWin, RowJ)), 0);
  EXPECT_EQ(File(), before);
  EXPECT_EQ(changes(), 1);

  box = SetCell(CtrlWin, RowJ);
  ASSERT_NE(box.window, nullptr);
  Answer(box, IDYES);
  EXPECT_EQ(AreaWord(AlphaOffset(CtrlWin, RowJ)), 'x');
  EXPECT_EQ(changes(), 2);

  box = SetCell(CtrlWin, RowJ, 0);
  EXPECT_EQ(box.window, nullptr) << "\"none\" never asks";
  Finish(dialog_);
  EXPECT_EQ(AreaWord(AlphaOffset(CtrlWin, RowJ)), 0);

  box = SetCell(CtrlWin, RowD);
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.text,
            "Ctrl+Win+D is used elsewhere:\nWindows uses Ctrl+Win+D to add a virtual desktop.\n\n"
            "Use this hot key anyway?");
  Answer(box, IDNO);
  EXPECT_EQ(AreaWord(AlphaOffset(CtrlWin, RowD)), 0);

  box = SetCell(CtrlAlt, RowB);
  EXPECT_EQ(box.window, nullptr) << box.text;
  Finish(dialog_);
  EXPECT_EQ(AreaWord(AlphaOffset(CtrlAlt, RowB)), 'x');

  std::string report;
  const HWND dialog = CheckHotKeys(report);
  EXPECT_EQ(report, "No conflicts found.");
  ::SendMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntilGone(dialog));
}

// It changes nothing, so browse-only mode leaves it; a right click on the tray icon closes it.
TEST_F(HotKeyConflicts, CheckHotKeysListsExactlyTheConflictingCells) {
  Start(KeyFileWithAlphaKeys({{CtrlWin, RowJ}, {Win, RowV}, {AltWin, RowR}, {CtrlAlt, RowB}}), "/B /T");
  ASSERT_TRUE(WaitFor([] { return TrayIconCount() == 1; }));
  std::string report;
  const HWND dialog = CheckHotKeys(report);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), "Check Hot Keys");
  EXPECT_EQ(report,
            "Win+V: Windows uses Win+V to open the clipboard history.\r\n"
            "Ctrl+Win+J: Another running program uses Ctrl+Win+J.\r\n"
            "Alt+Win+R: Windows uses Alt+Win+R to start or stop recording a game.");
  PostRightClick(TrayIcon(0));
  EXPECT_TRUE(WaitUntilGone(dialog));
}

}  // namespace
}  // namespace tvx::test
