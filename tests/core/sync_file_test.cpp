#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/common/IoError.h"
#include "core/common/Numbers.h"
#include "core/files/SyncFile.h"
#include "tests/core/fake_files.h"

namespace tvx {
namespace {

constexpr double Second = 1.0 / 86400;
const std::string Mapping = "S:\\KEYS\\OFFICE.TVX";
const std::string Sync = "S:\\KEYS\\OFFICE.TVS";
const std::string Guard = "S:\\KEYS\\OFFICE.TVK";

class FakeClock : public Clock {
 public:
  double now = 45000.5;  // a day in 2023, at noon
  double Now() override { return now; }
  void Sleep(int milliseconds) override { now += milliseconds * Second / 1000; }
};

// A shared folder that can let a second instance in at the moment the first reads the sync file.
class SharedFolder : public FakeFiles {
 public:
  std::function<void()> onSyncRead;
  std::optional<Bytes> Read(const std::string& name, std::size_t size) override {
    if (name == Sync && onSyncRead) std::exchange(onSyncRead, nullptr)();
    return FakeFiles::Read(name, size);
  }
  SyncRecord Record() const {
    const Bytes& bytes = files.at(Sync);
    EXPECT_EQ(bytes.size(), SyncRecordSize);
    return DecodeSyncRecord(std::span<const std::uint8_t, SyncRecordSize>(bytes.data(), SyncRecordSize));
  }
};

// An instance on a machine of its own, on the shared folder.
struct Instance {
  FakeClock clock;
  SyncSession session;
  explicit Instance(SharedFolder& folder) : session(folder, clock) { session.AttachSyncFile(Mapping); }
};

TEST(SyncFile, RecordLayoutNamesAndTheMinuteRule) {
  const auto bytes = EncodeSyncRecord({0x01020304, 2, 1.5});
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 6), (Bytes{4, 3, 2, 1, 2, 0}));
  EXPECT_EQ(DecodeSyncRecord(bytes), (SyncRecord{0x01020304, 2, 1.5}));
  EXPECT_EQ(ReplaceLastThree("C:\\KEYS\\OFFICE.TVX", "TVS"), "C:\\KEYS\\OFFICE.TVS");
  EXPECT_EQ(ReplaceLastThree("AB", "TVS"), "TVS");

  struct Case {
    double elapsed;
    bool minute;
  };
  const Case cases[] = {{59.9 * Second, false}, {60 * Second, true},       {1 + 30 * Second, false},
                        {1 + 61 * Second, true}, {2.0 / 24, true},         {-61 * Second, true},
                        {0, false},              {3 + 59 * Second, false}};
  for (const Case& c : cases) EXPECT_EQ(OneMinuteOrMore(c.elapsed), c.minute) << c.elapsed;
}

TEST(SyncFile, TheFirstEditAfterAttachingTakesTheLockAndCountsWhatItSaved) {
  SharedFolder folder;
  Instance a(folder);
  EXPECT_EQ(folder.Record(), (SyncRecord{1, LockFree, 0}));
  ASSERT_EQ(a.session.FileInUse(), EditPermission::Granted);
  EXPECT_EQ(folder.Record(), (SyncRecord{1, LockHeld, a.clock.now}));
  a.clock.now += 30 * Second;
  a.session.RefreshLock();
  const double lastStamp = a.clock.now;
  a.clock.now += 5 * Second;
  a.session.ReleaseSyncFile(1);
  EXPECT_EQ(folder.Record(), (SyncRecord{2, LockFree, lastStamp}));
  ASSERT_EQ(a.session.FileInUse(), EditPermission::Granted);
  a.session.ReleaseSyncFile(0);
  EXPECT_EQ(folder.Record().ChangeCount, 2);
  EXPECT_EQ(folder.files.count(Guard), 0u);  // no guard is left behind
}

TEST(SyncFile, AnotherInstancesSavedEditIsReloadedBeforeTheNextEdit) {
  SharedFolder folder;
  Instance a(folder), b(folder);
  ASSERT_EQ(a.session.FileInUse(), EditPermission::Granted);
  a.session.ReleaseSyncFile(1);
  EXPECT_EQ(b.session.FileInUse(), EditPermission::Changed);
  EXPECT_EQ(b.session.KnownChangeCount(), 2);
  EXPECT_EQ(b.session.FileInUse(), EditPermission::Granted);
}

