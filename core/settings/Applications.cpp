#include "core/settings/Applications.h"

#include <algorithm>

#include "core/common/Text.h"

namespace tvx {
namespace {

constexpr std::size_t BoundFileLength = 254;

bool SameText(std::string_view a, std::string_view b) { return UpperCaseAscii(a) == UpperCaseAscii(b); }

std::vector<AppBinding>::iterator Find(TApplications& apps, std::string_view program) {
  return std::find_if(apps.bindings.begin(), apps.bindings.end(),
                      [&](const AppBinding& b) { return SameText(b.program, program); });
}

}  // namespace

std::string_view ProgramFileName(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/:");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

const AppBinding* TApplications::BindingOf(std::string_view program) const {
  const std::string_view name = ProgramFileName(program);
  for (const AppBinding& binding : bindings)
    if (SameText(binding.program, name)) return &binding;
  return nullptr;
}

bool TApplications::IsBound(const ShortString& file) const {
  return std::any_of(bindings.begin(), bindings.end(),
                     [&](const AppBinding& b) { return SameText(b.file.str(), file.str()); });
}

ShortString TApplications::DefaultFile(const ShortString& currentFile) const {
  return bindings.empty() || Default.empty() ? currentFile : Default;
}

TApplications LoadApplications(ProfileStore& store) {
  TApplications apps;
  for (const std::string& key : store.Keys(ApplicationsSection)) {
    const std::string value = store.Get(ApplicationsSection, key.c_str(), "", BoundFileLength);
    if (SameText(key, DefaultFileKey)) {
      apps.Default = value;
    } else if (!value.empty() && apps.bindings.size() < MaxApplicationBindings && !apps.BindingOf(key)) {
      apps.bindings.push_back({key, value});
    }
  }
  return apps;
}

bool BindProgram(TApplications& apps, ProfileStore& store, std::string_view program, const ShortString& file,
                 const ShortString& currentFile) {
  const std::string name(TrimSpaces(ProgramFileName(program)));
  // A key with "=" or brackets would not read back as the same key.
  if (name.empty() || SameText(name, DefaultFileKey) || name.find_first_of("=[]") != std::string::npos)
    return false;
  const auto existing = Find(apps, name);
  if (existing == apps.bindings.end() && apps.bindings.size() >= MaxApplicationBindings) return false;
  if (apps.bindings.empty()) {
    apps.Default = currentFile;
    store.Put(ApplicationsSection, DefaultFileKey, apps.Default.str());
  }
  if (existing != apps.bindings.end()) {
    existing->file = file;
    store.Put(ApplicationsSection, existing->program.c_str(), file.str());
  } else {
    apps.bindings.push_back({name, file});
    store.Put(ApplicationsSection, name.c_str(), file.str());
  }
  return true;
}

void UnbindProgram(TApplications& apps, ProfileStore& store, std::string_view program) {
  const auto found = Find(apps, program);
  if (found == apps.bindings.end()) return;
  store.Remove(ApplicationsSection, found->program.c_str());
  apps.bindings.erase(found);
  if (apps.bindings.empty()) {
    apps.Default = ShortString();
    store.Remove(ApplicationsSection, DefaultFileKey);
  }
}

void NoteCurrentFile(TApplications& apps, ProfileStore& store, const ShortString& currentFile) {
  if (apps.bindings.empty() || apps.IsBound(currentFile) || SameText(apps.Default.str(), currentFile.str()))
    return;
  apps.Default = currentFile;
  store.Put(ApplicationsSection, DefaultFileKey, currentFile.str());
}

}  // namespace tvx
