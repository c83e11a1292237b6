// The preview's handle reading and twips arithmetic.
#include <gtest/gtest.h>

#include <string>

#include "host/preview_geometry.h"

using namespace Zentrova_R;

TEST(PreviewHandle, ReadFromTheFourthCharacterOn) {
    EXPECT_EQ(ParentHandle("/p 1234"), 1234);
    EXPECT_EQ(ParentHandle("/P:1234"), 1234);
    EXPECT_EQ(ParentHandle("-p   \t77"), 77);
    EXPECT_EQ(ParentHandle("/p 1234 trailing"), 1234);
    EXPECT_EQ(ParentHandle("/p 12ab"), 12);
    // Written straight after the letter, the first digit falls before the fourth character.
    EXPECT_EQ(ParentHandle("/p1234"), 234);
    EXPECT_EQ(ParentHandle("/p 4194305"), 4194305);
}

TEST(PreviewHandle, NoDigitsOrNoRoomGiveZero) {
    EXPECT_EQ(ParentHandle(""), 0);
    EXPECT_EQ(ParentHandle("/p"), 0);
    EXPECT_EQ(ParentHandle("/p "), 0);
    EXPECT_EQ(ParentHandle("/p abc"), 0);
    EXPECT_EQ(ParentHandle("/p 0x1a"), 0);  // decimal only: reading stops at the x
    EXPECT_EQ(ParentHandle("/p -"), 0);
    EXPECT_EQ(ParentHandle("/p ."), 0);
}

TEST(PreviewHandle, ValuesBeyondSigned32BitsGiveZero) {
    EXPECT_EQ(ParentHandle("/p 2147483647"), 2147483647);
    EXPECT_EQ(ParentHandle("/p 2147483648"), 0);
    EXPECT_EQ(ParentHandle("/p 4294967296"), 0);
    EXPECT_EQ(ParentHandle("/p -2147483648"), -2147483648LL);
    EXPECT_EQ(ParentHandle("/p -2147483649"), 0);
    EXPECT_EQ(ParentHandle("/p 1e400"), 0);
    EXPECT_EQ(ParentHandle("/p " + std::string(5000, '9')), 0);
}

TEST(PreviewHandle, NumbersAreRoundedHalvesToEven) {
    EXPECT_EQ(ParentHandle("/p 12.5"), 12);
    EXPECT_EQ(ParentHandle("/p 13.5"), 14);
    EXPECT_EQ(ParentHandle("/p 1.2e3"), 1200);
    EXPECT_EQ(ParentHandle("/p 7e"), 7);  // an exponent marker without digits ends the number
    EXPECT_EQ(ParentHandle("/p 2147483647.4"), 2147483647);
    EXPECT_EQ(ParentHandle("/p 2147483647.5"), 0);
}

TEST(ReadNumberText, SignsFractionsAndLeadingBlanks) {
    EXPECT_EQ(ReadLeadingNumber("  +42"), 42.0);
    EXPECT_EQ(ReadLeadingNumber("\n-3.25x"), -3.25);
    EXPECT_EQ(ReadLeadingNumber(".5"), 0.5);
    EXPECT_EQ(ReadLeadingNumber("1 2"), 1.0);
    EXPECT_EQ(ReadLeadingNumber(""), 0.0);
    EXPECT_FALSE(ReadLeadingNumber("1e999").has_value());
}

TEST(PreviewTwips, At96DotsPerInchA152By112PreviewIs2280By1680) {
    EXPECT_EQ(PixelsToTwips(152, 15.0), 2280);
    EXPECT_EQ(PixelsToTwips(112, 15.0), 1680);
    EXPECT_EQ(TwipsToPixels(2280, 15.0), 152);
    EXPECT_EQ(TwipsToPixels(1680, 15.0), 112);
}

TEST(PreviewTwips, WidePreviewsKeepTheirSize) {
    // 2185 pixels is 32775 twips: more than 16 bits hold.
    EXPECT_EQ(PixelsToTwips(2185, 15.0), 32775);
    EXPECT_EQ(TwipsToPixels(PixelsToTwips(2185, 15.0), 15.0), 2185);
    EXPECT_EQ(TwipsToPixels(PixelsToTwips(65535, 15.0), 15.0), 65535);
}

TEST(PreviewTwips, OtherResolutionsRoundTripToTheSamePixels) {
    for (double dpi : {72.0, 110.0, 120.0, 144.0, 192.0}) {
        const double tpp = 1440.0 / dpi;
        for (int pixels : {1, 113, 152, 1999, 4096})
            EXPECT_EQ(TwipsToPixels(PixelsToTwips(pixels, tpp), tpp), pixels) << dpi;
    }
    EXPECT_EQ(TwipsToPixels(1000, 0.0), 0);
    EXPECT_EQ(PixelsToTwips(int64_t{1} << 40, 15.0), 2147483647);
}
