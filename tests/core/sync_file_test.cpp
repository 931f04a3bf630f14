#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>

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

// A shared folder that can let a second instance in at the moment the first reads the sync file.
class SharedFolder : public FakeFiles {
 public:
  std::function<void()> onSyncRead;
  std::optional<Bytes> Read(const std::string& name, std::size_t size, Sharing sharing) override {
    if (name == Sync && onSyncRead) std::exchange(onSyncRead, nullptr)();
    return FakeFiles::Read(name, size, sharing);
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
  explicit Instance(SharedFolder& folder, const char* machine = "PC1 7") : session(folder, clock, machine) {
    session.AttachSyncFile(Mapping);
  }
  // One edit attempt, which must answer within the deadline without spinning; a reload it asks for
  // reads the file.
  EditPermission Attempt() {
    const double start = clock.now;
    clock.calls = 0;
    const EditPermission permission = session.FileInUse();
    EXPECT_LE(clock.now - start, (EditDeadlineMilliseconds + 100) / 1000.0 * Second);
    EXPECT_LE(clock.calls, 2 * EditDeadlineMilliseconds / 50 + 20);
    if (permission == EditPermission::Changed || permission == EditPermission::TakenOver)
      session.TablesRead();
    return permission;
  }
};

TEST(SyncFile, RecordLayoutAndNames) {
  const auto bytes = EncodeSyncRecord({0x01020304, 2, 1.5});
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 6), (Bytes{4, 3, 2, 1, 2, 0}));
  EXPECT_EQ(DecodeSyncRecord(bytes), (SyncRecord{0x01020304, 2, 1.5}));
  EXPECT_EQ(ReplaceLastThree("C:\\KEYS\\OFFICE.TVX", "TVS"), "C:\\KEYS\\OFFICE.TVS");
  EXPECT_EQ(ReplaceLastThree("AB", "TVS"), "TVS");
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
  // A save the mapping file keeps refusing is not taken for one made: the edit counts no change.
  EXPECT_EQ(a.session.SaveUnderLock([] { return false; }), LockResult::NotNow);
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
  // The reload could not read the file (another program held it): the change is still unknown, and the
  // next attempt reloads again rather than edit the stale tables.
  EXPECT_EQ(b.session.FileInUse(), EditPermission::Changed);
  b.session.TablesRead();
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
  // A dies: the same stamp for a minute on B's clock.
  EXPECT_EQ(b.session.FileInUse(), EditPermission::InUse);
  b.clock.now += 59 * Second;
  EXPECT_EQ(b.session.FileInUse(), EditPermission::InUse);
  b.clock.now += 1 * Second;
  EXPECT_EQ(b.session.FileInUse(), EditPermission::TakenOver);
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
  EXPECT_GE(b.clock.slept, 2);  // B waited for the guard before giving up
}

