// The DIB reader: headers, colour tables and every pixel form we accept, converted to packed
// RGB rows. Every offset and length is checked against the file before it is read.
#include "renderer/dib_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <new>
#include <utility>

#include "platform/base.h"

namespace renderer {
namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
constexpr std::size_t kFileHeaderSize = 14;

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

// One colour channel of a 16- or 32-bit pixel, described by its mask.
struct Channel {
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t mask) {
        if (mask == 0) return;
        shift = std::countr_zero(mask);
        bits = std::countr_one(mask >> shift);  // only the lowest contiguous run counts
    }
    // The channel's value widened to 0..255 by repeating its bits, so that full scale stays
    // full scale (five bits 31 become 255, not 248).
    std::uint8_t extract(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        const std::uint32_t value = (pixel >> shift) & ((std::uint64_t{1} << bits) - 1);
        if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
        std::uint32_t wide = 0;
        int filled = 0;
        while (filled < 8) {
            wide = wide << bits | value;
            filled += bits;
        }
        return static_cast<std::uint8_t>(wide >> (filled - 8));
    }
};

// The info header in its 40-byte form, with the colour table and masks that belong to it.
struct Info {
    std::int64_t width = 0;
    std::int64_t height = 0;  // as stored: negative for top-down rows
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t compression = kRgb;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue
    std::vector<Rgb> palette;
    std::size_t pixelStart = 0;
};

// Reads the headers and the colour table; fills `info` or names the reason for refusing.
DibError readInfo(std::span<const std::uint8_t> file, Info& info) {
    const std::uint8_t* data = file.data();
    const std::size_t size = file.size();
    std::size_t infoStart = 0;
    bool hasFileHeader = false;
    std::size_t pixelOffset = 0;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
        if (size < kFileHeaderSize) return DibError::UnknownFormat;
        hasFileHeader = true;
        pixelOffset = Le32(data + 10);
        infoStart = kFileHeaderSize;
    }
    if (size - infoStart < 4) return DibError::UnknownFormat;
    const std::uint8_t* header = data + infoStart;
    const std::uint32_t headerSize = Le32(header);
    if ((headerSize != 12 && headerSize != 40) || size - infoStart < headerSize)
        return DibError::UnknownFormat;

    const std::size_t count = dibColorCount(header);
    std::size_t entrySize = 4;
    if (headerSize == 12) {
        info.width = Le16(header + 4);
        info.height = Le16(header + 6);
        info.bitsPerPixel = Le16(header + 10);
        entrySize = 3;
    } else {
        info.width = static_cast<std::int32_t>(Le32(header + 4));
        info.height = static_cast<std::int32_t>(Le32(header + 8));
        info.bitsPerPixel = Le16(header + 14);
        info.compression = Le32(header + 16);
    }

    std::size_t tableStart = infoStart + headerSize;
    if (info.compression == kBitFields) {
        // The three masks sit between the 40-byte header and the colour table.
        if (size - tableStart < 12) return DibError::ConversionError;
        for (int i = 0; i < 3; ++i) info.masks[i] = Le32(data + tableStart + 4 * i);
        tableStart += 12;
    } else if (info.bitsPerPixel == 16) {
        info.masks = {0x7C00, 0x03E0, 0x001F};
    } else {
        info.masks = {0xFF0000, 0x00FF00, 0x0000FF};
    }

    if ((size - tableStart) / entrySize < count) return DibError::ConversionError;
    info.palette.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = data + tableStart + i * entrySize;
        info.palette[i] = Rgb{entry[2], entry[1], entry[0]};
    }
    info.pixelStart = hasFileHeader ? pixelOffset : tableStart + count * entrySize;
    if (info.pixelStart > size) return DibError::ConversionError;
    return DibError::None;
}

// The picture's size once scaled so that neither side exceeds `maxSide` (its own size when it
// fits), keeping its proportions.
std::pair<std::int64_t, std::int64_t> OutputSize(std::int64_t width, std::int64_t rows,
                                                 std::int64_t maxSide) {
    const std::int64_t longest = std::max(width, rows);
    if (maxSide <= 0 || longest <= maxSide) return {width, rows};
    return {std::max<std::int64_t>(1, width * maxSide / longest),
            std::max<std::int64_t>(1, rows * maxSide / longest)};
}

