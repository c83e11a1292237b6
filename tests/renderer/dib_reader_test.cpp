// The DIB reader on generated files: every depth and header form, the offsets of the pixel
// data, pictures stored top-down, compressed data, and files that are cut short or lie; the read
// on a second thread, asked about without waiting.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "dib_builder.h"
#include "renderer/dib_reader.h"
#include "renderer/picture_loader.h"
#include "test_support.h"

using renderer::DibError;
using renderer::RgbImage;
using testdib::BuildDib;
using testdib::Colour;
using testdib::DibSpec;

namespace {

DibError Decode(const std::vector<std::uint8_t>& file, RgbImage& image) {
    return renderer::decodeDib(file, image);
}

Colour PixelAt(const RgbImage& image, int x, int row) {
    const std::uint8_t* p =
        image.pixels.data() + (static_cast<std::size_t>(row) * image.width + x) * 3;
    return {p[0], p[1], p[2]};
}

std::vector<Colour> TestPalette(int entries) {
    std::vector<Colour> palette;
    for (int i = 0; i < entries; ++i)
        palette.push_back({static_cast<std::uint8_t>(i * 7 + 1), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(i * 3)});
    return palette;
}

// A stored value for each depth and the colour it must come out as.
struct DepthCase {
    int bits;
    std::function<std::uint32_t(int, int)> stored;
    std::function<Colour(int, int)> expected;
};

std::vector<DepthCase> DepthCases() {
    const auto palette = TestPalette(256);
    auto index = [](int bits) {
        return [bits](int x, int row) {
            return static_cast<std::uint32_t>((x * 5 + row * 3) % (1 << bits));
        };
    };
    auto viaPalette = [palette, index](int bits) {
        return [palette, f = index(bits)](int x, int row) { return palette[f(x, row)]; };
    };
    auto rgb = [](int x, int row) {
        return Colour{static_cast<std::uint8_t>(x * 17), static_cast<std::uint8_t>(row * 29),
                      static_cast<std::uint8_t>(x + row)};
    };
    auto widen5 = [](int v) { return static_cast<std::uint8_t>(v << 3 | v >> 2); };
    return {
        {1, index(1), viaPalette(1)},
        {4, index(4), viaPalette(4)},
        {8, index(8), viaPalette(8)},
        {16,
         [](int x, int row) {
             return static_cast<std::uint32_t>((x % 32) << 10 | (row % 32) << 5 | (x + row) % 32);
         },
         [widen5](int x, int row) {
             return Colour{widen5(x % 32), widen5(row % 32), widen5((x + row) % 32)};
         }},
        {24,
         [rgb](int x, int row) {
             const Colour c = rgb(x, row);
             return static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b);
         },
         rgb},
        {32,
         [rgb](int x, int row) {
             const Colour c = rgb(x, row);
             return static_cast<std::uint32_t>(0xAA000000u | c.r << 16 | c.g << 8 | c.b);
         },
         rgb},
    };
}

}  // namespace

TEST(DibReader, ReadsABottomUpDesktopPicture) {
    DibSpec layout;
    layout.width = 1024;
    layout.height = 768;
    layout.pixel = [](int x, int row) {
        return static_cast<std::uint32_t>((x & 255) << 16 | (row & 255) << 8 | 0x5A);
    };
    RgbImage image;
    ASSERT_EQ(Decode(BuildDib(layout), image), DibError::None);
    EXPECT_EQ(image.width, 1024);
    EXPECT_EQ(image.height, 768);
    ASSERT_EQ(image.pixels.size(), 2359296u);
    EXPECT_EQ(PixelAt(image, 0, 0),
              (Colour{0, 0, 0x5A}));  // the first stored row is the bottom row
    EXPECT_EQ(PixelAt(image, 200, 100), (Colour{200, 100, 0x5A}));
}

