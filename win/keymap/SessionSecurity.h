#pragma once
// Security for the named objects the program shares with its hook library: only the user's own logon
// session may open them, so another user's programs on the same machine can neither read the tables
// (what each key types) nor write them.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tvx {

class LogonSessionOnly {
 public:
  LogonSessionOnly();
  // For CreateFileMappingA and CreateMutexA; null (the default security) where the token names no
  // logon session, so the program still starts.
  SECURITY_ATTRIBUTES* Attributes() { return ready_ ? &attributes_ : nullptr; }
  // Whether an object of that name that existed already may be used: owned by this user and opened to
  // nobody else (its access list grants only this logon session or this user). Another process, of
  // another user in the same session say, that made it first could otherwise read and change the
  // tables. Always true where the token names no logon session.
  bool IsOurs(HANDLE object) const;

 private:
  std::vector<std::uint8_t> sid_;
  std::vector<std::uint8_t> acl_;
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
  bool ready_ = false;
};

}  // namespace tvx
