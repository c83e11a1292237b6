// Handle reading and twips arithmetic of the preview (see preview_geometry.h).
#include "host/preview_geometry.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/words.h"

namespace Zentrova_R {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the run of digits at `pos`.
std::size_t DigitsAt(std::string_view text, std::size_t pos) {
    std::size_t n = 0;
    while (pos + n < text.size() && IsDigit(text[pos + n])) ++n;
    return n;
}

// The longest prefix of `text` that forms a number: [sign] digits [. digits] [e [sign] digits].
// An exponent marker without digits after it does not belong to the number.
std::string_view NumberPrefix(std::string_view text) {
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    const std::size_t whole = DigitsAt(text, pos);
    pos += whole;
    std::size_t fraction = 0;
    if (pos < text.size() && text[pos] == '.') {
        fraction = DigitsAt(text, pos + 1);
        pos += 1 + fraction;
    }
    if (whole + fraction == 0) return {};
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exp = pos + 1;
        if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
        const std::size_t digits = DigitsAt(text, exp);
        if (digits > 0) pos = exp + digits;
    }
    return text.substr(0, pos);
}

}  // namespace

std::optional<double> ReadLeadingNumber(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && platform::IsBlank(text[start], platform::Blanks::Whitespace))
        ++start;
    std::string_view number = NumberPrefix(text.substr(start));
    if (number.empty()) return 0.0;
    const bool negative = number.front() == '-';
    if (number.front() == '+' || negative) number.remove_prefix(1);
    // from_chars ignores the locale, so a decimal point is always '.'.
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) return std::nullopt;
    if (result.ec != std::errc()) return 0.0;
    return negative ? -value : value;
}

std::optional<std::int32_t> RoundToInt32(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);  // default rounding: halves to even
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

std::int32_t ParentHandle(std::string_view commandLine) {
    if (commandLine.size() < 4) return 0;
    const auto number = ReadLeadingNumber(commandLine.substr(3));
    if (!number) return 0;
    return RoundToInt32(*number).value_or(0);
}

std::int32_t PixelsToTwips(std::int64_t pixels, double twipsPerPixel) {
    const auto twips = RoundToInt32(static_cast<double>(pixels) * twipsPerPixel);
    if (twips) return *twips;
    return pixels < 0 ? std::numeric_limits<std::int32_t>::min()
                      : std::numeric_limits<std::int32_t>::max();
}

std::int32_t TwipsToPixels(std::int32_t twips, double twipsPerPixel) {
    if (!(twipsPerPixel > 0.0)) return 0;
    return RoundToInt32(twips / twipsPerPixel).value_or(0);
}

}  // namespace Zentrova_R