TEST(DibReader, EveryDepthAndHeaderFormAtOddWidths) {
    const auto palette = TestPalette(256);
    for (const auto& depth : DepthCases()) {
        for (std::uint32_t headerSize : {12u, 40u}) {
            for (bool fileHeader : {true, false}) {
                for (int width : {1, 2, 3, 5, 7, 13, 33}) {
                    SCOPED_TRACE(::testing::Message()
                                 << depth.bits << " bits, header " << headerSize << ", file header "
                                 << fileHeader << ", width " << width);
                    DibSpec layout;
                    layout.width = width;
                    layout.height = 3;
                    layout.bitsPerPixel = depth.bits;
                    layout.headerSize = headerSize;
                    layout.fileHeader = fileHeader;
                    layout.pixel = depth.stored;
                    if (depth.bits <= 8)
                        layout.palette.assign(palette.begin(), palette.begin() + (1 << depth.bits));
                    RgbImage image;
                    ASSERT_EQ(Decode(BuildDib(layout), image), DibError::None);
                    ASSERT_EQ(image.width, width);
                    ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(width) * 3 * 3);
                    for (int row = 0; row < 3; ++row)
                        for (int x = 0; x < width; ++x)
                            ASSERT_EQ(PixelAt(image, x, row), depth.expected(x, row))
                                << x << "," << row;
                }
            }
        }
    }
}

TEST(DibReader, ColourCountAndPixelDataStart) {
    auto header40 = [](int bits, std::uint32_t used) {
        DibSpec layout;
        layout.bitsPerPixel = bits;
        layout.colorsUsed = used;
        layout.fileHeader = false;
        auto file = BuildDib(layout);
        return std::vector<std::uint8_t>(file.begin(), file.begin() + 40);
    };
    EXPECT_EQ(renderer::dibColorCount(header40(1, 0).data()), 2);
    EXPECT_EQ(renderer::dibColorCount(header40(4, 0).data()), 16);
    EXPECT_EQ(renderer::dibColorCount(header40(8, 0).data()), 256);
    EXPECT_EQ(renderer::dibColorCount(header40(24, 0).data()), 0);
    EXPECT_EQ(renderer::dibColorCount(header40(8, 16).data()), 16);
    EXPECT_EQ(renderer::dibColorCount(header40(24, 0x10005).data()), 5);  // low 16 bits only
    const std::uint8_t core[12] = {12, 0, 0, 0, 1, 0, 1, 0, 1, 0, 4, 0};
    EXPECT_EQ(renderer::dibColorCount(core), 16);

    // 8 bits with 16 colours used and no file header: the pixels start at 40 + 64.
    DibSpec eight;
    eight.bitsPerPixel = 8;
    eight.width = 4;
    eight.colorsUsed = 16;
    eight.fileHeader = false;
    eight.palette = TestPalette(16);
    eight.pixel = [](int x, int) { return static_cast<std::uint32_t>(x + 12); };
    auto file = BuildDib(eight);
    ASSERT_EQ(file.size(), 104u + 4);
    RgbImage image;
    ASSERT_EQ(Decode(file, image), DibError::None);
    EXPECT_EQ(PixelAt(image, 3, 0), eight.palette[15]);
    eight.pixel = [](int, int) { return 16u; };  // beyond the table: black, never a stray read
    ASSERT_EQ(Decode(BuildDib(eight), image), DibError::None);
    EXPECT_EQ(PixelAt(image, 0, 0), (Colour{0, 0, 0}));

    // 24 bits with 5 colours used: a table the pixels skip, starting at 40 + 20.
    DibSpec rgb;
    rgb.colorsUsed = 5;
    rgb.fileHeader = false;
    rgb.palette = TestPalette(5);
    rgb.pixel = [](int, int) { return 0x123456u; };
    file = BuildDib(rgb);
    ASSERT_EQ(file.size(), 60u + 4);
    ASSERT_EQ(Decode(file, image), DibError::None);
    EXPECT_EQ(PixelAt(image, 0, 0), (Colour{0x12, 0x34, 0x56}));

    // The 12-byte header at 4 bits: colour entries 3 bytes apart, pixels at 12 + 48.
    DibSpec old;
    old.headerSize = 12;
    old.bitsPerPixel = 4;
    old.width = 2;
    old.fileHeader = false;
    old.palette = TestPalette(16);
    old.pixel = [](int x, int) { return x == 0 ? 9u : 15u; };
    file = BuildDib(old);
    ASSERT_EQ(file.size(), 60u + 4);
    ASSERT_EQ(Decode(file, image), DibError::None);
    EXPECT_EQ(PixelAt(image, 0, 0), old.palette[9]);
    EXPECT_EQ(PixelAt(image, 1, 0), old.palette[15]);
}

