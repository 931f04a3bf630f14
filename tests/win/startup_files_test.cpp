// What the real program leaves on disk and in the areas across a first start, a start with a known
// mapping file, and a close.
#include <gtest/gtest.h>

#include "core/keymap/Catalogue.h"
#include "tests/win/support/TavrixProcess.h"

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

}  // namespace
}  // namespace tvx::test
