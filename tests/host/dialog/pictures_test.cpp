// Tests of the dialog's pictures: the committed files are exactly what the generator draws,
// they decode, and they have the sizes and features the dialog relies on.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "forms/picture.h"
#include "pictures.h"

namespace dialog_pictures {
namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::uint8_t* PixelAt(const Picture& p, int x, int y) {
    return &p.pixels[static_cast<std::size_t>((y * p.width + x) * p.channels)];
}

TEST(DialogPictures, CommittedFilesAreWhatTheGeneratorDraws) {
    for (const auto& [name, picture] : AllPictures()) {
        const auto committed = ReadFile(std::string(VELMORA_SOURCE_DIR) + "/assets/dialog/" + name);
        const auto drawn = EncodePng(picture);
        EXPECT_TRUE(committed == drawn) << name << " differs: run velmora_dialog_pictures";

        // Decoded as the program decodes them.
        const auto decoded = forms::DecodeImage(drawn.data(), drawn.size());
        ASSERT_TRUE(decoded.has_value()) << name;
        ASSERT_EQ(decoded->width, picture.width) << name;
        ASSERT_EQ(decoded->height, picture.height) << name;
        ASSERT_EQ(decoded->channels, picture.channels) << name;
        EXPECT_EQ(decoded->pixels, picture.pixels) << name;
    }
}

TEST(DialogPictures, SizesAndLooks) {
    const Picture metal = MetalStrip();
    EXPECT_EQ(metal.width, 556);
    EXPECT_EQ(metal.height, 20);
    EXPECT_EQ(metal.channels, 3);
    // Light grey at the left, darker towards the right, averaged over the strip's height.
    auto columnMean = [&](int x) {
        int sum = 0;
        for (int y = 0; y < metal.height; ++y) sum += PixelAt(metal, x, y)[1];
        return sum / metal.height;
    };
    EXPECT_GT(columnMean(2), 200);
    EXPECT_LT(columnMean(553), columnMean(2) - 50);

    const Picture off = RadioOff(), on = RadioOn();
    EXPECT_EQ(off.width, 12);
    EXPECT_EQ(on.height, 12);
    EXPECT_EQ(PixelAt(off, 6, 6)[0], 255);                   // white inside
    EXPECT_LT(PixelAt(on, 6, 6)[0], PixelAt(on, 6, 6)[2]);   // blue inside
    EXPECT_EQ(PixelAt(off, 0, 0)[0], PixelAt(on, 0, 0)[0]);  // the same grey frame

    const Picture hand = HandCursor(), icon = Icon();
    EXPECT_EQ(hand.width, 32);
    EXPECT_EQ(icon.width, 32);
    EXPECT_EQ(PixelAt(hand, kHandHotX, kHandHotY)[3], 255);  // the tip is on the finger
    EXPECT_EQ(PixelAt(hand, kHandHotX, kHandHotY - 1)[3], 0);
    EXPECT_EQ(PixelAt(hand, 0, 0)[3], 0);
}

}  // namespace
}  // namespace dialog_pictures
