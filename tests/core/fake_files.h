#pragma once
// A folder of files in memory for the core's tests of file rules.

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/common/IoError.h"
#include "core/files/MappingFile.h"

namespace tvx {

using Bytes = std::vector<std::uint8_t>;

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
  int created = 0;

  bool Exists(const std::string& name) override { return files.count(name) != 0; }
  // A file open for writing elsewhere counts as unreadable whatever the reader shares: the real sharing
  // rules are the Win32 tests' to check.
  std::optional<Bytes> Read(const std::string& name, std::size_t size, Sharing) override {
    if (!files.count(name) || openForWriting.count(name)) return std::nullopt;
    const Bytes& all = files.at(name);
    return Bytes(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(size, all.size())));
  }
  bool CanWrite(const std::string&) override { return true; }
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
    if (!files.count(name) || inPlaceRefused || openForWriting.count(name) || heldForReading.count(name))
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
  static constexpr unsigned long SharingViolation = 32;
  bool Step() { return killedAtStep && --*killedAtStep == 0; }
};

}  // namespace tvx
