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

constexpr std::int64_t GuardWaitMilliseconds = 2000;    // then the lock counts as in use
constexpr std::int64_t GuardStaleMilliseconds = 10000;  // twice the longest attempt that holds one
constexpr std::uint32_t GuardStaleSpreadMilliseconds = 2000;
constexpr std::int64_t SaveRetryMilliseconds = 2000;
constexpr int RetryMilliseconds = 50;
constexpr std::size_t GuardReadSize = 256;

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

// Held while one instance reads, decides and writes the sync file. Its content is unique to its creator,
// and whether another's guard is stale is judged by that content alone, on this instance's clock: the
// creator's clock may be anything.
class SyncGuard {
 public:
  SyncGuard(SyncSession& session, std::int64_t deadline) : session_(session) {
    held_ = Acquire(std::min(deadline, session_.clock_.Tick() + GuardWaitMilliseconds));
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

  bool Acquire(std::int64_t until) {
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
      const std::int64_t now = session_.clock_.Tick();
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

  // The same content for 10 s of this tick, across attempts in which no other was seen and none was
  // missing.
  bool Stale(const Content& found, std::int64_t now) {
    if (!session_.guardSeen_ || found != session_.seenGuard_) {
      session_.seenGuard_ = found;
      session_.guardSeen_ = true;
      session_.seenGuardSince_ = now;
      return false;
    }
    return now - session_.seenGuardSince_ >= session_.guardStaleMilliseconds_;
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
      guardStaleMilliseconds_(GuardStaleMilliseconds + random_ % GuardStaleSpreadMilliseconds) {}

// Time, machine and process, and a random part: two processes with the same number on two machines (or
// two Wine prefixes) still make different guards.
std::vector<std::uint8_t> SyncSession::NewGuardContent() {
  random_ = random_ * 1664525u + 1013904223u;
  char text[GuardReadSize];
  const int length =
      std::snprintf(text, sizeof text, "%.9f %s %08x", clock_.Now(),
                    machine_.substr(0, GuardReadSize / 2).c_str(), static_cast<unsigned>(random_));
  return std::vector<std::uint8_t>(text, text + std::max(0, length));
}

// A release still pending goes to the file it belongs to first; where that file still refuses it, the lock
// there is left to be taken over a minute later (the taker reloads, so the saved edit is kept).
void SyncSession::AttachSyncFile(const ShortString& mappingFile) {
  if (releasePending_) FinishRelease(Deadline());
  releasePending_ = false;
  tookOver_ = false;
  reloadDue_ = false;
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

void SyncSession::WriteSyncFile(std::int64_t deadline) {
  const auto bytes = EncodeSyncRecord(record_);
  const std::string& name = syncFileName_.str();
  while (!SaveRecord(files_, name, bytes)) {
    // Only another process's hold passes: a file that may not be written is reported at once.
    if (const unsigned long refusal = files_.WriteRefusal(name); refusal != 0 && refusal != SharingViolation)
      throw IoError::System(refusal);
    // Refused until the deadline: reported as the sharing violation it was, never by a plain write over
    // the file, which could leave it short.
    if (clock_.Tick() >= deadline) throw IoError::System(SharingViolation);
    if (!files_.Exists(name))
      return files_.Write(name, bytes);  // a folder that lets no file be made beside it
    clock_.Sleep(RetryMilliseconds);
  }
}

// A release still pending is finished first; where it finds the lock taken over, the tables are
// reloaded before the edit.
EditPermission SyncSession::FileInUse() {
  const std::int64_t deadline = Deadline();
  if (releasePending_) {
    const LockResult release = FinishRelease(deadline);
    if (release == LockResult::NotNow) return EditPermission::InUse;
    if (release == LockResult::Lost) return EditPermission::Changed;
  }
  const SyncGuard guard(*this, deadline);
  if (!guard.held()) return EditPermission::InUse;
  return Decide(deadline);
}

// A record that cannot be read is never decided on: the one in memory may be a minute old.
EditPermission SyncSession::Decide(std::int64_t deadline) {
  while (!ReadSyncFile()) {
    if (clock_.Tick() >= deadline) return EditPermission::InUse;
    clock_.Sleep(RetryMilliseconds);
  }
  const std::int64_t now = clock_.Tick();
  if (record_.LockState == LockHeld) {
    // A stamp not seen before: the holder is alive, or new. The same stamp for a minute: it died.
    if (record_.LockStamp != SeenLockStamp) {
      SeenLockStamp = record_.LockStamp;
      SeenLockSince = now;
      return EditPermission::InUse;
    }
    if (now - SeenLockSince < LockAbandonedMilliseconds) return EditPermission::InUse;
    TakeLock(deadline);
    tookOver_ = true;
    reloadDue_ = true;
    return EditPermission::TakenOver;
  }
  if (reloadDue_ || record_.ChangeCount != knownChangeCount_) return EditPermission::Changed;
  TakeLock(deadline);
  tookOver_ = false;
  return EditPermission::Granted;
}

// The stamp always differs from the one on the share, so that a holder taken over never finds its own
// there (two clocks can read the same).
void SyncSession::TakeLock(std::int64_t deadline) {
  double stamp = clock_.Now();
  if (stamp == record_.LockStamp) stamp = std::nextafter(stamp, stamp + 1);
  record_.LockState = LockHeld;
  record_.LockStamp = stamp;
  WriteSyncFile(deadline);
  heldStamp_ = stamp;
  holding_ = true;
}

std::optional<LockResult> SyncSession::NotOurLock(bool guardHeld, std::int64_t deadline) {
  if (!guardHeld) return LockResult::NotNow;
  while (!ReadSyncFile()) {
    if (clock_.Tick() >= deadline) return LockResult::NotNow;
    clock_.Sleep(RetryMilliseconds);
  }
  const bool ours = record_.LockState == LockHeld && record_.LockStamp == heldStamp_;
  if (!ours) return LoseLock();
  return std::nullopt;
}

// Nothing more is written for this lock; the caller reloads the tables.
LockResult SyncSession::LoseLock() {
  holding_ = false;
  releasePending_ = false;
  tookOver_ = false;
  return LockResult::Lost;
}

LockResult SyncSession::RefreshLock() {
  if (!holding_) return LockResult::Lost;
  const std::int64_t deadline = Deadline();
  const SyncGuard guard(*this, deadline);
  if (const auto refused = NotOurLock(guard.held(), deadline)) return *refused;
  double stamp = clock_.Now();
  if (stamp == heldStamp_) stamp = std::nextafter(stamp, stamp + 1);
  record_.LockStamp = stamp;
  WriteSyncFile(deadline);
  heldStamp_ = stamp;
  return LockResult::Done;
}

// The guard stays while the file is written, so nobody takes the lock over between the look and the save.
LockResult SyncSession::SaveUnderLock(const std::function<bool()>& save) {
  if (!holding_) return LockResult::Lost;
  const std::int64_t deadline = Deadline();
  const SyncGuard guard(*this, deadline);
  if (const auto refused = NotOurLock(guard.held(), deadline)) return *refused;
  // Another instance reading the file refuses the save for a moment.
  const std::int64_t until = std::min(deadline, clock_.Tick() + SaveRetryMilliseconds);
  while (!save()) {
    if (clock_.Tick() >= until) return LockResult::NotNow;
    clock_.Sleep(RetryMilliseconds);
  }
  return LockResult::Done;
}

LockResult SyncSession::ReleaseSyncFile(int delta) {
  if (!holding_) return LockResult::Lost;
  holding_ = false;
  releasePending_ = true;
  releaseDelta_ = tookOver_ ? 1 : delta;
  return FinishRelease(Deadline());
}

LockResult SyncSession::RetryRelease() { return FinishRelease(Deadline()); }

// Written only over our own lock: where another instance took it over meanwhile (it reloaded the file,
// which holds our edit), nothing is written. Our own change becomes known only where the tables held every
// change before it (a takeover whose reload failed does not).
LockResult SyncSession::FinishRelease(std::int64_t deadline) {
  bool current = false;
  try {
    const SyncGuard guard(*this, deadline);
    if (const auto refused = NotOurLock(guard.held(), deadline)) return *refused;
    current = !reloadDue_ && record_.ChangeCount == knownChangeCount_;
    record_.ChangeCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(record_.ChangeCount) +
                                                    static_cast<std::uint32_t>(releaseDelta_));
    record_.LockState = LockFree;
    WriteSyncFile(deadline);
  } catch (const IoError&) {
    return LockResult::NotNow;
  }
  if (current) knownChangeCount_ = record_.ChangeCount;
  releasePending_ = false;
  tookOver_ = false;
  return LockResult::Done;
}

NetworkChoices ReadNetworkChoices(bool networkOption, bool autoSync, std::string_view minutes) {
  const auto syncMinutes = static_cast<std::uint16_t>(ReadIntegerOrHex(TrimSpaces(minutes)));
  return {networkOption, autoSync && syncMinutes != 0, syncMinutes};
}

}  // namespace tvx
