// Small word rules that every backend shares: charset names compared without letter case, and a
// name looked up in a space-separated extension list. Pure; backends include it, product code
// does not.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// `s` with the ASCII letters a-z made capitals; every other byte as it is.
std::string AsciiUpper(std::string_view s);

// True when `list` (names separated by single spaces, as GL, GLX and WGL give their extension
// lists) holds `name` as a whole word. A null list holds nothing.
bool ListHasName(const char* list, std::string_view name);

}  // namespace platform
