// The program folder, the private root under which the programs' drive paths live, and the
// checks that keep the working folders private to the user.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/base.h"
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

std::wstring WithoutTrailingSeparators(std::wstring path) {
    while (path.size() > 1 && IsSeparator(path.back()) && path[path.size() - 2] != L':')
        path.pop_back();
    return path;
}

// The drive root and each folder below it down to `path`; just `path` when it lies elsewhere.
// Names are compared without regard to case, as the file system does.
std::vector<std::wstring> FoldersFromRoot(const std::wstring& path) {
    const std::wstring root = WithoutTrailingSeparators(win32::Widen(DriveRoot()));
    const std::wstring target = WithoutTrailingSeparators(path);
    const bool below = target.size() > root.size() && IsSeparator(target[root.size()]) &&
                       _wcsnicmp(target.c_str(), root.c_str(), root.size()) == 0;
    if (_wcsicmp(target.c_str(), root.c_str()) != 0 && !below) return {target};
    std::vector<std::wstring> folders{root};
    for (std::size_t pos = root.size() + 1; pos <= target.size(); ++pos)
        if (pos == target.size() || IsSeparator(target[pos]))
            folders.push_back(target.substr(0, pos));
    return folders;
}

// Why one folder can't hold the user's files, or nothing when it can. A junction or symbolic
// link is refused whatever it points at: its target can change under the program's feet.
std::string FolderProblem(const std::wstring& folder) {
    const std::string name = win32::Narrow(folder);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return name + ": " + LastErrorText();
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return name + " is a link or junction";
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return name + " is not a folder";
    switch (win32::TrustOf(folder)) {
        case win32::FolderTrust::Private:
            return {};
        case win32::FolderTrust::ForeignOwner:
            return name + " belongs to another user";
        case win32::FolderTrust::WritableByOthers:
            return name + " can be written by other users";
        case win32::FolderTrust::Unknown:
            break;
    }
    return name + ": its owner and rights can't be read";
}

// Why `path` or a folder above it can't hold the user's files, or nothing when they can.
std::string PathProblem(const std::string& path) {
    if (path.empty()) return "no working folder";
    for (const auto& folder : FoldersFromRoot(win32::Widen(path)))
        if (auto problem = FolderProblem(folder); !problem.empty()) return problem;
    return {};
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

// Each level from the drive root (or `path` itself, when it lies elsewhere) down is checked
// before anything is made in it: nothing is created in a refused folder or through a junction.
// The levels above the root belong to the system or the user's profile and are not looked at.
bool MakePrivateFolders(const std::string& path, std::string* why) {
    if (path.empty()) return FolderIsSafe(path, why);
    const std::vector<std::wstring> folders = FoldersFromRoot(win32::Widen(path));
    win32::PrivateSecurity security;
    // Each missing level from the top down; a drive ("C:") or share prefix simply exists.
    const std::wstring& top = folders.front();
    for (std::size_t pos = 1; pos < top.size(); ++pos) {
        if (!IsSeparator(top[pos])) continue;
        const std::wstring part = top.substr(0, pos);
        if (part.back() == L':' || IsFolder(part)) continue;
        CreateDirectoryW(part.c_str(), security.Get());
    }
    std::string problem;
    for (const auto& folder : folders) {
        if (!IsFolder(folder)) CreateDirectoryW(folder.c_str(), security.Get());
        if (!(problem = FolderProblem(folder)).empty()) break;
    }
    if (why) *why = problem;
    return problem.empty();
}

bool FolderIsSafe(const std::string& path, std::string* why) {
    const std::string problem = PathProblem(path);
    if (why) *why = problem;
    return problem.empty();
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
