// The button's face painting: piece geometry, gradient, whole faces of each look in the sizes
// the settings dialog uses, the look images themselves and the bitmap reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "desktop.h"
#include "host/button/looks.h"
#include "host/button/paint.h"

namespace {

using button::Image;
using button::Look;
using button::Rect;
using button::Rgb;
using button::RgbFromHex;

constexpr Look kAllLooks[] = {Look::Normal,   Look::HighLight, Look::HighLightSelect,
                              Look::Selected, Look::Pressed,   Look::Disable};

TEST(PieceRects, SettingsButtonSize) {
    auto t = button::PieceRectsTwips(1155, 375);
    EXPECT_EQ(t[1].dst, (Rect{60, 1, 1035, 60}));
    EXPECT_EQ(t[4].dst, (Rect{1095, 315, 60, 60}));
    auto p = button::PieceRects(77, 25);
    const Rect expectedDst[8] = {{0, 0, 4, 4},   {4, 0, 69, 4},  {73, 0, 4, 4}, {73, 4, 4, 17},
                                 {73, 21, 4, 4}, {4, 21, 69, 4}, {0, 21, 4, 4}, {0, 4, 4, 17}};
    const Rect expectedSrc[8] = {{0, 0, 4, 4},   {4, 0, 56, 4},  {60, 0, 4, 4}, {60, 4, 4, 17},
                                 {60, 21, 4, 4}, {4, 21, 56, 4}, {0, 21, 4, 4}, {0, 4, 4, 17}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(p[i].dst, expectedDst[i]) << "piece " << i + 1;
        EXPECT_EQ(p[i].src, expectedSrc[i]) << "piece " << i + 1;
    }
    EXPECT_EQ(button::CaptionTopTwips(375), 80);
    EXPECT_EQ(button::CaptionRect(77, 25), (Rect{0, 5, 77, 13}));
}

TEST(PieceRects, EllipsisButtonSizeSqueezesTheEdges) {
    auto p = button::PieceRects(41, 21);
    EXPECT_EQ(p[1].dst, (Rect{4, 0, 33, 4}));  // 56 wide source squeezed to 33
    EXPECT_EQ(p[5].dst, (Rect{4, 17, 33, 4}));
    EXPECT_EQ(p[3].dst, (Rect{37, 4, 4, 13}));  // 17 high source squeezed to 13
    EXPECT_EQ(p[7].dst, (Rect{0, 4, 4, 13}));
    EXPECT_EQ(p[6].dst, (Rect{0, 17, 4, 4}));
    EXPECT_EQ(button::CaptionTopTwips(315), 50);
    EXPECT_EQ(button::CaptionRect(41, 21), (Rect{0, 3, 41, 13}));
}

TEST(Gradient, TintDigitsAreReadRedGreenBlue) {
    EXPECT_EQ(button::FaceTint(), (Rgb{198, 197, 215}));
    EXPECT_EQ(button::FaceWhite(), (Rgb{255, 255, 255}));
    EXPECT_EQ(button::ColourFromDigitsText("&H0000FF"), (Rgb{255, 0, 0}));  // "FF": red only
    EXPECT_EQ(button::ColourFromDigitsText("junk"), (Rgb{0, 0, 0}));
}

TEST(Gradient, DirectionAndUntouchedLastColumnAndRow) {
    const Rgb sentinel{1, 2, 3};
    for (bool topDark : {false, true}) {
        Image face(20, 11, sentinel);
        button::FillFaceGradient(face, topDark);
        Rgb top = topDark ? button::FaceTint() : button::FaceWhite();
        Rgb bottom = topDark ? button::FaceWhite() : button::FaceTint();
        EXPECT_EQ(face.At(0, 0), top);
        EXPECT_EQ(face.At(18, 0), top);
        // Row 9 of 0..10 is nine tenths of the way: within one step of the bottom colour.
        Rgb last = face.At(5, 9);
        EXPECT_NEAR(last.r, bottom.r + (top.r - bottom.r) / 10, 1);
        EXPECT_NEAR(last.b, bottom.b + (top.b - bottom.b) / 10, 1);
        for (int y = 0; y < 11; ++y) EXPECT_EQ(face.At(19, y), sentinel);
        for (int x = 0; x < 20; ++x) EXPECT_EQ(face.At(x, 10), sentinel);
        for (int y = 1; y < 10; ++y) {  // monotonic from one colour to the other
            if (topDark)
                EXPECT_GE(face.At(3, y).r, face.At(3, y - 1).r);
            else
                EXPECT_LE(face.At(3, y).r, face.At(3, y - 1).r);
        }
    }
}

// Pixel checks of a painted face against its look image and the gradient.
void CheckFace(Look look, int w, int h, bool topDark) {
    SCOPED_TRACE(std::string(button::LookName(look)) + " " + std::to_string(w) + "x" +
                 std::to_string(h) + (topDark ? " tinted top" : " white top"));
    const Image& img = button::LookImage(look);
    Image face(w, h);
    button::PaintFace(face, img, topDark);
    Image gradient(w, h, button::kBackground);
    button::FillFaceGradient(gradient, topDark);
    // The four corners, unscaled.
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(face.At(x, y), img.At(x, y));
            EXPECT_EQ(face.At(w - 4 + x, y), img.At(60 + x, y));
            EXPECT_EQ(face.At(x, h - 4 + y), img.At(x, 21 + y));
            EXPECT_EQ(face.At(w - 4 + x, h - 4 + y), img.At(60 + x, 21 + y));
        }
    }
    // (How the edges stretch their strips is checked with a look that shows where each pixel
    // came from: EdgesStretchTheirStripsInOrder.)
    // The middle is the gradient, untouched by the look image.
    for (int y = 4; y < h - 4; ++y)
        for (int x = 4; x < w - 4; ++x) EXPECT_EQ(face.At(x, y), gradient.At(x, y));
    EXPECT_EQ(face.At(w / 2, 4), gradient.At(0, 4));
}

