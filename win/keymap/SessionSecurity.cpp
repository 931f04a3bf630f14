#include "win/keymap/SessionSecurity.h"

// After <windows.h>, which it needs.
#include <aclapi.h>

#include <algorithm>
#include <memory>

#include "win/sys/Handles.h"

namespace tvx {
namespace {

// One kind of the process token's information; empty when it cannot be read.
std::vector<std::uint8_t> TokenInformation(TOKEN_INFORMATION_CLASS kind) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  const UniqueHandle owned(token);
  DWORD size = 0;
  ::GetTokenInformation(token, kind, nullptr, 0, &size);
  std::vector<std::uint8_t> buffer(size);
  if (size == 0 || !::GetTokenInformation(token, kind, buffer.data(), size, &size)) return {};
  return buffer;
}

std::vector<std::uint8_t> CopyOfSid(PSID sid) {
  if (!sid || !::IsValidSid(sid)) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(sid);
  return {bytes, bytes + ::GetLengthSid(sid)};
}

// The logon session's SID among the token's groups; empty when there is none.
std::vector<std::uint8_t> LogonSid() {
  const std::vector<std::uint8_t> buffer = TokenInformation(TokenGroups);
  if (buffer.empty()) return {};
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    const SID_AND_ATTRIBUTES& group = groups->Groups[i];
    if ((group.Attributes & SE_GROUP_LOGON_ID) == SE_GROUP_LOGON_ID) return CopyOfSid(group.Sid);
  }
  return {};
}

// The user, and the owner the token gives what it creates (the Administrators group, for an elevated
// administrator).
std::vector<std::vector<std::uint8_t>> OwnSids() {
  std::vector<std::vector<std::uint8_t>> sids;
  if (const auto user = TokenInformation(TokenUser); !user.empty())
    sids.push_back(CopyOfSid(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid));
  if (const auto owner = TokenInformation(TokenOwner); !owner.empty())
    sids.push_back(CopyOfSid(reinterpret_cast<const TOKEN_OWNER*>(owner.data())->Owner));
  return sids;
}

bool SameSid(PSID sid, const std::vector<std::uint8_t>& other) {
  return !other.empty() && ::IsValidSid(sid) && ::EqualSid(sid, const_cast<std::uint8_t*>(other.data()));
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

bool LogonSessionOnly::IsOurs(HANDLE object) const {
  if (!ready_) return true;
  PSID owner = nullptr;
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                        &owner, nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  const std::unique_ptr<void, decltype(&::LocalFree)> freed(descriptor, &::LocalFree);
  const auto sids = OwnSids();
  const auto ours = [&](PSID sid) {
    return SameSid(sid, sid_) ||
           std::any_of(sids.begin(), sids.end(), [&](const auto& own) { return SameSid(sid, own); });
  };
  if (!owner || !std::any_of(sids.begin(), sids.end(), [&](const auto& own) { return SameSid(owner, own); }))
    return false;
  if (!acl) return false;  // no access list at all lets everyone in
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    if (!::GetAce(acl, i, reinterpret_cast<void**>(&ace))) return false;
    if (ace->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
    if (!ours(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart)) return false;
  }
  return true;
}

}  // namespace tvx
