// The desktop capture under a private Xvfb: a pattern drawn on the root window comes back in
// the saved bitmap pixel for pixel, top row stored last, and a second capture replaces the
// first. Built twice: at depth 24 (pixels that are a reordering of bytes) and at depth 16 (the
// conversion through the visual's masks), with and without the server's MIT-SHM, which the
// capture does not need.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "desktop.h"
#include "forms/forms.h"
#include "host/capture.h"
#include "host/zentrova_b.h"
#include "host/zoom.h"
#include "platform/window_system.h"

#ifndef CAPTURE_DEPTH
#define CAPTURE_DEPTH 24
#endif

// Every outline the zoom animation draws, seen on its way to the server: this definition stands
// in for the library's, draws through it, and notes whether the screen changed under the
// outline (an XOR outline that does nothing leaves it as it was).
struct Outline {
    int x, y, width, height;
    bool onScreen, shown;  // the middle of its top edge lies on the screen; it changed there
};
std::vector<Outline>* drawnOutlines = nullptr;

extern "C" int XDrawRectangle(Display* d, Drawable drawable, GC gc, int x, int y, unsigned width,
                              unsigned height) {
    using Draw = int (*)(Display*, Drawable, GC, int, int, unsigned, unsigned);
    static const auto draw = reinterpret_cast<Draw>(dlsym(RTLD_NEXT, "XDrawRectangle"));
    if (!drawnOutlines) return draw(d, drawable, gc, x, y, width, height);
    // The middle of the outline's top edge.
    const int px = x + static_cast<int>(width) / 2, py = y;
    const bool onScreen = px >= 0 && py >= 0 && px < DisplayWidth(d, 0) && py < DisplayHeight(d, 0);
    auto pixel = [&]() -> unsigned long {
        if (!onScreen) return 0;
        XImage* image = XGetImage(d, drawable, px, py, 1, 1, AllPlanes, ZPixmap);
        const unsigned long value = image ? XGetPixel(image, 0, 0) : 0;
        if (image) XDestroyImage(image);
        return value;
    };
    const unsigned long before = pixel();
    const int result = draw(d, drawable, gc, x, y, width, height);
    drawnOutlines->push_back(
        {x, y, static_cast<int>(width), static_cast<int>(height), onScreen, pixel() != before});
    return result;
}

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;

struct Rgb {
    int r, g, b;
};

// The pattern: each channel varies differently with x and y, so that a flip, a shift or a
// swapped channel shows. At depth 16 the values are what 5/6/5 bits can hold.
Rgb Pattern(int x, int y, int seed) {
    const int r = (x * 3 + seed) & 255, g = (y * 5) & 255, b = (x + y * 2 + seed * 7) & 255;
    return {r, g, b};
}

unsigned long PixelOf(Visual* v, Rgb c) {
    auto place = [](unsigned long mask, int value) {
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        const unsigned long max = mask >> shift;
        return ((static_cast<unsigned long>(value) * max / 255) << shift) & mask;
    };
    return place(v->red_mask, c.r) | place(v->green_mask, c.g) | place(v->blue_mask, c.b);
}

// What the capture should read back for a drawn colour: the channel as stored, scaled to 8 bits.
int Expected(unsigned long mask, int value) {
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long max = mask >> shift;
    const unsigned long stored = static_cast<unsigned long>(value) * max / 255;
    return static_cast<int>((stored * 255 + max / 2) / max);
}

void DrawPattern(Display* d, int seed) {
    Visual* v = DefaultVisual(d, DefaultScreen(d));
    XImage* image = XGetImage(d, DefaultRootWindow(d), 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) XPutPixel(image, x, y, PixelOf(v, Pattern(x, y, seed)));
    GC gc = XCreateGC(d, DefaultRootWindow(d), 0, nullptr);
    XPutImage(d, DefaultRootWindow(d), gc, image, 0, 0, 0, 0, kWidth, kHeight);
    XFreeGC(d, gc);
    XDestroyImage(image);
    XSync(d, False);
}

std::int32_t I32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return static_cast<std::int32_t>(v);
}

// Checks the bitmap file against the pattern; pixels beyond the screen must be black.
void ExpectPattern(const std::string& file, Visual* v, int width, int height, int seed) {
    ASSERT_GE(file.size(), 54u);
    ASSERT_EQ(file.substr(0, 2), "BM");
    ASSERT_EQ(I32(file, 18), width);
    ASSERT_EQ(I32(file, 22), height);
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 54 + stride * height);
    int mismatches = 0;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint8_t*>(file.data()) + 54 +
                          stride * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            Rgb want{0, 0, 0};
            if (x < kWidth && y < kHeight) {
                const Rgb c = Pattern(x, y, seed);
                want = {Expected(v->red_mask, c.r), Expected(v->green_mask, c.g),
                        Expected(v->blue_mask, c.b)};
            }
            const std::uint8_t* px = row + x * 3;
            if (px[2] != want.r || px[1] != want.g || px[0] != want.b) {
                if (++mismatches <= 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << int(px[2]) << ","
                                  << int(px[1]) << "," << int(px[0]) << " want " << want.r << ","
                                  << want.g << "," << want.b;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// One server for the whole run: the platform layer keeps its display connection for life.
class Capture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server_ = new testsupport::VirtualDisplay(
            kWidth, kHeight, CAPTURE_DEPTH,
            {CAPTURE_DEPTH == 24 ? "+extension" : "-extension", "MIT-SHM"});
    }
    static void TearDownTestSuite() { delete server_; }
    void SetUp() override {
        ASSERT_FALSE(server_->name().empty());
        setenv("DISPLAY", server_->name().c_str(), 1);
        d_ = XOpenDisplay(server_->name().c_str());
        ASSERT_NE(d_, nullptr);
    }
    void TearDown() override {
        if (d_) XCloseDisplay(d_);
    }
    static testsupport::VirtualDisplay* server_;
    Display* d_ = nullptr;
    testsupport::TempFolder temp_;
};

