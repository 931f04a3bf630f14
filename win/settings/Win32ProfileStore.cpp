#include "win/settings/Win32ProfileStore.h"

#include <shlobj.h>
#include <windows.h>

#include <vector>

namespace tvx {
namespace {

constexpr char UserFolderName[] = "Tavrix 98";

std::string WindowsDirectory() {
  char directory[MAX_PATH];
  const UINT length = ::GetWindowsDirectoryA(directory, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(directory, length);
}

// A file kept in a place the user can no longer write to starts the user's own copy, once.
void CopyIfFirst(const std::string& from, const std::string& to) {
  ::CopyFileA(from.c_str(), to.c_str(), TRUE);
}

}  // namespace

bool IsWritableFolder(const std::string& folder) {
  // "C:" alone names the root of the drive here, not the drive's current directory.
  const std::string path = !folder.empty() && folder.back() == ':' ? folder + "\\" : folder;
  char probe[MAX_PATH];
  if (::GetTempFileNameA(path.c_str(), "TVX", 0, probe) == 0) return false;
  ::DeleteFileA(probe);
  return true;
}

std::string UserDataFolder() {
  char appData[MAX_PATH];
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                appData)))
    return {};
  const std::string folder = std::string(appData) + "\\" + UserFolderName;
  if (!::CreateDirectoryA(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return {};
  return folder;
}

Win32ProfileStore Win32ProfileStore::ForCurrentUser(const WritableProbe& isWritable) {
  const std::string windows = WindowsDirectory();
  if (isWritable(windows)) return Win32ProfileStore(SettingsFileName);
  const std::string folder = UserDataFolder();
  if (folder.empty()) return Win32ProfileStore(SettingsFileName);
  const std::string fileName = folder + "\\" + SettingsFileName;
  CopyIfFirst(windows + "\\" + SettingsFileName, fileName);
  return Win32ProfileStore(fileName);
}

std::string Win32ProfileStore::Get(const char* section, const char* key, const char* defaultValue,
                                   std::size_t maxLength) {
  std::vector<char> value(maxLength + 1);
  const DWORD length = ::GetPrivateProfileStringA(section, key, defaultValue, value.data(),
                                                  static_cast<DWORD>(value.size()), fileName_.c_str());
  return std::string(value.data(), length);
}

void Win32ProfileStore::Put(const char* section, const char* key, const std::string& value) {
  ::WritePrivateProfileStringA(section, key, value.c_str(), fileName_.c_str());
}

ShortString DefaultMappingDir(const ShortString& programDir, const WritableProbe& isWritable) {
  if (isWritable(programDir.str())) return programDir;
  const std::string folder = UserDataFolder();
  if (folder.empty()) return programDir;
  CopyIfFirst(programDir.str() + "\\" + DefaultMappingFileName, folder + "\\" + DefaultMappingFileName);
  return ShortString(folder);
}

}  // namespace tvx