TEST(PaintFace, EveryLookInTheDialogSizes) {
    for (Look look : kAllLooks) {
        for (bool topDark : {false, true}) {
            CheckFace(look, 77, 25, topDark);
            CheckFace(look, 41, 21, topDark);
        }
    }
}

// A look image whose every pixel tells where it lies: red = x, green = y.
Image PositionLook() {
    Image look(button::kLookWidth, button::kLookHeight);
    for (int y = 0; y < look.height; ++y)
        for (int x = 0; x < look.width; ++x)
            look.Set(x, y, Rgb{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7});
    return look;
}

// The source positions along one edge of a painted face, in painting order.
std::vector<int> Sources(const Image& face, int x0, int y0, int dx, int dy, int count, bool red) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i) {
        const Rgb p = face.At(x0 + i * dx, y0 + i * dy);
        out.push_back(red ? p.r : p.g);
    }
    return out;
}

// The sources of a stretched strip: start at `first`, never go back, end at `last` or just
// before it, step by no more than the squeeze allows, and leave no gap when stretched.
void ExpectStretched(const std::vector<int>& sources, int first, int last) {
    ASSERT_FALSE(sources.empty());
    const int length = last - first + 1;
    const int n = static_cast<int>(sources.size());
    const int widestStep = (length + n - 1) / n;
    EXPECT_EQ(sources.front(), first);
    EXPECT_GE(sources.back(), last - widestStep + 1);
    EXPECT_LE(sources.back(), last);
    for (int i = 1; i < n; ++i) {
        EXPECT_GE(sources[i], sources[i - 1]);
        EXPECT_LE(sources[i] - sources[i - 1], widestStep);
    }
}

