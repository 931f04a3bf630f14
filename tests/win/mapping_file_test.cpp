// The mapping file on real Win32 files: share modes, read-only targets, replace-on-save, short files.
#include <gtest/gtest.h>
// After <gtest/gtest.h>, which brings <windows.h>.
#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/common/IoError.h"
#include "core/files/MappingExtension.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/files/Win32Clock.h"
#include "win/files/Win32FileAccess.h"
#include "win/sys/Handles.h"

namespace tvx {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under %TEMP%, emptied and removed at the end.
class MappingFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override { areas_.assign(2 * AreaSize, 0x77); }

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((folder_ + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
  }
  void Store(const Bytes& content) {
    std::ofstream(name_, std::ios::binary)
        .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
  }
  Bytes Stored() const {
    std::ifstream in(name_, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  UniqueFile OpenElsewhere(DWORD access, DWORD share) const {
    return UniqueFile(::CreateFileA(name_.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr));
  }

  HotKeyAreaView HotKeys() { return HotKeyAreaView(areas_.data()); }
  RemapAreaView Remaps() { return RemapAreaView(areas_.data() + AreaSize); }
  void FillTables(std::uint8_t seed) {
    for (std::size_t i = 0; i < areas_.size(); ++i) areas_[i] = static_cast<std::uint8_t>(i * 3 + seed);
  }
  Bytes Tables() {
    const MappingRecord record = RecordFromAreas(HotKeys(), Remaps());
    return Bytes(record.begin(), record.end());
  }
  // The tables saved as the program saves them (no character beyond the record here).
  bool Save(const std::string& name) { return SaveMapping(files_, name, HotKeys(), Remaps(), {}); }
  // The file read as the program reads one to make it current: the record reaches the tables only once
  // the whole of it was read; why it could not be read.
  unsigned long Load() {
    Win32Clock clock;
    const TavrixRead read = ReadTavrixFile(files_, clock, name_);
    if (read.record) RecordToAreas(*read.record, HotKeys(), Remaps());
    return read.refusal;
  }

  const test::TempDir temp_;
  const std::string folder_ = temp_.path(), name_ = temp_.File("KEY.TVX");
  Bytes areas_;
  Win32FileAccess files_;
};

TEST_F(MappingFileOnDisk, SaveCreatesOrReplacesTheWholeFileAndLeavesNothingElseBehind) {
  FillTables(1);
  Save(name_);
  const Bytes first = Tables();
  EXPECT_EQ(Stored(), first);

  Store(Bytes(5000, 0xEE));  // a longer file is replaced, not overwritten in place
  FillTables(2);
  Save(name_);
  EXPECT_EQ(Stored(), Tables());
  EXPECT_EQ(Files(), std::vector<std::string>{"KEY.TVX"});

  FillTables(3);
  Store(first);
  Load();
  EXPECT_EQ(Tables(), first);
}

// Another program looking at the folder while saves follow each other finds the old file or the new one,
// never none: the replace is one rename.
TEST_F(MappingFileOnDisk, TheFileIsNeverMissingWhileSavesReplaceIt) {
  FillTables(1);
  Save(name_);
  std::atomic<bool> saving{true};
  std::atomic<int> missing{0}, looks{0};
  std::thread watcher([&] {
    while (saving) {
      if (::GetFileAttributesA(name_.c_str()) == INVALID_FILE_ATTRIBUTES) ++missing;
      ++looks;
    }
  });
  for (std::uint8_t seed = 0; seed < 200; ++seed) {
    FillTables(seed);
    Save(name_);
  }
  saving = false;
  watcher.join();
  EXPECT_GT(looks, 200);
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(Files(), std::vector<std::string>{"KEY.TVX"});
}

TEST_F(MappingFileOnDisk, AFileWrittenByAnotherHandleIsNotLoadedAndTheSharingViolationIsGiven) {
  Store(Bytes(MappingRecordSize, 0x41));
  const UniqueFile writer = OpenElsewhere(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(writer);
  FillTables(4);
  const Bytes before = Tables();
  EXPECT_EQ(Load(), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(Tables(), before);
}

TEST_F(MappingFileOnDisk, SavesRefusedByTheFileLeaveItWholeAndSayNothing) {
  struct Case {
    const char* what;
    DWORD attributes, access, share;  // access 0: no other handle
  };
  const Case cases[] = {
      {"read-only", FILE_ATTRIBUTE_READONLY, 0, 0},
      {"read by another instance", FILE_ATTRIBUTE_NORMAL, GENERIC_READ, FILE_SHARE_READ},
      {"written by another process", FILE_ATTRIBUTE_NORMAL, GENERIC_WRITE,
       FILE_SHARE_READ | FILE_SHARE_WRITE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::SetFileAttributesA(name_.c_str(), FILE_ATTRIBUTE_NORMAL);
    Store(Bytes(MappingRecordSize, 0x41));
    ASSERT_TRUE(::SetFileAttributesA(name_.c_str(), c.attributes));
    const UniqueFile other = c.access ? OpenElsewhere(c.access, c.share) : UniqueFile();
    ASSERT_TRUE(other || !c.access);
    FillTables(5);
    EXPECT_FALSE(Save(name_));
    EXPECT_EQ(Stored(), Bytes(MappingRecordSize, 0x41));
    EXPECT_EQ(Files(), std::vector<std::string>{"KEY.TVX"});
  }
}

// Another program reading the file without delete sharing refuses the replace, not the plain write: the
// record goes in place, cut to its length. The target keeps its attributes through a replace.
TEST_F(MappingFileOnDisk, ASaveWritesWhereThePlainWriteWouldAndKeepsTheAttributes) {
  Store(Bytes(5000, 0x41));
  {
    const UniqueFile reader = OpenElsewhere(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(reader);
    FillTables(8);
    EXPECT_NO_THROW(Save(name_));
    EXPECT_EQ(Stored(), Tables());
    EXPECT_EQ(Files(), std::vector<std::string>{"KEY.TVX"});
  }
  ASSERT_TRUE(::SetFileAttributesA(name_.c_str(), FILE_ATTRIBUTE_HIDDEN));
  FillTables(9);
  Save(name_);
  EXPECT_EQ(Stored(), Tables());
  EXPECT_EQ(::GetFileAttributesA(name_.c_str()) & FILE_ATTRIBUTE_HIDDEN,
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(Files(), std::vector<std::string>{"KEY.TVX"});
}

// A replace the target refuses (another program reads it without delete sharing) takes the new file away
// again, though it was given the target's access rights first: here rights to read it only.
TEST_F(MappingFileOnDisk, ARefusedReplaceLeavesNoNewFileBehind) {
  Store(Bytes(14, 0x41));
  PSECURITY_DESCRIPTOR readOnly = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FR;;;WD)", SDDL_REVISION_1,
                                                                     &readOnly, nullptr));
  ASSERT_TRUE(::SetFileSecurityA(name_.c_str(), DACL_SECURITY_INFORMATION, readOnly));
  ::LocalFree(readOnly);
  {
    const UniqueFile reader = OpenElsewhere(GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(reader);
    const auto beside = files_.CreateBeside(name_);
    ASSERT_TRUE(beside);
    files_.Write(*beside, Bytes(14, 0x42));
    EXPECT_FALSE(files_.Replace(*beside, name_));
  }
  EXPECT_EQ(Stored(), Bytes(14, 0x41));
  EXPECT_EQ(Files(), std::vector<std::string>{"KEY.TVX"});
}

TEST_F(MappingFileOnDisk, ASaveIntoAMissingFolderIsSkipped) {
  FillTables(6);
  EXPECT_NO_THROW(Save(folder_ + "\\no such folder\\KEY.TVX"));
  EXPECT_TRUE(Files().empty());
}

TEST_F(MappingFileOnDisk, AShortFileIsReportedAndChangesNoTable) {
  Store(Bytes(1000, 0x41));
  FillTables(7);
  const Bytes before = Tables();
  try {
    Load();
    ADD_FAILURE() << "no error";
  } catch (const IoError& error) {
    EXPECT_STREQ(error.what(), "Read beyond end of file");
  }
  EXPECT_EQ(Tables(), before);
}

TEST(IoErrorCodes, SystemErrorsBecomeTheirTexts) {
  // 100 and 101 are system numbers like any other, not the two errors with texts of their own.
  const std::pair<DWORD, const char*> cases[] = {{ERROR_DISK_FULL, "Disk full"},
                                                 {ERROR_HANDLE_DISK_FULL, "Disk full"},
                                                 {ERROR_ACCESS_DENIED, "I/O error 5"},
                                                 {ERROR_NETNAME_DELETED, "I/O error 64"},
                                                 {ERROR_TOO_MANY_SEMAPHORES, "I/O error 100"},
                                                 {ERROR_EXCL_SEM_ALREADY_OWNED, "I/O error 101"}};
  for (const auto& [error, text] : cases) EXPECT_EQ(SystemIoError(error).what(), std::string(text));
}

}  // namespace
}  // namespace tvx
