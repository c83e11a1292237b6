// Files on Windows (see base.h): reading only what is a file on a disk, replacing through a
// temporary file and ReplaceFileW/MoveFileExW, appending in one write.
#include <windows.h>
// <windows.h> names its own call ReplaceFile (a macro for ReplaceFileW); ours is
// platform::ReplaceFile, and the system's is called by its wide name below.
#undef ReplaceFile

#include <atomic>
#include <string>

#include "platform/base.h"
#include "platform/win32/win32_security.h"
#include "platform/win32/win32_text.h"

namespace platform {
namespace {

// A failed call: `reason` stays the thread's last error (LastErrorText) and its words go to
// `why`.
bool Failed(DWORD reason, std::string* why) {
    SetLastError(reason);
    if (why) *why = LastErrorText();
    SetLastError(reason);
    return false;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Device and pipe namespaces ("\\.\pipe\x", "\\?\GLOBALROOT\...") are never opened.
bool IsDeviceName(const std::wstring& path) {
    return path.rfind(L"\\\\.\\", 0) == 0 || path.rfind(L"//./", 0) == 0 ||
           path.rfind(L"\\\\?\\GLOBALROOT", 0) == 0;
}

// Opens `path` for reading when it is a file on a disk; sets `status` either way.
HANDLE OpenRegular(const std::string& path, ReadResult& status) {
    status = ReadResult::Failed;
    const std::wstring wide = win32::Widen(path);
    if (wide.empty()) {
        status = ReadResult::Missing;
        return INVALID_HANDLE_VALUE;
    }
    if (IsDeviceName(wide)) return INVALID_HANDLE_VALUE;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            status = ReadResult::Missing;
        return INVALID_HANDLE_VALUE;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return file;
    // "CON", "NUL" and the like open as characters, not as a file on a disk.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    status = ReadResult::Ok;
    return file;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring NameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// A name for a new temporary file beside `path`, not used before by this process:
// ".<name>.<process>.<tick>.<count>.tmp".
std::wstring TemporaryBeside(const std::wstring& path) {
    static std::atomic<unsigned> counter{0};
    return FolderOf(path) + L"." + NameOf(path) + L"." + std::to_wstring(GetCurrentProcessId()) +
           L"." + std::to_wstring(GetTickCount()) + L"." + std::to_wstring(++counter) + L".tmp";
}

// True when `entry` is a name TemporaryBeside gives for the file `name`: three numbers between
// ".<name>." and ".tmp".
bool IsTemporaryOf(const std::wstring& entry, const std::wstring& name) {
    const std::wstring prefix = L"." + name + L".", suffix = L".tmp";
    if (entry.size() <= prefix.size() + suffix.size() ||
        _wcsnicmp(entry.c_str(), prefix.c_str(), prefix.size()) != 0 ||
        _wcsicmp(entry.c_str() + entry.size() - suffix.size(), suffix.c_str()) != 0)
        return false;
    int dots = 0;
    for (std::size_t i = prefix.size(); i < entry.size() - suffix.size(); ++i) {
        if (entry[i] == L'.' && i > prefix.size() && entry[i - 1] != L'.')
            ++dots;
        else if (entry[i] < L'0' || entry[i] > L'9')
            return false;
    }
    return dots == 2 && entry[entry.size() - suffix.size() - 1] != L'.';
}

bool IsLinkOrJunction(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Puts the finished temporary file in the place of `target`. ReplaceFileW keeps what the old
// file allowed; a private file, a new file and a link at `target` are moved over instead, so
// that a link is replaced, never written through.
bool MoveIntoPlace(const std::wstring& temp, const std::wstring& target, FileAccess access,
                   Durability durability) {
    if (access == FileAccess::KeepOrUserDefault && Exists(target) && !IsLinkOrJunction(target) &&
        ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                       nullptr, nullptr))
        return true;
    const DWORD through = durability == Durability::Lasting ? MOVEFILE_WRITE_THROUGH : 0;
    return MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | through) != 0;
}

}  // namespace

ReadResult ReadRegularFile(const std::string& path, std::string& out, std::size_t limit) {
    out.clear();
    ReadResult status = ReadResult::Failed;
    HANDLE file = OpenRegular(path, status);
    if (file == INVALID_HANDLE_VALUE) return status;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || static_cast<unsigned long long>(size.QuadPart) > limit) {
        CloseHandle(file);
        return ReadResult::Failed;
    }
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr) || out.size() + n > limit) {
            status = ReadResult::Failed;
            out.clear();
            break;
        }
        if (n == 0) break;
        out.append(buffer, n);
    }
    CloseHandle(file);
    return status;
}

