// Two instances on one shared folder, driven by any sequence of steps: edits, refreshes, releases, clocks
// that jump anywhere, a share that refuses writes, removals or new files, and another program that writes
// anything into the sync file or the guard file, removes them or holds them. No step may crash, read out
// of bounds or wait past its deadline; a failure is an I/O error. Until another program changes the sync
// file itself, two instances are never granted the lock at once, and the change count is one more than
// the releases with a change that were written.
#include <cmath>

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
  double Now() override { return now; }
  void Sleep(int milliseconds) override { now += milliseconds * Millisecond; }
};

struct Machine {
  FakeClock clock;
  SyncSession session;
  bool holding = false;  // granted, and not yet released
  bool dead = false;     // its lock was taken over: it stops, as a machine that died does
  int pendingChange = 0;
  explicit Machine(FakeFiles& folder, const char* name) : session(folder, clock, name) {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  FakeFiles folder;
  Machine machines[2] = {Machine(folder, "PC1 1"), Machine(folder, "PC2 1")};
  for (Machine& m : machines) m.session.AttachSyncFile(Mapping);
  bool tampered = false;
  int changesWritten = 0;
  for (int steps = 0; !input.empty() && steps < 64; ++steps) {
    const std::uint8_t step = input.Byte();
    Machine& m = machines[step & 1];
    Machine& other = machines[~step & 1];
    if (m.dead) continue;
    const bool pending = m.session.ReleasePending();
    try {
      switch (step >> 1 & 15) {
        case 0:
          // Opening a file comes from a menu, never during an edit; a release still pending then may be
          // given up, which no count can follow.
          if (!m.holding && !pending) m.session.AttachSyncFile(Mapping);
          break;
        case 1: {
          if (m.holding) break;
          const double start = m.clock.now;
          const EditPermission permission = m.session.FileInUse();
          Require(m.clock.now - start <= (EditDeadlineMilliseconds + 100) * Millisecond);
          if (permission != EditPermission::Granted && permission != EditPermission::TakenOver) break;
          m.holding = true;
          if (!other.holding) break;
          Require(tampered || permission == EditPermission::TakenOver);
          other.dead = true;
          other.holding = false;
          break;
        }
        case 2:
          if (m.holding) m.session.RefreshLock();
          break;
        case 3:
          if (!m.holding) break;
          m.holding = false;
          m.pendingChange = input.Byte() & 1;
          m.session.ReleaseSyncFile(m.pendingChange);
          break;
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
          const double jump = input.Value<double>();
          if (std::isfinite(jump) && std::fabs(jump) < 1e6) m.clock.now += jump;
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
    if (pending || (step >> 1 & 15) == 3) {
      if (!m.session.ReleasePending()) changesWritten += m.pendingChange, m.pendingChange = 0;
    }
    if (tampered) continue;
    const auto bytes = folder.files.find(Sync);
    Require(bytes == folder.files.end() || (bytes->second.size() == SyncRecordSize &&
                                            DecodeSyncRecord(std::span<const std::uint8_t, SyncRecordSize>(
                                                bytes->second.data(), SyncRecordSize))
                                                    .ChangeCount == 1 + changesWritten));
  }
  return 0;
}
