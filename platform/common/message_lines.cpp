// A message's lines for a box on a monitor (see message_lines.h).
#include "platform/message_lines.h"

#include <algorithm>
#include <vector>

namespace platform {
namespace {

// The end of the UTF-8 character that starts at `at` (a stray continuation byte counts alone).
std::size_t CharacterEnd(std::string_view text, std::size_t at) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    return at;
}

bool BreaksAfter(char c) {
    return c == '/' || c == '\\' || c == '-';
}

// How many bytes of `word` go on a line of their own: the longest run of whole characters that
// fits (at least one character), cut back to just after its last "/", "\" or "-" if it has one.
std::size_t PieceLength(std::string_view word, double limit, const TextWidth& width) {
    std::size_t fits = CharacterEnd(word, 0);
    for (std::size_t next = fits; next < word.size(); next = CharacterEnd(word, next)) {
        const std::size_t end = CharacterEnd(word, next);
        if (width(word.substr(0, end)) > limit) break;
        fits = end;
    }
    if (fits == word.size()) return fits;
    // A break that would leave less than half the line is not worth it.
    for (std::size_t at = fits - 1; at > fits / 2; --at)
        if (BreaksAfter(word[at - 1])) return at;
    return fits;
}

// Lays out one paragraph (text without line breaks) into `lines`.
void WrapParagraph(std::string_view text, double limit, const TextWidth& width,
                   std::vector<std::string>& lines) {
    std::string line;
    bool started = false;  // whether `line` holds a word yet (a word may be empty)
    std::size_t at = 0;
    while (true) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        std::string_view word = text.substr(at, end - at);
        const std::string longer = started ? line + " " + std::string(word) : std::string(word);
        if (!started || width(longer) <= limit) {
            line = longer;
        } else {
            lines.push_back(line);
            line = std::string(word);
        }
        started = true;
        // A line that is one word too wide for any line gives up pieces until the rest fits.
        while (width(line) > limit && CharacterEnd(line, 0) < line.size()) {
            const std::size_t piece = PieceLength(line, limit, width);
            lines.push_back(line.substr(0, piece));
            line.erase(0, piece);
        }
        if (end == text.size()) break;
        at = end + 1;
    }
    lines.push_back(line);
}

}  // namespace

int MessageLineLimit(int monitorWidth) {
    return std::clamp(monitorWidth - 200, 120, 600);
}

std::string WrapToWidth(std::string_view text, double limit, const TextWidth& width) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (true) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        WrapParagraph(text.substr(at, end - at), limit, width, lines);
        if (end == text.size()) break;
        at = end + 1;
    }
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
    return out;
}

}  // namespace platform
