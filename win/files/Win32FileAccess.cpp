#include "win/files/Win32FileAccess.h"

#include <vector>

#include "core/common/IoError.h"
#include "win/sys/Handles.h"

namespace tvx {
namespace {

// Closing can report a write the system had deferred, so it is checked like the write itself.
void CloseChecked(UniqueFile& file) {
  if (!::CloseHandle(file.release())) ThrowLastError();
}

std::string FolderOf(const std::string& name) {
  char full[MAX_PATH];
  char* namePart = nullptr;
  const DWORD length = ::GetFullPathNameA(name.c_str(), MAX_PATH, full, &namePart);
  if (length == 0 || length >= MAX_PATH || namePart == nullptr) return {};
  return std::string(full, static_cast<std::size_t>(namePart - full));
}

// Refusals that leave the target as it was; the save then writes in place.
bool IsRefusal(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

void WriteAll(const UniqueFile& file, std::span<const std::uint8_t> bytes) {
  DWORD written = 0;
  if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    ThrowLastError();
  if (written != bytes.size()) throw IoError(IoError::DiskFull);
}

// On the disk before the file is closed, so a crash cannot leave an empty file in another's place.
void WriteFlushClose(UniqueFile& file, std::span<const std::uint8_t> bytes) {
  WriteAll(file, bytes);
  if (!::FlushFileBuffers(file.get())) ThrowLastError();
  CloseChecked(file);
}

// A file's access rights (its DACL); empty where they cannot be read.
std::vector<std::uint8_t> AccessRights(const std::string& name) {
  DWORD size = 0;
  ::GetFileSecurityA(name.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<std::uint8_t> descriptor(size);
  if (size == 0 ||
      !::GetFileSecurityA(name.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size))
    descriptor.clear();
  return descriptor;
}

void SetAccessRights(const std::string& name, std::vector<std::uint8_t>& descriptor) {
  if (!descriptor.empty()) ::SetFileSecurityA(name.c_str(), DACL_SECURITY_INFORMATION, descriptor.data());
}

}  // namespace

bool Win32FileAccess::Exists(const std::string& name) {
  const DWORD attributes = ::GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::vector<std::uint8_t>> Win32FileAccess::Read(const std::string& name, std::size_t size,
                                                               Sharing sharing) {
  const DWORD share = sharing == Sharing::OthersRead ? FILE_SHARE_READ
                                                     : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  UniqueFile file(::CreateFileA(name.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    readRefusal_ = ::GetLastError();
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(size);
  std::size_t got = 0;
  while (got < size) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data() + got, static_cast<DWORD>(size - got), &read, nullptr))
      ThrowLastError();
    if (read == 0) break;  // end of file: the caller decides what a short record means
    got += read;
  }
  bytes.resize(got);
  CloseChecked(file);
  return bytes;
}

unsigned long Win32FileAccess::WriteRefusal(const std::string& name) {
  const DWORD attributes = ::GetFileAttributesA(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    return ERROR_ACCESS_DENIED;
  // The share mode of a save: refused while another process reads or writes the file.
  const UniqueFile file(::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  const DWORD error = file ? ERROR_SUCCESS : ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

std::optional<std::string> Win32FileAccess::CreateBeside(const std::string& name) {
  const std::string folder = FolderOf(name);
  char temporary[MAX_PATH];
  if (folder.empty() || ::GetTempFileNameA(folder.c_str(), "TVX", 0, temporary) == 0) return std::nullopt;
  return std::string(temporary);
}

void Win32FileAccess::Write(const std::string& name, std::span<const std::uint8_t> bytes) {
  UniqueFile file(
      ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowLastError();
  WriteFlushClose(file, bytes);
}

FileAccess::CreateResult Win32FileAccess::CreateNew(const std::string& name,
                                                    std::span<const std::uint8_t> bytes) {
  UniqueFile file(
      ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return CreateResult::Exists;
    // An SFTP share answers a create that lost the race to another client with a plain failure, not with
    // "exists": a file there now is the other's, and a guard taken for refused would let both go ahead.
    return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES ? CreateResult::Exists
                                                                         : CreateResult::Refused;
  }
  try {
    WriteFlushClose(file, bytes);
  } catch (...) {
    file.reset();
    Remove(name);
    throw;
  }
  return CreateResult::Created;
}

// One rename over the target, so that another program finds the old file or the new one and never none:
// ReplaceFileA moves the target aside first. Its attributes and access rights go to the new file before,
// so that a file its owner restricted stays restricted. A rename that fails takes the new file away: with
// the target's rights it may no longer be ours to delete, so it gets its own rights back first.
bool Win32FileAccess::Replace(const std::string& from, const std::string& to) {
  std::vector<std::uint8_t> ownRights = AccessRights(from);
  const DWORD attributes = ::GetFileAttributesA(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    ::SetFileAttributesA(from.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    std::vector<std::uint8_t> targetRights = AccessRights(to);
    SetAccessRights(from, targetRights);
  }
  if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  const DWORD error = ::GetLastError();
  SetAccessRights(from, ownRights);
  ::SetFileAttributesA(from.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileA(from.c_str());
  if (IsRefusal(error)) return false;
  throw SystemIoError(error);
}

bool Win32FileAccess::WriteInPlace(const std::string& name, std::span<const std::uint8_t> bytes) {
  UniqueFile file(::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  WriteAll(file, bytes);
  if (!::SetEndOfFile(file.get()) || !::FlushFileBuffers(file.get())) ThrowLastError();
  CloseChecked(file);
  return true;
}

bool Win32FileAccess::Remove(const std::string& name) noexcept { return ::DeleteFileA(name.c_str()) != 0; }

}  // namespace tvx
