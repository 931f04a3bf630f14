#pragma once
// Network mode: several instances share one mapping file. Beside it lies the sync file (".TVS", one
// 14-byte record) with a cooperative edit lock and a count of saved changes. Each read-decide-write of the
// sync file is guarded by a short-lived guard file (".TVK") created exclusively, so two instances that
// check in the same instant cannot both take the lock. The clock and the files are injected.
//
// The guard rules, for a file server whose clients' clocks differ and die at any moment:
// - a guard holds its creator's time, machine, process and a random part, so no two are alike;
// - a guard is stale when its content (empty or unreadable counts as content) has stayed the same for
//   10 s of this instance's own clock (and a random part of up to 2 s, so that instances watching one
//   guard seldom judge it in the same instant), across edit attempts; a guard is held at most one
//   attempt (5 s);
// - an instance removes a guard only when it still holds the content judged stale, or its own;
// - a stale guard that cannot be removed is passed by: that attempt goes on unguarded, the lock in the
//   sync file still keeping others out.
// The race that remains: reading a guard and removing it are two calls on any network file system. Two
// instances that judge the same guard stale can both read it, one removes it and creates its own, and the
// other then removes that new guard; both go on, and the later lock written wins, as without a guard.
// It needs a guard left by a dead instance, and two instances that judge it stale within the same few
// milliseconds, which the random part makes rare.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/ShortString.h"
#include "core/files/MappingFile.h"

namespace tvx {

inline constexpr std::size_t SyncRecordSize = 14;
inline constexpr std::uint16_t LockHeld = 1;
inline constexpr std::uint16_t LockFree = 2;

struct SyncRecord {
  std::int32_t ChangeCount = 0;  // raised by one for every saved edit; only compared for equality
  std::uint16_t LockState = 0;   // LockHeld or LockFree
  double LockStamp = 0;          // the holder's local time (an OLE date) when it took or refreshed the lock
  friend bool operator==(const SyncRecord&, const SyncRecord&) = default;
};

std::array<std::uint8_t, SyncRecordSize> EncodeSyncRecord(const SyncRecord& record);
SyncRecord DecodeSyncRecord(std::span<const std::uint8_t, SyncRecordSize> bytes);

// `text` without its last three characters (whatever they are), then `ending`.
ShortString ReplaceLastThree(const ShortString& text, std::string_view ending);

// Local time as an OLE date (days since 30 December 1899), and a way to wait. Elapsed times are only ever
// taken on one instance's own clock.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double Now() = 0;
  virtual void Sleep(int milliseconds) = 0;
};

// Whether an elapsed time (in days) reaches one minute, whole days not counted.
bool OneMinuteOrMore(double elapsedDays);

enum class EditPermission {
  Granted,    // this instance holds the lock now
  TakenOver,  // this instance took a dead holder's lock: reload silently, then edit (it may have saved)
  InUse,      // another instance holds it (or is deciding at this very moment), or the file is unreadable
  Changed,    // another instance saved a change: reload before editing
};

// Every edit attempt answers within this, whatever the share does.
inline constexpr int EditDeadlineMilliseconds = 5000;

// One instance's side of the protocol, for the current mapping file.
class SyncSession {
 public:
  // `machine` names this instance's machine and process in the guards it creates.
  SyncSession(FileAccess& files, Clock& clock, std::string machine);

  void AttachSyncFile(const ShortString& mappingFile);
  EditPermission FileInUse();
  void RefreshLock();
  // False when the release could not be written yet: the lock stays held by this instance, and
  // RetryRelease goes on trying (on every heartbeat) until it is written.
  bool ReleaseSyncFile(int delta);
  bool Holding() const { return holding_; }
  bool ReleasePending() const { return releasePending_; }
  // Holding the lock, or still giving it back: the heartbeat has work to do.
  bool NeedsHeartbeat() const { return holding_ || releasePending_; }
  bool RetryRelease();
  void ForgetSeenLock() { SeenLockStamp = 0; }

  const ShortString& SyncFileName() const { return syncFileName_; }
  const SyncRecord& Record() const { return record_; }
  std::int32_t KnownChangeCount() const { return knownChangeCount_; }

 private:
  friend class SyncGuard;
  // Creates a missing sync file (count 1, lock free). False when it is there but cannot be read now; the
  // record in memory then stays as it was.
  bool ReadSyncFile();
  // Writes beside the sync file and replaces it, or in place where that is refused; a refusal is tried
  // again until `deadline` (local clock), then raises IoError: a lock that was not written must not be
  // taken.
  void WriteSyncFile(double deadline);
  EditPermission Decide(double deadline);
  void TakeLock(double deadline);
  void RefreshLock(double deadline);
  bool WriteRelease(double deadline);
  bool FinishRelease(double deadline);
  double Deadline() { return clock_.Now() + EditDeadlineMilliseconds / 86400000.0; }
  std::vector<std::uint8_t> NewGuardContent();

  FileAccess& files_;
  Clock& clock_;
  std::string machine_;
  std::uint32_t random_;
  double guardStaleDays_;
  ShortString syncFileName_;
  ShortString guardFileName_;
  SyncRecord record_;
  std::int32_t knownChangeCount_ = 0;
  double SeenLockStamp = 0;
  double SeenLockSince = 0;
  // The guard content last seen in another's guard, and since when on this clock.
  std::optional<std::vector<std::uint8_t>> seenGuard_;
  bool guardSeen_ = false;
  double seenGuardSince_ = 0;
  // A guard of ours that could not be removed: ours to remove at the next attempt.
  std::vector<std::uint8_t> leftGuard_;
  bool holding_ = false;  // from a lock written until its release
  bool releasePending_ = false;
  double heldStamp_ = 0;  // the stamp of the lock this instance holds or is releasing
};

// What the Network Considerations dialog leaves when it closes: the minutes text is read with its spaces
// trimmed, a sign and "$" for hexadecimal, and kept to 16 bits; no minutes switch automatic sync off.
struct NetworkChoices {
  bool NetworkMode;
  bool AutoSync;
  std::uint16_t SyncMinutes;
  friend bool operator==(const NetworkChoices&, const NetworkChoices&) = default;
};
NetworkChoices ReadNetworkChoices(bool networkOption, bool autoSync, std::string_view minutes);

}  // namespace tvx
