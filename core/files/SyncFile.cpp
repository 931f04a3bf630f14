#include "core/files/SyncFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "core/common/IoError.h"
#include "core/common/Numbers.h"
#include "core/common/Text.h"

namespace tvx {
namespace {

constexpr double MillisecondsPerDay = 86400000.0;
constexpr double GuardWaitDays = 2000 / MillisecondsPerDay;    // then the lock counts as in use
constexpr double GuardStaleDays = 10000 / MillisecondsPerDay;  // twice the longest attempt that holds one
constexpr std::uint32_t GuardStaleSpreadMilliseconds = 2000;
constexpr int RetryMilliseconds = 50;
constexpr std::size_t GuardReadSize = 256;
constexpr unsigned long SharingViolation = 32;

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

// Held while one instance reads, decides and writes the sync file. Its content is unique to its creator,
// and whether another's guard is stale is judged by that content alone, on this instance's clock: the
// creator's clock may be anything.
class SyncGuard {
 public:
  SyncGuard(SyncSession& session, double deadline) : session_(session) {
    held_ = Acquire(std::min(deadline, session_.clock_.Now() + GuardWaitDays));
  }
  SyncGuard(const SyncGuard&) = delete;
  SyncGuard& operator=(const SyncGuard&) = delete;
  ~SyncGuard() {
    if (!own_.empty()) Release();
  }
  // False when another instance's live guard stayed until `deadline`: the lock counts as in use.
  bool held() const { return held_; }

 private:
  using Content = std::optional<std::vector<std::uint8_t>>;
  FileAccess& files() { return session_.files_; }
  const std::string& name() const { return session_.guardFileName_.str(); }

  bool Acquire(double until) {
    std::optional<Content> removed, lastLook;
    for (;;) {
      const auto content = session_.NewGuardContent();
      switch (files().CreateNew(name(), content)) {
        case FileAccess::CreateResult::Created:
          session_.guardSeen_ = false;  // the guard watched before is gone
          own_ = content;
          return true;
        case FileAccess::CreateResult::Refused:
          return true;  // a folder that refuses new files: the protocol goes on unguarded
        case FileAccess::CreateResult::Exists:
          break;
      }
      const double now = session_.clock_.Now();
      const Content found = files().Read(name(), GuardReadSize, FileAccess::Sharing::OthersAnything);
      // A guard that cannot be removed is passed by, so that no attempt waits on it again. Wine reports a
      // removal the server then refuses: the same guard is still there. (Whether a file of that name is
      // there says nothing: another instance may have made a new one meanwhile.)
      if (removed && found == *removed) return true;
      const bool ours = found && !session_.leftGuard_.empty() && *found == session_.leftGuard_;
      // Every guard is empty for a moment while its creator writes it: the same content must also be
      // seen on two looks of this attempt, a pause apart.
      const bool again = lastLook == found;
      lastLook = found;
      if (ours || (Stale(found, now) && again)) {
        if (!files().Remove(name())) return true;
        if (ours) session_.leftGuard_.clear();
        removed = found;
        continue;
      }
      if (now >= until) return false;
      session_.clock_.Sleep(RetryMilliseconds);
    }
  }

  // The same content for 10 s of this clock, across attempts in which no other was seen and none was
  // missing. A clock set back starts the watch again.
  bool Stale(const Content& found, double now) {
    if (!session_.guardSeen_ || found != session_.seenGuard_ || now < session_.seenGuardSince_) {
      session_.seenGuard_ = found;
      session_.guardSeen_ = true;
      session_.seenGuardSince_ = now;
      return false;
    }
    return now - session_.seenGuardSince_ >= session_.guardStaleDays_;
  }

  // Only while it still holds our content: another instance may have judged ours stale and made its own.
  void Release() noexcept {
    try {
      const Content found = files().Read(name(), GuardReadSize, FileAccess::Sharing::OthersAnything);
      if (found && *found != own_) return;
      if (found && files().Remove(name())) return;
    } catch (const IoError&) {
    }
    session_.leftGuard_ = own_;
  }

