#include "win/settings/Win32ProfileStore.h"

#include <shlobj.h>
#include <windows.h>

#include <vector>

#include "win/sys/Handles.h"

namespace tvx {
namespace {

constexpr char UserFolderName[] = "Tavrix 98";

std::string WindowsDirectory() {
  char directory[MAX_PATH];
  const UINT length = ::GetWindowsDirectoryA(directory, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(directory, length);
}

// A file kept in a place the user can no longer write to starts the user's own copy, once; the copy is
// the user's to write, whatever the original's read-only mark.
void CopyIfFirst(const std::string& from, const std::string& to) {
  if (!::CopyFileA(from.c_str(), to.c_str(), TRUE)) return;
  const DWORD attributes = ::GetFileAttributesA(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES)
    ::SetFileAttributesA(to.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
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

bool CanKeepFileIn(const std::string& folder, const std::string& fileName, const WritableProbe& probe) {
  const std::string path = folder + "\\" + fileName;
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return probe(folder);
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
  const UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  // Held by another program is still a file the user may write.
  return file || ::GetLastError() == ERROR_SHARING_VIOLATION;
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
  if (CanKeepFileIn(windows, SettingsFileName, isWritable)) return Win32ProfileStore(SettingsFileName);
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

std::vector<std::string> Win32ProfileStore::Keys(const char* section) {
  // The names come back as one run of strings, each ended by a zero; a buffer too small comes back
  // filled to two characters short of its size.
  std::vector<char> names(4096);
  DWORD length = 0;
  while ((length = ::GetPrivateProfileStringA(section, nullptr, "", names.data(),
                                              static_cast<DWORD>(names.size()), fileName_.c_str())) ==
         names.size() - 2)
    names.resize(names.size() * 2);
  std::vector<std::string> keys;
  for (std::size_t at = 0; at < length && names[at];) {
    keys.emplace_back(names.data() + at);
    at += keys.back().size() + 1;
  }
  return keys;
}

void Win32ProfileStore::Remove(const char* section, const char* key) {
  ::WritePrivateProfileStringA(section, key, nullptr, fileName_.c_str());
}

ShortString DefaultMappingDir(const ShortString& programDir, const WritableProbe& isWritable) {
  if (CanKeepFileIn(programDir.str(), DefaultMappingFileName, isWritable)) return programDir;
  const std::string folder = UserDataFolder();
  if (folder.empty()) return programDir;
  CopyIfFirst(programDir.str() + "\\" + DefaultMappingFileName, folder + "\\" + DefaultMappingFileName);
  return ShortString(folder);
}

}  // namespace tvx
