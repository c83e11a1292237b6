// The catalog reader on catalogs that msgfmt compiled (tests/platform/catalog_sample.po, in both
// byte orders), cut short and damaged; the choice of a catalog by language name; FillIn.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/common/catalog.h"

namespace {

namespace catalog = platform::catalog;

std::vector<std::uint8_t> Bytes(const std::string& path) {
    std::string text;
    EXPECT_EQ(platform::ReadRegularFile(path, text, 1 << 20), platform::ReadResult::Ok) << path;
    return {text.begin(), text.end()};
}

std::optional<std::string> Found(const std::vector<std::uint8_t>& mo, std::string_view text) {
    const auto translated = catalog::LookUp(mo, text);
    return translated ? std::optional<std::string>(*translated) : std::nullopt;
}

TEST(Catalog, TranslatesWhatItHoldsInEitherByteOrder) {
    for (const char* path : {CATALOG_LITTLE, CATALOG_BIG}) {
        const auto mo = Bytes(path);
        EXPECT_EQ(Found(mo, "Cancel"), "Abbrechen") << path;
        EXPECT_EQ(Found(mo, "Error"), "Fehler") << path;
        EXPECT_EQ(Found(mo, "The file %s is missing."), "Die Datei %s fehlt.") << path;
        EXPECT_EQ(Found(mo, "ｷｬﾝｾﾙ"), "Abbrechen") << path;
        EXPECT_EQ(Found(mo, "音楽CD"), "Audio-CD") << path;
        // A translation ends in a NUL of its own: callers hand it on as a C string.
        const auto cancel = catalog::LookUp(mo, "Cancel");
        ASSERT_TRUE(cancel);
        EXPECT_EQ(cancel->data()[cancel->size()], '\0');
        // Not there, not translated, the header's empty text, a near miss.
        EXPECT_FALSE(Found(mo, "Missing")) << path;
        EXPECT_FALSE(Found(mo, "Not yet translated")) << path;
        EXPECT_FALSE(Found(mo, "")) << path;
        EXPECT_FALSE(Found(mo, "Cancel ")) << path;
        EXPECT_FALSE(Found(mo, "cancel")) << path;
    }
}

TEST(Catalog, ACatalogCutShortOrDamagedGivesNoWrongText) {
    const auto whole = Bytes(CATALOG_LITTLE);
    // Every length cut short: nothing, or the right text where all it needs is still there.
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + size);
        for (const char* text : {"Cancel", "Error", "音楽CD"}) {
            const auto found = Found(cut, text);
            if (found) {
                EXPECT_EQ(*found, *Found(whole, text)) << size;
            }
        }
    }
    // Each byte of the header and tables set to 0xFF in turn: no crash, no read outside.
    for (std::size_t at = 0; at < 28 + 2 * 8 * 7 && at < whole.size(); ++at) {
        auto damaged = whole;
        damaged[at] = 0xFF;
        for (const char* text : {"Cancel", "Error", "Missing"}) (void)Found(damaged, text);
    }
    EXPECT_FALSE(Found({}, "Cancel"));
    EXPECT_FALSE(Found(std::vector<std::uint8_t>(64, 0), "Cancel"));
}

TEST(Catalog, ChoosesTheLanguagesCatalog) {
    const std::array<std::string_view, 4> available = {"en", "de", "pt_BR", "ja"};
    const auto pick = [&](std::string_view language) {
        return catalog::Choose(language, available);
    };
    EXPECT_EQ(pick("de"), 1u);
    EXPECT_EQ(pick("de_AT"), 1u);
    EXPECT_EQ(pick("de-CH"), 1u);
    EXPECT_EQ(pick("DE_de.UTF-8"), 1u);
    EXPECT_EQ(pick("pt_BR"), 2u);
    EXPECT_EQ(pick("pt-br"), 2u);
    EXPECT_EQ(pick("pt_BR.UTF-8@euro"), 2u);
    EXPECT_EQ(pick("ja_JP"), 3u);
    EXPECT_EQ(pick("en_US.utf8"), 0u);
    // Portuguese of Portugal has no catalog of its own, and Brazil's is not another country's.
    EXPECT_FALSE(pick("pt_PT"));
    EXPECT_FALSE(pick("pt"));
    EXPECT_FALSE(pick("fr_FR"));
    EXPECT_FALSE(pick(""));
    EXPECT_FALSE(pick("C"));
    EXPECT_FALSE(pick("_BR"));
}

TEST(FillIn, PutsTheValuesInOrder) {
    EXPECT_EQ(platform::FillIn("File: %s\nReason: %s", {"/a b", "no rights"}),
              "File: /a b\nReason: no rights");
    // A value's own "%s" stays as it is; "%%" is one "%"; a lone "%" and one at the end stay.
    EXPECT_EQ(platform::FillIn("%s and %s", {"%s", "x"}), "%s and x");
    EXPECT_EQ(platform::FillIn("100%% %d %", {}), "100% %d %");
    // Missing values leave nothing, spare ones are not used.
    EXPECT_EQ(platform::FillIn("[%s|%s]", {"one"}), "[one|]");
    EXPECT_EQ(platform::FillIn("[%s]", {"one", "two"}), "[one]");
}

}  // namespace
