// The program folder and the private root under which the programs' drive paths live.
#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_security.h"
#include "platform/win32/win32_text.h"

namespace platform {
namespace {

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

std::string PathInFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    path += name;
    return path;
}

std::string DriveRoot() {
    if (std::string root = win32::Environment(L"VELMORA_ROOT"); !root.empty()) return root;
    if (std::string local = win32::Environment(L"LOCALAPPDATA"); !local.empty())
        return local + "\\Velmora";
    return win32::Environment(L"USERPROFILE") + "\\AppData\\Local\\Velmora";
}

// The same private root as on every system: another account can't read the captured desktop
// from a shared "C:\tolvik".
std::string MapDrivePath(std::string_view path) {
    return MapDrivePathUnder(DriveRoot(), path);
}

bool MakePrivateFolders(const std::string& path) {
    const std::wstring wide = win32::Widen(path);
    if (wide.empty()) return false;
    win32::PrivateSecurity security;
    // Each missing level from the top down; a drive ("C:") or share prefix simply exists.
    for (std::size_t pos = 1; pos <= wide.size(); ++pos) {
        if (pos != wide.size() && !IsSeparator(wide[pos])) continue;
        const std::wstring part = wide.substr(0, pos);
        if (part.back() == L':' || IsFolder(part)) continue;
        CreateDirectoryW(part.c_str(), security.Get());
    }
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