TEST(SyncFile, FailuresOfTheSyncFile) {
  SharedFolder folder;
  Instance a(folder, "PC1 7"), b(folder, "PC2 7");
  ASSERT_EQ(b.session.FileInUse(), EditPermission::Granted);
  b.session.ReleaseSyncFile(1);
  // Being written by another instance: never decided on the record in memory, which knows no change.
  folder.openForWriting.insert(Sync);
  EXPECT_EQ(a.Attempt(), EditPermission::InUse);
  folder.openForWriting.clear();
  EXPECT_EQ(a.Attempt(), EditPermission::Changed);
  // Short: an I/O error, and nothing is written.
  folder.files[Sync] = Bytes(10, 0);
  EXPECT_THROW(a.session.FileInUse(), IoError);
  EXPECT_EQ(folder.files[Sync].size(), 10u);
  // Gone, in a folder that refuses new files: recreated in place with count 1, which B reports as a change.
  folder.refusesNewFiles = true;
  folder.files.erase(Sync);
  EXPECT_EQ(b.Attempt(), EditPermission::Changed);
  EXPECT_EQ(folder.Record().ChangeCount, 1);
  EXPECT_EQ(b.session.FileInUse(), EditPermission::Granted);
  EXPECT_EQ(folder.Record().LockState, LockHeld);
  // A write that fails part-way keeps the previous record whole, and the lock stays held until the
  // release can be written.
  folder.refusesNewFiles = false;
  folder.diskFullAfter = 5;
  EXPECT_EQ(b.session.ReleaseSyncFile(1), LockResult::NotNow);
  EXPECT_EQ(folder.Record().LockState, LockHeld);
  folder.diskFullAfter.reset();
  EXPECT_EQ(b.session.RetryRelease(), LockResult::Done);
  EXPECT_EQ(folder.Record(), (SyncRecord{2, LockFree, folder.Record().LockStamp}));
  // Read-only: reported at once with the system's number, not waited on as a sharing violation.
  folder.readOnly.insert(Sync);
  a.clock.slept = 0;
  try {
    a.Attempt();
    ADD_FAILURE() << "a read-only sync file took the lock";
  } catch (const IoError& error) {
    EXPECT_STREQ(error.what(), "I/O error 5");
  }
  EXPECT_LE(a.clock.slept, 0.1);
  EXPECT_EQ(folder.Record().LockState, LockFree);
}

// Guards that stay: each case is tried once a second until an attempt goes through. A guard with the
// same content for 10 s of this clock is passed, whatever time it names; a live one never is.
TEST(SyncFile, AGuardLeftOnTheShareIsPassedAfterTenSecondsOfThisClockAndNeverHangsAnAttempt) {
  struct Case {
    const char* what;
    std::string content;
    bool removalsRefused, removalsIgnored, unreadable, rewritten;
    double passedAfter;  // seconds; 0 for never
  };
  const std::string hourOld = "45000.458333333 PC2 9 0badf00d";
  const Case cases[] = {
      {"empty, from a machine killed between create and write", "", false, false, false, false, 10},
      {"an hour old by its creator's clock", hourOld, false, false, false, false, 10},
      {"one the share will not remove", hourOld, true, false, false, false, 10},
      {"one the share keeps though it reports the removal", hourOld, false, true, false, false, 10},
      {"one held open by another program", hourOld, false, false, true, false, 10},
      {"a live one, made again every second", hourOld, false, false, false, true, 0},
  };
  for (const Case& c : cases) {
    SharedFolder folder;
    Instance a(folder);
    folder.files[Guard].assign(c.content.begin(), c.content.end());
    folder.removalsRefused = c.removalsRefused;
    folder.removalsIgnored = c.removalsIgnored;
    if (c.unreadable) folder.openForWriting.insert(Guard);
    const double start = a.clock.now;
    double passed = 0;
    for (int second = 0; second < 30 && passed == 0; ++second) {
      if (a.Attempt() == EditPermission::Granted) passed = (a.clock.now - start) / Second;
      a.clock.now += Second;
      if (c.rewritten) folder.files[Guard].push_back('.');
    }
    if (c.passedAfter == 0) {
      EXPECT_EQ(passed, 0) << c.what;
      continue;
    }
    EXPECT_GE(passed, c.passedAfter) << c.what;
    EXPECT_LE(passed, c.passedAfter + 5) << c.what;  // a random part of up to 2 s, attempts 3 s apart
    const bool stays = c.removalsRefused || c.removalsIgnored || c.unreadable;
    EXPECT_EQ(folder.files.count(Guard), stays ? 1u : 0u) << c.what;
    a.session.ReleaseSyncFile(1);
    // The next attempt goes through at once: a removed guard is gone, one that stays was judged already.
    a.clock.slept = 0;
    EXPECT_EQ(a.Attempt(), EditPermission::Granted) << c.what;
    EXPECT_LE(a.clock.slept, 0.05) << c.what;
    a.session.ReleaseSyncFile(0);
    EXPECT_EQ(folder.Record(), (SyncRecord{2, LockFree, folder.Record().LockStamp})) << c.what;
  }
}

