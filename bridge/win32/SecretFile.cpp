// SecretFile on Windows: the file's access list. Who may read it besides the
// file's owner, the system (the service's account), the administrators and a
// service's own account (NT SERVICE\...) sees the secret.
#include "bridge/SecretFile.h"

// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#include <algorithm>
#include <iterator>
#include <memory>

#include "bridge/win32/SystemMessage.h"
#include "bridge/win32/Utf8Paths.h"

namespace {

// The SID as text, "S-1-1-0".
std::string SidText(PSID sid) {
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return "an unknown account";
  const std::string result = Utf8FromWide(text);
  LocalFree(text);
  return result;
}

// "Everyone (S-1-1-0)", "VM\user (S-1-5-21-...)": the account's name in the
// system's language, and its SID, which every language writes alike.
std::string AccountText(PSID sid) {
  wchar_t name[256];
  wchar_t domain[256];
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use;
  const std::string id = SidText(sid);
  if (!LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) return id;
  const std::string account = (domain[0] != 0 ? Utf8FromWide(domain) + "\\" : "") + Utf8FromWide(name);
  return account + " (" + id + ")";
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) { return IsWellKnownSid(sid, type) != FALSE; }

// A service's own account: NT SERVICE\<name>, S-1-5-80-...
bool IsServiceAccount(PSID sid) {
  const PSID_IDENTIFIER_AUTHORITY authority = GetSidIdentifierAuthority(sid);
  static const SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  return std::equal(std::begin(nt.Value), std::end(nt.Value), authority->Value) && *GetSidSubAuthorityCount(sid) > 0 &&
         *GetSidSubAuthority(sid, 0) == SECURITY_SERVICE_ID_BASE_RID;
}

bool MayRead(PSID sid, PSID owner) {
  return EqualSid(sid, owner) || IsWellKnown(sid, WinLocalSystemSid) || IsWellKnown(sid, WinBuiltinAdministratorsSid) ||
         IsServiceAccount(sid);
}

constexpr ACCESS_MASK ReadRights = FILE_READ_DATA | GENERIC_READ | GENERIC_ALL;

// The first account of the access list that may read the file and should not.
std::optional<std::string> OtherReader(const ACL* dacl, PSID owner) {
  if (dacl == nullptr) return std::string("everyone (the file has no access list)");
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(const_cast<ACL*>(dacl), i, &entry)) continue;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    // Entries for what is made inside a folder do not apply to the file itself.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    if ((allowed->Mask & ReadRights) != 0 && !MayRead(sid, owner)) return AccountText(sid);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> SecretFileExposure(const std::string& path) {
  const std::wstring name = WideFromUtf8(path);
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD failed =
      GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            &owner, nullptr, &dacl, nullptr, &descriptor);
  if (failed != ERROR_SUCCESS) return "cannot be checked for who may read it (" + SystemMessage(failed) + ")";
  const std::unique_ptr<void, decltype(&LocalFree)> freed(descriptor, &LocalFree);
  const std::optional<std::string> reader = OtherReader(dacl, owner);
  if (!reader) return std::nullopt;
  // By SID, as the accounts' names differ with the system's language.
  return "may be read by " + *reader + "; make it readable by the administrators and the system only: icacls \"" +
         path + "\" /inheritance:r /grant:r *S-1-5-32-544:F *S-1-5-18:F";
}
