// Compositors' pictures of the desktop turned into the capture's bitmap (see desktop_picture.h).
#include "platform/wayland/desktop_picture.h"

#include <algorithm>
#include <cstring>

#include "platform/base.h"
#include "platform/monitor_layout.h"

namespace platform {
namespace {

int BytesPerPixel(PixelLayout layout) {
    return layout == PixelLayout::Rgb ? 3 : 4;
}

const std::uint8_t* RowOf(const ImageView& image, int y) {
    const int row = image.bottomUp ? image.height - 1 - y : y;
    return image.pixels + static_cast<std::ptrdiff_t>(row) * image.stride;
}

// The red, green and blue of the pixel at `p`.
void ReadPixel(PixelLayout layout, const std::uint8_t* p, unsigned& r, unsigned& g, unsigned& b) {
    switch (layout) {
        case PixelLayout::Bgrx:
            r = p[2], g = p[1], b = p[0];
            return;
        case PixelLayout::Rgbx:
        case PixelLayout::Rgb:
            r = p[0], g = p[1], b = p[2];
            return;
    }
}

// The source pixels [first, last) that target pixel `i` of a run of `targetLength` covers, when
// that run shows `sourceLength` source pixels starting at `sourceStart`; at least one pixel.
struct Span {
    int first = 0;
    int last = 0;
};
Span SpanOf(int i, int targetLength, int sourceStart, int sourceLength) {
    const std::int64_t a = static_cast<std::int64_t>(i) * sourceLength / targetLength;
    std::int64_t b =
        (static_cast<std::int64_t>(i + 1) * sourceLength + targetLength - 1) / targetLength;
    if (b <= a) b = a + 1;
    return {static_cast<int>(sourceStart + a), static_cast<int>(sourceStart + b)};
}

bool Empty(const MonitorRect& r) {
    return r.width <= 0 || r.height <= 0;
}

void Blacken(RgbTarget& target) {
    for (int y = 0; y < target.height; ++y)
        std::memset(target.rgb + static_cast<std::ptrdiff_t>(y) * target.stride, 0,
                    static_cast<std::size_t>(target.width) * 3);
}

}  // namespace

bool IsWellFormed(const ImageView& image) {
    return image.pixels && image.width > 0 && image.height > 0 &&
           static_cast<std::int64_t>(image.stride) >=
               static_cast<std::int64_t>(image.width) * BytesPerPixel(image.layout);
}

void DrawScaled(const ImageView& image, const MonitorRect& from, RgbTarget& target,
                const MonitorRect& to) {
    if (!IsWellFormed(image) || !target.rgb || Empty(from) || Empty(to)) return;
    const int bpp = BytesPerPixel(image.layout);
    const int x0 = std::max(to.x, 0),
              x1 = std::min<std::int64_t>(std::int64_t{to.x} + to.width, target.width);
    const int y0 = std::max(to.y, 0),
              y1 = std::min<std::int64_t>(std::int64_t{to.y} + to.height, target.height);
    if (x0 >= x1 || y0 >= y1) return;
    // Each target column's source columns, cut to the image; an empty span is left alone.
    std::vector<Span> columns(static_cast<std::size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x) {
        Span s = SpanOf(x - to.x, to.width, from.x, from.width);
        s.first = std::max(s.first, 0), s.last = std::min(s.last, image.width);
        columns[static_cast<std::size_t>(x - x0)] = s;
    }
    for (int y = y0; y < y1; ++y) {
        Span rows = SpanOf(y - to.y, to.height, from.y, from.height);
        rows.first = std::max(rows.first, 0), rows.last = std::min(rows.last, image.height);
        if (rows.first >= rows.last) continue;
        std::uint8_t* out = target.rgb + static_cast<std::ptrdiff_t>(y) * target.stride;
        for (int x = x0; x < x1; ++x) {
            const Span& cols = columns[static_cast<std::size_t>(x - x0)];
            if (cols.first >= cols.last) continue;
            unsigned r = 0, g = 0, b = 0, n = 0;
            for (int sy = rows.first; sy < rows.last; ++sy) {
                const std::uint8_t* p =
                    RowOf(image, sy) + static_cast<std::ptrdiff_t>(cols.first) * bpp;
                for (int sx = cols.first; sx < cols.last; ++sx, p += bpp) {
                    unsigned pr = 0, pg = 0, pb = 0;
                    ReadPixel(image.layout, p, pr, pg, pb);
                    r += pr, g += pg, b += pb, ++n;
                }
            }
            std::uint8_t* q = out + static_cast<std::ptrdiff_t>(x) * 3;
            q[0] = static_cast<std::uint8_t>((r + n / 2) / n);
            q[1] = static_cast<std::uint8_t>((g + n / 2) / n);
            q[2] = static_cast<std::uint8_t>((b + n / 2) / n);
        }
    }
}

void ComposeOutputs(std::span<const OutputPicture> outputs, const MonitorRect& box,
                    RgbTarget& target) {
    if (!target.rgb) return;
    Blacken(target);
    for (const OutputPicture& output : outputs) {
        const MonitorRect to = {output.place.x - box.x, output.place.y - box.y, output.place.width,
                                output.place.height};
        DrawScaled(output.image, {0, 0, output.image.width, output.image.height}, target, to);
    }
}

bool CropDesktop(const ImageView& desktop, std::span<const MonitorRect> monitors,
                 RgbTarget& target) {
    const MonitorRect box = BoundingBox(monitors);
    if (!IsWellFormed(desktop) || Empty(box) || !target.rgb) return false;
    Blacken(target);
    for (const MonitorRect& m : monitors) {
        if (Empty(m)) continue;
        // The monitor's part of the picture, at the picture's scale on each axis.
        const auto scaled = [](int v, int pictureLength, int boxLength) {
            return static_cast<int>(static_cast<std::int64_t>(v) * pictureLength / boxLength);
        };
        const int left = scaled(m.x - box.x, desktop.width, box.width);
        const int top = scaled(m.y - box.y, desktop.height, box.height);
        const int right = scaled(m.x - box.x + m.width, desktop.width, box.width);
        const int bottom = scaled(m.y - box.y + m.height, desktop.height, box.height);
        DrawScaled(desktop, {left, top, right - left, bottom - top}, target,
                   {m.x - box.x, m.y - box.y, m.width, m.height});
    }
    return true;
}

}  // namespace platform
