#pragma once
// Network mode: several instances share one mapping file. Beside it lies the sync file (".TVS", one
// 14-byte record) with a cooperative edit lock and a count of saved changes. Each read-decide-write of the
// sync file is guarded by a short-lived guard file (".TVK") created exclusively, so two instances that
// check in the same instant cannot both take the lock. The clock and the files are injected.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

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

// Local time as an OLE date (days since 30 December 1899), and a way to wait.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double Now() = 0;
  virtual void Sleep(int milliseconds) = 0;
};

// Whether an elapsed time (in days) reaches one minute, whole days not counted.
bool OneMinuteOrMore(double elapsedDays);

enum class EditPermission {
  Granted,  // this instance holds the lock now
  InUse,    // another instance holds it (or is deciding at this very moment)
  Changed,  // another instance saved a change: reload before editing
};

// One instance's side of the protocol, for the current mapping file.
class SyncSession {
 public:
  SyncSession(FileAccess& files, Clock& clock) : files_(files), clock_(clock) {}

  void AttachSyncFile(const ShortString& mappingFile);
  EditPermission FileInUse();
  void RefreshLock();
  void ReleaseSyncFile(int delta);
  void ForgetSeenLock() { SeenLockStamp = 0; }

  // Creates a missing sync file (count 1, lock free); an unreadable one leaves the record as it was.
  void ReadSyncFile();
  // Writes beside the sync file and replaces it; where that is refused, writes it in place. A failure of
  // that write too raises IoError: a lock that was not written must not be taken.
  void WriteSyncFile();

  const ShortString& SyncFileName() const { return syncFileName_; }
  const SyncRecord& Record() const { return record_; }
  std::int32_t KnownChangeCount() const { return knownChangeCount_; }

 private:
  friend class SyncGuard;
  void TakeLock();

  FileAccess& files_;
  Clock& clock_;
  ShortString syncFileName_;
  ShortString guardFileName_;
  SyncRecord record_;
  std::int32_t knownChangeCount_ = 0;
  double SeenLockStamp = 0;
  double SeenLockSince = 0;
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