TEST(DibReader, TopDownRowsKeepTheirOrderAndNegativeHeight) {
    DibSpec layout;
    layout.width = 3;
    layout.height = -4;
    layout.pixel = [](int, int row) { return static_cast<std::uint32_t>(row * 0x10); };
    RgbImage image;
    ASSERT_EQ(Decode(BuildDib(layout), image), DibError::None);
    EXPECT_EQ(image.height, -4);
    ASSERT_EQ(image.pixels.size(), 3u * 4 * 3);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(PixelAt(image, 2, row).b, row * 0x10);
}

TEST(DibReader, SixteenBitsWidenToFullRangeAndBitFieldsAreHonoured) {
    DibSpec layout;
    layout.bitsPerPixel = 16;
    layout.width = 4;
    layout.pixel = [](int x, int) {
        return std::vector<std::uint32_t>{0x7FFF, 0x7C00, 0x0001, 0x8000}[x];
    };
    RgbImage image;
    ASSERT_EQ(Decode(BuildDib(layout), image), DibError::None);
    EXPECT_EQ(PixelAt(image, 0, 0), (Colour{255, 255, 255}));
    EXPECT_EQ(PixelAt(image, 1, 0), (Colour{255, 0, 0}));
    EXPECT_EQ(PixelAt(image, 2, 0), (Colour{0, 0, 8}));
    EXPECT_EQ(PixelAt(image, 3, 0), (Colour{0, 0, 0}));  // the top bit is unused

    for (bool fileHeader : {true, false}) {
        DibSpec fields;
        fields.fileHeader = fileHeader;
        fields.compression = 3;
        fields.bitsPerPixel = 16;
        fields.width = 2;
        fields.masks = {0xF800, 0x07E0, 0x001F};  // 5-6-5
        fields.pixel = [](int x, int) { return x == 0 ? 0xFFFFu : 0x07E0u; };
        ASSERT_EQ(Decode(BuildDib(fields), image), DibError::None) << fileHeader;
        EXPECT_EQ(PixelAt(image, 0, 0), (Colour{255, 255, 255}));
        EXPECT_EQ(PixelAt(image, 1, 0), (Colour{0, 255, 0}));

        fields.bitsPerPixel = 32;
        fields.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red in the lowest byte
        fields.pixel = [](int, int) { return 0x00332211u; };
        ASSERT_EQ(Decode(BuildDib(fields), image), DibError::None) << fileHeader;
        EXPECT_EQ(PixelAt(image, 1, 0), (Colour{0x11, 0x22, 0x33}));
    }
}

