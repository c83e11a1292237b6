// The profile text format (see profile.h). Lines are parsed in UTF-8 (converted from the file's
// charset line by line), because in double-byte charsets such as Shift-JIS the second byte of a
// character may equal "[", "]" or an ASCII letter.
#include "host/profile.h"

#include <vector>

#include "platform/base.h"
#include "platform/words.h"

namespace profile {
namespace {

// Blanks around names and values are spaces and tabs; names match in any ASCII letter case.
using platform::SameIgnoringCase;
using platform::TrimBlanks;

struct Line {
    std::string raw;                  // bytes in the file's charset, without the line break
    std::string eol;                  // "\r\n", "\n", "\r" or "" (last line without a break)
    std::optional<std::string> text;  // UTF-8 view; nothing when the bytes don't convert
};

// The length of the line break at `pos`: CR LF, LF or CR alone end a line alike.
std::size_t BreakLength(std::string_view file, std::size_t pos) {
    if (file[pos] == '\n') return 1;
    return pos + 1 < file.size() && file[pos + 1] == '\n' ? 2 : 1;
}

std::vector<Line> Split(std::string_view file, const std::string& cs) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < file.size()) {
        const std::size_t end = file.find_first_of("\r\n", start);
        Line line;
        if (end == std::string_view::npos) {
            line.raw.assign(file.substr(start));
            start = file.size();
        } else {
            // Built, then moved in: assigning into the string trips a false overlap warning of
            // g++ 12 (-Wrestrict) in the mingw build.
            line.raw = std::string(file.substr(start, end - start));
            line.eol = std::string(file.substr(end, BreakLength(file, end)));
            start = end + line.eol.size();
        }
        std::string utf8;
        if (platform::ConvertText(line.raw, cs, "UTF-8", utf8)) line.text = std::move(utf8);
        lines.push_back(std::move(line));
    }
    return lines;
}

// The section name of a header line "[name]", or nothing.
std::optional<std::string_view> HeaderName(const Line& line) {
    if (!line.text) return std::nullopt;
    const std::string_view t = TrimBlanks(*line.text);
    if (t.empty() || t.front() != '[') return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return TrimBlanks(t.substr(1, close - 1));
}

// Key and value text of a "key=value" line; comments (";") and other lines give nothing.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(const Line& line) {
    if (!line.text) return std::nullopt;
    const std::string_view t = TrimBlanks(*line.text);
    if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::make_pair(TrimBlanks(t.substr(0, eq)), TrimBlanks(t.substr(eq + 1)));
}

std::size_t FindSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = HeaderName(lines[i]);
        if (name && SameIgnoringCase(*name, TrimBlanks(section))) return i;
    }
    return lines.size();
}

bool HasBreak(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// `utf8` in the file's charset, cut to `limit` bytes; nothing when it can't be converted.
std::optional<std::string> Encode(std::string_view utf8, const std::string& cs, std::size_t limit) {
    std::string bytes;
    if (!platform::ConvertText(utf8, "UTF-8", cs, bytes)) return std::nullopt;
    return platform::CutBytes(bytes, limit, cs);
}

}  // namespace

std::string Read(std::string_view text, std::string_view section, std::string_view key,
                 const std::string& cs, std::size_t maxBytes) {
    const auto lines = Split(text, cs);
    for (std::size_t i = FindSection(lines, section) + 1; i < lines.size(); ++i) {
        if (HeaderName(lines[i])) break;
        const auto kv = KeyValue(lines[i]);
        if (!kv || !SameIgnoringCase(kv->first, TrimBlanks(key))) continue;
        std::string_view value = kv->second;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        // The cut counts bytes of the file's charset, as the platform's fixed buffer did.
        std::string bytes, out;
        if (!platform::ConvertText(value, "UTF-8", cs, bytes)) return std::string(value);
        if (!platform::ConvertText(platform::CutBytes(bytes, maxBytes, cs), cs, "UTF-8", out))
            return {};
        return out;
    }
    return {};
}

std::string Recoded(std::string_view text, const std::string& from, const std::string& to) {
    std::string out;
    for (const Line& line : Split(text, from)) {
        std::string bytes;
        out +=
            line.text && platform::ConvertText(*line.text, "UTF-8", to, bytes) ? bytes : line.raw;
        out += line.eol;
    }
    return out;
}

std::optional<std::string> Write(std::string_view text, std::string_view section,
                                 std::string_view key, std::string_view value,
                                 const std::string& cs) {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    if (section.empty() || key.empty() || HasBreak(section) || HasBreak(key) || HasBreak(value) ||
        key.find('=') != std::string_view::npos || section.find(']') != std::string_view::npos ||
        key.front() == ';' || key.front() == '[')
        return std::nullopt;
    const auto sectionBytes = Encode(section, cs, kMaxNameBytes);
    const auto keyBytes = Encode(key, cs, kMaxNameBytes);
    const auto valueBytes = Encode(value, cs, std::string::npos);
    if (!sectionBytes || !keyBytes || !valueBytes) return std::nullopt;
    std::string sectionName, keyName;  // the names as they will be stored, for matching
    platform::ConvertText(*sectionBytes, cs, "UTF-8", sectionName);
    platform::ConvertText(*keyBytes, cs, "UTF-8", keyName);

    auto lines = Split(text, cs);
    std::string eol = "\n";  // a file keeps the line break it already uses
    for (const auto& line : lines)
        if (!line.eol.empty()) {
            eol = line.eol;
            break;
        }
    const std::string keyLine = *keyBytes + "=" + *valueBytes;

    const std::size_t s = FindSection(lines, sectionName);
    if (s == lines.size()) {
        if (!lines.empty() && lines.back().eol.empty()) lines.back().eol = eol;
        lines.push_back({"[" + *sectionBytes + "]", eol, std::nullopt});
        lines.push_back({keyLine, eol, std::nullopt});
    } else {
        std::size_t last = s;  // the section's last line that is not blank
        std::size_t i = s + 1;
        for (; i < lines.size() && !HeaderName(lines[i]); ++i) {
            const auto kv = KeyValue(lines[i]);
            if (kv && SameIgnoringCase(kv->first, keyName)) {
                lines[i].raw = keyLine;
                break;
            }
            if (!lines[i].text || !TrimBlanks(*lines[i].text).empty()) last = i;
        }
        if (i == lines.size() || HeaderName(lines[i])) {
            if (lines[last].eol.empty()) lines[last].eol = eol;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                         Line{keyLine, eol, std::nullopt});
        }
    }
    std::string out;
    for (const auto& line : lines) out += line.raw + line.eol;
    return out;
}

}  // namespace profile
