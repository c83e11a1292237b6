// The base level's resampling. Each output pixel averages the source rectangle it covers; the
// rectangle's edges are tracked in single precision exactly as the mipmap builder tracks them
// (an integer part and a fraction, stepped pixel by pixel), and the sums are formed in the same
// order with the same float operations, so that every byte comes out the same. The builder's
// quirks are part of its picture and are kept: the side columns of rows between the first and
// the last drift right by one pixel per row, and an edge at the source's right border reads the
// pixel after it (the next row's first, or nothing past the last row's end).
#include "renderer/base_level.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace renderer {
namespace {

// Where one output pixel's box starts and ends along one axis, in source pixels.
struct Span {
    int low = 0;
    float lowFraction = 0;
    int high = 0;
    float highFraction = 0;
};

// The spans of `out` output pixels over `in` source pixels. `clampHigh` clamps the high edge to
// the last source pixel before each step, as the builder does for rows (not for columns).
std::vector<Span> makeSpans(int in, int out, bool clampHigh) {
    const float conv = static_cast<float>(in) / static_cast<float>(out);
    const int convInt = static_cast<int>(std::floor(conv));
    const float convFraction = conv - static_cast<float>(convInt);
    std::vector<Span> spans(static_cast<std::size_t>(out));
    int low = 0, high = convInt;
    float lowFraction = 0, highFraction = convFraction;
    for (Span& span : spans) {
        if (clampHigh && high >= in) high = in - 1;
        span = {low, lowFraction, high, highFraction};
        low = high;
        lowFraction = highFraction;
        high += convInt;
        highFraction += convFraction;
        if (highFraction > 1) {
            highFraction -= 1.0f;
            ++high;
        }
    }
    return spans;
}

class Resampler {
  public:
    Resampler(const RgbRows& picture, int width, int height)
        : src_(picture.pixels),
          size_(static_cast<std::size_t>(picture.width) * picture.height * 3),
          stride_(static_cast<std::size_t>(picture.width) * 3),
          width_(width),
          lastRow_(picture.height - 1),
          columns_(makeSpans(picture.width, width, false)),
          rows_(makeSpans(picture.height, height, true)),
          area_(static_cast<float>(picture.width) / static_cast<float>(width) *
                (static_cast<float>(picture.height) / static_cast<float>(height))) {}

    void rows(int first, int end, std::uint8_t* out) const {
        for (int i = first; i < end; ++i) {
            std::uint8_t* row = out + static_cast<std::size_t>(i) * width_ * 3;
            // Only a box that reaches the last source row can read past the picture's end.
            if (rows_[i].high < lastRow_)
                for (int j = 0; j < width_; ++j) pixel<false>(rows_[i], columns_[j], row + 3 * j);
            else
                for (int j = 0; j < width_; ++j) pixel<true>(rows_[i], columns_[j], row + 3 * j);
        }
    }

  private:
    // A source byte by its offset; with `kChecked`, nothing past the picture's end (read as 0).
    template <bool kChecked>
    float valueAt(std::size_t offset) const {
        if (kChecked && offset >= size_) return 0.0f;
        return static_cast<float>(src_[offset]);
    }
    std::size_t offsetOf(int x, int y) const {
        return y * stride_ + static_cast<std::size_t>(x) * 3;
    }

    template <bool kChecked>
    void add(float* totals, std::size_t at, float weight) const {
        for (int k = 0; k < 3; ++k) totals[k] += valueAt<kChecked>(at + k) * weight;
    }