TEST(DibReader, RunLengthEncodedData) {
    DibSpec rle8;
    rle8.bitsPerPixel = 8;
    rle8.compression = 1;
    rle8.width = 6;
    rle8.height = 3;
    rle8.palette = TestPalette(256);
    rle8.rawPixels = {
        3, 7, 0, 3, 1, 2, 3, 0, 0, 0,  // row 0: run of three 7s, literal 1 2 3 (padded)
        0, 2, 2, 1,                    // delta: right 2, up 1 (row 2, column 2)
        9, 4, 0, 1,                    // run of nine 4s, clipped at the edge; end of picture
    };
    RgbImage image;
    ASSERT_EQ(Decode(BuildDib(rle8), image), DibError::None);
    const auto& p = rle8.palette;
    EXPECT_EQ(PixelAt(image, 0, 0), p[7]);
    EXPECT_EQ(PixelAt(image, 2, 0), p[7]);
    EXPECT_EQ(PixelAt(image, 5, 0), p[3]);
    EXPECT_EQ(PixelAt(image, 0, 1), (Colour{}));  // skipped pixels stay black
    EXPECT_EQ(PixelAt(image, 1, 2), (Colour{}));
    EXPECT_EQ(PixelAt(image, 2, 2), p[4]);
    EXPECT_EQ(PixelAt(image, 5, 2), p[4]);

    DibSpec rle4 = rle8;
    rle4.bitsPerPixel = 4;
    rle4.compression = 2;
    rle4.width = 6;
    rle4.height = 1;
    rle4.palette = TestPalette(16);
    rle4.rawPixels = {3, 0x12, 0, 3, 0x34, 0x50, 0, 0};  // 1 2 1, literal 3 4 5, end of line
    ASSERT_EQ(Decode(BuildDib(rle4), image), DibError::None);
    EXPECT_EQ(PixelAt(image, 0, 0), rle4.palette[1]);
    EXPECT_EQ(PixelAt(image, 1, 0), rle4.palette[2]);
    EXPECT_EQ(PixelAt(image, 2, 0), rle4.palette[1]);
    EXPECT_EQ(PixelAt(image, 4, 0), rle4.palette[4]);
    EXPECT_EQ(PixelAt(image, 5, 0), rle4.palette[5]);

    rle8.rawPixels = {3, 7, 0, 5, 1, 2};  // literal run cut short
    EXPECT_EQ(Decode(BuildDib(rle8), image), DibError::ConversionError);
    rle8.rawPixels = {3, 7, 0, 0};  // ends before the last row
    EXPECT_EQ(Decode(BuildDib(rle8), image), DibError::ConversionError);
    rle8.rawPixels = {0, 1};
    rle8.height = -3;  // compressed data is bottom-up only
    EXPECT_EQ(Decode(BuildDib(rle8), image), DibError::ConversionError);
}

TEST(DibReader, RefusesHeadersItDoesNotKnow) {
    for (std::uint32_t size : {0u, 16u, 64u, 108u, 124u}) {
        DibSpec layout;
        layout.headerSize = size;
        for (bool fileHeader : {true, false}) {
            layout.fileHeader = fileHeader;
            RgbImage image;
            EXPECT_EQ(Decode(BuildDib(layout), image), DibError::UnknownFormat) << size;
        }
    }
}

TEST(DibReader, RefusesUnreadableFormsAndSizes) {
    auto decode = [](auto change, std::size_t limit = renderer::kMaxPixelBytes) {
        DibSpec layout;
        layout.width = 2;
        layout.height = 2;
        change(layout);
        RgbImage image;
        return renderer::decodeDib(BuildDib(layout), image, limit);
    };
    EXPECT_EQ(decode([](DibSpec& s) { s.bitsPerPixel = 2; }), DibError::ConversionError);
    EXPECT_EQ(decode([](DibSpec& s) {
                  s.rawPixels = {0, 0, 0, 0};
                  s.bitsPerPixel = 0;
              }),
              DibError::ConversionError);
    EXPECT_EQ(decode([](DibSpec& s) { s.compression = 4; }), DibError::ConversionError);
    EXPECT_EQ(decode([](DibSpec& s) { s.compression = 1; }),
              DibError::ConversionError);  // RLE8 at 24 bits
    EXPECT_EQ(decode([](DibSpec& s) { s.width = 0; }), DibError::ConversionError);
    EXPECT_EQ(decode([](DibSpec& s) { s.height = 0; }), DibError::ConversionError);
    EXPECT_EQ(decode([](DibSpec& s) {
                  s.rawPixels = {0};
                  s.width = -2;
              }),
              DibError::ConversionError);
    EXPECT_EQ(decode([](DibSpec& s) {
                  s.rawPixels = {0};
                  s.width = 32769;
              }),
              DibError::ConversionError);
    EXPECT_EQ(decode([](DibSpec& s) {
                  s.rawPixels = {0};
                  s.height = -32769;
              }),
              DibError::ConversionError);
    // 20000 x 20000 x 3 is over 1 GiB: refused before anything is obtained or read.
    EXPECT_EQ(decode([](DibSpec& s) {
                  s.rawPixels = {0};
                  s.width = s.height = 20000;
              }),
              DibError::OutOfMemory);
    EXPECT_EQ(decode([](DibSpec&) {}, 11), DibError::OutOfMemory);
    EXPECT_EQ(decode([](DibSpec&) {}, 12), DibError::None);
    // Colours used far beyond the file: the table cannot be there.
    EXPECT_EQ(decode([](DibSpec& s) { s.colorsUsed = 5000; }), DibError::ConversionError);
}

