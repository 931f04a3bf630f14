// Two instances on one shared folder, driven by any sequence of steps: edits, refreshes, releases, clocks
// that jump anywhere, a share that refuses writes, removals or new files, and another program that writes
// anything into the sync file or the guard file, removes them or holds them. No step may crash, read out
// of bounds or wait past its deadline; a failure is an I/O error. Until another program changes the sync
// file itself, two instances are never granted the lock at once (one takes over a lock the other lost),
// a holder that lost its lock writes nothing more, and the change count moves only when a release is
// written, by its change (always one after a takeover).
#include <cmath>
#include <optional>

#include "core/common/IoError.h"
#include "core/files/SyncFile.h"
#include "tests/core/fake_files.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;
using fuzz::Require;

namespace {

const std::string Mapping = "S:\\OFFICE.TVX", Sync = "S:\\OFFICE.TVS", Guard = "S:\\OFFICE.TVK";
constexpr double Millisecond = 1 / 86400000.0;

class FakeClock : public Clock {
 public:
  double now = 45000.5;
  double tick = 0;
  double Now() override { return now; }
  std::int64_t Tick() override { return static_cast<std::int64_t>(tick); }
  void Sleep(int milliseconds) override {
    now += milliseconds * Millisecond;
    tick += milliseconds;
  }
};

struct Machine {
  FakeClock clock;
  SyncSession session;
  bool holding = false;  // granted, and not yet released
  bool lost = false;     // its lock was taken over while it held it or was giving it back
  bool tookOver = false;
  int delta = 0;  // of the release being written
  explicit Machine(FakeFiles& folder, const char* name) : session(folder, clock, name) {}
};

std::optional<SyncRecord> OnShare(const FakeFiles& folder) {
  const auto bytes = folder.files.find(Sync);
  if (bytes == folder.files.end() || bytes->second.size() != SyncRecordSize) return std::nullopt;
  return DecodeSyncRecord(
      std::span<const std::uint8_t, SyncRecordSize>(bytes->second.data(), SyncRecordSize));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  FakeFiles folder;
  Machine machines[2] = {Machine(folder, "PC1 1"), Machine(folder, "PC2 1")};
  for (Machine& m : machines) m.session.AttachSyncFile(Mapping);
  bool tampered = false;
  for (int steps = 0; !input.empty() && steps < 64; ++steps) {
    const std::uint8_t step = input.Byte();
    Machine& m = machines[step & 1];
    Machine& other = machines[~step & 1];
    const bool pending = m.session.ReleasePending();
    const bool otherHolds = (other.holding || other.session.ReleasePending()) && !other.lost;
    const std::optional<SyncRecord> before = OnShare(folder);
    bool releasing = pending;
    try {
      switch (step >> 1 & 15) {
        case 0:
          // Opening a file comes from a menu, never during an edit; a release still pending then may be
          // given up, which no count can follow.
          if (!m.holding && !pending) m.session.AttachSyncFile(Mapping);
          break;
        case 1: {
          if (m.holding) break;
          const std::int64_t start = m.clock.Tick();
          const EditPermission permission = m.session.FileInUse();
          Require(m.clock.Tick() - start <= EditDeadlineMilliseconds + 100);
          if (permission != EditPermission::Granted && permission != EditPermission::TakenOver) break;
          m.holding = true;
          m.tookOver = permission == EditPermission::TakenOver;
          if (!otherHolds) break;
          // Never two holders at once: the other's lock was taken over, and it writes nothing from now.
          Require(tampered || m.tookOver);
          other.lost = true;
          break;
        }
        case 2:
          if (!m.holding) break;
          if (m.session.RefreshLock() == LockResult::Done) Require(tampered || !m.lost);
          break;
        case 3: {
          if (!m.holding) break;
          m.holding = false;
          const int change = input.Byte() & 1;
          m.delta = m.tookOver ? 1 : change;
          releasing = true;
          m.session.ReleaseSyncFile(change);
          break;
        }
        case 4:
          folder.files[Sync] = input.Bytes(input.Byte() % 20);
          tampered = true;
          break;
        case 5:
          folder.files[Guard] = input.Bytes(input.Byte() % 10);
          break;
        case 6:
          tampered |= (input.Byte() & 1) && folder.files.erase(Sync);
          folder.files.erase(Guard);
          break;
        case 7: {
          // The local time set anywhere; with the top bit, that much time passed too.
          const bool passes = input.Byte() & 0x80;
          const double jump = input.Value<double>();
          if (!std::isfinite(jump) || std::fabs(jump) >= 1e6) break;
          m.clock.now += jump;
          if (passes) m.clock.tick += std::fabs(jump) / Millisecond;
          break;
        }
        case 8:
          folder.refusesNewFiles = !folder.refusesNewFiles;
          break;
        case 9:
          folder.replaceRefused = !folder.replaceRefused;
          break;
        case 10:
          if (!folder.openForWriting.erase(Sync)) folder.openForWriting.insert(Sync);
          break;
        case 11:
          if (const int after = input.Byte() % 17; after < 16)
            folder.diskFullAfter = after;
          else
            folder.diskFullAfter.reset();
          break;
        case 12:
          if (!folder.heldForReading.erase(Sync)) folder.heldForReading.insert(Sync);
          break;
        case 13:
          folder.removalsRefused = !folder.removalsRefused;
          break;
        default:
          if (pending) m.session.RetryRelease();
          break;
      }
    } catch (const IoError&) {
    }
    if (tampered) continue;
    const std::optional<SyncRecord> after = OnShare(folder);
    if (!before || !after) continue;
    // The count moves only when a release is written, by that release's change; a lost holder's release
    // is never written, and only a lost holder's release is dropped.
    const bool resolved = releasing && !m.session.ReleasePending();
    const auto raised =
        static_cast<std::uint32_t>(after->ChangeCount) - static_cast<std::uint32_t>(before->ChangeCount);
    if (!resolved) {
      Require(raised == 0);
      continue;
    }
    Require(raised == (m.lost ? 0u : static_cast<std::uint32_t>(m.delta)));
    if (!m.lost && !m.holding) Require(after->LockState == LockFree);
    m.lost = false;
  }
  return 0;
}