  SyncSession& session_;
  std::vector<std::uint8_t> own_;
  bool held_ = false;
};

// The instances watching one dead guard judge it stale a random moment apart, so that they seldom read and
// remove it at the same instant (see the race in the header).
SyncSession::SyncSession(FileAccess& files, Clock& clock, std::string machine)
    : files_(files),
      clock_(clock),
      machine_(std::move(machine)),
      random_(std::random_device{}()),
      guardStaleDays_(GuardStaleDays + (random_ % GuardStaleSpreadMilliseconds) / MillisecondsPerDay) {}

// Time, machine and process, and a random part: two processes with the same number on two machines (or
// two Wine prefixes) still make different guards.
std::vector<std::uint8_t> SyncSession::NewGuardContent() {
  random_ = random_ * 1664525u + 1013904223u;
  char text[GuardReadSize];
  const int length = std::snprintf(text, sizeof text, "%.9f %s %08x", clock_.Now(),
                                   machine_.substr(0, GuardReadSize / 2).c_str(), static_cast<unsigned>(random_));
  return std::vector<std::uint8_t>(text, text + std::max(0, length));
}

// A release still pending goes to the file it belongs to first; where that file still refuses it, the lock
// there is left to be taken over a minute later (the taker reloads, so the saved edit is kept).
void SyncSession::AttachSyncFile(const ShortString& mappingFile) {
  if (releasePending_) FinishRelease(Deadline());
  releasePending_ = false;
  syncFileName_ = ReplaceLastThree(mappingFile, "TVS");
  guardFileName_ = ReplaceLastThree(mappingFile, "TVK");
  ReadSyncFile();
  knownChangeCount_ = record_.ChangeCount;
}

// The content decides, never a directory listing (network clients cache those): a missing file is
// created only where no file of that name exists at that moment.
bool SyncSession::ReadSyncFile() {
  std::array<std::uint8_t, SyncRecordSize> bytes;
  if (LoadRecord(files_, syncFileName_.str(), bytes, FileAccess::Sharing::OthersAnything)) {
    record_ = DecodeSyncRecord(bytes);
    return true;
  }
  if (files_.Exists(syncFileName_.str())) return false;  // there, but not to be opened now
  SyncRecord fresh = record_;
  fresh.ChangeCount = 1;
  fresh.LockState = LockFree;
  switch (files_.CreateNew(syncFileName_.str(), EncodeSyncRecord(fresh))) {
    case FileAccess::CreateResult::Created:
      record_ = fresh;
      return true;
    case FileAccess::CreateResult::Refused:
      record_ = fresh;
      WriteSyncFile(Deadline());
      return true;
    case FileAccess::CreateResult::Exists:
      break;  // another instance created it first: read that one at the next try
  }
  return false;
}

void SyncSession::WriteSyncFile(double deadline) {
  const auto bytes = EncodeSyncRecord(record_);
  const std::string& name = syncFileName_.str();
  while (!SaveRecord(files_, name, bytes)) {
    // Refused until the deadline: reported as the sharing violation it was, never by a plain write over
    // the file, which could leave it short.
    if (clock_.Now() >= deadline) throw IoError::System(SharingViolation);
    if (!files_.Exists(name)) return files_.Write(name, bytes);  // a folder that lets no file be made beside it
    clock_.Sleep(RetryMilliseconds);
  }
}

EditPermission SyncSession::FileInUse() {
  const double deadline = Deadline();
  if (releasePending_ && !FinishRelease(deadline)) return EditPermission::InUse;
  const SyncGuard guard(*this, deadline);
  if (!guard.held()) return EditPermission::InUse;
  return Decide(deadline);
}

// A record that cannot be read is never decided on: the one in memory may be a minute old.
EditPermission SyncSession::Decide(double deadline) {
  while (!ReadSyncFile()) {
    if (clock_.Now() >= deadline) return EditPermission::InUse;
    clock_.Sleep(RetryMilliseconds);
  }
  const double now = clock_.Now();
  if (record_.LockState == LockHeld) {
    // A stamp not seen before: the holder is alive, or new. The same stamp for a minute: it died.
    if (record_.LockStamp != SeenLockStamp) {
      SeenLockStamp = record_.LockStamp;
      SeenLockSince = now;
      return EditPermission::InUse;
    }
    if (!OneMinuteOrMore(now - SeenLockSince)) return EditPermission::InUse;
    TakeLock(deadline);
    knownChangeCount_ = record_.ChangeCount;
    return EditPermission::TakenOver;
  }
  if (record_.ChangeCount != knownChangeCount_) {
    knownChangeCount_ = record_.ChangeCount;
    return EditPermission::Changed;
  }
  TakeLock(deadline);
  return EditPermission::Granted;
}

void SyncSession::TakeLock(double deadline) {
  record_.LockState = LockHeld;
  RefreshLock(deadline);
  holding_ = true;
}

void SyncSession::RefreshLock(double deadline) {
  record_.LockStamp = clock_.Now();
  WriteSyncFile(deadline);
  heldStamp_ = record_.LockStamp;
}

// Only while this instance holds the lock: the record in memory is otherwise the last one read, which may
// be another instance's lock, and writing it back would undo what was written since.
void SyncSession::RefreshLock() {
  if (holding_) RefreshLock(Deadline());
}

// The in-memory record goes back as it is, with the last stamp written: the file is not read first.
bool SyncSession::ReleaseSyncFile(int delta) {
  holding_ = false;
  record_.ChangeCount += delta;
  knownChangeCount_ = record_.ChangeCount;
  record_.LockState = LockFree;
  releasePending_ = true;
  return WriteRelease(Deadline());
}

bool SyncSession::WriteRelease(double deadline) {
  try {
    WriteSyncFile(deadline);
  } catch (const IoError&) {
    return false;
  }
  releasePending_ = false;
  return true;
}

bool SyncSession::RetryRelease() { return FinishRelease(Deadline()); }

// A late release is written only over our own lock. Where another instance took the lock over meanwhile
// (it reloaded the file, which holds our edit), the release is dropped and our tables are reloaded
// before our next edit, since theirs may hold the other's edit by then.
bool SyncSession::FinishRelease(double deadline) {
  const SyncRecord release = record_;
  try {
    const SyncGuard guard(*this, deadline);
    if (guard.held() && ReadSyncFile()) {
      if (record_.LockState == LockHeld && record_.LockStamp == heldStamp_) {
        record_ = release;
        WriteSyncFile(deadline);
      } else {
        knownChangeCount_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(record_.ChangeCount) - 1);
      }
      releasePending_ = false;
      return true;
    }
  } catch (const IoError&) {
  }
  record_ = release;
  return false;
}

NetworkChoices ReadNetworkChoices(bool networkOption, bool autoSync, std::string_view minutes) {
  const auto syncMinutes = static_cast<std::uint16_t>(ReadIntegerOrHex(TrimSpaces(minutes)));
  return {networkOption, autoSync && syncMinutes != 0, syncMinutes};
}

}  // namespace tvx
