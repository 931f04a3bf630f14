// NetBench PATH COUNT: an edit's round trip in network mode on the mapping file PATH (the lock taken, the
// file saved, the lock released), COUNT times, beside its floor in the same run: one write beside the file
// and replace of the same 1171-byte record. The two alternate, so a change in the load falls on both.
// Prints "edit MEDIAN P95 floor MEDIAN P95" in microseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/files/MappingFile.h"
#include "core/files/SyncFile.h"
#include "win/files/Win32Clock.h"
#include "win/files/Win32FileAccess.h"

namespace {

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

template <typename Step>
double Timed(Step step) {
  LARGE_INTEGER from, to;
  ::QueryPerformanceCounter(&from);
  step();
  ::QueryPerformanceCounter(&to);
  return Microseconds(from, to);
}

double Percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::puts("usage: NetBench PATH COUNT");
    return 2;
  }
  const std::string path = argv[1];
  const int count = std::max(1, std::atoi(argv[2]));
  tvx::Win32FileAccess files;
  tvx::Win32Clock clock;
  tvx::SyncSession session(files, clock, tvx::MachineAndProcess());
  tvx::MappingRecord record{};
  if (!tvx::SaveRecord(files, path, record)) return 1;
  session.AttachSyncFile(tvx::ShortString(path));
  std::vector<double> edits, floors;
  for (int i = 0; i < count; ++i) {
    record[i % record.size()] = static_cast<std::uint8_t>(i);
    floors.push_back(Timed([&] { tvx::SaveRecord(files, path, record); }));
    bool granted = false;
    edits.push_back(Timed([&] {
      granted = session.FileInUse() == tvx::EditPermission::Granted;
      if (granted)
        granted = session.SaveUnderLock([&] { return tvx::SaveRecord(files, path, record); }) ==
                      tvx::LockResult::Done &&
                  session.ReleaseSyncFile(1) == tvx::LockResult::Done;
    }));
    if (!granted) return 1;
  }
  std::printf("edit %.0f %.0f floor %.0f %.0f\n", Percentile(edits, 0.5), Percentile(edits, 0.95),
              Percentile(floors, 0.5), Percentile(floors, 0.95));
  return 0;
}
