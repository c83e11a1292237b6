// The window system's read of the monitors for the capture (see common/capture_reads.h): each
// monitor's pixels with XGetImage, a band of rows at a time, each channel converted through the
// visual's masks. A one-shot MIT-SHM read is slower here: its segment is fresh memory that both
// the server and we fault in page by page (about 50 ms at 1920x1080 on a virtual machine), while
// XGetImage's replies land in one heap block, reused from band to band.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <span>
#include <string>

#include "platform/base.h"
#include "platform/common/capture_reads.h"
#include "platform/monitor_layout.h"
#include "x11_display.h"

namespace platform {
namespace {

// One channel of a pixel: its mask's bits shifted down and scaled to 0..255.
struct Channel {
    unsigned long mask = 0;
    int shift = 0;
    unsigned long max = 0;

    explicit Channel(unsigned long m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        max = m >> shift;
    }
    std::uint8_t operator()(unsigned long pixel) const {
        if (!max) return 0;
        const unsigned long v = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>(max == 255 ? v : (v * 255 + max / 2) / max);
    }
};

unsigned long ReadPixel(const XImage* image, const std::uint8_t* p) {
    const int bytes = image->bits_per_pixel / 8;
    unsigned long v = 0;
    if (image->byte_order == LSBFirst)
        for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    else
        for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

// The common case (32-bit pixels, 8 bits a channel, least significant byte first) is a
// reordering of bytes; it is worth its own loop at 2 million pixels.
bool ConvertPlain32(XImage* image, Visual* visual, std::uint8_t* rgb, int stride) {
    if (image->bits_per_pixel != 32 || image->byte_order != LSBFirst ||
        visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF)
        return false;
    for (int y = 0; y < image->height; ++y) {
        std::uint8_t* out = rgb + static_cast<std::ptrdiff_t>(y) * stride;
        const auto* in = reinterpret_cast<const std::uint8_t*>(image->data) +
                         static_cast<std::ptrdiff_t>(y) * image->bytes_per_line;
        for (int x = 0; x < image->width; ++x, out += 3, in += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return true;
}

void Convert(XImage* image, Visual* visual, std::uint8_t* rgb, int stride) {
    if (ConvertPlain32(image, visual, rgb, stride)) return;
    const Channel red(visual->red_mask), green(visual->green_mask), blue(visual->blue_mask);
    const bool wholeBytes =
        image->bits_per_pixel % 8 == 0 && image->bits_per_pixel >= 8 && image->bits_per_pixel <= 32;
    const bool trueColour = red.max && green.max && blue.max;
    for (int y = 0; y < image->height; ++y) {
        std::uint8_t* out = rgb + static_cast<std::ptrdiff_t>(y) * stride;
        const auto* row = reinterpret_cast<const std::uint8_t*>(image->data) +
                          static_cast<std::ptrdiff_t>(y) * image->bytes_per_line;
        const int step = image->bits_per_pixel / 8;
        for (int x = 0; x < image->width; ++x, out += 3) {
            // Odd pixel sizes (1 or 4 bits) go through Xlib's own reader.
            const unsigned long pixel =
                wholeBytes ? ReadPixel(image, row + x * step) : XGetPixel(image, x, y);
            if (trueColour) {
                out[0] = red(pixel);
                out[1] = green(pixel);
                out[2] = blue(pixel);
            } else {
                out[0] = out[1] = out[2] = static_cast<std::uint8_t>(pixel ? 255 : 0);
            }
        }
    }
}

// Read a band of rows at a time: each band's memory is handed back and taken again for the
// next, so the read never needs a whole screen of fresh memory (the first touch of fresh memory
// is what costs most on a virtual machine), and the bands stay in the processor's cache.
constexpr int kBandBytes = 512 * 1024;

bool ReadWithGetImage(Display* d, Window root, Visual* visual, const MonitorRect& a,
                      std::uint8_t* rgb, int stride) {
    x11::ErrorTrap trap(d);
    const int bandRows = std::max(1, kBandBytes / (a.width * 4));
    for (int top = 0; top < a.height; top += bandRows) {
        const int rows = std::min(bandRows, a.height - top);
        XImage* image = XGetImage(d, root, a.x, a.y + top, static_cast<unsigned>(a.width),
                                  static_cast<unsigned>(rows), AllPlanes, ZPixmap);
        if (!image) return false;
        Convert(image, visual, rgb + static_cast<std::ptrdiff_t>(top) * stride, stride);
        XDestroyImage(image);
    }
    return true;
}

}  // namespace

bool ReadMonitors(std::span<const MonitorRect> parts, const MonitorRect& area,
                  const RgbTarget& target, std::string* why) {
    Display* d = x11::Connection();
    const Window root = d ? DefaultRootWindow(d) : 0;
    XWindowAttributes attributes{};
    bool read = false;
    if (d && XGetWindowAttributes(d, root, &attributes)) {
        const MonitorRect rootArea{0, 0, attributes.width, attributes.height};
        for (const MonitorRect& part : parts) {
            // Never outside the root window (a stale monitor list).
            const MonitorRect a = Intersection(part, rootArea);
            if (a.width <= 0 || a.height <= 0) continue;
            std::uint8_t* at = target.rgb +
                               static_cast<std::ptrdiff_t>(a.y - area.y) * target.stride +
                               static_cast<std::ptrdiff_t>(a.x - area.x) * 3;
            if (ReadWithGetImage(d, root, attributes.visual, a, at, target.stride)) read = true;
        }
    }
    if (!read && why)
        *why = platform::Translate("the X server did not hand out the screen's pixels");
    return read;
}

}  // namespace platform
