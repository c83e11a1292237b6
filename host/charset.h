// Text conversion between the host's UTF-8 strings and the charset of the user's locale, which
// is the charset of the settings file (the C and POSIX locales count as UTF-8).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace charset {

// The locale's charset as iconv names it ("UTF-8", "EUC-JP", ...). Needs setlocale() first.
std::string LocaleCharset();

bool IsUtf8(std::string_view name);

// Converts `in` from one charset to another. False when the text has bytes or characters that
// the charsets can't carry (nothing is substituted).
bool Convert(std::string_view in, const std::string& from, const std::string& to, std::string& out);

// The first `limit` bytes of `bytes` (text in `name`), without a partial character at the end.
std::string CutBytes(std::string_view bytes, std::size_t limit, const std::string& name);

}  // namespace charset
