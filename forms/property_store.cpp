// The forms runtime's property store: named text values with the default rule, font text form,
// change notification and the container's ambient font.
#include "forms/property_store.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/words.h"

namespace forms {
namespace {

// Stored numbers and truth values may carry white space around them; which bytes that is does
// not depend on the locale.
std::string_view Trim(std::string_view text) {
    return platform::TrimBlanks(text, platform::Blanks::Whitespace);
}

// Splits at unescaped `separator`, undoing the '\' escapes; nothing on a dangling '\'.
std::optional<std::vector<std::string>> SplitEscaped(std::string_view text, char separator) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            if (++i >= text.size()) return std::nullopt;
            char e = text[i];
            parts.back() += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
        } else if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

std::optional<std::string> Unescape(std::string_view text) {
    auto parts = SplitEscaped(text, '\n');  // an escaped text holds no bare line break
    if (!parts || parts->size() != 1) return std::nullopt;
    return parts->front();
}

std::string Escape(std::string_view text, std::string_view special) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            if (c == '\\' || special.find(c) != std::string_view::npos) out += '\\';
            out += c;
        }
    }
    return out;
}

}  // namespace

std::optional<bool> TextToBool(std::string_view text) {
    text = Trim(text);
    const std::string lower = platform::AsciiLower(text);
    if (lower == "true") return true;
    if (lower == "false") return false;
    auto number = TextToInteger(text, INT64_MIN, INT64_MAX);
    if (!number) return std::nullopt;
    return *number != 0;
}

std::optional<long long> TextToInteger(std::string_view text, long long low, long long high) {
    text = Trim(text);
    if (text.empty() || text.size() > 40) return std::nullopt;
    std::string digits(text);
    int base = 10;
    std::size_t start = 0;
    // "&H00C0FFEE&" is how colours are usually written.
    if (digits.size() > 2 && digits[0] == '&' && (digits[1] == 'H' || digits[1] == 'h')) {
        base = 16;
        start = 2;
        if (digits.back() == '&') digits.pop_back();
        if (digits.size() <= start) return std::nullopt;
    }
    const char* begin = digits.c_str() + start;
    char* end = nullptr;
    errno = 0;
    long long value = 0;
    if (base == 16) {
        unsigned long long u = std::strtoull(begin, &end, 16);
        // Hex text is a bit pattern: eight digits fill a signed 32-bit value.
        if (errno == 0 && digits.size() - start <= 8)
            value = static_cast<std::int32_t>(u);
        else if (errno == 0 && u <= static_cast<unsigned long long>(INT64_MAX))
            value = static_cast<long long>(u);
        else
            return std::nullopt;
        if (*begin == '-' || *begin == '+') return std::nullopt;
    } else {
        value = std::strtoll(begin, &end, 10);
        if (errno != 0) return std::nullopt;
    }
    if (end == begin || *end != '\0') return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::string FontSpec::ToText() const {
    char number[64];
    std::snprintf(number, sizeof number, "%.4g", size);
    return Escape(face, ";") + ";" + number + ";" + std::to_string(weight) + ";" +
           (italic ? "1" : "0") + ";" + (underline ? "1" : "0") + ";" +
           (strikethrough ? "1" : "0") + ";" + std::to_string(charset);
}

std::optional<FontSpec> FontSpec::Parse(std::string_view text) {
    auto parts = SplitEscaped(text, ';');
    if (!parts || parts->size() != 7) return std::nullopt;
    const auto& p = *parts;
    FontSpec font;
    font.face = p[0];
    char* end = nullptr;
    std::string sizeText(Trim(p[1]));
    font.size = std::strtod(sizeText.c_str(), &end);
    if (sizeText.empty() || *end != '\0' || !std::isfinite(font.size) || font.size <= 0 ||
        font.size > 1000)
        return std::nullopt;
    auto weight = TextToInteger(p[2], 0, 1000);
    auto italic = TextToBool(p[3]);
    auto underline = TextToBool(p[4]);
    auto strike = TextToBool(p[5]);
    auto charset = TextToInteger(p[6], 0, 255);
    if (!weight || !italic || !underline || !strike || !charset) return std::nullopt;
    font.weight = static_cast<int>(*weight);
    font.italic = *italic;
    font.underline = *underline;
    font.strikethrough = *strike;
    font.charset = static_cast<int>(*charset);
    return font;
}

std::string PropertyStore::ReadProperty(std::string_view name,
                                        std::string_view defaultValue) const {
    auto it = values_.find(name);
    return it == values_.end() ? std::string(defaultValue) : it->second;
}

void PropertyStore::WriteProperty(std::string_view name, std::string_view value,
                                  std::string_view defaultValue) {
    auto it = values_.find(name);
    if (value == defaultValue) {
        if (it != values_.end()) values_.erase(it);
        return;
    }
    if (it != values_.end())
        it->second = value;
    else
        values_.emplace(std::string(name), std::string(value));
}

FontRef PropertyStore::ReadFont(std::string_view name, const FontSpec& defaultValue) const {
    auto it = values_.find(name);
    if (it != values_.end()) {
        if (auto font = FontSpec::Parse(it->second)) return std::make_shared<FontSpec>(*font);
    }
    return std::make_shared<FontSpec>(defaultValue);
}

void PropertyStore::WriteFont(std::string_view name, const FontSpec& value,
                              const FontSpec& defaultValue) {
    if (value == defaultValue) {
        auto it = values_.find(name);
        if (it != values_.end()) values_.erase(it);
        return;
    }
    WriteProperty(name, value.ToText(), {});
}

bool PropertyStore::Contains(std::string_view name) const {
    return values_.find(name) != values_.end();
}

void PropertyStore::PropertyChanged(std::string_view name) {
    if (listener_) listener_(std::string(name));
}

void PropertyStore::SetChangeListener(std::function<void(const std::string&)> listener) {
    listener_ = std::move(listener);
}

std::string PropertyStore::Save() const {
    std::string out;
    for (const auto& [name, value] : values_)
        out += Escape(name, "=") + "=" + Escape(value, "") + "\n";
    return out;
}

bool PropertyStore::Load(std::string_view text) {
    std::map<std::string, std::string, std::less<>> loaded;
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        // The first unescaped '=' separates the name from the value.
        std::size_t split = std::string_view::npos;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\\')
                ++i;
            else if (line[i] == '=') {
                split = i;
                break;
            }
        }
        if (split == std::string_view::npos) return false;
        auto name = Unescape(line.substr(0, split));
        auto value = Unescape(line.substr(split + 1));
        if (!name || !value || name->empty()) return false;
        loaded[*name] = *value;
    }
    values_ = std::move(loaded);
    return true;
}

}  // namespace forms
