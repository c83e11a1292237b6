// The preview's pure arithmetic: the parent window's handle read from the command line and the
// conversions between pixels and twips that place the preview form. No display needed.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace Zentrova_R {

// Reads a number the way the host reads numbers in text: leading blanks (space, tab, CR, LF)
// skipped, an optional sign, digits, an optional fraction and an optional exponent, stopping at
// the first character that cannot continue the number. Text without digits reads as 0.
// Nothing when the value is beyond the range of a double (too large or too small).
std::optional<double> ReadLeadingNumber(std::string_view text);

// Rounds to the nearest signed 32-bit integer, halves to even. Nothing when out of range.
std::optional<std::int32_t> RoundToInt32(double value);

// The preview's parent window: the number written from the command line's fourth character on
// ("/p 1234" and "/p:1234" give 1234; "/p1234" loses its first digit and gives 234). 0 when the
// text holds no number or one that does not fit a signed 32-bit integer.
std::int32_t ParentHandle(std::string_view commandLine);

// A length in pixels converted to twips and back, rounded halves to even. Kept in 32 bits so
// that previews wider than 32767 twips (about 2184 pixels at 96 dpi) keep their size.
std::int32_t PixelsToTwips(std::int64_t pixels, double twipsPerPixel);
std::int32_t TwipsToPixels(std::int32_t twips, double twipsPerPixel);

}  // namespace Zentrova_R
