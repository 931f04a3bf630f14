#pragma once
// Per-application mappings: a program's file name bound to a mapping file of its own, kept in the settings
// file's section "Applications" (one key per program, plus "Default"). Programs without a binding use the
// default file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/ShortString.h"
#include "core/settings/Settings.h"

namespace tvx {

inline constexpr char ApplicationsSection[] = "Applications";
inline constexpr char DefaultFileKey[] = "Default";
inline constexpr std::size_t MaxApplicationBindings = 32;

struct AppBinding {
  std::string program;  // the file name, as the user gave it ("NOTEPAD.EXE")
  ShortString file;     // the mapping file's full name
  friend bool operator==(const AppBinding&, const AppBinding&) = default;
};

struct TApplications {
  std::vector<AppBinding> bindings;  // at most MaxApplicationBindings
  ShortString Default;               // the last file current while bound to no program

  // The binding of a program given by its file name or full path, without regard to case.
  const AppBinding* BindingOf(std::string_view program) const;
  bool IsBound(const ShortString& file) const;
  // With no binding the current file, exactly as without this feature; otherwise the stored default,
  // or the current file while none was stored yet.
  ShortString DefaultFile(const ShortString& currentFile) const;
};

// Keys beyond the first 32 and empty values are left out.
TApplications LoadApplications(ProfileStore& store);

// Binds `program` (a file name; a full path is cut to its name) to `file`, replacing its binding if it
// has one. The first binding stores the current file as the default. False for an empty name or when
// all 32 bindings are taken.
bool BindProgram(TApplications& apps, ProfileStore& store, std::string_view program, const ShortString& file,
                 const ShortString& currentFile);
void UnbindProgram(TApplications& apps, ProfileStore& store, std::string_view program);

// The main window made `currentFile` current: a file bound to no program becomes the default.
void NoteCurrentFile(TApplications& apps, ProfileStore& store, const ShortString& currentFile);

// "C:\\WINDOWS\\NOTEPAD.EXE" gives "NOTEPAD.EXE".
std::string_view ProgramFileName(std::string_view path);

}  // namespace tvx
