// Compositors' pictures turned into the capture's bitmap: the outputs' largest scale, scaling by
// averaging, every pixel layout and row order, outputs placed in the monitors' bounding box, a
// whole-desktop picture cut to the monitors at its own scale, and PNG decoding including bad
// files.
#include <gtest/gtest.h>

#include <png.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/wayland/desktop_picture.h"
#include "platform/wayland/outputs.h"

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

// Outputs of (mode width, mode height, logical width, logical height) each.
double LargestScaleOf(std::initializer_list<std::array<int, 4>> sizes) {
    std::vector<std::unique_ptr<platform::wayland::Output>> outputs;
    for (const auto& [modeWidth, modeHeight, width, height] : sizes) {
        auto& o = *outputs.emplace_back(std::make_unique<platform::wayland::Output>());
        o.modeWidth = modeWidth, o.modeHeight = modeHeight;
        o.place = {0, 0, width, height};
    }
    return platform::wayland::LargestScale(outputs);
}

TEST(LargestScale, IsTheLargestModeOverLogicalSizeAmongTheOutputsThatSayBoth) {
    EXPECT_EQ(LargestScaleOf({}), 1.0);
    EXPECT_EQ(LargestScaleOf({{1920, 1080, 1920, 1080}}), 1.0);
    EXPECT_EQ(LargestScaleOf({{1920, 1080, 1920, 1080}, {2560, 1440, 1280, 720}}), 2.0);
    EXPECT_EQ(LargestScaleOf({{1920, 1080, 1280, 720}}), 1.5);  // 150 %
    // A turned output: its mode stays landscape, its logical size does not.
    EXPECT_EQ(LargestScaleOf({{2560, 1440, 720, 1280}}), 2.0);
    // Drawn at fewer pixels than its logical size, or not saying one of them: 1.
    EXPECT_EQ(LargestScaleOf({{960, 540, 1920, 1080}}), 1.0);
    EXPECT_EQ(LargestScaleOf({{0, 0, 1280, 720}, {3840, 2160, 0, 0}}), 1.0);
    // A broken report asks for no picture beyond reason.
    EXPECT_EQ(LargestScaleOf({{32768, 32768, 10, 10}}), 8.0);
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

// An interlaced 8-bit RGB PNG, made with libpng's full writer (the simplified one never
// interlaces).
std::vector<std::uint8_t> MakeInterlacedPng(int w, int h, const std::vector<std::uint8_t>& rgb) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, std::size_t n) {
            auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
            bytes->insert(bytes->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_ADAM7,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_bytep> rows;
    for (int y = 0; y < h; ++y) rows.push_back(const_cast<png_bytep>(&rgb[y * w * 3]));
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::uint32_t Crc(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::string Be32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

// A chunk of `type` holding `data`; a damaged one carries a wrong check sum.
std::string Chunk(const std::string& type, const std::string& data, bool damaged = false) {
    return Be32(static_cast<std::uint32_t>(data.size())) + type + data +
           Be32(Crc(type + data) ^ (damaged ? 1u : 0u));
}

// `png` with `chunks` put right after its header chunk.
std::vector<std::uint8_t> WithChunks(const std::vector<std::uint8_t>& png,
                                     const std::string& chunks) {
    std::string bytes(png.begin(), png.end());
    bytes.insert(33, chunks);  // after the signature and IHDR
    return {bytes.begin(), bytes.end()};
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

TEST(DecodePng, ReadsInterlacedPicturesAndPassesOverChunksItDoesNotNeed) {
    std::vector<std::uint8_t> rgb;
    for (int i = 0; i < 11 * 7 * 3; ++i) rgb.push_back(static_cast<std::uint8_t>(i * 7));
    const auto interlaced = platform::DecodePng(MakeInterlacedPng(11, 7, rgb));
    ASSERT_TRUE(interlaced);
    EXPECT_EQ(interlaced->width, 11);
    EXPECT_EQ(interlaced->rgb, rgb);
    const auto png = MakePng(2, 1, PNG_FORMAT_RGB, {10, 20, 30, 40, 50, 60});
    const auto decorated = platform::DecodePng(
        WithChunks(png, Chunk("tEXt", std::string("Comment\0hello", 13)) +
                            Chunk("cHRM", std::string(32, '\1'), true) + Chunk("zzZz", "private")));
    ASSERT_TRUE(decorated);
    EXPECT_EQ(decorated->rgb, (std::vector<std::uint8_t>{10, 20, 30, 40, 50, 60}));
    // After a damaged chunk, a text chunk that claims 1.9 GB in a file of 113 bytes: refused
    // (the fuzz replay bounds what reading it may allocate).
    const std::string header = std::string("\x89PNG\r\n\x1a\n", 8) +
                               Chunk("IHDR", Be32(1) + Be32(1) + std::string("\x08\x02\0\0\0", 5));
    const std::string claim =
        Be32(0x73742500) + "tEXt" + std::string("Comment\0", 8) + std::string(20, 'x');
    const std::string file = header + Chunk("cHRM", std::string(32, '\2'), true) + claim;
    ASSERT_EQ(file.size(), 113u);
    EXPECT_FALSE(platform::DecodePng(std::vector<std::uint8_t>(file.begin(), file.end())));
}