TEST(PaintFace, EdgesStretchTheirStripsInOrder) {
    const Image look = PositionLook();
    for (auto [w, h] : {std::pair{77, 25}, {41, 21}, {200, 60}, {20, 12}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        Image face(w, h);
        button::PaintFace(face, look, false);
        for (int band = 0; band < 4; ++band) {
            // Top and bottom edges: columns 4..59 of their rows, each row kept.
            ExpectStretched(Sources(face, 4, band, 1, 0, w - 8, true), 4, 59);
            ExpectStretched(Sources(face, 4, h - 4 + band, 1, 0, w - 8, true), 4, 59);
            EXPECT_EQ(face.At(w / 2, band).g, band);
            EXPECT_EQ(face.At(w / 2, h - 4 + band).g, 21 + band);
            // Side edges: rows 4..20 of their columns, each column kept.
            ExpectStretched(Sources(face, band, 4, 0, 1, h - 8, false), 4, 20);
            ExpectStretched(Sources(face, w - 4 + band, 4, 0, 1, h - 8, false), 4, 20);
            EXPECT_EQ(face.At(band, h / 2).r, band);
            EXPECT_EQ(face.At(w - 4 + band, h / 2).r, 60 + band);
        }
    }
}

TEST(PaintFace, LightOrTintedTopShowsInTheMiddle) {
    // Row 4 (just inside the border band) is a sixth of the way down, row 20 five sixths.
    Image face(77, 25);
    button::PaintFace(face, button::LookImage(Look::Disable), false);
    EXPECT_GT(face.At(38, 4).r, 240);
    EXPECT_LT(face.At(38, 20).r, 210);
    button::PaintFace(face, button::LookImage(Look::Disable), true);
    EXPECT_LT(face.At(38, 4).r, 210);
    EXPECT_GT(face.At(38, 20).r, 240);
    EXPECT_GT(face.At(38, 4).b, face.At(38, 4).g);  // the tint is lavender: more blue than green
}

TEST(PaintFace, TinyAndEmptyFacesDoNotCrash) {
    for (auto [w, h] : {std::pair{0, 0}, {1, 1}, {3, 30}, {8, 8}, {200, 2}}) {
        Image face(w, h);
        button::PaintFace(face, button::LookImage(Look::Normal), true);
        EXPECT_EQ(face.rgb.size(), static_cast<std::size_t>(w) * h * 3);
    }
    Image face(10, 10);
    button::CopyStretched(face, {-5, -5, 30, 30}, button::LookImage(Look::Normal), {0, 0, 64, 25});
    button::CopyStretched(face, {0, 0, 5, 5}, Image(), {0, 0, 4, 4});  // empty source: nothing
}

TEST(LookImages, MatchTheirDescriptions) {
    const Image& normal = button::LookImage(Look::Normal);
    ASSERT_EQ(normal.width, 64);
    ASSERT_EQ(normal.height, 25);
    EXPECT_EQ(normal.At(30, 0), RgbFromHex(0xE0DCC9));  // rim along the top
    EXPECT_EQ(normal.At(30, 24), RgbFromHex(0xF8F7F0));
    EXPECT_EQ(normal.At(0, 12), RgbFromHex(0xE2DECB));
    EXPECT_EQ(normal.At(63, 12), RgbFromHex(0xF0EEE0));
    for (auto [x, y] : {std::pair{30, 1}, {1, 12}, {62, 12}, {30, 23}})
        EXPECT_EQ(normal.At(x, y), RgbFromHex(0x003C74));
    EXPECT_EQ(normal.At(30, 2), RgbFromHex(0xFEFEFE));
    EXPECT_EQ(normal.At(30, 22), RgbFromHex(0xE1DED5));
    // Rounded corners: the corner pixel is not the rim's colour.
    EXPECT_NE(normal.At(0, 0), RgbFromHex(0xE0DCC9));

    const Image& highlight = button::LookImage(Look::HighLight);
    EXPECT_EQ(highlight.rgb, button::LookImage(Look::HighLightSelect).rgb);
    EXPECT_EQ(highlight.At(30, 2), RgbFromHex(0xFFF0CF));
    EXPECT_EQ(highlight.At(30, 3), RgbFromHex(0xFDD889));
    EXPECT_EQ(highlight.At(30, 22), RgbFromHex(0xF8B330));

    const Image& selected = button::LookImage(Look::Selected);
    EXPECT_EQ(selected.At(30, 2), RgbFromHex(0xCEE7FF));
    EXPECT_EQ(selected.At(30, 22), RgbFromHex(0x6982EE));

    const Image& pressed = button::LookImage(Look::Pressed);
    EXPECT_EQ(pressed.At(30, 0), RgbFromHex(0xECE9D8));  // margin
    EXPECT_EQ(pressed.At(30, 2), RgbFromHex(0x003C74));  // frame inset by one
    EXPECT_EQ(pressed.At(30, 3), RgbFromHex(0xD1CCC1));  // sunken top
    EXPECT_EQ(pressed.At(30, 21), RgbFromHex(0xF2F1EE));

    const Image& disable = button::LookImage(Look::Disable);
    EXPECT_EQ(disable.At(30, 0), RgbFromHex(0xECE9D8));
    EXPECT_EQ(disable.At(30, 1), RgbFromHex(0xC9C7BA));
    EXPECT_EQ(disable.At(30, 3), RgbFromHex(0xF5F4EA));
    EXPECT_NE(disable.At(1, 1), RgbFromHex(0xC9C7BA));  // rounded
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(LookImages, CommittedFilesAreTheGeneratorsOutput) {
    testsupport::TempFolder folder;
    int code = -1;
    testsupport::Shell(std::string(MAKE_BUTTON_LOOKS) + " " + folder.path(), &code);
    ASSERT_EQ(code, 0);
    for (const char* name :
         {"normal", "highlight", "highlightselect", "selected", "pressed", "disable"}) {
        auto committed =
            ReadFile(std::string(VELMORA_SOURCE_DIR) + "/assets/button/" + name + ".bmp");
        EXPECT_EQ(committed.size(), 4854u) << name;
        EXPECT_EQ(committed, ReadFile(folder.path() + "/" + name + ".bmp")) << name;
    }
}

TEST(Bitmap, RoundTripAndRejects) {
    Image image(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            image.Set(x, y, {std::uint8_t(x * 40), std::uint8_t(y * 90), 7});
    auto bytes = button::EncodeBitmap(image);
    EXPECT_EQ(bytes.size(), 54u + 16 * 3);  // rows padded to four bytes
    auto back = button::DecodeBitmap(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->rgb, image.rgb);

    auto truncated = bytes;
    truncated.pop_back();
    EXPECT_FALSE(button::DecodeBitmap(truncated.data(), truncated.size()));
    auto wrongDepth = bytes;
    wrongDepth[28] = 32;
    EXPECT_FALSE(button::DecodeBitmap(wrongDepth.data(), wrongDepth.size()));
    auto hugeOffset = bytes;
    hugeOffset[13] = 0xFF;
    EXPECT_FALSE(button::DecodeBitmap(hugeOffset.data(), hugeOffset.size()));
    EXPECT_FALSE(button::DecodeBitmap(nullptr, 0));

    // Random damage to the header never crashes and never reads past the data.
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        auto damaged = bytes;
        damaged[random() % 54] = static_cast<std::uint8_t>(random());
        damaged.resize(random() % (damaged.size() + 1));
        auto result = button::DecodeBitmap(damaged.data(), damaged.size());
        if (result) {
            EXPECT_LE(result->rgb.size(), damaged.size());
        }
    }
}

}  // namespace
