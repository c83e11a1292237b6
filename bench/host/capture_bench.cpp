// Capture benchmark: the host's desktop capture (XGetImage read, conversion, bitmap written and
// renamed into place) beside a plain XGetImage of the same screen, on the display in $DISPLAY.
//   host_capture_bench <folder for the bitmap> [rounds]
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "forms/bitmap_file.h"
#include "forms/forms.h"
#include "host/capture.h"
#include "platform/base.h"
#include "platform/window_system.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Run(const char* what, int rounds, const std::function<void()>& work) {
    std::vector<double> times;
    const double first = Milliseconds(work);
    for (int i = 0; i < rounds; ++i) times.push_back(Milliseconds(work));
    std::sort(times.begin(), times.end());
    std::printf("%-40s first %7.2f ms   median %7.2f ms   min %7.2f ms   (%d rounds)\n", what,
                first, times[times.size() / 2], times.front(), rounds);
}

void FillRoot(Display* d, int w, int h) {
    XImage* image = XGetImage(d, DefaultRootWindow(d), 0, 0, w, h, AllPlanes, ZPixmap);
    if (!image) return;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            XPutPixel(image, x, y, ((x & 255) << 16) | ((y & 255) << 8) | ((x ^ y) & 255));
    GC gc = XCreateGC(d, DefaultRootWindow(d), 0, nullptr);
    XPutImage(d, DefaultRootWindow(d), gc, image, 0, 0, 0, 0, w, h);
    XFreeGC(d, gc);
    XDestroyImage(image);
    XSync(d, False);
}

}  // namespace

int main(int argc, char** argv) {
    platform::PreferLargePages();  // as the host does: its picture buffers come in large pages
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [rounds]\n", argv[0]);
        return 2;
    }
    const std::string file = std::string(argv[1]) + "/Zentrova.bmp";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const int w = DisplayWidth(d, DefaultScreen(d)), h = DisplayHeight(d, DefaultScreen(d));
    FillRoot(d, w, h);
    std::printf("screen %dx%d\n", w, h);

    forms::PictureBox display(0, 0, w, h);
    const platform::CapturePlan plan = platform::PlanCapture(platform::Monitors());
    Run("capture + write (CaptureDesktop)", rounds,
        [&] { Zentrova_B::CaptureDesktop(display, plan, file); });
    Run("capture only (XGetImage + conversion)", rounds,
        [&] { platform::CaptureScreen(plan, display.Image().rgb.data(), w, h, w * 3); });
    Run("plain XGetImage (no conversion)", rounds, [&] {
        XImage* image = XGetImage(d, DefaultRootWindow(d), 0, 0, w, h, AllPlanes, ZPixmap);
        if (image) XDestroyImage(image);
    });
    Run("write only (encode + replace)", rounds,
        [&] { forms::SavePicture(display.Image(), file); });
    XCloseDisplay(d);
    return 0;
}
