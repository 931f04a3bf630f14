#include "win/keymap/SessionSecurity.h"

#include "win/sys/Handles.h"

namespace tvx {
namespace {

// The logon session's SID among the token's groups; empty when there is none.
std::vector<std::uint8_t> LogonSid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  const UniqueHandle owned(token);
  DWORD size = 0;
  ::GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
  std::vector<std::uint8_t> buffer(size);
  if (size == 0 || !::GetTokenInformation(token, TokenGroups, buffer.data(), size, &size)) return {};
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    const SID_AND_ATTRIBUTES& group = groups->Groups[i];
    if ((group.Attributes & SE_GROUP_LOGON_ID) != SE_GROUP_LOGON_ID || !::IsValidSid(group.Sid)) continue;
    const auto* sid = static_cast<const std::uint8_t*>(group.Sid);
    return {sid, sid + ::GetLengthSid(group.Sid)};
  }
  return {};
}

}  // namespace

LogonSessionOnly::LogonSessionOnly() : sid_(LogonSid()) {
  if (sid_.empty()) return;
  acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + sid_.size());
  auto* acl = reinterpret_cast<ACL*>(acl_.data());
  ready_ = ::InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) &&
           ::AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, sid_.data()) &&
           ::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
           ::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE);
  attributes_ = {sizeof attributes_, &descriptor_, FALSE};
}

}  // namespace tvx
