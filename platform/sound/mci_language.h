// The multimedia command language: a command's words, the numbers and flags in it, and the
// verbs every device answers, as the interpreter hands them over. Pure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sound {

// Splits a command into words: blanks separate, double quotes hold a word with blanks, and a
// double quote written twice inside them is one double quote of the word (the form in which
// the music unit quotes a file name that holds one). False with `error` set for a quote that is
// not closed or not followed by a blank.
bool SplitWords(std::string_view command, std::vector<std::string>& words, std::int32_t& error);

// A decimal number of at most `maxDigits` digits; nothing for any other text.
std::optional<std::int64_t> ReadDecimal(std::string_view text, std::size_t maxDigits);

// Reads "a:b:c" (numbers of up to three digits) into at most `maxFields` numbers. False with
// `error` set for anything else.
bool ReadFields(std::string_view text, std::size_t maxFields, std::vector<std::int64_t>& fields,
                std::int32_t& error);

// The words of a command after its device name (words[2] on), in lower case, into `rest`,
// without the "wait" and "notify" flags: every command here runs synchronously and no window
// is ever told. False with `error` set when a flag is given twice.
bool StripFlags(const std::vector<std::string>& words, std::vector<std::string>& rest,
                std::int32_t& error);

// The words of a status item joined by single blanks ("number of tracks").
std::string Joined(const std::vector<std::string>& item);

// What a device answers: each verb after the interpreter has found the device by its alias,
// with the words after the device name. Each returns 0 or an error number; `reply` is only
// written on success.
class Device {
  public:
    virtual ~Device() = default;
    // `from` and `to` are the words after "from" and "to", null when not given.
    virtual std::int32_t Play(const std::string* from, const std::string* to) = 0;
    virtual std::int32_t Stop() = 0;
    virtual std::int32_t Pause() = 0;
    virtual std::int32_t Resume() = 0;
    virtual std::int32_t Status(const std::vector<std::string>& item, std::string& reply) = 0;
    virtual std::int32_t SetTimeFormat(const std::string& format) = 0;
};

// "play <device> [from X] [to Y]": reads the words after the device name (`rest`, lower case)
// and plays.
std::int32_t RunPlay(Device& device, const std::vector<std::string>& rest);

// "set <device> time format <format>".
std::int32_t RunSet(Device& device, const std::vector<std::string>& rest);

}  // namespace sound