// Checks the picture's size and obtains the zeroed output buffer at the output size.
DibError prepareOutput(const Info& info, std::size_t maxPixelBytes, std::int64_t maxSide,
                       RgbImage& image) {
    const std::int64_t rows = info.height < 0 ? -info.height : info.height;
    if (info.width <= 0 || rows == 0 || info.width > kMaxSide || rows > kMaxSide)
        return DibError::ConversionError;
    const auto [outWidth, outRows] = OutputSize(info.width, rows, maxSide);
    const std::uint64_t bytes = static_cast<std::uint64_t>(outWidth) * outRows * 3;
    if (bytes > maxPixelBytes) return DibError::OutOfMemory;
    try {
        image.pixels.assign(bytes, 0);
    } catch (const std::bad_alloc&) {
        return DibError::OutOfMemory;
    }
    image.width = static_cast<std::int32_t>(outWidth);
    image.height = static_cast<std::int32_t>(info.height < 0 ? -outRows : outRows);
    return DibError::None;
}

// Where converted rows go, in storage order: straight into the picture, or, when it is scaled
// down, through a box filter (each output pixel the mean of the source pixels it covers) that
// holds one source row and one row of sums, so memory stays bounded by the output's size.
class RowSink {
  public:
    RowSink(std::int64_t width, std::int64_t rows, RgbImage& image)
        : width_(width),
          rows_(rows),
          outWidth_(image.width),
          outRows_(image.height < 0 ? -std::int64_t{image.height} : image.height),
          image_(image),
          scaled_(outWidth_ != width || outRows_ != rows) {
        if (!scaled_) return;
        row_.resize(static_cast<std::size_t>(width) * 3);
        sums_.assign(static_cast<std::size_t>(outWidth_) * 3, 0);
        // Source column x falls on output column x * outWidth / width: each output column
        // covers one run of source columns, which starts where the previous one ends.
        firstColumn_.assign(static_cast<std::size_t>(outWidth_) + 1, width);
        for (std::int64_t x = width - 1; x >= 0; --x) firstColumn_[x * outWidth_ / width] = x;
    }

    // The buffer for source row `y`, 3 x width bytes, black until written.
    std::uint8_t* row(std::int64_t y) {
        if (!scaled_) return image_.pixels.data() + y * width_ * 3;
        std::fill(row_.begin(), row_.end(), 0);
        return row_.data();
    }

    // Source row `y` is complete; rows arrive once each, in order.
    void done(std::int64_t y) {
        if (!scaled_) return;
        for (std::int64_t out = 0; out < outWidth_; ++out) {
            std::uint32_t r = 0, g = 0, b = 0;  // at most 32768 columns of 255: no overflow
            for (std::int64_t x = firstColumn_[out]; x < firstColumn_[out + 1]; ++x) {
                r += row_[x * 3];
                g += row_[x * 3 + 1];
                b += row_[x * 3 + 2];
            }
            sums_[out * 3] += r;
            sums_[out * 3 + 1] += g;
            sums_[out * 3 + 2] += b;
        }
        ++rowsSummed_;
        const std::int64_t outY = y * outRows_ / rows_;
        if (y + 1 < rows_ && (y + 1) * outRows_ / rows_ == outY) return;
        std::uint8_t* out = image_.pixels.data() + outY * outWidth_ * 3;
        for (std::int64_t x = 0; x < outWidth_; ++x) {
            const std::uint64_t count =
                static_cast<std::uint64_t>(firstColumn_[x + 1] - firstColumn_[x]) * rowsSummed_;
            for (int c = 0; c < 3; ++c)
                out[x * 3 + c] = static_cast<std::uint8_t>((sums_[x * 3 + c] + count / 2) / count);
        }
        std::fill(sums_.begin(), sums_.end(), 0);
        rowsSummed_ = 0;
    }

