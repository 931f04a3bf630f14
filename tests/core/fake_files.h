#pragma once
// A folder of files in memory for the core's tests of file rules.

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/common/IoError.h"
#include "core/files/MappingFile.h"

namespace tvx {

using Bytes = std::vector<std::uint8_t>;

// A folder of files in memory, with the ways a real one refuses or fails.
class FakeFiles : public FileAccess {
 public:
  std::map<std::string, Bytes> files;
  std::set<std::string> openForWriting;
  std::optional<std::size_t> diskFullAfter;  // a write stops there with "Disk full"
  bool replaceRefused = false;               // another process holds the target open
  bool createRefused = false;                // a folder that refuses new files
  int created = 0;

  bool Exists(const std::string& name) override { return files.count(name) != 0; }
  std::optional<Bytes> Read(const std::string& name, std::size_t size) override {
    if (!files.count(name) || openForWriting.count(name)) return std::nullopt;
    const Bytes& all = files.at(name);
    return Bytes(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(size, all.size())));
  }
  bool CanWrite(const std::string&) override { return true; }
  std::optional<std::string> CreateBeside(const std::string& name) override {
    if (createRefused) return std::nullopt;
    const std::string temporary = name + ".tmp" + std::to_string(++created);
    files[temporary] = {};
    return temporary;
  }
  void Write(const std::string& name, std::span<const std::uint8_t> bytes) override {
    const std::size_t fits = std::min(bytes.size(), diskFullAfter.value_or(bytes.size()));
    files[name].assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(fits));
    if (fits < bytes.size()) throw IoError(IoError::DiskFull);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    if (replaceRefused) return false;
    files[to] = files.at(from);
    files.erase(from);
    return true;
  }
  void Remove(const std::string& name) noexcept override { files.erase(name); }
  CreateResult CreateNew(const std::string& name, std::span<const std::uint8_t> bytes) override {
    if (createRefused) return CreateResult::Refused;
    if (files.count(name)) return CreateResult::Exists;
    files[name].assign(bytes.begin(), bytes.end());
    return CreateResult::Created;
  }
};

}  // namespace tvx
