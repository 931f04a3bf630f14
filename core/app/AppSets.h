#pragma once
// The table sets of the per-application mappings, prepared in the program's memory: the default file's
// and every bound file's, each loaded once, and which program uses which. The current file's set is the
// shared areas themselves, so an edit in the main window is in force in every binding of that file.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/MappingExtension.h"
#include "core/files/MappingFile.h"
#include "core/hook/TableSets.h"
#include "core/settings/Applications.h"

namespace tvx {

class AppTableSets {
 public:
  // Loads the default file and every bound file that is not current. A missing or damaged file has no
  // set: its programs use the default, and it is listed in Failed(). A default that cannot be read keeps
  // `lastDefault`, the tables it had (copied), or failing those the current file's.
  void Prepare(const TApplications& apps, const ShortString& currentFile, TableSetAreas current,
               FileAccess& files, std::optional<TableSetAreas> lastDefault = std::nullopt);

  // The set of a program, given by its full path or file name; 0, the default's, when unbound.
  std::uint8_t SetOfProgram(std::string_view program) const;
  // The mapping file a set's tables come from.
  ShortString FileOfSet(std::uint8_t set) const;
  // The sets, with no window listed yet.
  const TableSets& Sets() const { return sets_; }
  const std::vector<ShortString>& Failed() const { return failed_; }
  // The bound files whose characters beyond the record could not be used (stale or damaged): their
  // records are in force.
  const std::vector<std::pair<ShortString, ExtensionRead>>& ExtensionProblems() const {
    return extensionProblems_;
  }

 private:
  // One per set after the default's; the current file's keeps no tables of its own.
  struct Loaded {
    ShortString file;
    std::array<std::uint8_t, AreaSize> hotKeys{};
    std::array<std::uint8_t, AreaSize> remap{};
    MappingCharacters characters;
    TableSetAreas Areas() { return {hotKeys.data(), remap.data(), &characters}; }
  };
  // The set of `file`, adding it when it is new; nothing when it cannot be loaded.
  std::optional<std::uint8_t> SetOfFile(const ShortString& file, const ShortString& currentFile,
                                        FileAccess& files);

  std::vector<std::unique_ptr<Loaded>> loaded_;
  std::unique_ptr<Loaded> kept_;  // the default's tables as they were, when its file cannot be read
  std::vector<std::pair<std::string, std::uint8_t>> programs_;  // upper-case file name, set
  std::vector<ShortString> failed_;
  std::vector<std::pair<ShortString, ExtensionRead>> extensionProblems_;
  ShortString defaultFile_;
  TableSetAreas current_;
  TableSets sets_;
};

}  // namespace tvx
