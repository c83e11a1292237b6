// Compositors' pictures turned into the capture's bitmap: scaling by averaging, every pixel
// layout and row order, outputs placed in the monitors' bounding box, a whole-desktop picture
// cut to the monitors at its own scale, and PNG decoding including bad files.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdint>
#include <vector>

#include "platform/wayland/desktop_picture.h"

using platform::ImageView;
using platform::MonitorRect;
using platform::PixelLayout;
using platform::RgbTarget;

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

// An RGB bitmap being filled, its pixels preset to a marker colour.
struct Bitmap {
    int width, height;
    std::vector<std::uint8_t> rgb;
    Bitmap(int w, int h, std::uint8_t fill = 7)
        : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3, fill) {}
    // The bitmap as the functions' target, valid until the bitmap is next copied or resized.
    RgbTarget& Target() {
        target_ = {rgb.data(), width, height, width * 3};
        return target_;
    }
    Rgb At(int x, int y) const {
        const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        return {p[0], p[1], p[2]};
    }

  private:
    RgbTarget target_{};
};

// A source image in `layout` whose pixel (x, y) is `colour(x, y)`, with padding at each row's
// end; stored bottom-up when asked.
struct Source {
    std::vector<std::uint8_t> bytes;
    ImageView view;
    template <typename Colour>
    Source(int w, int h, PixelLayout layout, bool bottomUp, Colour colour) {
        const int bpp = layout == PixelLayout::Rgb ? 3 : 4;
        const int stride = w * bpp + 5;
        bytes.assign(static_cast<std::size_t>(stride) * h, 0xEE);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Rgb c = colour(x, y);
                std::uint8_t* p =
                    &bytes[static_cast<std::size_t>(bottomUp ? h - 1 - y : y) * stride +
                           static_cast<std::size_t>(x) * bpp];
                if (layout == PixelLayout::Bgrx)
                    p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = 0xFF;
                else
                    p[0] = c.r, p[1] = c.g, p[2] = c.b;
            }
        view = {bytes.data(), w, h, stride, layout, bottomUp};
    }
};

Rgb Gradient(int x, int y) {
    return {x * 7 % 256, y * 11 % 256, (x + y) % 256};
}

}  // namespace

TEST(DrawScaled, CopiesOneToOneInEveryLayoutAndRowOrder) {
    for (PixelLayout layout : {PixelLayout::Bgrx, PixelLayout::Rgbx, PixelLayout::Rgb})
        for (bool bottomUp : {false, true}) {
            Source source(13, 9, layout, bottomUp, Gradient);
            Bitmap bitmap(13, 9);
            platform::DrawScaled(source.view, {0, 0, 13, 9}, bitmap.Target(), {0, 0, 13, 9});
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 13; ++x)
                    ASSERT_EQ(bitmap.At(x, y), Gradient(x, y))
                        << static_cast<int>(layout) << " " << bottomUp << " at " << x << "," << y;
        }
}

TEST(DrawScaled, HalvesByAveragingEachTwoByTwoBlock) {
    // A doubled output: each target pixel is the mean of its four source pixels.
    Source source(8, 4, PixelLayout::Bgrx, false, [](int x, int y) {
        return Rgb{(x % 2) * 100 + (y % 2) * 20, 50, x * 10};
    });
    Bitmap bitmap(4, 2);
    platform::DrawScaled(source.view, {0, 0, 8, 4}, bitmap.Target(), {0, 0, 4, 2});
    EXPECT_EQ(bitmap.At(0, 0), (Rgb{60, 50, 5}));
    EXPECT_EQ(bitmap.At(3, 1), (Rgb{60, 50, 65}));
}