    template <bool kChecked>
    void pixel(const Span& y, const Span& x, std::uint8_t* out) const {
        float totals[3] = {0, 0, 0};
        if (y.high > y.low && x.high > x.low) {
            corners<kChecked>(y, x, totals);
        } else if (y.high > y.low) {
            const float xPart = x.highFraction - x.lowFraction;
            std::size_t at = offsetOf(x.low, y.low);
            add<kChecked>(totals, at, (1 - y.lowFraction) * xPart);
            for (int m = y.low + 1; m < y.high; ++m) add<kChecked>(totals, at += stride_, xPart);
            add<kChecked>(totals, at + stride_, xPart * y.highFraction);
        } else if (x.high > x.low) {
            const float yPart = y.highFraction - y.lowFraction;
            std::size_t at = offsetOf(x.low, y.low);
            add<kChecked>(totals, at, (1 - x.lowFraction) * yPart);
            for (int l = x.low + 1; l < x.high; ++l) add<kChecked>(totals, at += 3, yPart);
            add<kChecked>(totals, at + 3, yPart * x.highFraction);
        } else {
            add<kChecked>(totals, offsetOf(x.low, y.low),
                          (y.highFraction - y.lowFraction) * (x.highFraction - x.lowFraction));
        }
        // Whole source pixels inside the box.
        for (int m = y.low + 1; m < y.high; ++m) {
            std::size_t at = offsetOf(x.low + 1, m);
            for (int l = x.low + 1; l < x.high; ++l, at += 3)
                for (int k = 0; k < 3; ++k) totals[k] += valueAt<kChecked>(at + k);
        }
        for (int k = 0; k < 3; ++k)
            out[k] = static_cast<std::uint8_t>(static_cast<int>(totals[k] / area_));
    }

    // A box that spans more than one source row and column: its first and last rows, then the
    // left and right columns of the rows between.
    template <bool kChecked>
    void corners(const Span& y, const Span& x, float* totals) const {
        edgeRow<kChecked>(offsetOf(x.low, y.low), 1 - y.lowFraction, x, totals);
        edgeRow<kChecked>(offsetOf(x.low, y.high), y.highFraction, x, totals);
        std::size_t left = offsetOf(x.low, y.low), right = offsetOf(x.high, y.low);
        for (int m = y.low + 1; m < y.high; ++m) {
            left += stride_;
            right += stride_;
            for (int k = 0; k < 3; ++k)
                totals[k] += valueAt<kChecked>(left + k) * (1 - x.lowFraction) +
                             valueAt<kChecked>(right + k) * x.highFraction;
            left += 3;  // the builder's drift
            right += 3;
        }
    }

    template <bool kChecked>
    void edgeRow(std::size_t at, float yPart, const Span& x, float* totals) const {
        add<kChecked>(totals, at, yPart * (1 - x.lowFraction));
        for (int l = x.low + 1; l < x.high; ++l) add<kChecked>(totals, at += 3, yPart);
        add<kChecked>(totals, at + 3, yPart * x.highFraction);
    }

    const std::uint8_t* src_;
    std::size_t size_;
    std::size_t stride_;
    int width_;
    int lastRow_;
    std::vector<Span> columns_;
    std::vector<Span> rows_;
    float area_;
};

// Exactly half each way: each output pixel is the rounded mean of four.
void halveRows(const RgbRows& picture, int first, int end, std::uint8_t* out) {
    const std::size_t stride = static_cast<std::size_t>(picture.width) * 3;
    const int width = picture.width / 2;
    for (int i = first; i < end; ++i) {
        const std::uint8_t* a = picture.pixels + 2 * i * stride;
        const std::uint8_t* b = a + stride;
        std::uint8_t* o = out + static_cast<std::size_t>(i) * width * 3;
        for (int j = 0; j < width; ++j, a += 6, b += 6, o += 3)
            for (int k = 0; k < 3; ++k)
                o[k] = static_cast<std::uint8_t>((a[k] + a[k + 3] + b[k] + b[k + 3] + 2) / 4);
    }
}

}  // namespace

int nearestPowerOfTwo(int side) {
    int power = 1;
    for (unsigned v = static_cast<unsigned>(side); v > 1; v >>= 1) {
        if (v == 3) return power * 4;
        power *= 2;
    }
    return power;
}

std::vector<std::uint8_t> makeBaseLevel(const RgbRows& picture, int width, int height,
                                        int threads) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 3);
    if (picture.width == width && picture.height == height) {
        std::memcpy(out.data(), picture.pixels, out.size());
        return out;
    }
    const bool halve = picture.width == 2 * width && picture.height == 2 * height;
    const Resampler resampler(picture, width, height);
    auto rows = [&](int first, int end) {
        if (halve)
            halveRows(picture, first, end, out.data());
        else
            resampler.rows(first, end, out.data());
    };
    threads = std::clamp(threads, 1, height);
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(rows, height * t / threads, height * (t + 1) / threads);
    rows(0, height / threads);
    for (std::thread& helper : helpers) helper.join();
    return out;
}

}  // namespace renderer