TEST(DibReader, EveryTruncationIsRefusedButTheLastRowsPaddingMayBeMissing) {
    for (int bits : {1, 8, 24}) {
        DibSpec layout;
        layout.width = 5;
        layout.height = 3;
        layout.bitsPerPixel = bits;
        if (bits <= 8) layout.palette = TestPalette(1 << bits);
        const auto full = BuildDib(layout);
        for (std::size_t length = 0; length < full.size(); ++length) {
            std::vector<std::uint8_t> cut(full.begin(), full.begin() + length);
            RgbImage image;
            const DibError e = Decode(cut, image);
            const std::size_t stride = (5 * bits + 31) / 32 * 4, lastRow = (5 * bits + 7) / 8;
            if (length >= full.size() - stride + lastRow)
                EXPECT_EQ(e, DibError::None) << bits << " bits cut at " << length;
            else
                EXPECT_NE(e, DibError::None) << bits << " bits cut at " << length;
            if (length == 0) {
                EXPECT_EQ(e, DibError::OpenFailed);
            } else if (length < 14 + 40) {
                EXPECT_EQ(e, DibError::UnknownFormat) << length;
            }
        }
    }
    // A pixel-data offset that points past the end of the file.
    DibSpec layout;
    auto file = BuildDib(layout);
    file[10] = 0xFF;
    file[11] = 0xFF;
    RgbImage image;
    EXPECT_EQ(Decode(file, image), DibError::ConversionError);
}

TEST(DibReader, AFifoWithNoWriterIsRefusedWithoutStallingTheReader) {
    testsupport::TempFolder folder;
    const std::string fifo = folder.path() + "/pipe.bmp";
    ASSERT_TRUE(testsupport::MakeFifo(fifo));
    std::vector<std::string> reports;
    EXPECT_EQ(
        renderer::loadDibFile(fifo.c_str(), [&](const std::string& m) { reports.push_back(m); }),
        nullptr);
    EXPECT_EQ(reports.size(), 1u);
}

TEST(DibReader, LoadDibFileReportsOnceWithTheMessageForTheFailure) {
    testsupport::TempFolder folder;
    std::vector<std::string> reports;
    auto load = [&](const std::string& path) {
        reports.clear();
        return renderer::loadDibFile(path.c_str(),
                                     [&](const std::string& m) { reports.push_back(m); });
    };
    const std::string missing = folder.path() + "/absent.bmp";
    EXPECT_EQ(load(missing), nullptr);
    EXPECT_EQ(reports, std::vector<std::string>{"Failed to open DIB file " + missing + ".\n"});

    const std::string empty = folder.path() + "/empty.bmp";
    ASSERT_TRUE(testdib::WriteFile(empty, {}));
    EXPECT_EQ(load(empty), nullptr);
    EXPECT_EQ(reports, std::vector<std::string>{"Failed to open DIB file " + empty + ".\n"});

    EXPECT_EQ(load(folder.path()), nullptr);  // a folder is not a picture
    EXPECT_EQ(reports.size(), 1u);

    const std::map<std::string, std::string> expected = {
        {"v4.bmp", "Unknown DIB file format."},
        {"two.bmp", "Image file conversion error."},
        {"huge.bmp", "Out of memory."},
    };
    DibSpec v4;
    v4.headerSize = 108;
    DibSpec two;
    two.bitsPerPixel = 2;
    DibSpec huge;
    huge.width = huge.height = 30000;
    huge.rawPixels = {0};
    testdib::WriteFile(folder.path() + "/v4.bmp", BuildDib(v4));
    testdib::WriteFile(folder.path() + "/two.bmp", BuildDib(two));
    testdib::WriteFile(folder.path() + "/huge.bmp", BuildDib(huge));
    for (const auto& [name, message] : expected) {
        EXPECT_EQ(load(folder.path() + "/" + name), nullptr);
        EXPECT_EQ(reports, std::vector<std::string>{message}) << name;
    }

    const std::string good = folder.path() + "/good.bmp";
    testdib::WriteFile(good, testdib::QuadrantPicture(8, 6));
    const auto image = load(good);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(PixelAt(*image, 0, 0), (Colour{0, 0, 255}));
    EXPECT_EQ(PixelAt(*image, 7, 5), (Colour{0, 255, 0}));
}

