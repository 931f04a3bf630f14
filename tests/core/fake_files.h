#pragma once
// A folder of files in memory for the core's tests of file rules.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/common/IoError.h"
#include "core/files/MappingExtension.h"
#include "core/files/MappingFile.h"

namespace tvx {

using Bytes = std::vector<std::uint8_t>;

template <typename T>
void PutAt(Bytes& bytes, std::size_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

// Puts a mapping file's extension checksum right again after a change to its entries.
inline void Reseal(Bytes& file) {
  const std::size_t end = file.size() - ExtensionChecksumSize;
  const std::span<const std::uint8_t> body(file.data() + MappingRecordSize, end - MappingRecordSize);
  PutAt(file, end, Crc32(body));
}

// Turns the entries of `type` into a type no version knows, as if a version that does not write them
// had saved the file; how many there were.
inline int PassOver(Bytes& file, EntryType type) {
  int count = 0;
  for (std::size_t at = MappingRecordSize + ExtensionHeaderSize; at < file.size() - ExtensionChecksumSize;
       at += 4 + file[at + 2] + 256u * file[at + 3]) {
    if (file[at] != static_cast<std::uint8_t>(type)) continue;
    file[at] = 9;
    ++count;
  }
  Reseal(file);
  return count;
}

// Time passes only in Sleep, so a loop that waits without sleeping shows as many calls of the clock. The
// tick follows the local time except where it jumps.
class FakeClock : public Clock {
 public:
  static constexpr double Second = 1.0 / 86400;
  double now = 45000.5;  // a day in 2023, at noon
  double jumped = 0;     // days the local time was set forward (or back) by
  int calls = 0;
  double slept = 0;                     // seconds
  std::function<void(double)> onSleep;  // sees the seconds slept so far
  double Now() override {
    Called();
    return now;
  }
  std::int64_t Tick() override {
    Called();
    return std::llround((now - jumped) * 86400000.0);
  }
  void Sleep(int milliseconds) override {
    now += milliseconds * Second / 1000;
    slept += milliseconds / 1000.0;
    if (onSleep) onSleep(slept);
  }
  void Jump(double days) {
    now += days;
    jumped += days;
  }

 private:
  void Called() {
    if (++calls > 100000) throw std::runtime_error("a loop that never sleeps");
  }
};

// The process ending in the middle of a save: whatever the step has done by then stays done.
struct Killed {};

// A folder of files in memory, with the ways a real one refuses or fails.
class FakeFiles : public FileAccess {
 public:
  std::map<std::string, Bytes> files;
  std::set<std::string> openForWriting;
  std::optional<std::size_t> diskFullAfter;  // a write stops there with "Disk full"
  bool replaceRefused = false;               // another process holds the target without delete sharing
  bool refusesNewFiles = false;              // files may be changed but not created (a network share)
  bool inPlaceRefused = false;               // the target cannot be opened for writing either
  std::optional<int> killedAtStep;           // the process ends half-way through this writing step
  bool removalsRefused = false;              // files may be created and changed but not removed
  bool removalsIgnored = false;              // a removal reports success and the file stays
  std::set<std::string> heldForReading;      // another program reads them, sharing neither write nor delete
  std::set<std::string> readOnly;            // may be read, never written
  int created = 0;
  unsigned long readRefusal = 0;

  bool Exists(const std::string& name) override { return files.count(name) != 0; }
  unsigned long ReadRefusal() const override { return readRefusal; }
  // A file open for writing elsewhere counts as unreadable whatever the reader shares: the real sharing
  // rules are the Win32 tests' to check.
  std::optional<Bytes> Read(const std::string& name, std::size_t size, Sharing) override {
    if (!files.count(name) || openForWriting.count(name)) {
      readRefusal = files.count(name) ? SharingViolation : FileNotFound;
      return std::nullopt;
    }
    const Bytes& all = files.at(name);
    return Bytes(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(size, all.size())));
  }
  unsigned long WriteRefusal(const std::string& name) override {
    return readOnly.count(name) ? AccessDenied : 0;
  }
  std::optional<std::string> CreateBeside(const std::string& name) override {
    if (refusesNewFiles) return std::nullopt;
    const std::string temporary = name + ".tmp" + std::to_string(++created);
    files[temporary] = {};
    return temporary;
  }
  void Write(const std::string& name, std::span<const std::uint8_t> bytes) override {
    if (heldForReading.count(name)) throw IoError::System(SharingViolation);
    if (Step()) {
      files[name].assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
      throw Killed{};
    }
    const std::size_t fits = std::min(bytes.size(), diskFullAfter.value_or(bytes.size()));
    files[name].assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(fits));
    if (fits < bytes.size()) throw IoError(IoError::DiskFull);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    if (Step()) throw Killed{};
    if (replaceRefused || heldForReading.count(to)) return false;
    files[to] = files.at(from);
    files.erase(from);
    return true;
  }
  bool WriteInPlace(const std::string& name, std::span<const std::uint8_t> bytes) override {
    if (!files.count(name) || inPlaceRefused || openForWriting.count(name) || heldForReading.count(name) ||
        readOnly.count(name))
      return false;
    Bytes& file = files[name];
    const bool killed = Step();
    const std::size_t written = killed ? bytes.size() / 2 : bytes.size();
    if (file.size() < written) file.resize(written);
    std::copy_n(bytes.begin(), written, file.begin());
    if (killed) throw Killed{};
    file.resize(bytes.size());
    return true;
  }
  bool Remove(const std::string& name) noexcept override {
    if (removalsRefused || heldForReading.count(name) || openForWriting.count(name)) return false;
    if (!removalsIgnored) files.erase(name);
    return true;
  }
  CreateResult CreateNew(const std::string& name, std::span<const std::uint8_t> bytes) override {
    if (refusesNewFiles) return CreateResult::Refused;
    if (files.count(name)) return CreateResult::Exists;
    files[name].assign(bytes.begin(), bytes.end());
    return CreateResult::Created;
  }

 private:
  static constexpr unsigned long AccessDenied = 5;
  bool Step() { return killedAtStep && --*killedAtStep == 0; }
};

}  // namespace tvx