// Every guard is empty for a moment while its creator writes it: two such moments 13 s apart are not one
// guard left for 13 s.
TEST(SyncFile, AGuardSeenWhileItIsWrittenIsNotTakenForADeadOne) {
  SharedFolder folder;
  Instance b(folder, "PC2 7");
  const Bytes theirs{'C'};
  for (const bool firstAttempt : {true, false}) {
    folder.files[Guard] = {};
    b.clock.onSleep = [&](double) {
      if (firstAttempt)
        folder.files.erase(Guard);  // its creator is done
      else
        folder.files[Guard] = theirs;  // its creator has written it
      b.clock.onSleep = nullptr;
    };
    EXPECT_EQ(b.Attempt(), firstAttempt ? EditPermission::Granted : EditPermission::InUse);
    if (firstAttempt) b.session.ReleaseSyncFile(0);
    b.clock.now += 13 * Second;
  }
  EXPECT_EQ(folder.files.at(Guard), theirs);
}

// Clocks an hour apart, or in two time zones: neither instance judges the other's guard by its time.
TEST(SyncFile, ClocksAnHourApartNeverLetTwoInstancesIn) {
  SharedFolder folder;
  Instance a(folder, "PC1 7"), b(folder, "PC2 7");
  b.clock.now += 1.0 / 24;
  Bytes guardSeen;
  EditPermission second = EditPermission::Granted;
  folder.onSyncRead = [&] {
    guardSeen = folder.files.at(Guard);
    second = b.Attempt();
    EXPECT_EQ(folder.files.at(Guard), guardSeen);  // A's guard, untouched by B
  };
  EXPECT_EQ(a.Attempt(), EditPermission::Granted);
  EXPECT_EQ(second, EditPermission::InUse);
  EXPECT_FALSE(guardSeen.empty());
  EXPECT_EQ(folder.files.count(Guard), 0u);
  for (int turn = 0; turn < 4; ++turn) {
    Instance& holder = turn % 2 ? b : a;
    Instance& other = turn % 2 ? a : b;
    EXPECT_EQ(other.Attempt(), EditPermission::InUse) << turn;
    EXPECT_EQ(holder.session.ReleaseSyncFile(1), LockResult::Done) << turn;
    EXPECT_EQ(other.Attempt(), EditPermission::Changed) << turn;
    EXPECT_EQ(other.Attempt(), EditPermission::Granted) << turn;
  }
  EXPECT_EQ(b.session.ReleaseSyncFile(1), LockResult::Lost);  // A holds it now: B's old record stays home
  EXPECT_EQ(a.session.ReleaseSyncFile(1), LockResult::Done);
  EXPECT_EQ(folder.Record().ChangeCount, 6);
}