// The run asks after its picture on every frame: the read answers at once whether it is still
// going, has the picture or has failed (its reason kept for the user), and stays so; a refused
// read fails without reading.
TEST(DibReader, PictureReadIsAskedWithoutWaiting) {
    using renderer::PictureState;
    testsupport::TempFolder folder;
    const auto settled = [](renderer::PictureRead& read) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        PictureState state = read.poll();
        for (; state == PictureState::Loading && std::chrono::steady_clock::now() < deadline;
             state = read.poll())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return state;
    };
    renderer::PictureRead unstarted;
    EXPECT_EQ(unstarted.poll(), PictureState::Loading);

    const std::string good = folder.path() + "/good.bmp";
    testdib::WriteFile(good, testdib::QuadrantPicture(8, 6));
    renderer::PictureRead read;
    read.start(good, renderer::kMaxSide, false);
    ASSERT_EQ(settled(read), PictureState::Ready);
    ASSERT_NE(read.result().image, nullptr);
    EXPECT_EQ(read.result().image->width, 8);
    read.result().image.reset();  // taken by the caller
    EXPECT_EQ(read.poll(), PictureState::Ready);

    const std::string missing = folder.path() + "/absent.bmp";
    renderer::PictureRead failed;
    failed.start(missing, renderer::kMaxSide, false);
    EXPECT_EQ(settled(failed), PictureState::Failed);
    EXPECT_EQ(failed.result().failure, "Failed to open DIB file " + missing + ".\n");

    renderer::PictureRead refused;
    refused.refuse("refused");
    EXPECT_EQ(refused.poll(), PictureState::Failed);
    EXPECT_EQ(refused.result().failure, "refused");
}

// ---- Pictures scaled down while they are read ---------------------------------------------

namespace {

// The reference: each output pixel the rounded mean of the source pixels whose column and row,
// scaled by the output's size, fall on it.
RgbImage BoxAverage(const RgbImage& full, int width, int rows) {
    const int fullRows = std::abs(full.height);
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * rows * 3, 0);
    std::vector<std::uint64_t> counts(static_cast<std::size_t>(width) * rows, 0);
    for (int y = 0; y < fullRows; ++y)
        for (int x = 0; x < full.width; ++x) {
            const std::size_t out = static_cast<std::size_t>(y * rows / fullRows) * width +
                                    static_cast<std::size_t>(x) * width / full.width;
            const Colour c = PixelAt(full, x, y);
            sums[out * 3] += c.r;
            sums[out * 3 + 1] += c.g;
            sums[out * 3 + 2] += c.b;
            ++counts[out];
        }
    RgbImage scaled{width, full.height < 0 ? -rows : rows, {}};
    for (std::size_t i = 0; i < sums.size(); ++i)
        scaled.pixels.push_back(
            static_cast<std::uint8_t>((sums[i] + counts[i / 3] / 2) / counts[i / 3]));
    return scaled;
}

}  // namespace

