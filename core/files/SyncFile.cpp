#include "core/files/SyncFile.h"

#include <cmath>
#include <cstring>

#include "core/common/Numbers.h"
#include "core/common/Text.h"

namespace tvx {
namespace {

constexpr double MillisecondsPerDay = 86400000.0;
constexpr double GuardWaitDays = 2000 / MillisecondsPerDay;     // then the lock counts as in use
constexpr double GuardStaleDays = 10000 / MillisecondsPerDay;   // a guard this old was left by a dead instance
constexpr int GuardRetryMilliseconds = 50;

template <typename T>
void Put(std::uint8_t* at, T value) {
  std::memcpy(at, &value, sizeof value);  // the platforms we build for are little-endian, as the file is
}

template <typename T>
T Get(const std::uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

}  // namespace

std::array<std::uint8_t, SyncRecordSize> EncodeSyncRecord(const SyncRecord& record) {
  std::array<std::uint8_t, SyncRecordSize> bytes{};
  Put(&bytes[0], record.ChangeCount);
  Put(&bytes[4], record.LockState);
  Put(&bytes[6], record.LockStamp);
  return bytes;
}

SyncRecord DecodeSyncRecord(std::span<const std::uint8_t, SyncRecordSize> bytes) {
  return {Get<std::int32_t>(&bytes[0]), Get<std::uint16_t>(&bytes[4]), Get<double>(&bytes[6])};
}

ShortString ReplaceLastThree(const ShortString& text, std::string_view ending) {
  const std::string& whole = text.str();
  return ShortString(whole.substr(0, whole.size() - std::min<std::size_t>(3, whole.size()))) + ending;
}

// The time of day of the elapsed time, rounded to milliseconds as a clock shows it.
bool OneMinuteOrMore(double elapsedDays) {
  const double timeOfDay = std::fabs(elapsedDays - std::trunc(elapsedDays));
  const auto milliseconds = std::llround(timeOfDay * MillisecondsPerDay);
  return milliseconds % static_cast<long long>(MillisecondsPerDay) >= 60000;
}

// Held while one instance reads, decides and writes the sync file. It holds its creator's time, so a
// guard left by an instance that died meanwhile can be recognised and removed.
class SyncGuard {
 public:
  explicit SyncGuard(SyncSession& session) : session_(session) { held_ = Acquire(); }
  SyncGuard(const SyncGuard&) = delete;
  SyncGuard& operator=(const SyncGuard&) = delete;
  ~SyncGuard() {
    if (created_) session_.files_.Remove(name());
  }
  bool held() const { return held_; }

 private:
  const std::string& name() const { return session_.guardFileName_.str(); }

  bool Acquire() {
    const double start = session_.clock_.Now();
    for (;;) {
      const double now = session_.clock_.Now();
      std::uint8_t stamp[sizeof now];
      Put(stamp, now);
      switch (session_.files_.CreateNew(name(), stamp)) {
        case FileAccess::CreateResult::Created:
          created_ = true;
          return true;
        case FileAccess::CreateResult::Refused:
          return true;  // a folder that refuses new files: the protocol goes on unguarded
        case FileAccess::CreateResult::Exists:
          break;
      }
      if (Stale(now)) {
        session_.files_.Remove(name());
        continue;
      }
      if (now - start >= GuardWaitDays) return false;
      session_.clock_.Sleep(GuardRetryMilliseconds);
    }
  }

  // A guard being written, or unreadable, is a live one. Either clock may be the later one.
  bool Stale(double now) {
    const auto bytes = session_.files_.Read(name(), sizeof(double));
    if (!bytes || bytes->size() < sizeof(double)) return false;
    return std::fabs(now - Get<double>(bytes->data())) > GuardStaleDays;
  }

  SyncSession& session_;
  bool held_ = false;
  bool created_ = false;
};

void SyncSession::AttachSyncFile(const ShortString& mappingFile) {
  syncFileName_ = ReplaceLastThree(mappingFile, "TVS");
  guardFileName_ = ReplaceLastThree(mappingFile, "TVK");
  ReadSyncFile();
  knownChangeCount_ = record_.ChangeCount;
}

// The content decides, never a directory listing (network clients cache those): a missing file is
// created only where no file of that name exists at that moment.
void SyncSession::ReadSyncFile() {
  for (;;) {
    std::array<std::uint8_t, SyncRecordSize> bytes;
    if (LoadRecord(files_, syncFileName_.str(), bytes)) {
      record_ = DecodeSyncRecord(bytes);
      return;
    }
    if (files_.Exists(syncFileName_.str())) return;  // there, but not to be opened now
    SyncRecord fresh = record_;
    fresh.ChangeCount = 1;
    fresh.LockState = LockFree;
    switch (files_.CreateNew(syncFileName_.str(), EncodeSyncRecord(fresh))) {
      case FileAccess::CreateResult::Created:
        record_ = fresh;
        return;
      case FileAccess::CreateResult::Refused:
        record_ = fresh;
        WriteSyncFile();
        return;
      case FileAccess::CreateResult::Exists:
        break;  // another instance created it first: read that one
    }
  }
}

void SyncSession::WriteSyncFile() { WriteWholeRecord(files_, syncFileName_.str(), EncodeSyncRecord(record_)); }

EditPermission SyncSession::FileInUse() {
  const SyncGuard guard(*this);
  if (!guard.held()) return EditPermission::InUse;
  ReadSyncFile();
  const double now = clock_.Now();
  if (record_.LockState == LockHeld) {
    // A stamp not seen before: the holder is alive, or new. The same stamp for a minute: it died.
    if (record_.LockStamp != SeenLockStamp) {
      SeenLockStamp = record_.LockStamp;
      SeenLockSince = now;
      return EditPermission::InUse;
    }
    if (!OneMinuteOrMore(now - SeenLockSince)) return EditPermission::InUse;
  } else if (record_.ChangeCount != knownChangeCount_) {
    knownChangeCount_ = record_.ChangeCount;
    return EditPermission::Changed;
  }
  TakeLock();
  return EditPermission::Granted;
}

void SyncSession::TakeLock() {
  record_.LockState = LockHeld;
  record_.LockStamp = clock_.Now();
  WriteSyncFile();
}

void SyncSession::RefreshLock() {
  record_.LockStamp = clock_.Now();
  WriteSyncFile();
}

// The in-memory record goes back as it is, with the last stamp written: the file is not read first.
void SyncSession::ReleaseSyncFile(int delta) {
  record_.ChangeCount += delta;
  knownChangeCount_ = record_.ChangeCount;
  record_.LockState = LockFree;
  WriteSyncFile();
}

NetworkChoices ReadNetworkChoices(bool networkOption, bool autoSync, std::string_view minutes) {
  const auto syncMinutes = static_cast<std::uint16_t>(ReadIntegerOrHex(TrimSpaces(minutes)));
  return {networkOption, autoSync && syncMinutes != 0, syncMinutes};
}

}  // namespace tvx
