// What the real program leaves on disk and in the areas across a first start, a start with a known
// mapping file, and a close.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/keymap/Catalogue.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/keymap/PageIds.h"
#include "win/keymap/Pickers.h"

namespace tvx::test {
namespace {

TEST(StartUpFiles, AFirstStartCreatesTheDefaultFileAndCloseWritesEveryKey) {
  TavrixProcess tavrix;
  const auto key = ReadFileBytes(tavrix.KeyFile());
  ASSERT_EQ(key.size(), 1171u);
  for (std::size_t i = 0; i < 1078; ++i) ASSERT_EQ(key[i], 0) << i;
  const std::string remap(key.begin() + 1078, key.end());
  EXPECT_EQ(remap, std::string(LetterRows) + std::string(LowerRows) + std::string(DigitRows) +
                       std::string(PunctRemapRows));
  EXPECT_EQ(key[1140 + 29], 0x7D);
  EXPECT_EQ(key[1140 + 30], 0x7E);

  ASSERT_EQ(tavrix.Close(), 0);
  const std::string expected =
      "[Misc]\r\nLast Keys=1\r\nUse Tray=No\r\nRemap=Yes\r\nCurrent File=" + tavrix.KeyFile() +
      "\r\nLast File 1=\r\nLast File 2=\r\nLast File 3=\r\nLast File 4=\r\nLast File 5=\r\n"
      "[Network]\r\nNetwork Mode=No\r\nAuto Sync=Yes\r\nSync Minutes=10\r\n";
  EXPECT_EQ(ReadFileText(SettingsFilePath()), expected);
}

TEST(StartUpFiles, AKnownFileIsInTheAreasByteForByteAndHeadersStayTheProgramsOwn) {
  std::vector<std::uint8_t> file(1171);
  for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(i * 7 + 3);
  TavrixProcess tavrix(file);
  SharedArea hotKeys("TVXH1KGR"), remap("STTT1KGR");
  const auto hot = hotKeys.Snapshot(), rem = remap.Snapshot();
  EXPECT_TRUE(std::equal(file.begin(), file.begin() + 1078, hot.begin() + 8));
  EXPECT_TRUE(std::equal(file.begin() + 1078, file.end(), rem.begin() + 8));
  const auto handle = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(tavrix.MainWindow()));
  EXPECT_EQ(hotKeys.Dword(0), handle);
  EXPECT_EQ(remap.Dword(0), handle);
  // The unused bytes; the two bytes at 1092 and 103 belong to the hook library.
  for (std::size_t i = 1086; i < 1092; ++i) EXPECT_EQ(hot[i], 0) << i;
  for (std::size_t i = 101; i < 1093; ++i) {
    if (i == 103) continue;
    ASSERT_EQ(rem[i], 0) << i;
  }
  // Closing writes the settings, not the mapping file.
  ASSERT_EQ(tavrix.Close(), 0);
  EXPECT_EQ(ReadFileBytes(tavrix.KeyFile()), file);
}

// A sync client holds KEY.TVX open for writing for the first 4 s of a start: the user is told, naming
// the file, its tables come in force once it can be read, and the first edit after keeps every entry.
TEST(StartUpFiles, AFileHeldAtStartIsReadOnceItCanBeAndTheFirstEditKeepsItsEntries) {
  TavrixProcess tavrix;
  std::vector<std::uint8_t> file = ReadFileBytes(tavrix.KeyFile());
  file[0] = 'x';     // Alt+A
  file[1078] = 'Q';  // A remapped
  WriteFileBytes(tavrix.KeyFile(), file);
  {
    const UniqueFile held(::CreateFileA(tavrix.KeyFile().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    const auto started = std::chrono::steady_clock::now();
    tavrix.Restart();
    const HWND notice = WaitForDialog(tavrix.id(), "Notice");
    ASSERT_NE(notice, nullptr);
    const std::string text = WindowText(::GetDlgItem(notice, 0xFFFF));
    EXPECT_NE(text.find(tavrix.KeyFile() + " could not be read: another program is using it."),
              std::string::npos)
        << text;
    std::this_thread::sleep_until(started + std::chrono::seconds(4));
  }
  ASSERT_TRUE(WaitFor([&] { return TablesInForce() == file; }));
  EXPECT_EQ(AnswerMessageBoxes(tavrix.id()), 1);

  ::SendMessageA(tavrix.Control(IdHotKeys), BM_CLICK, 0, 0);
  const HWND grid = tavrix.Control(IdNewGrid);
  PostDoubleClick(grid, CellCentre(grid, std::vector<int>(8, 40), Alt, 1));  // Alt+B
  const HWND dialog = WaitForWindow(tavrix.id(), "TDoSpecial2");
  ASSERT_NE(dialog, nullptr);
  const HWND symbols = ::GetDlgItem(dialog, picker::SymbolGrid);
  PostDoubleClick(symbols, CellCentre(symbols, std::vector<int>(28, 20), 10, 3));  // '~'
  ASSERT_TRUE(WaitUntilGone(dialog));
  RoundTrip(tavrix.MainWindow());
  file[2] = '~';
  EXPECT_EQ(ReadFileBytes(tavrix.KeyFile()), file);
}

}  // namespace
}  // namespace tvx::test