TEST(DibReaderScaled, EveryFormScalesToTheMeanOfTheCoveredPixels) {
    for (const auto& depth : DepthCases()) {
        for (const int height : {23, -23}) {  // bottom-up and top-down
            DibSpec layout;
            layout.bitsPerPixel = static_cast<std::uint16_t>(depth.bits);
            layout.width = 37;
            layout.height = height;
            if (depth.bits <= 8) layout.palette = TestPalette(1 << depth.bits);
            layout.pixel = depth.stored;
            RgbImage full, scaled;
            ASSERT_EQ(Decode(BuildDib(layout), full), DibError::None);
            // 37 x 23 into a longest side of 10: 10 x 6, with uneven blocks of 3 and 4.
            ASSERT_EQ(renderer::decodeDib(BuildDib(layout), scaled, renderer::kMaxPixelBytes, 10),
                      DibError::None);
            const RgbImage expected = BoxAverage(full, 10, 6);
            EXPECT_EQ(scaled.width, expected.width) << depth.bits;
            EXPECT_EQ(scaled.height, expected.height) << depth.bits;
            EXPECT_EQ(scaled.pixels, expected.pixels) << depth.bits << " bits, height " << height;
        }
    }
}

TEST(DibReaderScaled, RunLengthDataScalesWithSkippedPixelsBlack) {
    DibSpec rle8;
    rle8.bitsPerPixel = 8;
    rle8.compression = 1;
    rle8.width = 8;
    rle8.height = 6;
    rle8.palette = TestPalette(256);
    rle8.rawPixels = {
        8, 7, 0, 0,              // row 0: eight 7s, end of line
        0, 2, 3, 3,              // delta from row 1 to row 4, column 3
        2, 9, 0, 0,              // two 9s, end of line
        0, 4, 1, 2, 3, 4, 0, 1,  // literal 1 2 3 4 on row 5; end of picture
    };
    RgbImage full, scaled;
    ASSERT_EQ(Decode(BuildDib(rle8), full), DibError::None);
    ASSERT_EQ(renderer::decodeDib(BuildDib(rle8), scaled, renderer::kMaxPixelBytes, 4),
              DibError::None);
    EXPECT_EQ(scaled.pixels, BoxAverage(full, 4, 3).pixels);
    EXPECT_EQ(PixelAt(scaled, 0, 1), (Colour{}));  // rows 2 and 3, skipped, stay black
    EXPECT_NE(PixelAt(scaled, 2, 2), (Colour{}));
}

TEST(DibReaderScaled, PicturesWithinTheLimitAreUntouched) {
    const auto file = testdib::QuadrantPicture(64, 48);
    RgbImage full, limited;
    ASSERT_EQ(Decode(file, full), DibError::None);
    ASSERT_EQ(renderer::decodeDib(file, limited, renderer::kMaxPixelBytes, 64), DibError::None);
    EXPECT_EQ(limited.pixels, full.pixels);
    EXPECT_EQ(limited.width, 64);
    // A thin picture keeps at least one pixel across.
    DibSpec thin;
    thin.width = 3000;
    thin.height = 1;
    ASSERT_EQ(renderer::decodeDib(BuildDib(thin), limited, renderer::kMaxPixelBytes, 100),
              DibError::None);
    EXPECT_EQ(limited.width, 100);
    EXPECT_EQ(limited.height, 1);
}

TEST(DibReaderScaled, AHugePictureCostsOnlyItsScaledSize) {
    // 12000 x 12000 at one bit: 18 MB of file, 432 MB at full size, 12 MB scaled.
    DibSpec layout;
    layout.width = layout.height = 12000;
    layout.bitsPerPixel = 1;
    layout.palette = {{0, 0, 0}, {255, 255, 255}};
    const std::size_t stride = (12000 + 31) / 32 * 4;
    layout.rawPixels.assign(stride * 12000, 0x55);  // alternate columns: a mean of grey
    const auto file = BuildDib(layout);
    layout.rawPixels = {};
    RgbImage image;
    const long before = testsupport::PeakMemoryKilobytes();
    ASSERT_EQ(renderer::decodeDib(file, image, renderer::kMaxPixelBytes, 2000), DibError::None);
    const long after = testsupport::PeakMemoryKilobytes();
    EXPECT_EQ(image.width, 2000);
    EXPECT_NEAR(PixelAt(image, 1000, 1000).r, 128, 1);
    // The peak grows by the result and a few rows at most (bound generous).
    EXPECT_LT(after - before, 100 * 1024);
}
