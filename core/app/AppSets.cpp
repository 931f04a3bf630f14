#include "core/app/AppSets.h"

#include <algorithm>

#include "core/common/IoError.h"
#include "core/common/Text.h"

namespace tvx {

void AppTableSets::Prepare(const TApplications& apps, const ShortString& currentFile, TableSetAreas current,
                           FileAccess& files, std::optional<TableSetAreas> lastDefault) {
  // Copied first: the tables may be this object's own.
  std::unique_ptr<Loaded> kept;
  if (lastDefault && lastDefault->hotKeys && lastDefault->remap) {
    kept = std::make_unique<Loaded>();
    std::copy_n(lastDefault->hotKeys, AreaSize, kept->hotKeys.begin());
    std::copy_n(lastDefault->remap, AreaSize, kept->remap.begin());
    if (lastDefault->characters) kept->characters.SetAll(*lastDefault->characters);
  }
  kept_.reset();
  loaded_.clear();
  programs_.clear();
  failed_.clear();
  extensionProblems_.clear();
  sets_ = TableSets{};
  current_ = current;
  defaultFile_ = apps.DefaultFile(currentFile);
  sets_.sets[0] = current;
  sets_.setCount = 1;
  if (const auto set = SetOfFile(defaultFile_, currentFile, files)) {
    sets_.sets[0] = sets_.sets[*set];
  } else if (kept) {
    sets_.sets[0] = kept->Areas();
    kept_ = std::move(kept);
  }
  for (const AppBinding& binding : apps.bindings)
    if (const auto set = SetOfFile(binding.file, currentFile, files))
      programs_.emplace_back(UpperCaseAscii(binding.program), *set);
}

std::optional<std::uint8_t> AppTableSets::SetOfFile(const ShortString& file, const ShortString& currentFile,
                                                    FileAccess& files) {
  const std::string name = UpperCaseAscii(file.str());
  for (std::size_t i = 0; i < loaded_.size(); ++i)
    if (UpperCaseAscii(loaded_[i]->file.str()) == name) return static_cast<std::uint8_t>(i + 1);
  for (const ShortString& failed : failed_)
    if (UpperCaseAscii(failed.str()) == name) return std::nullopt;
  if (sets_.setCount >= sets_.sets.size()) return std::nullopt;  // more files than bindings can name
  auto tables = std::make_unique<Loaded>();
  tables->file = file;
  TableSetAreas areas = current_;
  if (name != UpperCaseAscii(currentFile.str())) {
    std::optional<ExtensionRead> read;
    try {
      read = LoadMapping(files, file, HotKeyAreaView(tables->hotKeys.data()),
                         RemapAreaView(tables->remap.data()), tables->characters);
    } catch (const IoError&) {
      read.reset();  // shorter than a mapping file: damaged
    }
    if (!read) {
      failed_.push_back(file);
      return std::nullopt;
    }
    if (read->state != ExtensionState::None && read->state != ExtensionState::Loaded)
      extensionProblems_.emplace_back(file, *read);
    areas = tables->Areas();
  }
  loaded_.push_back(std::move(tables));
  const std::uint8_t set = sets_.setCount++;
  sets_.sets[set] = areas;
  return set;
}

ShortString AppTableSets::FileOfSet(std::uint8_t set) const {
  return set == 0 || set > loaded_.size() ? defaultFile_ : loaded_[set - 1u]->file;
}

std::uint8_t AppTableSets::SetOfProgram(std::string_view program) const {
  const std::string name = UpperCaseAscii(ProgramFileName(program));
  for (const auto& [bound, set] : programs_)
    if (bound == name) return set;
  return 0;
}

}  // namespace tvx
