// The settings file through the system's own profile calls, in the ANSI code page: the file's
// bytes are what the A calls read and write on any Windows.
#include <windows.h>

#include <string>

#include "platform/base.h"
#include "platform/win32/win32_text.h"

namespace platform {
namespace {

constexpr UINT kJapaneseCodePage = 932;

// A section or key name in the ANSI code page. A name that code page can't carry (the
// Japanese key names on a western system) is written in its Japanese bytes (code page 932),
// the bytes a Japanese system gives it, so that the keys stay distinct and the file reads the
// same on every system.
bool NameBytes(std::string_view utf8, std::string& out) {
    if (win32::Utf8ToAnsi(utf8, out)) return true;
    const std::wstring wide = win32::Widen(utf8);
    BOOL usedDefault = FALSE;
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(kJapaneseCodePage, 0, wide.data(), size, nullptr, 0, nullptr,
                                      &usedDefault);
    if (n <= 0 || usedDefault) return false;
    out.assign(static_cast<std::size_t>(n), '\0');
    return WideCharToMultiByte(kJapaneseCodePage, 0, wide.data(), size, out.data(), n, nullptr,
                               &usedDefault) == n &&
           !usedDefault;
}

// The path for the A calls: its short (8.3) form when the ANSI code page can't carry it.
bool PathBytes(const std::string& utf8, std::string& out) {
    if (win32::Utf8ToAnsi(utf8, out)) return true;
    const std::wstring wide = win32::Widen(utf8);
    std::wstring shortPath(MAX_PATH, L'\0');
    const DWORD n = GetShortPathNameW(wide.c_str(), shortPath.data(), MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    shortPath.resize(n);
    return win32::Utf8ToAnsi(win32::Narrow(shortPath), out);
}

// A refused write, with the system's words for `reason`.
ProfileCall Refused(DWORD reason, std::string* why) {
    SetLastError(reason);
    if (why) *why = LastErrorText();
    SetLastError(reason);
    return ProfileCall::Refused;
}

}  // namespace

ProfileCall ReadIniValue(std::string_view section, std::string_view key, const std::string& path,
                         std::string& value) {
    value.clear();
    std::string s, k, p;
    if (!NameBytes(section, s) || !NameBytes(key, k) || !PathBytes(path, p))
        return ProfileCall::Done;
    // 256 bytes with the NUL: values come back cut to 255 bytes, blanks and quotes removed.
    char bytes[256] = {};
    const DWORD n =
        GetPrivateProfileStringA(s.c_str(), k.c_str(), "", bytes, sizeof bytes, p.c_str());
    if (!win32::AnsiToUtf8(std::string_view(bytes, n), value)) value.clear();
    return ProfileCall::Done;
}

ProfileCall WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                          const std::string& path, std::string* why) {
    std::string s, k, v, p;
    // A line break would start a line of its own.
    if (section.empty() || key.empty() || value.find_first_of("\r\n") != std::string::npos)
        return Refused(ERROR_INVALID_PARAMETER, why);
    if (!NameBytes(section, s) || !NameBytes(key, k) || !win32::Utf8ToAnsi(value, v) ||
        !PathBytes(path, p))
        return Refused(ERROR_NO_UNICODE_TRANSLATION, why);
    if (WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), p.c_str()) == 0)
        return Refused(GetLastError(), why);
    return ProfileCall::Done;
}

}  // namespace platform
