// Two instances on one shared folder, driven by any sequence of steps: edits, refreshes, releases, a clock
// that jumps anywhere, and another program that writes anything into the sync file or the guard file,
// removes them or holds them. No step may crash or read out of bounds; a failure is an I/O error.
#include <cmath>

#include "core/common/IoError.h"
#include "core/files/SyncFile.h"
#include "tests/core/fake_files.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;

namespace {

const std::string Mapping = "S:\\OFFICE.TVX", Sync = "S:\\OFFICE.TVS", Guard = "S:\\OFFICE.TVK";

class FakeClock : public Clock {
 public:
  double now = 45000.5;
  double Now() override { return now; }
  void Sleep(int milliseconds) override { now += milliseconds / 86400000.0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  FakeFiles folder;
  FakeClock clocks[2];
  SyncSession sessions[2] = {{folder, clocks[0]}, {folder, clocks[1]}};
  for (int steps = 0; !input.empty() && steps < 64; ++steps) {
    const std::uint8_t step = input.Byte();
    SyncSession& session = sessions[step & 1];
    try {
      switch (step >> 1 & 15) {
        case 0:
          session.AttachSyncFile(Mapping);
          break;
        case 1:
          session.FileInUse();
          break;
        case 2:
          session.RefreshLock();
          break;
        case 3:
          session.ReleaseSyncFile(input.Byte() & 1);
          break;
        case 4:
          folder.files[Sync] = input.Bytes(input.Byte() % 20);
          break;
        case 5:
          folder.files[Guard] = input.Bytes(input.Byte() % 10);
          break;
        case 6:
          folder.files.erase(input.Byte() & 1 ? Sync : Guard);
          break;
        case 7: {
          const double jump = input.Value<double>();
          if (std::isfinite(jump) && std::fabs(jump) < 1e6) clocks[step & 1].now += jump;
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
          folder.diskFullAfter = input.Byte() % 16;
          break;
        case 12:
          folder.diskFullAfter.reset();
          break;
        default:
          session.ReadSyncFile();
          break;
      }
    } catch (const IoError&) {
    }
  }
  return 0;
}
