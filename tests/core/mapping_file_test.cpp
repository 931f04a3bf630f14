#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "core/common/IoError.h"
#include "core/files/MappingFile.h"

namespace tvx {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A folder of files in memory, with the ways a real one refuses or fails.
class FakeFiles : public FileAccess {
 public:
  std::map<std::string, Bytes> files;
  std::set<std::string> readOnly, openForWriting, openForReading;
  std::optional<std::size_t> diskFullAfter;  // a write stops there with "Disk full"
  bool folderMissing = false;
  int created = 0;

  bool Exists(const std::string& name) override { return files.count(name) != 0; }
  std::optional<Bytes> Read(const std::string& name, std::size_t size) override {
    if (!files.count(name) || openForWriting.count(name)) return std::nullopt;
    const Bytes& all = files.at(name);
    return Bytes(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(size, all.size())));
  }
  bool CanWrite(const std::string& name) override {
    return !folderMissing && !readOnly.count(name) && !openForWriting.count(name) &&
           !openForReading.count(name);
  }
  std::optional<std::string> CreateBeside(const std::string& name) override {
    if (folderMissing) return std::nullopt;
    const std::string temporary = name + ".tmp" + std::to_string(++created);
    files[temporary] = {};
    return temporary;
  }
  void Write(const std::string& name, std::span<const std::uint8_t> bytes) override {
    const std::size_t fits = std::min(bytes.size(), diskFullAfter.value_or(bytes.size()));
    files[name].assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(fits));
    if (fits < bytes.size()) throw IoError(IoError::DiskFull);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    if (openForReading.count(to)) return false;
    files[to] = files.at(from);
    files.erase(from);
    return true;
  }
  void Remove(const std::string& name) noexcept override { files.erase(name); }
};

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

TEST(MappingFile, AllNineBlocksSurviveASaveAndALoadInTheirFileOrder) {
  FakeFiles files;
  Areas source;
  source.FillTables(1);
  SaveTavrix(files, Name, source.hotKeys, source.remap);
  ASSERT_EQ(files.files.at(Name), source.Record());

  // Block by block the file offsets of the format: (file offset, area offset, size, in the hot-key area?)
  struct Block {
    std::size_t file, area, size;
    bool hotKeys;
  };
  const Block blocks[] = {{0, 8, 364, true},     {364, 372, 140, true}, {504, 512, 154, true},
                          {658, 666, 168, true}, {826, 834, 252, true}, {1078, 8, 26, false},
                          {1104, 34, 26, false}, {1130, 60, 10, false}, {1140, 70, 31, false}};
  const Bytes& file = files.files.at(Name);
  for (const Block& block : blocks) {
    const Bytes& area = block.hotKeys ? source.hotKeyBytes : source.remapBytes;
    EXPECT_TRUE(std::equal(file.begin() + block.file, file.begin() + block.file + block.size,
                           area.begin() + block.area))
        << "block at file offset " << block.file;
  }

  Areas target;
  target.FillTables(2);
  LoadTavrix(files, Name, target.hotKeys, target.remap);
  EXPECT_EQ(target.Record(), source.Record());
  EXPECT_EQ(target.Outside(), Areas().Outside());
}

TEST(MappingFile, HeadersAndUnusedBytesAreNeverTouched) {
  FakeFiles files;
  files.files[Name] = Bytes(MappingRecordSize, 0x5A);
  Areas areas;
  const Bytes outside = areas.Outside();
  InitTavrix(areas.hotKeys, areas.remap);
  EXPECT_EQ(areas.Outside(), outside);
  LoadTavrix(files, Name, areas.hotKeys, areas.remap);
  EXPECT_EQ(areas.Outside(), outside);
  EXPECT_EQ(areas.Record(), Bytes(MappingRecordSize, 0x5A));
  SaveTavrix(files, "other.tvx", areas.hotKeys, areas.remap);
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
        LoadTavrix(files, Name, areas.hotKeys, areas.remap);
        ADD_FAILURE() << "no error";
      } catch (const IoError& error) {
        EXPECT_STREQ(error.what(), "Read beyond end of file");
      }
    } else {
      EXPECT_NO_THROW(LoadTavrix(files, Name, areas.hotKeys, areas.remap));
    }
    EXPECT_EQ(areas.Record(), c.loads ? stored.Record() : before);
  }
}

TEST(MappingFile, AllZeroFileLoadsAsAllZeroTables) {
  FakeFiles files;
  files.files[Name] = Bytes(MappingRecordSize, 0);
  Areas areas;
  areas.FillTables(3);
  LoadTavrix(files, Name, areas.hotKeys, areas.remap);
  EXPECT_EQ(areas.Record(), Bytes(MappingRecordSize, 0));
}

TEST(MappingFile, SavesThatMayNotWriteChangeNothingAndSayNothing) {
  const std::pair<const char*, void (*)(FakeFiles&)> refusals[] = {
      {"read-only", [](FakeFiles& f) { f.readOnly.insert(Name); }},
      {"read by another process", [](FakeFiles& f) { f.openForReading.insert(Name); }},
      {"written by another process", [](FakeFiles& f) { f.openForWriting.insert(Name); }},
      {"no such folder", [](FakeFiles& f) { f.folderMissing = true; }},
  };
  for (const auto& [what, refuse] : refusals) {
    SCOPED_TRACE(what);
    FakeFiles files;
    files.files[Name] = Bytes(MappingRecordSize, 0x11);
    const auto before = files.files;
    refuse(files);
    Areas areas;
    areas.FillTables(5);
    EXPECT_NO_THROW(SaveTavrix(files, Name, areas.hotKeys, areas.remap));
    EXPECT_EQ(files.files, before);
  }
}

TEST(MappingFile, AnInterruptedSaveLeavesThePreviousFileWholeAndReportsTheError) {
  FakeFiles files;
  files.files[Name] = Bytes(MappingRecordSize, 0x11);
  files.diskFullAfter = 500;
  Areas areas;
  areas.FillTables(5);
  try {
    SaveTavrix(files, Name, areas.hotKeys, areas.remap);
    ADD_FAILURE() << "no error";
  } catch (const IoError& error) {
    EXPECT_STREQ(error.what(), "Disk full");
  }
  EXPECT_EQ(files.files, (std::map<std::string, Bytes>{{Name, Bytes(MappingRecordSize, 0x11)}}));
  EXPECT_EQ(files.created, 1);  // the temporary file was made, and removed again
}

TEST(MappingFile, AMissingCurrentFileIsCreatedWithTheDefaultsAndAnExistingOneIsLoaded) {
  FakeFiles files;
  Areas areas;
  areas.FillTables(6);
  LoadOrCreateTavrix(files, Name, areas.hotKeys, areas.remap);
  Areas defaults;
  InitTavrix(defaults.hotKeys, defaults.remap);
  EXPECT_EQ(files.files.at(Name), defaults.Record());
  EXPECT_EQ(areas.Record(), defaults.Record());

  areas.FillTables(7);
  const Bytes edited = areas.Record();
  SaveTavrix(files, Name, areas.hotKeys, areas.remap);
  areas.FillTables(0);
  LoadOrCreateTavrix(files, Name, areas.hotKeys, areas.remap);
  EXPECT_EQ(areas.Record(), edited);
  EXPECT_EQ(files.files.size(), 1u);
}

}  // namespace
}  // namespace tvx
