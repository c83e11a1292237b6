// The program folder and the private root under which the programs' drive paths live.
#include <windows.h>
// After windows.h: the security helpers need its types.
#include <sddl.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace platform {
namespace {

// A security descriptor that lets only the current user (and the system) into a folder and
// everything made in it; nullptr when it can't be built (the folder then inherits its rights).
PSECURITY_DESCRIPTOR PrivateDescriptor() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    LPWSTR sid = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        // Protected: nothing is inherited from a parent that others may read.
        const std::wstring sddl = L"D:P(A;OICI;FA;;;" + std::wstring(sid) + L")(A;OICI;FA;;;SY)";
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                             &descriptor, nullptr);
        LocalFree(sid);
    }
    CloseHandle(token);
    return descriptor;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

}  // namespace

std::string ProgramFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return ".";
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);  // cut off: try again with room to spare
    }
    const auto slash = buffer.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return ".";
    return win32::Narrow(buffer.substr(0, slash));
}

std::string DriveRoot() {
    if (std::string root = win32::Environment(L"VELMORA_ROOT"); !root.empty()) return root;
    if (std::string local = win32::Environment(L"LOCALAPPDATA"); !local.empty())
        return local + "\\Velmora";
    return win32::Environment(L"USERPROFILE") + "\\AppData\\Local\\Velmora";
}

bool MakePrivateFolders(const std::string& path) {
    const std::wstring wide = win32::Widen(path);
    if (wide.empty()) return false;
    PSECURITY_DESCRIPTOR descriptor = PrivateDescriptor();
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    // Each missing level from the top down; a drive ("C:") or share prefix simply exists.
    for (std::size_t pos = 1; pos <= wide.size(); ++pos) {
        if (pos != wide.size() && !IsSeparator(wide[pos])) continue;
        const std::wstring part = wide.substr(0, pos);
        if (part.back() == L':' || IsFolder(part)) continue;
        CreateDirectoryW(part.c_str(), descriptor ? &attributes : nullptr);
    }
    if (descriptor) LocalFree(descriptor);
    return IsFolder(wide);
}

std::string UserSettingsFolder() {
    if (std::string roaming = win32::Environment(L"APPDATA"); !roaming.empty())
        return roaming + "\\Velmora";
    return {};
}

bool FolderWritable(const std::string& folder) {
    // Rights come from access lists that no flag sums up: making a file there is the test.
    wchar_t probe[MAX_PATH];
    if (!GetTempFileNameW(win32::Widen(folder).c_str(), L"vlm", 0, probe)) return false;
    DeleteFileW(probe);
    return true;
}

std::string LastErrorText() {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring message = n && text ? std::wstring(text, n) : L"error " + std::to_wstring(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                                message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    return win32::Narrow(message);
}

}  // namespace platform
