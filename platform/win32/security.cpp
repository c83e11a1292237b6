// The private access list for the hand-off bitmap, its folders and the trace file, and the
// check that a folder is the user's alone.
#include <windows.h>
// After windows.h: the security helpers need its types.
#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "platform/win32/win32_security.h"

namespace platform::win32 {

PrivateSecurity::PrivateSecurity() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    LPWSTR sid = nullptr;
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        // Protected: nothing is inherited from a parent that others may read.
        const std::wstring sddl = L"D:P(A;OICI;FA;;;" + std::wstring(sid) + L")(A;OICI;FA;;;SY)";
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                             &descriptor_, nullptr);
        LocalFree(sid);
    }
    CloseHandle(token);
    attributes_ = SECURITY_ATTRIBUTES{sizeof attributes_, descriptor_, FALSE};
}

PrivateSecurity::~PrivateSecurity() {
    if (descriptor_) LocalFree(descriptor_);
}

namespace {

// A SID copied out of a token or made from a well-known kind; empty when it could not be had.
using SidBytes = std::string;

SidBytes TokenSid(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::string buffer(size, '\0');
    if (!size || !GetTokenInformation(token, kind, buffer.data(), size, &size)) return {};
    PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                 : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
    return SidBytes(static_cast<const char*>(sid), GetLengthSid(sid));
}

SidBytes WellKnownSid(WELL_KNOWN_SID_TYPE kind) {
    std::string buffer(SECURITY_MAX_SID_SIZE, '\0');
    DWORD size = SECURITY_MAX_SID_SIZE;
    if (!CreateWellKnownSid(kind, nullptr, buffer.data(), &size)) return {};
    buffer.resize(size);
    return buffer;
}

std::vector<SidBytes> TrustedSids() {
    std::vector<SidBytes> sids{WellKnownSid(WinLocalSystemSid),
                               WellKnownSid(WinBuiltinAdministratorsSid)};
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        sids.push_back(TokenSid(token, TokenUser));
        sids.push_back(TokenSid(token, TokenOwner));
        CloseHandle(token);
    }
    return sids;
}

bool IsTrusted(PSID sid, const std::vector<SidBytes>& trusted) {
    for (const auto& one : trusted)
        if (!one.empty() && EqualSid(sid, const_cast<char*>(one.data()))) return true;
    return false;
}

// Rights that let their holder change what the folder holds or who may use it.
constexpr ACCESS_MASK kChangingRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD |
                                        DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                        GENERIC_ALL;

bool OthersMayChange(const ACL* acl, const std::vector<SidBytes>& trusted) {
    if (!acl) return true;  // no access list at all: everyone may do everything
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(const_cast<ACL*>(acl), i, &entry)) return true;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        // Entries only handed down to what is made inside do not apply to the folder itself.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & kChangingRights) &&
            !IsTrusted(reinterpret_cast<PSID>(&allowed->SidStart), trusted))
            return true;
    }
    return false;
}

}  // namespace

FolderTrust TrustOf(const std::wstring& path) {
    PSID owner = nullptr;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS)
        return FolderTrust::Unknown;
    const auto trusted = TrustedSids();
    FolderTrust trust = FolderTrust::Private;
    if (!owner || !IsTrusted(owner, trusted))
        trust = FolderTrust::ForeignOwner;
    else if (OthersMayChange(acl, trusted))
        trust = FolderTrust::WritableByOthers;
    LocalFree(descriptor);
    return trust;
}

}  // namespace platform::win32