TEST(DrawScaled, StretchesAndClipsWithoutWritingOutsideTheTarget) {
    Source source(2, 1, PixelLayout::Rgb, false, [](int x, int) {
        return x ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
    });
    Bitmap bitmap(5, 3);
    // A target part that hangs over the bitmap's right and top edges: the scale is kept.
    platform::DrawScaled(source.view, {0, 0, 2, 1}, bitmap.Target(), {1, -1, 8, 2});
    EXPECT_EQ(bitmap.At(0, 0), (Rgb{7, 7, 7}));    // left of the part: untouched
    EXPECT_EQ(bitmap.At(1, 0), (Rgb{0, 0, 255}));  // the first source pixel, 4 wide
    EXPECT_EQ(bitmap.At(4, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(bitmap.At(2, 1), (Rgb{7, 7, 7}));  // below the part: untouched
    // A source part partly outside the image: only the pixels that exist are used.
    Bitmap second(4, 1);
    platform::DrawScaled(source.view, {1, 0, 2, 1}, second.Target(), {0, 0, 4, 1});
    EXPECT_EQ(second.At(0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(second.At(3, 0), (Rgb{7, 7, 7}));
}

TEST(DrawScaled, RefusesMalformedImagesAndEmptyParts) {
    std::vector<std::uint8_t> bytes(64, 1);
    Bitmap bitmap(4, 4);
    // A stride shorter than a row, no pixels, empty parts: nothing is drawn.
    platform::DrawScaled({bytes.data(), 4, 4, 15, PixelLayout::Bgrx}, {0, 0, 4, 4}, bitmap.Target(),
                         {0, 0, 4, 4});
    platform::DrawScaled({nullptr, 4, 4, 16, PixelLayout::Bgrx}, {0, 0, 4, 4}, bitmap.Target(),
                         {0, 0, 4, 4});
    platform::DrawScaled({bytes.data(), 4, 4, 16, PixelLayout::Bgrx}, {0, 0, 0, 4}, bitmap.Target(),
                         {0, 0, 4, 4});
    platform::DrawScaled({bytes.data(), 4, 4, 16, PixelLayout::Bgrx}, {0, 0, 4, 4}, bitmap.Target(),
                         {0, 0, 4, -1});
    EXPECT_EQ(bitmap.rgb, Bitmap(4, 4).rgb);
}

TEST(ComposeOutputs, PlacesEachOutputAtItsLogicalPlaceAndBlackensTheRest) {
    // Two outputs side by side, the left one at scale 2, the right one lower down; the
    // monitors' box starts left of and above (0, 0).
    Source left(8, 6, PixelLayout::Bgrx, false, [](int, int) { return Rgb{200, 0, 0}; });
    Source right(3, 2, PixelLayout::Rgbx, true, [](int, int) { return Rgb{0, 0, 200}; });
    const platform::OutputPicture outputs[] = {{left.view, {-4, -3, 4, 3}},
                                               {right.view, {0, 0, 3, 2}}};
    Bitmap bitmap(7, 5);
    platform::ComposeOutputs(outputs, {-4, -3, 7, 5}, bitmap.Target());
    EXPECT_EQ(bitmap.At(0, 0), (Rgb{200, 0, 0}));
    EXPECT_EQ(bitmap.At(3, 2), (Rgb{200, 0, 0}));
    EXPECT_EQ(bitmap.At(4, 3), (Rgb{0, 0, 200}));
    EXPECT_EQ(bitmap.At(6, 4), (Rgb{0, 0, 200}));
    EXPECT_EQ(bitmap.At(5, 0), (Rgb{0, 0, 0}));  // no output there
    EXPECT_EQ(bitmap.At(0, 4), (Rgb{0, 0, 0}));
}

TEST(CropDesktop, CutsEachMonitorOutOfAPictureAtTwiceTheScale) {
    // The monitors: 4x2 at (0, 0) and 2x2 at (4, 2); the box is 6x4. The picture is 12x8.
    const MonitorRect monitors[] = {{0, 0, 4, 2}, {4, 2, 2, 2}};
    Source desktop(12, 8, PixelLayout::Rgb, false, [](int x, int y) {
        return Rgb{x * 20, y * 30, 9};
    });
    Bitmap bitmap(6, 4);
    ASSERT_TRUE(platform::CropDesktop(desktop.view, monitors, bitmap.Target()));
    // Target (1, 0) averages picture pixels x 2..3, y 0..1.
    EXPECT_EQ(bitmap.At(1, 0), (Rgb{50, 15, 9}));
    // Target (5, 3) averages x 10..11, y 6..7.
    EXPECT_EQ(bitmap.At(5, 3), (Rgb{210, 195, 9}));
    EXPECT_EQ(bitmap.At(0, 3), (Rgb{0, 0, 0}));  // between the monitors: black
}

TEST(CropDesktop, TakesAPictureAtTheMonitorsOwnScaleOneToOne) {
    const MonitorRect monitors[] = {{100, 50, 5, 3}};
    Source desktop(5, 3, PixelLayout::Rgb, false, Gradient);
    Bitmap bitmap(5, 3);
    ASSERT_TRUE(platform::CropDesktop(desktop.view, monitors, bitmap.Target()));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(bitmap.At(x, y), Gradient(x, y));
}

TEST(CropDesktop, RefusesWithoutMonitorsOrPicture) {
    Source desktop(4, 4, PixelLayout::Rgb, false, Gradient);
    Bitmap bitmap(4, 4);
    EXPECT_FALSE(platform::CropDesktop(desktop.view, {}, bitmap.Target()));
    const MonitorRect empty[] = {{0, 0, 0, 4}};
    EXPECT_FALSE(platform::CropDesktop(desktop.view, empty, bitmap.Target()));
    const MonitorRect one[] = {{0, 0, 4, 4}};
    EXPECT_FALSE(platform::CropDesktop({}, one, bitmap.Target()));
    EXPECT_EQ(bitmap.rgb, Bitmap(4, 4).rgb);
}

namespace {

// A PNG made with libpng's simplified writer.
std::vector<std::uint8_t> MakePng(int w, int h, std::uint32_t format,
                                  const std::vector<std::uint8_t>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = format;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
    std::vector<std::uint8_t> out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
    out.resize(size);
    return out;
}

}  // namespace

TEST(DecodePng, ReadsRgbAndDropsAlphaOverBlack) {
    const auto rgb = MakePng(2, 1, PNG_FORMAT_RGB, {10, 20, 30, 40, 50, 60});
    const auto decoded = platform::DecodePng(rgb);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 2);
    EXPECT_EQ(decoded->height, 1);
    EXPECT_EQ(decoded->rgb, (std::vector<std::uint8_t>{10, 20, 30, 40, 50, 60}));
    const auto rgba = MakePng(1, 1, PNG_FORMAT_RGBA, {200, 100, 50, 255});
    const auto opaque = platform::DecodePng(rgba);
    ASSERT_TRUE(opaque);
    EXPECT_EQ(opaque->rgb, (std::vector<std::uint8_t>{200, 100, 50}));
}

TEST(DecodePng, RefusesCutTooLargeAndForeignBytes) {
    auto png = MakePng(64, 64, PNG_FORMAT_RGB, std::vector<std::uint8_t>(64 * 64 * 3, 99));
    EXPECT_TRUE(platform::DecodePng(png));
    EXPECT_FALSE(platform::DecodePng(png, 64 * 64 - 1));
    for (std::size_t cut : {std::size_t{0}, std::size_t{7}, std::size_t{40}, png.size() - 20})
        EXPECT_FALSE(platform::DecodePng(std::span(png.data(), cut))) << cut;
    const std::vector<std::uint8_t> bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(platform::DecodePng(bmp));
    // A header that claims a huge picture is refused before anything is allocated for it.
    png[16] = 0x7F;  // width's top byte
    EXPECT_FALSE(platform::DecodePng(png));
}