  private:
    std::int64_t width_, rows_, outWidth_, outRows_;
    RgbImage& image_;
    bool scaled_;
    std::vector<std::uint8_t> row_;
    std::vector<std::uint64_t> sums_;
    std::vector<std::int64_t> firstColumn_;  // first source column of each output column
    std::uint64_t rowsSummed_ = 0;
};

void put(std::uint8_t* out, const Rgb& colour) {
    out[0] = colour.r;
    out[1] = colour.g;
    out[2] = colour.b;
}

Rgb paletteEntry(const Info& info, std::uint32_t index) {
    return index < info.palette.size() ? info.palette[index] : Rgb{};
}

void convertRow(const Info& info, const std::uint8_t* row, std::uint8_t* out) {
    const std::int64_t width = info.width;
    const int bpp = info.bitsPerPixel;
    if (bpp <= 8) {
        const int perByte = 8 / bpp;
        const std::uint32_t mask = (1u << bpp) - 1;
        for (std::int64_t x = 0; x < width; ++x) {
            const int shift = 8 - bpp * static_cast<int>(x % perByte + 1);
            put(out + 3 * x, paletteEntry(info, (row[x / perByte] >> shift) & mask));
        }
    } else if (bpp == 24) {
        for (std::int64_t x = 0; x < width; ++x)
            put(out + 3 * x, {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
    } else {
        const Channel red(info.masks[0]), green(info.masks[1]), blue(info.masks[2]);
        for (std::int64_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = bpp == 16 ? Le16(row + 2 * x) : Le32(row + 4 * x);
            put(out + 3 * x, {red.extract(pixel), green.extract(pixel), blue.extract(pixel)});
        }
    }
}

DibError decodeRows(std::span<const std::uint8_t> file, const Info& info, RowSink& sink) {
    const std::int64_t rows = info.height < 0 ? -info.height : info.height;
    const std::uint64_t rowBits = static_cast<std::uint64_t>(info.width) * info.bitsPerPixel;
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    // The last row needs no padding after it: some writers leave it out.
    const std::uint64_t needed = stride * (rows - 1) + (rowBits + 7) / 8;
    if (needed > file.size() - info.pixelStart) return DibError::ConversionError;
    for (std::int64_t y = 0; y < rows; ++y) {
        convertRow(info, file.data() + info.pixelStart + y * stride, sink.row(y));
        sink.done(y);
    }
    return DibError::None;
}

// Run-length encoded 4- and 8-bit data (bottom-up only). Pixels the runs skip stay black;
// pixels beyond the picture's edges are dropped. Data that ends before the picture does is
// refused.
class RleDecoder {
  public:
    RleDecoder(std::span<const std::uint8_t> file, const Info& info, RowSink& sink)
        : data_(file.data()),
          size_(file.size()),
          pos_(info.pixelStart),
          info_(info),
          sink_(sink),
          row_(sink.row(0)) {}

    DibError run() {
        const bool four = info_.compression == kRle4;
        while (y_ < info_.height) {
            moveToRow(y_);
            if (size_ - pos_ < 2) return DibError::ConversionError;
            const std::uint8_t first = data_[pos_], second = data_[pos_ + 1];
            pos_ += 2;
            if (first > 0) {
                for (int i = 0; i < first; ++i)
                    emit(four ? (i % 2 == 0 ? second >> 4 : second & 15) : second);
            } else if (second == 0) {
                x_ = 0;
                ++y_;
            } else if (second == 1) {
                break;
            } else if (second == 2) {
                if (size_ - pos_ < 2) return DibError::ConversionError;
                x_ += data_[pos_];
                y_ += data_[pos_ + 1];
                pos_ += 2;
            } else if (!literal(second, four)) {
                return DibError::ConversionError;
            }
        }
        moveToRow(info_.height);
        return DibError::None;
    }

  private:
    // An absolute run of `count` pixels, padded to a whole number of 16-bit words.
    bool literal(int count, bool four) {
        const std::size_t bytes = four ? (count + 1) / 2 : count;
        const std::size_t padded = (bytes + 1) / 2 * 2;
        if (size_ - pos_ < padded) return false;
        for (int i = 0; i < count; ++i) {
            const std::uint8_t byte = data_[pos_ + (four ? i / 2 : i)];
            emit(four ? (i % 2 == 0 ? byte >> 4 : byte & 15) : byte);
        }
        pos_ += padded;
        return true;
    }

    // Hands the rows before `y` to the sink (rows the runs skipped stay black).
    void moveToRow(std::int64_t y) {
        for (; rowY_ < y && rowY_ < info_.height; ++rowY_) {
            sink_.done(rowY_);
            if (rowY_ + 1 < info_.height) row_ = sink_.row(rowY_ + 1);
        }
    }

    void emit(std::uint32_t index) {
        if (x_ < info_.width && y_ < info_.height) put(row_ + 3 * x_, paletteEntry(info_, index));
        ++x_;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_;
    const Info& info_;
    RowSink& sink_;
    std::uint8_t* row_;
    std::int64_t rowY_ = 0;  // the row `row_` belongs to
    std::int64_t x_ = 0, y_ = 0;
};

bool formSupported(const Info& info) {
    switch (info.compression) {
        case kRgb:
            switch (info.bitsPerPixel) {
                case 1:
                case 4:
                case 8:
                case 16:
                case 24:
                case 32:
                    return true;
                default:
                    return false;
            }
        case kRle8:
            return info.bitsPerPixel == 8 && info.height > 0;
        case kRle4:
            return info.bitsPerPixel == 4 && info.height > 0;
        case kBitFields:
            return info.bitsPerPixel == 16 || info.bitsPerPixel == 32;
        default:
            return false;
    }
}

}  // namespace

std::uint16_t dibColorCount(const std::uint8_t* header) {
    std::uint16_t bits = 0;
    if (Le32(header) == 12) {
        bits = Le16(header + 10);
    } else {
        const std::uint32_t used = Le32(header + 32);
        if (used != 0) return static_cast<std::uint16_t>(used);
        bits = Le16(header + 14);
    }
    switch (bits) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

DibError decodeDib(std::span<const std::uint8_t> file, RgbImage& image, std::size_t maxPixelBytes,
                   std::int64_t maxSide) {
    if (file.empty()) return DibError::OpenFailed;
    Info info;
    if (const DibError e = readInfo(file, info); e != DibError::None) return e;
    if (!formSupported(info)) return DibError::ConversionError;
    if (const DibError e = prepareOutput(info, maxPixelBytes, maxSide, image); e != DibError::None)
        return e;
    RowSink sink(info.width, info.height < 0 ? -info.height : info.height, image);
    const DibError e = info.compression == kRle8 || info.compression == kRle4
                           ? RleDecoder(file, info, sink).run()
                           : decodeRows(file, info, sink);
    if (e != DibError::None) image = RgbImage{};
    return e;
}

std::string dibErrorMessage(DibError error, const std::string& path) {
    switch (error) {
        case DibError::None:
            return "";
        case DibError::OpenFailed:
            return platform::FillIn(platform::Translate("Failed to open DIB file %s.\n"), {path});
        case DibError::UnknownFormat:
            return platform::Translate("Unknown DIB file format.");
        case DibError::ConversionError:
            return platform::Translate("Image file conversion error.");
        case DibError::OutOfMemory:
            return platform::Translate("Out of memory.");
    }
    return "";
}

std::unique_ptr<RgbImage> loadDibFile(const char* path, const ReportFailure& report,
                                      std::int64_t maxSide) {
    const std::string name = path ? path : "";
    const platform::MappedFile file(name);
    if (!file.Ok()) {
        report(dibErrorMessage(DibError::OpenFailed, name));
        return nullptr;
    }
    auto image = std::make_unique<RgbImage>();
    const DibError error = decodeDib(file.Bytes(), *image, kMaxPixelBytes, maxSide);
    if (error != DibError::None) {
        report(dibErrorMessage(error, name));
        return nullptr;
    }
    return image;
}

}  // namespace renderer
