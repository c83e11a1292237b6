// Text at the Windows boundary: the programs' UTF-8 strings to and from the wide strings of
// the W calls, and to and from the ANSI code page of the A calls.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// UTF-8 to UTF-16; invalid bytes become U+FFFD. Empty in, empty out.
std::wstring Widen(std::string_view utf8);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Narrow(std::wstring_view wide);

// Converts `in` between code page `page` and UTF-16. With `strict`, input that is not valid in
// the source or a character the target can't carry fails (`out` then holds nothing useful);
// without it, such input becomes U+FFFD or "?". Code pages that take no strictness flags
// (the stateful ones, GB18030) convert as best they can either way.
bool ToWide(unsigned page, std::string_view in, bool strict, std::wstring& out);
bool FromWide(unsigned page, std::wstring_view in, bool strict, std::string& out);

// Converts text between the ANSI code page and UTF-8. False, with `out` untouched, when the
// text holds bytes or characters that the target can't carry (nothing is substituted).
bool AnsiToUtf8(std::string_view ansi, std::string& out);
bool Utf8ToAnsi(std::string_view utf8, std::string& out);

// The value of the environment variable `name` (UTF-8), or empty when unset.
std::string Environment(const wchar_t* name);

}  // namespace platform::win32
