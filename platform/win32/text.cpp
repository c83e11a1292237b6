// Text conversion with MultiByteToWideChar and WideCharToMultiByte.
#include <windows.h>

#include "platform/win32/win32_text.h"

namespace platform::win32 {
namespace {

// Code pages that refuse the strictness flags (stateful and GB18030 encodings among them).
bool TakesFlags(UINT page) {
    return !(page == 42 || (page >= 50220 && page <= 50229) || page == 52936 || page == 54936 ||
             (page >= 57002 && page <= 57011) || page == 65000);
}

}  // namespace

bool ToWide(UINT page, std::string_view in, bool strict, std::wstring& out) {
    out.clear();
    if (in.empty()) return true;
    const DWORD flags = strict && TakesFlags(page) ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(in.size());
    const int n = MultiByteToWideChar(page, flags, in.data(), size, nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(page, flags, in.data(), size, out.data(), n) == n;
}

// With `strict`, a character the page lacks fails; else it becomes "?".
bool FromWide(UINT page, std::wstring_view in, bool strict, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    const bool utf8 = page == CP_UTF8;
    BOOL usedDefault = FALSE;
    BOOL* used = strict && !utf8 && TakesFlags(page) ? &usedDefault : nullptr;
    const DWORD flags = strict && utf8 ? WC_ERR_INVALID_CHARS : 0;
    const char* fallback = utf8 || !TakesFlags(page) ? nullptr : "?";
    const int size = static_cast<int>(in.size());
    const int n = WideCharToMultiByte(page, flags, in.data(), size, nullptr, 0, fallback, used);
    if (n <= 0 || usedDefault) return false;
    out.resize(static_cast<std::size_t>(n));
    return WideCharToMultiByte(page, flags, in.data(), size, out.data(), n, fallback, used) == n &&
           !usedDefault;
}

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
