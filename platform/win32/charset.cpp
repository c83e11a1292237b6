// Text conversion between named charsets through Windows' code pages (see base.h). The
// locale's charset is the ANSI code page.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/base.h"
#include "platform/win32/win32_text.h"
#include "platform/words.h"

namespace platform {
namespace {

using win32::FromWide;
using win32::ToWide;

// The code page a charset name stands for; 0 when unknown.
UINT CodePage(std::string_view name) {
    if (IsUtf8(name)) return CP_UTF8;
    const std::string n = AsciiUpper(name);
    struct Alias {
        const char* name;
        UINT page;
    };
    static constexpr Alias aliases[] = {
        {"SHIFT_JIS", 932}, {"SJIS", 932},       {"EUC-JP", 20932}, {"ISO-8859-1", 28591},
        {"LATIN1", 28591},  {"US-ASCII", 20127}, {"ASCII", 20127},  {"ANSI_X3.4-1968", 20127},
        {"GBK", 936},       {"BIG5", 950},       {"EUC-KR", 51949}, {"KOI8-R", 20866}};
    for (const Alias& a : aliases)
        if (n == a.name) return a.page;
    for (const char* prefix : {"CP", "WINDOWS-"}) {
        const std::string p(prefix);
        if (n.size() > p.size() && n.compare(0, p.size(), p) == 0 &&
            n.find_first_not_of("0123456789", p.size()) == std::string::npos)
            return static_cast<UINT>(std::stoul(n.substr(p.size())));
    }
    return 0;
}

}  // namespace

std::string LocaleCharset() {
    const UINT page = GetACP();
    return page == CP_UTF8 ? "UTF-8" : "CP" + std::to_string(page);
}

bool ConvertText(std::string_view in, const std::string& from, const std::string& to,
                 std::string& out) {
    const UINT source = CodePage(from), target = CodePage(to);
    out.clear();
    if (source && source == target) {
        out.assign(in);
        return true;
    }
    std::wstring wide;
    if (!source || !target || !ToWide(source, in, true, wide) ||
        !FromWide(target, wide, true, out)) {
        out.clear();
        return false;
    }
    return true;
}

std::string ConvertTextLossy(std::string_view in, const std::string& from, const std::string& to) {
    const UINT source = CodePage(from), target = CodePage(to);
    if (!source || !target || source == target) return std::string(in);
    std::wstring wide;
    ToWide(source, in, false, wide);
    // What could not be read counts as one character that can't be carried.
    for (wchar_t& c : wide)
        if (c == 0xFFFD) c = L'?';
    std::string out;
    FromWide(target, wide, false, out);
    return out;
}

std::string CutBytes(std::string_view bytes, std::size_t limit, const std::string& name) {
    if (bytes.size() <= limit) return std::string(bytes);
    const UINT page = CodePage(name);
    if (page == CP_UTF8) {
        // Back up over continuation bytes to the start of the character that would be split.
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
        return std::string(bytes.substr(0, cut));
    }
    CPINFO info{};
    if (!page || !GetCPInfo(page, &info) || info.MaxCharSize != 2)
        return std::string(bytes.substr(0, limit));
    // A double-byte page: walk character by character so that a lead byte is never left alone.
    std::size_t at = 0;
    while (at < limit) {
        const std::size_t step = IsDBCSLeadByteEx(page, static_cast<BYTE>(bytes[at])) ? 2 : 1;
        if (at + step > limit) break;
        at += step;
    }
    return std::string(bytes.substr(0, at));
}

std::string ErrorWords(int error) {
    return SystemText(std::strerror(error));
}

std::string SystemText(const char* text) {
    if (!text) return {};
    return ConvertTextLossy(text, LocaleCharset(), "UTF-8");
}

}  // namespace platform
