#pragma once
// The settings file through the Win32 private profile functions. Its place is chosen once at start-up:
// "TAVRIX.INI" in the Windows directory where the user may write there, otherwise one file in the
// user's application-data folder, with the same sections, keys and values.

#include <functional>
#include <string>

#include "core/common/ShortString.h"
#include "core/settings/Settings.h"

namespace tvx {

// Whether a new file can be created in `folder`. Injectable, because permissions do not stop a
// process running as an administrator (or Wine running as root).
using WritableProbe = std::function<bool(const std::string& folder)>;
bool IsWritableFolder(const std::string& folder);

// Whether the program may keep `fileName` in `folder`: an existing file decides by opening for writing,
// so nothing is written into the folder; only where none exists yet does `probe` try the folder.
bool CanKeepFileIn(const std::string& folder, const std::string& fileName, const WritableProbe& probe);

// "%APPDATA%\Tavrix 98", created if needed; empty when the system names no such folder.
std::string UserDataFolder();

class Win32ProfileStore : public ProfileStore {
 public:
  // A bare name is kept by the system in the Windows directory; a full path is used as it is.
  explicit Win32ProfileStore(std::string fileName) : fileName_(std::move(fileName)) {}
  static Win32ProfileStore ForCurrentUser(const WritableProbe& isWritable = IsWritableFolder);

  const std::string& FileName() const { return fileName_; }
  std::string Get(const char* section, const char* key, const char* defaultValue,
                  std::size_t maxLength) override;
  void Put(const char* section, const char* key, const std::string& value) override;
  std::vector<std::string> Keys(const char* section) override;
  void Remove(const char* section, const char* key) override;

 private:
  std::string fileName_;
};

// Where the default KEY.TVX lives: the program's directory where the user may write there, otherwise
// the user's application-data folder (given a copy of the program's KEY.TVX the first time).
ShortString DefaultMappingDir(const ShortString& programDir,
                              const WritableProbe& isWritable = IsWritableFolder);

}  // namespace tvx
