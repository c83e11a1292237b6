// Text conversion with iconv (see base.h): the one place that converts between charsets.
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/base.h"
#include "platform/words.h"

namespace platform {
namespace {

bool SameCharset(const std::string& from, const std::string& to) {
    return AsciiUpper(from) == AsciiUpper(to) || (IsUtf8(from) && IsUtf8(to));
}

// Runs iconv over `in`. Returns the number of input bytes converted; `complete` tells whether
// all of them were.
std::size_t Run(iconv_t cd, std::string_view in, std::string& out, bool& complete) {
    out.clear();
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::string buffer(in.size() * 4 + 16, '\0');
    complete = true;
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        complete = false;
        break;
    }
    if (complete) {  // flush a stateful encoding's shift sequence
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
    }
    return in.size() - inLeft;
}

}  // namespace

std::string LocaleCharset() {
    const char* ctype = setlocale(LC_CTYPE, nullptr);
    if (!ctype || std::strcmp(ctype, "C") == 0 || std::strcmp(ctype, "POSIX") == 0) return "UTF-8";
    const char* codeset = nl_langinfo(CODESET);
    if (!codeset || !*codeset || std::strcmp(codeset, "ANSI_X3.4-1968") == 0) return "UTF-8";
    return codeset;
}

bool ConvertText(std::string_view in, const std::string& from, const std::string& to,
                 std::string& out) {
    if (SameCharset(from, to)) {
        out.assign(in);
        return true;
    }
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        out.clear();
        return false;
    }
    bool complete = false;
    Run(cd, in, out, complete);
    iconv_close(cd);
    if (!complete) out.clear();
    return complete;
}

std::string ConvertTextLossy(std::string_view text, const std::string& from,
                             const std::string& to) {
    if (SameCharset(from, to)) return std::string(text);
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    std::string out;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char chunk[256];
    while (inLeft > 0) {
        char* outPtr = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk, outPtr - chunk);
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += '?';
            // Skip the whole character that could not be converted (one UTF-8 sequence).
            do {
                ++in;
                --inLeft;
            } while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
        }
    }
    iconv_close(cd);
    return out;
}

std::string CutBytes(std::string_view bytes, std::size_t limit, const std::string& name) {
    if (bytes.size() <= limit) return std::string(bytes);
    if (IsUtf8(name)) {
        // Back up over continuation bytes to the start of the character that would be split.
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
        return std::string(bytes.substr(0, cut));
    }
    const std::string_view head = bytes.substr(0, limit);
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(head);
    std::string ignored;
    bool complete = false;
    const std::size_t used = Run(cd, head, ignored, complete);
    const int error = errno;
    iconv_close(cd);
    // Only an incomplete character at the very end is dropped; invalid bytes stay as they are.
    if (!complete && error == EINVAL) return std::string(head.substr(0, used));
    return std::string(head);
}

std::string ErrorWords(int error) {
    return SystemText(std::strerror(error));
}

std::string SystemText(const char* text) {
    if (!text) return {};
    return ConvertTextLossy(text, LocaleCharset(), "UTF-8");
}

}  // namespace platform
