#include <gtest/gtest.h>

#include <vector>

#include "core/common/IoError.h"
#include "core/files/MappingExtension.h"
#include "core/files/MappingFile.h"
#include "tests/core/fake_files.h"

namespace tvx {
namespace {

// Two areas with a filler in every byte outside the tables, and room after them to catch overruns.
struct Areas {
  Bytes hotKeyBytes = Bytes(AreaSize, 0xC3);
  Bytes remapBytes = Bytes(AreaSize, 0x3C);
  HotKeyAreaView hotKeys{hotKeyBytes.data()};
  RemapAreaView remap{remapBytes.data()};
  Areas() = default;
  Areas(const Areas&) = delete;  // the views would still point at the original

  // A distinct value in every entry, different for each seed.
  void FillTables(std::uint8_t seed) {
    for (std::size_t i = hotkey_area::TablesBegin; i < hotkey_area::TablesEnd; ++i)
      hotKeyBytes[i] = static_cast<std::uint8_t>(i * 7 + seed);
    for (std::size_t i = remap_area::TablesBegin; i < remap_area::TablesEnd; ++i)
      remapBytes[i] = static_cast<std::uint8_t>(i * 5 + seed);
  }
  Bytes Record() const {
    Bytes run(hotKeyBytes.begin() + hotkey_area::TablesBegin, hotKeyBytes.begin() + hotkey_area::TablesEnd);
    run.insert(run.end(), remapBytes.begin() + remap_area::TablesBegin,
               remapBytes.begin() + remap_area::TablesEnd);
    return run;
  }
  // Everything the file does not hold: headers, the hook library's bytes and the rest of RemapArea.
  Bytes Outside() const {
    Bytes rest(hotKeyBytes.begin(), hotKeyBytes.begin() + hotkey_area::TablesBegin);
    rest.insert(rest.end(), hotKeyBytes.begin() + hotkey_area::TablesEnd, hotKeyBytes.end());
    rest.insert(rest.end(), remapBytes.begin(), remapBytes.begin() + remap_area::TablesBegin);
    rest.insert(rest.end(), remapBytes.begin() + remap_area::TablesEnd, remapBytes.end());
    return rest;
  }
};

constexpr char Name[] = "C:\\Maps\\KEY.TVX";

// The tables saved as the program saves them (no character beyond the record here).
bool Save(FileAccess& files, const std::string& name, const Areas& areas) {
  return SaveMapping(files, name, areas.hotKeys, areas.remap, MappingCharacters{});
}

// The file read as the program reads one to make it current: the record reaches the areas only once the
// whole of it was read.
void Load(FileAccess& files, const Areas& areas) {
  FakeClock clock;
  const TavrixRead read = ReadTavrixFile(files, clock, Name);
  if (read.record) RecordToAreas(*read.record, areas.hotKeys, areas.remap);
}

TEST(MappingFile, AllNineBlocksSurviveASaveAndALoadAsTheTwoAreaRuns) {
  FakeFiles files;
  Areas source;
  source.FillTables(1);
  Save(files, Name, source);
  ASSERT_EQ(files.files.at(Name), source.Record());

  Areas target;
  target.FillTables(2);
  Load(files, target);
  EXPECT_EQ(target.Record(), source.Record());
}

TEST(MappingFile, HeadersAndUnusedBytesAreNeverTouched) {
  FakeFiles files;
  files.files[Name] = Bytes(MappingRecordSize, 0x5A);
  Areas areas;
  const Bytes outside = areas.Outside();
  InitTavrix(areas.hotKeys, areas.remap);
  EXPECT_EQ(areas.Outside(), outside);
  Load(files, areas);
  EXPECT_EQ(areas.Outside(), outside);
  EXPECT_EQ(areas.Record(), Bytes(MappingRecordSize, 0x5A));
  Save(files, "other.tvx", areas);
  EXPECT_EQ(areas.Outside(), outside);
}

TEST(MappingFile, DefaultsAreEmptyHotKeysAndRemapTablesThatChangeNothing) {
  Areas areas;
  areas.FillTables(9);
  InitTavrix(areas.hotKeys, areas.remap);
  const Bytes record = areas.Record();
  EXPECT_EQ(Bytes(record.begin(), record.begin() + HotKeyRunSize), Bytes(HotKeyRunSize, 0));

  Bytes identity;
  for (int code = 'A'; code <= 'Z'; ++code) identity.push_back(static_cast<std::uint8_t>(code));
  for (int code = 'a'; code <= 'z'; ++code) identity.push_back(static_cast<std::uint8_t>(code));
  for (int code = '0'; code <= '9'; ++code) identity.push_back(static_cast<std::uint8_t>(code));
  for (auto [first, last] : {std::pair{0x20, 0x2F}, {0x3A, 0x40}, {0x5B, 0x60}, {0x7D, 0x7E}})
    for (int code = first; code <= last; ++code) identity.push_back(static_cast<std::uint8_t>(code));
  EXPECT_EQ(Bytes(record.begin() + HotKeyRunSize, record.end()), identity);
  EXPECT_EQ(*areas.remap.Byte(RemapTableId::Punct, 29), 0x7D);
  EXPECT_EQ(*areas.remap.Byte(RemapTableId::Punct, 30), 0x7E);
}

TEST(MappingFile, LoadByFileState) {
  struct Case {
    const char* what;
    std::optional<std::size_t> size;  // nothing: no such file
    bool openForWriting;
    bool loads;
    bool throwsReadBeyondEnd;
  };
  const Case cases[] = {
      {"exact record", MappingRecordSize, false, true, false},
      {"longer file, first 1171 bytes", 1400, false, true, false},
      {"1000 bytes", 1000, false, false, true},
      {"1170 bytes", 1170, false, false, true},
      {"empty file", 0, false, false, true},
      {"no such file", std::nullopt, false, false, false},
      {"written by another process", MappingRecordSize, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFiles files;
    Areas stored;
    stored.FillTables(4);
    Bytes content = stored.Record();
    content.resize(c.size.value_or(0), 0xEE);
    if (c.size) files.files[Name] = content;
    if (c.openForWriting) files.openForWriting.insert(Name);

    Areas areas;
    areas.FillTables(8);
    const Bytes before = areas.Record();
    if (c.throwsReadBeyondEnd) {
      try {
        Load(files, areas);
        ADD_FAILURE() << "no error";
      } catch (const IoError& error) {
        EXPECT_STREQ(error.what(), "Read beyond end of file");
      }
    } else {
      EXPECT_NO_THROW(Load(files, areas));
    }
    EXPECT_EQ(areas.Record(), c.loads ? stored.Record() : before);
  }
}

TEST(MappingFile, AnInterruptedSaveLeavesThePreviousFileWholeAndReportsTheError) {
  FakeFiles files;
  files.files[Name] = Bytes(MappingRecordSize, 0x11);
  const auto before = files.files;
  files.diskFullAfter = 500;
  Areas areas;
  areas.FillTables(5);
  try {
    Save(files, Name, areas);
    ADD_FAILURE() << "no error";
  } catch (const IoError& error) {
    EXPECT_STREQ(error.what(), "Disk full");
  }
  EXPECT_EQ(files.files, before);
  EXPECT_EQ(files.created, 1);  // the temporary file was made, and removed again

  files.diskFullAfter.reset();
  files.replaceRefused = files.inPlaceRefused = true;  // silent, as when the file cannot be opened
  EXPECT_FALSE(Save(files, Name, areas));
  EXPECT_EQ(files.files, before);
}

// The save writes beside the file and replaces it; where the folder takes no new file or the target is
// held open without delete sharing, it writes in place, and only where that is refused too is it skipped.
TEST(MappingFile, ASaveFallsBackToTheWriteInPlaceAndLeavesNoOtherFile) {
  struct Case {
    const char* what;
    bool refusesNewFiles, replaceRefused, inPlaceRefused, exists, saved;
  };
  const Case cases[] = {
      {"an ordinary folder", false, false, false, true, true},
      {"a folder that refuses new files", true, false, false, true, true},
      {"a target held without delete sharing", false, true, false, true, true},
      {"both refused", false, true, true, true, false},
      {"no file yet where none can be created", true, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFiles files;
    if (c.exists) files.files[Name] = Bytes(1500, 0x11);  // longer than a record: the write in place cuts it
    files.refusesNewFiles = c.refusesNewFiles;
    files.replaceRefused = c.replaceRefused;
    files.inPlaceRefused = c.inPlaceRefused;
    Areas areas;
    areas.FillTables(3);
    EXPECT_EQ(Save(files, Name, areas), c.saved);
    std::map<std::string, Bytes> expected;
    if (c.exists) expected[Name] = c.saved ? areas.Record() : Bytes(1500, 0x11);
    EXPECT_EQ(files.files, expected);
  }
}

// Ended at any step of a save, the process leaves the file whole: the old record or the new one through
// the replace, and never a short file through the write in place.
TEST(MappingFile, AKilledSaveNeverLeavesAShortFile) {
  const Bytes old(MappingRecordSize, 0x11);
  for (const bool inPlace : {false, true}) {
    for (int step = 1; step <= 2; ++step) {
      SCOPED_TRACE(std::string(inPlace ? "in place" : "replace") + ", killed at step " + std::to_string(step));
      FakeFiles files;
      files.files[Name] = old;
      files.refusesNewFiles = inPlace;
      files.killedAtStep = step;
      Areas areas;
      areas.FillTables(2);
      try {
        Save(files, Name, areas);
      } catch (const Killed&) {
      }
      const Bytes& left = files.files.at(Name);
      ASSERT_EQ(left.size(), MappingRecordSize);
      if (!inPlace) {
        EXPECT_TRUE(left == old || left == areas.Record());
      }
    }
  }
}

}  // namespace
}  // namespace tvx
