#include "owners.h"

#include "win32_calls.h"

namespace zarneth {
namespace {

Sid CopyOf(PSID sid) {
  const auto* bytes = static_cast<const unsigned char*>(sid);
  return Sid(bytes, bytes + ::GetLengthSid(sid));
}

}  // namespace

std::optional<Sid> OwnerOf(HANDLE handle) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (sys::Owner(handle, owner, descriptor) != ERROR_SUCCESS)
    return std::nullopt;
  std::optional<Sid> sid;
  if (owner && ::IsValidSid(owner))
    sid = CopyOf(owner);
  ::LocalFree(descriptor);
  return sid;
}

bool IsCaller(const Sid& sid) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
    return false;
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> user(size);
  const bool same = size > 0 && ::GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
                    CopyOf(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid) == sid;
  ::CloseHandle(token);
  return same;
}

}  // namespace zarneth
