// Small word rules shared by every layer: blanks and trimming, ASCII letter case, whether bytes
// are UTF-8, and a name looked up in a space-separated extension list. Pure and free of the locale:
// the same bytes give the same answer on every system and in every locale.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Which bytes count as blanks. SpaceTab: space and tab, the blanks of settings files and typed
// fields. Whitespace: those and the line breaks, vertical tab and form feed (the C locale's
// white space), for text that may come from a command line or a file's lines.
enum class Blanks { SpaceTab, Whitespace };

bool IsBlank(char c, Blanks set = Blanks::SpaceTab);

// `s` without the blanks of `set` at its start and end.
std::string_view TrimBlanks(std::string_view s, Blanks set = Blanks::SpaceTab);

// `s` with the ASCII letters a-z made capitals (AsciiUpper) or A-Z made small (AsciiLower);
// every other byte, those of multi-byte characters included, as it is.
std::string AsciiUpper(std::string_view s);
std::string AsciiLower(std::string_view s);

// Whether `a` and `b` are equal when ASCII letters are compared without their case.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// True when `bytes` are UTF-8 throughout: no stray or missing continuation bytes, no overlong
// forms, no surrogates, nothing beyond U+10FFFF. Empty text is.
bool IsValidUtf8(std::string_view bytes);

// True when `list` (names separated by single spaces, as GL, GLX and WGL give their extension
// lists) holds `name` as a whole word. A null list holds nothing.
bool ListHasName(const char* list, std::string_view name);

}  // namespace platform
