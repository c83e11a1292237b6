// Text conversion with MultiByteToWideChar and WideCharToMultiByte.
#include <windows.h>

#include "platform/win32/win32_text.h"

namespace platform::win32 {
namespace {

// Converts `in` from code page `page` to UTF-16. `strict` refuses invalid input.
bool ToWide(UINT page, std::string_view in, bool strict, std::wstring& out) {
    out.clear();
    if (in.empty()) return true;
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(in.size());
    const int n = MultiByteToWideChar(page, flags, in.data(), size, nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(page, flags, in.data(), size, out.data(), n) == n;
}

// Converts UTF-16 to code page `page`. With `strict`, a character the page lacks fails.
bool FromWide(UINT page, std::wstring_view in, bool strict, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    const int size = static_cast<int>(in.size());
    BOOL usedDefault = FALSE;
    // The UTF-8 page takes no "default character used" flag.
    BOOL* used = strict && page != CP_UTF8 ? &usedDefault : nullptr;
    const DWORD flags = strict && page == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
    const int n = WideCharToMultiByte(page, flags, in.data(), size, nullptr, 0, nullptr, used);
    if (n <= 0 || usedDefault) return false;
    out.resize(static_cast<std::size_t>(n));
    return WideCharToMultiByte(page, flags, in.data(), size, out.data(), n, nullptr, used) == n &&
           !usedDefault;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
    std::wstring out;
    ToWide(CP_UTF8, utf8, false, out);
    return out;
}

std::string Narrow(std::wstring_view wide) {
    std::string out;
    FromWide(CP_UTF8, wide, false, out);
    return out;
}

bool AnsiToUtf8(std::string_view ansi, std::string& out) {
    std::wstring wide;
    std::string result;
    if (!ToWide(GetACP(), ansi, true, wide) || !FromWide(CP_UTF8, wide, true, result)) return false;
    out = std::move(result);
    return true;
}

bool Utf8ToAnsi(std::string_view utf8, std::string& out) {
    std::wstring wide;
    std::string result;
    if (!ToWide(CP_UTF8, utf8, true, wide) || !FromWide(GetACP(), wide, true, result)) return false;
    out = std::move(result);
    return true;
}

std::string Environment(const wchar_t* name) {
    const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return {};
    std::wstring value(n, L'\0');
    const DWORD written = GetEnvironmentVariableW(name, value.data(), n);
    if (written == 0 || written >= n) return {};
    value.resize(written);
    return Narrow(value);
}

}  // namespace platform::win32
