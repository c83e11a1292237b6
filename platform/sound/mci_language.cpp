// The multimedia command language: words, numbers, flags and the verbs' own words.
#include "platform/sound/mci_language.h"

#include <cctype>

#include "platform/sound/mci_errors.h"
#include "platform/words.h"

namespace sound {

namespace {

// Blanks separate a command's words: the line breaks too, as a command may come from a file.
bool IsBlank(char c) {
    return platform::IsBlank(c, platform::Blanks::Whitespace);
}

}  // namespace

std::optional<std::int64_t> ReadDecimal(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool ReadFields(std::string_view text, std::size_t maxFields, std::vector<std::int64_t>& fields,
                std::int32_t& error) {
    fields.clear();
    error = mcierr::kBadInteger;
    std::size_t begin = 0;
    while (true) {
        std::size_t colon = text.find(':', begin);
        std::string_view part = text.substr(
            begin, colon == std::string_view::npos ? std::string_view::npos : colon - begin);
        auto value = ReadDecimal(part, 3);
        if (!value || fields.size() == maxFields) return false;
        fields.push_back(*value);
        if (colon == std::string_view::npos) break;
        begin = colon + 1;
    }
    return true;
}

bool StripFlags(const std::vector<std::string>& words, std::vector<std::string>& rest,
                std::int32_t& error) {
    bool wait = false, notify = false;
    for (std::size_t i = 2; i < words.size(); ++i) {
        std::string word = platform::AsciiLower(words[i]);
        bool* flag = word == "wait" ? &wait : word == "notify" ? &notify : nullptr;
        if (!flag) {
            rest.push_back(word);
            continue;
        }
        if (*flag) {
            error = mcierr::kDuplicateFlags;
            return false;
        }
        *flag = true;
    }
    return true;
}

std::string Joined(const std::vector<std::string>& item) {
    std::string joined;
    for (const std::string& word : item) joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

bool SplitWords(std::string_view command, std::vector<std::string>& words, std::int32_t& error) {
    words.clear();
    std::size_t i = 0;
    while (i < command.size()) {
        if (IsBlank(command[i])) {
            ++i;
            continue;
        }
        if (command[i] != '"') {
            std::size_t end = i;
            while (end < command.size() && !IsBlank(command[end])) ++end;
            words.emplace_back(command.substr(i, end - i));
            i = end;
            continue;
        }
        std::string word;
        std::size_t close = i;
        // A quote written twice inside the quotes is one quote of the word.
        while ((close = command.find('"', close + 1)) != std::string_view::npos &&
               close + 1 < command.size() && command[close + 1] == '"') {
            word += command.substr(i + 1, close - i);
            i = ++close;
        }
        if (close == std::string_view::npos) {
            error = mcierr::kNoClosingQuote;
            return false;
        }
        if (close + 1 < command.size() && !IsBlank(command[close + 1])) {
            error = mcierr::kExtraCharacters;
            return false;
        }
        words.push_back(word + std::string(command.substr(i + 1, close - i - 1)));
        i = close + 1;
    }
    return true;
}

std::int32_t RunPlay(Device& device, const std::vector<std::string>& rest) {
    std::optional<std::string> from, to;
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        std::optional<std::string>* slot = rest[i] == "from" ? &from
                                           : rest[i] == "to" ? &to
                                                             : nullptr;
        if (!slot) return mcierr::kUnrecognizedKeyword;
        if (*slot) return mcierr::kDuplicateFlags;
        if (i + 1 >= rest.size()) return mcierr::kMissingParameter;
        *slot = rest[i + 1];
    }
    return device.Play(from ? &*from : nullptr, to ? &*to : nullptr);
}

std::int32_t RunSet(Device& device, const std::vector<std::string>& rest) {
    if (rest.empty()) return mcierr::kMissingParameter;
    if (rest[0] != "time" || (rest.size() > 1 && rest[1] != "format"))
        return mcierr::kUnrecognizedKeyword;
    if (rest.size() < 3) return mcierr::kMissingParameter;
    if (rest.size() > 3) return mcierr::kUnrecognizedKeyword;
    return device.SetTimeFormat(rest[2]);
}

}  // namespace sound
