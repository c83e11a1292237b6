// Small word rules shared by every layer (see words.h).
#include "platform/words.h"

namespace platform {

namespace {

char UpperOf(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char LowerOf(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool IsBlank(char c, Blanks set) {
    if (c == ' ' || c == '\t') return true;
    return set == Blanks::Whitespace && (c == '\r' || c == '\n' || c == '\v' || c == '\f');
}

std::string_view TrimBlanks(std::string_view s, Blanks set) {
    while (!s.empty() && IsBlank(s.front(), set)) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back(), set)) s.remove_suffix(1);
    return s;
}

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = UpperOf(c);
    return out;
}

std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = LowerOf(c);
    return out;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperOf(a[i]) != UpperOf(b[i])) return false;
    return true;
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;   // no overlong forms
            if (lead == 0xED) high = 0x9F;  // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;   // no overlong forms
            if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
        } else {
            return false;
        }
        if (bytes.size() - i < length) return false;
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < low || second > high) return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

bool ListHasName(const char* list, std::string_view name) {
    if (!list || name.empty()) return false;
    const std::string_view all(list);
    for (std::size_t at = all.find(name); at != std::string_view::npos;
         at = all.find(name, at + 1)) {
        const std::size_t end = at + name.size();
        const bool starts = at == 0 || all[at - 1] == ' ';
        const bool ends = end == all.size() || all[end] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

}  // namespace platform