bool IsReadableRegularFile(const std::string& path) {
    ReadResult status = ReadResult::Failed;
    HANDLE file = OpenRegular(path, status);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool ReplaceFileFrom(const std::string& path, const std::function<bool(const ByteSink&)>& produce,
                     FileAccess access, Durability durability, std::string* why) {
    const std::wstring target = win32::Widen(path);
    if (target.empty() || IsSeparator(target.back())) return Failed(ERROR_INVALID_NAME, why);
    const std::wstring temp = TemporaryBeside(target);
    win32::PrivateSecurity security;
    // CREATE_NEW never opens what is already there, a link planted at the name included.
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0,
                              access == FileAccess::OwnerOnly ? security.Get() : nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failed(GetLastError(), why);
    bool written = true;
    const ByteSink sink = [&](std::string_view piece) {
        return written = written && WriteAll(file, piece);
    };
    bool ok =
        produce(sink) && written && (durability == Durability::Passing || FlushFileBuffers(file));
    ok = CloseHandle(file) && ok;
    if (ok) ok = MoveIntoPlace(temp, target, access, durability);
    if (!ok) {
        const DWORD reason = GetLastError();  // the failure's, not the clean-up's
        DeleteFileW(temp.c_str());
        return Failed(reason, why);
    }
    return true;
}

int RemoveStaleTemporaries(const std::string& path) {
    const std::wstring target = win32::Widen(path);
    const std::wstring folder = FolderOf(target), name = NameOf(target);
    if (name.empty()) return 0;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"." + name + L".*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
                0 &&
            IsTemporaryOf(found.cFileName, name) && DeleteFileW((folder + found.cFileName).c_str()))
            ++removed;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return removed;
}

std::string WriteTarget(const std::string& path) {
    const std::wstring wide = win32::Widen(path);
    if (!IsLinkOrJunction(wide)) return path;
    HANDLE file = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return path;  // a dangling link: written in its place
    std::wstring final(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                              FILE_NAME_NORMALIZED);
    CloseHandle(file);
    if (n == 0 || n >= final.size()) return path;
    final.resize(n);
    if (final.rfind(L"\\\\?\\UNC\\", 0) == 0)
        final = L"\\" + final.substr(7);
    else if (final.rfind(L"\\\\?\\", 0) == 0)
        final = final.substr(4);
    return win32::Narrow(final);
}

bool AppendToFile(const std::string& path, std::string_view bytes, std::string* why) {
    const std::wstring wide = win32::Widen(path);
    if (wide.empty() || bytes.size() > 0x7fffffff) return Failed(ERROR_INVALID_PARAMETER, why);
    win32::PrivateSecurity security;
    // Append access alone makes each write land whole at the end, whoever else appends; a link
    // at the path is opened as itself and refused, never followed.
    HANDLE file =
        CreateFileW(wide.c_str(), FILE_APPEND_DATA, kShareAll, security.Get(), OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failed(GetLastError(), why);
    if (IsLinkOrJunction(wide)) {
        CloseHandle(file);
        return Failed(ERROR_CANT_ACCESS_FILE, why);
    }
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const DWORD reason = wrote ? ERROR_DISK_FULL : GetLastError();  // short: the disk is full
    CloseHandle(file);
    if (wrote && written == bytes.size()) return true;
    return Failed(reason, why);
}

}  // namespace platform
