// Capture benchmark in a Wayland session: the two routes of the Wayland capture (the wlroots
// screen copy and the desktop portal's Screenshot with its PNG), each beside grim writing an
// uncompressed picture of the same output, in the same loop.
//   wayland_capture_bench <width> <height> [rounds]   (in the session's environment)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/wayland/wayland_capture.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(const std::function<bool()>& work, bool& ok) {
    const auto start = Clock::now();
    ok = work() && ok;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs `work` and the baseline by turns and prints both medians and their ratio.
void Run(const char* what, int rounds, const std::function<bool()>& work,
         const std::function<bool()>& baseline) {
    std::vector<double> times, bases;
    bool ok = true;
    for (int i = 0; i < rounds; ++i) {
        times.push_back(Milliseconds(work, ok));
        bases.push_back(Milliseconds(baseline, ok));
    }
    std::sort(times.begin(), times.end());
    std::sort(bases.begin(), bases.end());
    const double median = times[times.size() / 2], base = bases[bases.size() / 2];
    std::printf(
        "%-28s median %7.2f ms  min %7.2f ms | grim -t ppm median %7.2f ms | ratio %.2f%s\n", what,
        median, times.front(), base, median / base, ok ? "" : "  (FAILED)");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <width> <height> [rounds]\n", argv[0]);
        return 2;
    }
    const int w = std::atoi(argv[1]), h = std::atoi(argv[2]);
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10;
    const platform::MonitorRect monitors[] = {{0, 0, w, h}};
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
    platform::RgbTarget target{rgb.data(), w, h, w * 3};
    const auto grim = [] { return std::system("grim -t ppm - >/dev/null") == 0; };
    std::printf("output %dx%d\n", w, h);
    Run(
        "screen copy", rounds,
        [&] {
            std::string why;
            return platform::wayland::CaptureWithScreenCopy(monitors, target, 1.0, &why);
        },
        grim);
    Run(
        "portal Screenshot + PNG", rounds,
        [&] {
            std::string why;
            const bool ok = platform::wayland::CaptureWithPortal(monitors, target, 1.0, &why);
            if (!ok) std::fprintf(stderr, "portal: %s\n", why.c_str());
            return ok;
        },
        grim);
    return 0;
}
