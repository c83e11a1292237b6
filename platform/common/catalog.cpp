// Reading compiled message catalogs in place, choosing a catalog by language (catalog.h), and
// filling values into translated texts (base.h's FillIn).
#include "platform/common/catalog.h"

#include <string>

#include "platform/base.h"
#include "platform/words.h"

namespace platform {

namespace catalog {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;

// The catalog's header fields and string tables, checked once per look-up.
class MoFile {
  public:
    explicit MoFile(std::span<const std::uint8_t> bytes) : bytes_(bytes) {
        if (bytes_.size() < 28) return;
        const std::uint32_t magic = Word(0, false);
        if (magic != kMagic && magic != kSwappedMagic) return;
        swapped_ = magic == kSwappedMagic;
        if (Word(4) >> 16 != 0) return;  // a major revision this reader does not know
        count_ = Word(8);
        originals_ = Word(12);
        translations_ = Word(16);
        valid_ = TableFits(originals_) && TableFits(translations_);
    }

    bool Valid() const { return valid_; }
    std::uint32_t Count() const { return count_; }
    std::optional<std::string_view> Original(std::uint32_t i) const { return Entry(originals_, i); }
    std::optional<std::string_view> Translation(std::uint32_t i) const {
        return Entry(translations_, i);
    }

  private:
    std::uint32_t Word(std::size_t at, bool maySwap = true) const {
        std::uint32_t w = 0;
        for (int b = 3; b >= 0; --b) w = (w << 8) | bytes_[at + static_cast<std::size_t>(b)];
        if (maySwap && swapped_)
            w = (w >> 24) | ((w >> 8) & 0xff00) | ((w << 8) & 0xff0000) | (w << 24);
        return w;
    }

    bool TableFits(std::uint32_t offset) const {
        return offset <= bytes_.size() && (bytes_.size() - offset) / 8 >= count_;
    }

    // The i-th string of a table; it must lie inside the file and end in a NUL.
    std::optional<std::string_view> Entry(std::uint32_t table, std::uint32_t i) const {
        const std::size_t at = table + std::size_t{i} * 8;
        const std::uint32_t length = Word(at);
        const std::uint32_t offset = Word(at + 4);
        if (offset > bytes_.size() || bytes_.size() - offset <= length) return std::nullopt;
        if (bytes_[offset + length] != 0) return std::nullopt;
        return std::string_view(reinterpret_cast<const char*>(bytes_.data()) + offset, length);
    }

    std::span<const std::uint8_t> bytes_;
    bool swapped_ = false;
    bool valid_ = false;
    std::uint32_t count_ = 0, originals_ = 0, translations_ = 0;
};

// The name's language and country in one spelling: "pt-br.UTF-8" gives "pt" and "BR".
struct LanguageName {
    std::string language, country;
};

LanguageName Split(std::string_view name) {
    name = name.substr(0, name.find_first_of(".@"));
    const auto cut = name.find_first_of("_-");
    LanguageName out;
    out.language = AsciiLower(name.substr(0, cut));
    if (cut != std::string_view::npos) out.country = AsciiUpper(name.substr(cut + 1));
    return out;
}

}  // namespace

std::optional<std::string_view> LookUp(std::span<const std::uint8_t> mo, std::string_view text) {
    const MoFile file(mo);
    // The empty text stands for the catalog's header, which is no translation.
    if (text.empty() || !file.Valid()) return std::nullopt;
    // msgfmt sorts the originals by their bytes: a binary search finds the text.
    std::uint32_t low = 0, high = file.Count();
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        const auto original = file.Original(middle);
        if (!original) return std::nullopt;
        if (*original == text) {
            const auto translation = file.Translation(middle);
            if (!translation || translation->empty()) return std::nullopt;
            return translation;
        }
        if (*original < text)
            low = middle + 1;
        else
            high = middle;
    }
    return std::nullopt;
}

std::optional<std::size_t> Choose(std::string_view language,
                                  std::span<const std::string_view> available) {
    const LanguageName wanted = Split(language);
    if (wanted.language.empty()) return std::nullopt;
    std::optional<std::size_t> languageOnly;
    for (std::size_t i = 0; i < available.size(); ++i) {
        const LanguageName name = Split(available[i]);
        if (name.language != wanted.language) continue;
        if (name.country == wanted.country) return i;
        if (name.country.empty()) languageOnly = i;
    }
    return languageOnly;
}

}  // namespace catalog

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string out;
    auto next = values.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            out += pattern[i];
        } else if (pattern[i + 1] == 's') {
            if (next != values.end()) out += *next++;
            ++i;
        } else if (pattern[i + 1] == '%') {
            out += '%';
            ++i;
        } else {
            out += '%';
        }
    }
    return out;
}

}  // namespace platform