TEST(SyncFile, ALiveHolderKeepsOthersOutAndADeadOneIsTakenOverAfterAMinute) {
  SharedFolder folder;
  Instance a(folder), b(folder);
  ASSERT_EQ(a.session.FileInUse(), EditPermission::Granted);
  // A refreshes every 30 s: each new stamp starts B's minute again.
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(b.session.FileInUse(), EditPermission::InUse) << i;
    a.clock.now += 30 * Second;
    a.session.RefreshLock();
    b.clock.now += 31 * Second;
  }
  // A dies: the same stamp for a minute on B's clock; a day and 30 seconds counts as 30 seconds.
  EXPECT_EQ(b.session.FileInUse(), EditPermission::InUse);
  b.clock.now += 1 + 30 * Second;
  EXPECT_EQ(b.session.FileInUse(), EditPermission::InUse);
  b.clock.now += 31 * Second;
  EXPECT_EQ(b.session.FileInUse(), EditPermission::Granted);
  EXPECT_EQ(folder.Record(), (SyncRecord{1, LockHeld, b.clock.now}));
}

TEST(SyncFile, TwoInstancesCheckingInTheSameInstantDoNotBothGoAhead) {
  SharedFolder folder;
  Instance a(folder), b(folder);
  EditPermission second = EditPermission::Granted;
  folder.onSyncRead = [&] { second = b.session.FileInUse(); };
  EXPECT_EQ(a.session.FileInUse(), EditPermission::Granted);
  EXPECT_EQ(second, EditPermission::InUse);
  EXPECT_EQ(folder.Record().LockStamp, a.clock.now);
  EXPECT_GE(b.clock.now - 45000.5, 2 * Second);  // B waited for the guard before giving up
}

TEST(SyncFile, AGuardLeftByADeadInstanceIsRemovedAfterTenSeconds) {
  for (const double age : {11.0, -11.0, 5.0}) {
    SharedFolder folder;
    Instance a(folder);
    std::uint8_t stamp[sizeof(double)];
    const double written = a.clock.now - age * Second;
    std::memcpy(stamp, &written, sizeof written);
    folder.files[Guard].assign(stamp, stamp + sizeof stamp);
    // A live guard is waited for two seconds, then the lock counts as in use.
    EXPECT_EQ(a.session.FileInUse(), age == 5 ? EditPermission::InUse : EditPermission::Granted) << age;
  }
}

TEST(SyncFile, FailuresOfTheSyncFile) {
  SharedFolder folder;
  Instance a(folder), b(folder);
  ASSERT_EQ(b.session.FileInUse(), EditPermission::Granted);
  b.session.ReleaseSyncFile(1);
  // Being written by another instance: the decision uses the record in memory, which knows no change.
  folder.openForWriting.insert(Sync);
  EXPECT_EQ(a.session.FileInUse(), EditPermission::Granted);
  folder.openForWriting.clear();
  a.session.ReleaseSyncFile(0);
  // Short: an I/O error, and nothing is written.
  folder.files[Sync] = Bytes(10, 0);
  EXPECT_THROW(a.session.FileInUse(), IoError);
  EXPECT_EQ(folder.files[Sync].size(), 10u);
  // Gone, in a folder that refuses new files: recreated in place with count 1, which B reports as a change.
  folder.refusesNewFiles = true;
  folder.files.erase(Sync);
  EXPECT_EQ(b.session.FileInUse(), EditPermission::Changed);
  EXPECT_EQ(folder.Record().ChangeCount, 1);
  EXPECT_EQ(b.session.FileInUse(), EditPermission::Granted);
  EXPECT_EQ(folder.Record().LockState, LockHeld);
  // A write that fails part-way keeps the previous record whole.
  folder.refusesNewFiles = false;
  folder.diskFullAfter = 5;
  EXPECT_THROW(b.session.ReleaseSyncFile(1), IoError);
  folder.diskFullAfter.reset();
  EXPECT_EQ(folder.Record().LockState, LockHeld);
}

TEST(SyncFile, TheNetworkDialogsChoices) {
  struct Case {
    const char* minutes;
    bool autoSync;
    NetworkChoices expected;
  };
  const Case cases[] = {
      {" 5 ", true, {true, true, 5}},   {"", true, {true, false, 0}},       {"0", true, {true, false, 0}},
      {"$1E", true, {true, true, 30}},  {"70000", true, {true, true, 4464}}, {"7x", false, {true, false, 7}},
      {"-1", true, {true, true, 65535}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadNetworkChoices(true, c.autoSync, c.minutes), c.expected) << c.minutes;
  EXPECT_EQ(FormatNumberGrouped(10, 1), "10");
  EXPECT_EQ(FormatNumberGrouped(65535, 1), "65,535");
  EXPECT_EQ(FormatNumberGrouped(1234567, 10), " 1,234,567");
}

}  // namespace
}  // namespace tvx
