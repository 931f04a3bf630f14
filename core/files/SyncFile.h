#pragma once
// Network mode: several instances share one mapping file. Beside it lies the sync file (".TVS", one
// 14-byte record) with a cooperative edit lock and a count of saved changes. Each read-decide-write of the
// sync file is guarded by a short-lived guard file (".TVK") created exclusively, so two instances that
// check in the same instant cannot both take the lock. The clock and the files are injected.
//
// The lock is this instance's only while the share says so: the heartbeat, the save and the release each
// read the record under the guard first, and write nothing once another instance's stamp is there (it
// took the lock over while this one slept or lost the share).
//
// One clock rule for the guard and the lock: ages are measured on this instance's monotonic tick, from
// the moment it first saw a stamp or a guard's content unchanged; a stamp on the share is only compared
// for equality. A change of the wall clock (daylight saving, a time zone, a step after a resume) never
// makes a live lock or guard look old.
//
// The guard rules, for a file server whose clients' clocks differ and die at any moment:
// - a guard holds its creator's time, machine, process and a random part, so no two are alike;
// - a guard is stale when its content (empty or unreadable counts as content) has stayed the same for
//   10 s of this instance's tick (and a random part of up to 2 s, so that instances watching one
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
#include <functional>
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

enum class EditPermission {
  Granted,    // this instance holds the lock now
  TakenOver,  // this instance took a dead holder's lock: reload silently, then edit (it may have saved)
  InUse,      // another instance holds it (or is deciding at this very moment), or the file is unreadable
  Changed,    // another instance saved a change: reload before editing
};
// Changed and TakenOver, and a lock found Lost, count the share's changes as known only once the caller
// has read the mapping file again (TablesRead): a reload that failed leaves the next attempt Changed, so
// this instance's stale tables are never saved over another's change.

// Every edit attempt answers within this, whatever the share does: before the window's wait for a file
// call gives up (5 s), which then only catches a call stuck inside one system call.
inline constexpr int EditDeadlineMilliseconds = 4500;
// The same stamp for this long on this instance's tick: its holder is gone.
inline constexpr std::int64_t LockAbandonedMilliseconds = 60000;

// What the heartbeat, the save and the release found on the share.
enum class LockResult {
  Done,    // written (refreshed, saved, given back)
  NotNow,  // the share could not be asked or refused the write: nothing written, try again later
  Lost,    // another instance holds the lock now: nothing written, the tables are to be reloaded
};

// One instance's side of the protocol, for the current mapping file.
class SyncSession {
 public:
  // `machine` names this instance's machine and process in the guards it creates.
  SyncSession(FileAccess& files, Clock& clock, std::string machine);

  void AttachSyncFile(const ShortString& mappingFile);
  EditPermission FileInUse();
  // The heartbeat: a new stamp, while the lock on the share is still ours.
  LockResult RefreshLock();
  // Runs `save` (true when it wrote the mapping file) under the guard while the lock on the share is
  // still ours; a save refused is tried again for a moment. NotNow when it did not save.
  LockResult SaveUnderLock(const std::function<bool()>& save);
  // NotNow when the release could not be written yet: the lock stays held by this instance, and
  // RetryRelease goes on trying (on every heartbeat) until it is written. A release after a takeover
  // counts a change whatever `delta` says: the holder taken over may have saved before it could count.
  LockResult ReleaseSyncFile(int delta);
  bool Holding() const { return holding_; }
  bool ReleasePending() const { return releasePending_; }
  // Holding the lock, or still giving it back: the heartbeat has work to do.
  bool NeedsHeartbeat() const { return holding_ || releasePending_; }
  LockResult RetryRelease();
  void ForgetSeenLock() { SeenLockStamp = 0; }
  // The mapping file has been read into the tables since the sync file was last read: what it counted is
  // in them.
  void TablesRead() {
    knownChangeCount_ = record_.ChangeCount;
    reloadDue_ = false;
  }

  const ShortString& SyncFileName() const { return syncFileName_; }
  const SyncRecord& Record() const { return record_; }
  std::int32_t KnownChangeCount() const { return knownChangeCount_; }

 private:
  friend class SyncGuard;
  // Creates a missing sync file (count 1, lock free). False when it is there but cannot be read now; the
  // record in memory then stays as it was.
  bool ReadSyncFile();
  // Writes beside the sync file and replaces it, or in place where that is refused. A sharing violation
  // is tried again until `deadline` (tick), then raises IoError: a lock that was not written must not be
  // taken. Any other refusal (a read-only file, a folder the user may not write) raises it at once.
  void WriteSyncFile(std::int64_t deadline);
  EditPermission Decide(std::int64_t deadline);
  void TakeLock(std::int64_t deadline);
  // Under the guard (when it could be had), the record on the share read: nothing while the lock there is
  // still the one we wrote; NotNow when the guard or the share could not be had; the lock given up (Lost)
  // when another instance took it over.
  std::optional<LockResult> NotOurLock(bool guardHeld, std::int64_t deadline);
  LockResult LoseLock();
  LockResult FinishRelease(std::int64_t deadline);
  std::int64_t Deadline() { return clock_.Tick() + EditDeadlineMilliseconds; }
  std::vector<std::uint8_t> NewGuardContent();

  FileAccess& files_;
  Clock& clock_;
  std::string machine_;
  std::uint32_t random_;
  std::int64_t guardStaleMilliseconds_;
  ShortString syncFileName_;
  ShortString guardFileName_;
  SyncRecord record_;
  std::int32_t knownChangeCount_ = 0;
  double SeenLockStamp = 0;
  std::int64_t SeenLockSince = 0;  // tick
  // The guard content last seen in another's guard, and since when on this tick.
  std::optional<std::vector<std::uint8_t>> seenGuard_;
  bool guardSeen_ = false;
  std::int64_t seenGuardSince_ = 0;
  // A guard of ours that could not be removed: ours to remove at the next attempt.
  std::vector<std::uint8_t> leftGuard_;
  bool holding_ = false;  // from a lock written until its release, or until another took it
  bool releasePending_ = false;
  bool tookOver_ = false;  // the lock held was taken over from another instance
  bool reloadDue_ = false;  // the tables may lack a change the count does not show (a holder taken over)
  int releaseDelta_ = 0;
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