// Another program reads the sync file without sharing delete, so no write of it gets through meanwhile.
TEST(SyncFile, RefusedWritesOfTheSyncFileAreTriedAgainAndNoEditIsLost) {
  SharedFolder folder;
  Instance a(folder, "PC1 7"), b(folder, "PC2 7");
  // Refused for a second while A takes the lock and while it releases it: both go through.
  for (int step = 0; step < 2; ++step) {
    folder.heldForReading.insert(Sync);
    a.clock.slept = 0;
    a.clock.onSleep = [&](double slept) {
      if (slept >= 1) folder.heldForReading.clear();
    };
    if (step == 0) {
      EXPECT_EQ(a.Attempt(), EditPermission::Granted);
      EXPECT_EQ(folder.Record().LockState, LockHeld);
    } else {
      EXPECT_EQ(a.session.ReleaseSyncFile(1), LockResult::Done);
      EXPECT_EQ(folder.Record(), (SyncRecord{2, LockFree, folder.Record().LockStamp}));
    }
    EXPECT_GE(a.clock.slept, 1);
  }
  a.clock.onSleep = nullptr;
  EXPECT_EQ(b.Attempt(), EditPermission::Changed);

  // Refused for a minute: the lock stays A's, B cannot take it over, and the heartbeat releases it later.
  ASSERT_EQ(a.Attempt(), EditPermission::Granted);
  folder.heldForReading.insert(Sync);
  EXPECT_EQ(a.session.ReleaseSyncFile(1), LockResult::NotNow);
  EXPECT_TRUE(a.session.ReleasePending());
  EXPECT_EQ(folder.Record().LockState, LockHeld);
  EXPECT_EQ(b.Attempt(), EditPermission::InUse);
  b.clock.now += 61 * Second;
  EXPECT_THROW(b.session.FileInUse(), IoError);  // the takeover cannot be written either
  EXPECT_EQ(a.session.RetryRelease(), LockResult::NotNow);
  folder.heldForReading.clear();
  EXPECT_EQ(a.session.RetryRelease(), LockResult::Done);
  EXPECT_EQ(folder.Record(), (SyncRecord{3, LockFree, folder.Record().LockStamp}));
  EXPECT_EQ(b.Attempt(), EditPermission::Changed);

  // Refused until B took the dead-looking lock over: A's late release must not free B's lock, and A
  // reloads before its next edit.
  ASSERT_EQ(a.Attempt(), EditPermission::Granted);
  const auto releaseRefusedThenTakenOver = [&] {
    folder.heldForReading.insert(Sync);
    EXPECT_EQ(a.session.ReleaseSyncFile(1), LockResult::NotNow);
    EXPECT_EQ(b.Attempt(), EditPermission::InUse);
    b.clock.now += 61 * Second;
    folder.heldForReading.clear();
    EXPECT_EQ(b.Attempt(), EditPermission::TakenOver);
  };
  releaseRefusedThenTakenOver();
  EXPECT_EQ(a.session.RetryRelease(), LockResult::Lost);
  EXPECT_EQ(folder.Record().LockState, LockHeld);
  b.session.ReleaseSyncFile(1);
  EXPECT_EQ(a.Attempt(), EditPermission::Changed);
  EXPECT_EQ(a.Attempt(), EditPermission::Granted);

  // The same, but B gives the lock back before A's heartbeat, and A's next edit comes first: it finds its
  // release lost and reloads, though the share now shows the lock free and the count it reads there.
  releaseRefusedThenTakenOver();
  EXPECT_EQ(b.session.ReleaseSyncFile(1), LockResult::Done);
  EXPECT_EQ(a.Attempt(), EditPermission::Changed);
  EXPECT_FALSE(a.session.ReleasePending());
  EXPECT_EQ(a.Attempt(), EditPermission::Granted);

  // A heartbeat that comes after the release writes nothing: the lock is B's by then.
  a.session.ReleaseSyncFile(0);
  ASSERT_EQ(b.Attempt(), EditPermission::Granted);
  const SyncRecord theirs = folder.Record();
  a.clock.now += 30 * Second;
  EXPECT_EQ(a.session.RefreshLock(), LockResult::Lost);
  EXPECT_EQ(folder.Record(), theirs);
}

