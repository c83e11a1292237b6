// The profile (INI) text format as the settings file uses it, on the file's bytes: reading one
// value and writing one value while every other line stays byte for byte as it was. Names are
// compared without regard to ASCII letter case; the text is in the charset `charset`, the names
// and values handed in and out are UTF-8.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace profile {

// Longest value read, in bytes of the file's charset (a 256-byte buffer with its NUL).
constexpr std::size_t kMaxValueBytes = 255;
// Longest section or key name written, in bytes of the file's charset.
constexpr std::size_t kMaxNameBytes = 127;

// The value of `key` in the first section named `section`: blanks around it trimmed, a value
// in matching quotes without them, cut to `maxBytes`. Empty when the section or key is missing.
std::string Read(std::string_view text, std::string_view section, std::string_view key,
                 const std::string& charset, std::size_t maxBytes = kMaxValueBytes);

// `text` (in the charset `from`) in the charset `to`, line by line: a line that does not convert
// keeps its bytes, so nothing is lost; the line breaks stay as they were.
std::string Recoded(std::string_view text, const std::string& from, const std::string& to);

// `text` with `key` in `section` set to `value`: the line of an existing key is replaced where
// it stands, a missing key is added after the section's last line, a missing section is added
// at the end. Names are cut to kMaxNameBytes. Nothing when the write can't be expressed in the
// format: an empty name, a line break or NUL anywhere, "=" in a key, "]" in a section, or text
// that the charset can't carry.
std::optional<std::string> Write(std::string_view text, std::string_view section,
                                 std::string_view key, std::string_view value,
                                 const std::string& charset);

}  // namespace profile
