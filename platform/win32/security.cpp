// The private access list for the hand-off bitmap, its folders and the trace file.
#include <windows.h>
// After windows.h: the security helpers need its types.
#include <sddl.h>

#include <string>

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

}  // namespace platform::win32