TEST(SyncFile, ATakeoverAsksForAReloadAndTheEditGoesAhead) {
  SharedFolder folder;
  Instance a(folder, "PC1 7"), b(folder, "PC2 7");
  ASSERT_EQ(a.Attempt(), EditPermission::Granted);
  // A saves its edit and dies before it can count it.
  EXPECT_EQ(b.Attempt(), EditPermission::InUse);
  b.clock.now += 60 * Second;
  EXPECT_EQ(b.Attempt(), EditPermission::TakenOver);
  EXPECT_EQ(folder.Record(), (SyncRecord{1, LockHeld, b.clock.now}));
  b.session.ReleaseSyncFile(1);
  EXPECT_EQ(folder.Record().ChangeCount, 2);
  EXPECT_EQ(b.session.KnownChangeCount(), 2);
  // A takeover that is then cancelled still counts a change: the holder taken over may have saved, and a
  // third instance must reload before it saves its own tables over that edit.
  Instance c(folder, "PC3 7");
  ASSERT_EQ(b.Attempt(), EditPermission::Granted);
  EXPECT_EQ(c.Attempt(), EditPermission::InUse);
  c.clock.now += 60 * Second;
  EXPECT_EQ(c.Attempt(), EditPermission::TakenOver);
  EXPECT_EQ(c.session.ReleaseSyncFile(0), LockResult::Done);
  EXPECT_EQ(folder.Record().ChangeCount, 3);
  EXPECT_EQ(a.Attempt(), EditPermission::Changed);
  // A takeover whose reload failed: the count it raises is not taken as known.
  Instance d(folder, "PC4 7");
  ASSERT_EQ(a.Attempt(), EditPermission::Granted);
  EXPECT_EQ(d.Attempt(), EditPermission::InUse);
  d.clock.now += 60 * Second;
  EXPECT_EQ(d.session.FileInUse(), EditPermission::TakenOver);
  EXPECT_EQ(d.session.ReleaseSyncFile(0), LockResult::Done);
  EXPECT_EQ(d.session.FileInUse(), EditPermission::Changed);
}

// A holds the lock and stops (a laptop asleep, a share gone) for 90 s; B takes it over, saves and holds
// it again. Whichever of A's heartbeat, save and release comes first, none of them writes anything: B's
// lock and edit stand, and A is told to reload.
TEST(SyncFile, AHolderThatLostItsLockWritesNothing) {
  enum class First { Heartbeat, Save, Release };
  for (const First first : {First::Heartbeat, First::Save, First::Release}) {
    SharedFolder folder;
    Instance a(folder, "PC1 7"), b(folder, "PC2 7");
    folder.files[Mapping] = Bytes(4, 'A');
    ASSERT_EQ(a.Attempt(), EditPermission::Granted);
    EXPECT_EQ(b.Attempt(), EditPermission::InUse);
    b.clock.now += 61 * Second;
    ASSERT_EQ(b.Attempt(), EditPermission::TakenOver);
    auto saveOf = [&](std::uint8_t who) {
      return [&folder, who] {
        folder.files[Mapping] = Bytes(4, who);
        return true;
      };
    };
    ASSERT_EQ(b.session.SaveUnderLock(saveOf('B')), LockResult::Done);
    ASSERT_EQ(b.session.ReleaseSyncFile(1), LockResult::Done);
    ASSERT_EQ(b.Attempt(), EditPermission::Granted);
    const SyncRecord theirs = folder.Record();
    EXPECT_EQ(theirs.ChangeCount, 2);

    a.clock.now += 90 * Second;
    const LockResult found = first == First::Heartbeat ? a.session.RefreshLock()
                             : first == First::Save    ? a.session.SaveUnderLock(saveOf('A'))
                                                       : a.session.ReleaseSyncFile(1);
    EXPECT_EQ(found, LockResult::Lost);
    EXPECT_FALSE(a.session.NeedsHeartbeat());
    a.session.TablesRead();
    EXPECT_EQ(a.session.KnownChangeCount(), 2);  // the tables reloaded now match the share
    EXPECT_EQ(a.session.RefreshLock(), LockResult::Lost);
    EXPECT_EQ(a.session.SaveUnderLock(saveOf('A')), LockResult::Lost);
    EXPECT_EQ(a.session.ReleaseSyncFile(1), LockResult::Lost);
    EXPECT_EQ(folder.Record(), theirs);
    EXPECT_EQ(folder.files.at(Mapping), Bytes(4, 'B'));
    EXPECT_EQ(folder.files.count(Guard), 0u);
    EXPECT_EQ(a.Attempt(), EditPermission::InUse);  // B still holds it
    ASSERT_EQ(b.session.ReleaseSyncFile(0), LockResult::Done);
    EXPECT_EQ(a.Attempt(), EditPermission::Granted);
  }
}