testsupport::VirtualDisplay* Capture::server_ = nullptr;

TEST_F(Capture, SavedBitmapMatchesTheScreenAndASecondCaptureReplacesIt) {
    const std::string file = temp_.path() + "/Zentrova.bmp";
    Visual* v = DefaultVisual(d_, DefaultScreen(d_));
    DrawPattern(d_, 1);
    forms::PictureBox display(0, 0, kWidth, kHeight);
    Zentrova_B::CaptureDesktop(display, platform::PlanCapture(platform::Monitors()), file);
    EXPECT_EQ(Zentrova_B::LastApiResult, 1);
    ExpectPattern(testsupport::ReadFile(file), v, kWidth, kHeight, 1);

    DrawPattern(d_, 2);
    Zentrova_B::CaptureDesktop(display, platform::PlanCapture(platform::Monitors()), file);
    ExpectPattern(testsupport::ReadFile(file), v, kWidth, kHeight, 2);

    // A box larger than the screen: the copy is clipped, the rest stays black.
    display.SetBounds({0, 0, kWidth + 13, kHeight + 7});
    Zentrova_B::CaptureDesktop(display, platform::PlanCapture(platform::Monitors()), file);
    ExpectPattern(testsupport::ReadFile(file), v, kWidth + 13, kHeight + 7, 2);

    // The working folder is missing: the save fails and says so, in the system's words, and
    // the capture as a whole counts as failed.
    std::string why;
    EXPECT_FALSE(Zentrova_B::CaptureDesktop(display, platform::PlanCapture(platform::Monitors()),
                                            temp_.path() + "/none/Zentrova.bmp", &why));
    EXPECT_EQ(Zentrova_B::LastApiResult, 0);
    EXPECT_NE(why.find("could not be saved"), std::string::npos) << why;
    EXPECT_NE(why.find("/none"), std::string::npos) << why;
    EXPECT_NE(why.find("No such file or directory"), std::string::npos) << why;
}

TEST_F(Capture, ZoomAnimationLeavesTheScreenAsItWas) {
    DrawPattern(d_, 3);
    const std::string before = temp_.path() + "/before.bmp", after = temp_.path() + "/after.bmp";
    forms::PictureBox display(0, 0, kWidth, kHeight);
    Zentrova_B::CaptureDesktop(display, platform::PlanCapture(platform::Monitors()), before);
    forms::Form window(120, 80, "Zoom test");
    ASSERT_TRUE(window.Load());
    window.Move(40, 30);
    Zentrova_B::ZoomX = -5;  // a point off the screen is drawn clipped
    Zentrova_B::ZoomY = 10;
    const forms::Rect bounds = window.Bounds();
    std::vector<Outline> opening, closing, none;
    drawnOutlines = &opening;
    Zentrova_B::ZoomOpen(&window);
    drawnOutlines = &closing;
    Zentrova_B::ZoomClose(&window);
    drawnOutlines = &none;
    Zentrova_B::ZoomClose(nullptr);
    drawnOutlines = nullptr;
    Zentrova_B::CaptureDesktop(display, platform::PlanCapture(platform::Monitors()), after);
    EXPECT_EQ(testsupport::ReadFile(before), testsupport::ReadFile(after));

    // Each step's outline is drawn, shown on the screen, and drawn again to erase it; the
    // steps run from the point to the window when opening and back when closing.
    EXPECT_TRUE(none.empty());
    int shownSteps = 0;
    for (const auto* outlines : {&opening, &closing}) {
        ASSERT_GE(outlines->size(), 4u);
        ASSERT_EQ(outlines->size() % 2, 0u);
        for (std::size_t i = 0; i < outlines->size(); i += 2) {
            const Outline& a = (*outlines)[i];
            const Outline& b = (*outlines)[i + 1];
            EXPECT_TRUE(a.shown || !a.onScreen) << "step " << i / 2;
            shownSteps += a.shown;
            EXPECT_EQ(std::tie(a.x, a.y, a.width, a.height), std::tie(b.x, b.y, b.width, b.height));
        }
    }
    auto grows = [](const std::vector<Outline>& o) {
        for (std::size_t i = 2; i < o.size(); i += 2)
            if (o[i].width < o[i - 2].width || o[i].height < o[i - 2].height) return false;
        return true;
    };
    EXPECT_TRUE(grows(opening));
    std::vector<Outline> reversed(closing.rbegin(), closing.rend());
    EXPECT_TRUE(grows(reversed));
    EXPECT_EQ(opening.back().x, bounds.x);
    EXPECT_EQ(opening.back().y, bounds.y);
    EXPECT_EQ(opening.back().width, bounds.width);
    EXPECT_EQ(opening.back().height, bounds.height);
    EXPECT_GE(shownSteps, 10);  // of 16: only outlines wholly off the screen go unseen
    EXPECT_GE(closing.front().width, bounds.width * 3 / 4);
    EXPECT_LE(closing.back().width, 1);
    EXPECT_LE(opening.front().width, bounds.width / 4);
}

}  // namespace