// Ages are taken on each instance's tick: the wall clock jumping an hour either way, on the holder's
// machine or on the one waiting, never makes a live lock look abandoned.
TEST(SyncFile, AWallClockJumpNeverTakesALiveLockOver) {
  struct Case {
    bool holderJumps;
    double jump;
  };
  for (const Case c :
       {Case{false, 1.0 / 24}, Case{false, -1.0 / 24}, Case{true, 1.0 / 24}, Case{true, -1.0 / 24}}) {
    SharedFolder folder;
    Instance a(folder, "PC1 7"), b(folder, "PC2 7");
    ASSERT_EQ(a.Attempt(), EditPermission::Granted);
    EXPECT_EQ(b.Attempt(), EditPermission::InUse);
    (c.holderJumps ? a : b).clock.Jump(c.jump);
    for (int beat = 0; beat < 4; ++beat) {
      a.clock.now += 30 * Second;
      b.clock.now += 30 * Second;
      EXPECT_EQ(a.session.RefreshLock(), LockResult::Done) << c.holderJumps << c.jump;
      EXPECT_EQ(b.Attempt(), EditPermission::InUse) << c.holderJumps << c.jump;
    }
    EXPECT_EQ(a.session.ReleaseSyncFile(1), LockResult::Done);
    EXPECT_EQ(b.Attempt(), EditPermission::Changed);
  }
}

// A file to be made current is read first: one that another program writes for a moment is waited for
// up to a second; a missing one, or one held longer, is refused with the system's reason.
TEST(MappingFile, AFileBecomingCurrentIsReadFirst) {
  struct Case {
    const char* what;
    bool present;
    double heldSeconds;
    unsigned long refusal;
    double waited;  // seconds, at most
  };
  const Case cases[] = {
      {"readable", true, 0, 0, 0},
      {"written by another instance for half a second", true, 0.5, 0, 0.6},
      {"held open for writing", true, 30, SharingViolation, 1.1},
      {"missing", false, 0, FileNotFound, 0},
  };
  for (const Case& c : cases) {
    SharedFolder folder;
    FakeClock clock;
    if (c.present) folder.files[Mapping] = Bytes(MappingRecordSize, 7);
    if (c.heldSeconds > 0) folder.openForWriting.insert(Mapping);
    clock.onSleep = [&](double slept) {
      if (slept >= c.heldSeconds) folder.openForWriting.clear();
    };
    const TavrixRead read = ReadTavrixFile(folder, clock, Mapping);
    EXPECT_EQ(read.record.has_value(), c.refusal == 0) << c.what;
    EXPECT_EQ(read.refusal, c.refusal) << c.what;
    EXPECT_LE(clock.slept, c.waited) << c.what;
    if (read.record) {
      EXPECT_EQ((*read.record)[0], 7) << c.what;
    }
  }
  SharedFolder folder;
  FakeClock clock;
  folder.files[Mapping] = Bytes(100, 0);
  EXPECT_THROW(ReadTavrixFile(folder, clock, Mapping), IoError);
}

TEST(SyncFile, TheNetworkDialogsChoices) {
  struct Case {
    const char* minutes;
    bool autoSync;
    NetworkChoices expected;
  };
  const Case cases[] = {
      {" 5 ", true, {true, true, 5}},    {"", true, {true, false, 0}},        {"0", true, {true, false, 0}},
      {"$1E", true, {true, true, 30}},   {"70000", true, {true, true, 4464}}, {"7x", false, {true, false, 7}},
      {"-1", true, {true, true, 65535}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReadNetworkChoices(true, c.autoSync, c.minutes), c.expected) << c.minutes;
  EXPECT_EQ(FormatNumberGrouped(10, 1), "10");
  EXPECT_EQ(FormatNumberGrouped(65535, 1), "65,535");
  EXPECT_EQ(FormatNumberGrouped(1234567, 10), " 1,234,567");
}

}  // namespace
}  // namespace tvx
