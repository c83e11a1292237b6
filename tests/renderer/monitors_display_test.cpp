// Whole runs over several monitors: one Xvfb screen split into RandR monitors of unequal sizes
// and offsets (`xrandr --setmonitor`), each monitor's desktop painted in four coloured
// quarters. The hand-off bitmap must hold every monitor's pixels at their place (black where no
// monitor shows), and during the run each monitor must show its own desktop near its corners,
// where the lens and the swirl never reach, in every screenshot; Escape ends both programs.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "desktop.h"
#include "picture.h"

using namespace std::chrono_literals;
using testdib::Colour;

namespace {

namespace fs = std::filesystem;

struct Monitor {
    int x, y, width, height;
};

struct Layout {
    std::string name;
    int screenWidth, screenHeight;
    std::vector<Monitor> monitors;
    bool windowManager = false;  // run under icewm, an EWMH window manager
};

// The colour of quarter `q` (0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right) of
// monitor `m`: all different, and none black or white.
std::uint32_t QuarterColour(std::size_t m, int q) {
    static const std::uint32_t kColours[] = {0xC03020, 0x20A040, 0x2040C0, 0xE0D040,
                                             0x8020A0, 0x20C0C0, 0xF08000, 0x606060,
                                             0xA0F0A0, 0x402000, 0xF0A0C0, 0x0000F0};
    return kColours[(m * 4 + static_cast<std::size_t>(q)) % 12];
}

// Each monitor's desktop in its four quarters, white where no monitor shows.
std::vector<testsupport::PaintedRect> Painted(const std::vector<Monitor>& monitors) {
    std::vector<testsupport::PaintedRect> rects;
    for (std::size_t m = 0; m < monitors.size(); ++m) {
        const Monitor& mon = monitors[m];
        const auto quarters = testsupport::Quarters(
            mon.x, mon.y, mon.width, mon.height,
            {QuarterColour(m, 0), QuarterColour(m, 1), QuarterColour(m, 2), QuarterColour(m, 3)});
        rects.insert(rects.end(), quarters.begin(), quarters.end());
    }
    return rects;
}

Colour ColourOf(std::uint32_t rgb) {
    return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
            static_cast<std::uint8_t>(rgb)};
}

// Where each monitor's corners are checked on the screen: 5 % in from the sides, 7 % in from
// the top and bottom. There the mesh lies well outside its unit circle (nothing moves), and
// the picture shows the quarter of that corner. The top row of each monitor lies above the
// picture: black while the renderer shows it, which tells its frames from the desktop.
struct Probe {
    int x, y;
    Colour colour;
    std::string what;
};

// Near each monitor's four corners: the colours of its quarters, on the painted desktop and,
// where the lens and the swirl leave the picture alone, in the renderer's frames. With
// `withTop`, also a point above the picture's corner, which only the renderer paints black.
std::vector<Probe> CornerProbes(const std::vector<Monitor>& monitors, bool withTop = true) {
    std::vector<Probe> probes;
    for (std::size_t m = 0; m < monitors.size(); ++m) {
        const Monitor& mon = monitors[m];
        for (int q = 0; q < 4; ++q) {
            const int x =
                mon.x + ((q % 2) ? mon.width - 1 - mon.width * 5 / 100 : mon.width * 5 / 100);
            const int y =
                mon.y + ((q / 2) ? mon.height - 1 - mon.height * 7 / 100 : mon.height * 7 / 100);
            probes.push_back({x, y, ColourOf(QuarterColour(m, q)),
                              "monitor " + std::to_string(m) + " corner " + std::to_string(q)});
        }
        // The renderer's own: above the picture's corner each monitor is black (the desktop is
        // not). Nearer the middle the lens may push the picture's top edge up to the window's.
        if (withTop)
            probes.push_back({mon.x + mon.width * 5 / 100, mon.y + 1, Colour{0, 0, 0},
                              "monitor " + std::to_string(m) + " top"});
    }
    return probes;
}

std::string Mismatches(const testdib::Picture& shot, const std::vector<Probe>& probes) {
    std::string wrong;
    for (const Probe& p : probes) {
        if (p.x >= shot.width || p.y >= shot.height) {
            wrong += p.what + " off the screenshot; ";
            continue;
        }
        const Colour c = shot.At(p.x, p.y);
        if (!(c.r == p.colour.r && c.g == p.colour.g && c.b == p.colour.b))
            wrong += p.what + " at " + std::to_string(p.x) + "," + std::to_string(p.y) + " is " +
                     std::to_string(c.r) + "/" + std::to_string(c.g) + "/" + std::to_string(c.b) +
                     "; ";
    }
    return wrong;
}

class MonitorRun : public ::testing::TestWithParam<Layout> {
  protected:
    void SetUp() override {
        const Layout& layout = GetParam();
        display_ =
            std::make_unique<testsupport::VirtualDisplay>(layout.screenWidth, layout.screenHeight);
        ASSERT_TRUE(display_->ok());
        for (std::size_t m = 0; m < layout.monitors.size(); ++m) {
            const Monitor& mon = layout.monitors[m];
            const std::string geometry =
                std::to_string(mon.width) + "/" + std::to_string(mon.width / 4) + "x" +
                std::to_string(mon.height) + "/" + std::to_string(mon.height / 4) + "+" +
                std::to_string(mon.x) + "+" + std::to_string(mon.y);
            int status = -1;
            testsupport::Shell("DISPLAY=" + display_->name() + " xrandr --setmonitor M" +
                                   std::to_string(m) + " " + geometry + " " +
                                   (m == 0 ? "screen" : "none") + " >/dev/null",
                               &status);
            ASSERT_EQ(status, 0) << "xrandr --setmonitor " << geometry;
        }
        if (layout.windowManager) StartWindowManager();
        fs::create_directories(folder_);
        for (const char* name : {"Velmora.scr", "Velmora.dll", "velmora_sound.so"})
            if (fs::exists(std::string(VELMORA_BIN_DIR) + "/" + name))
                fs::copy_file(std::string(VELMORA_BIN_DIR) + "/" + name, folder_ + "/" + name,
                              fs::copy_options::overwrite_existing);
    }

    // icewm on the display, once it has announced itself on the root window.
    void StartWindowManager() {
        // Without its task bar: the desktop is only what the test painted.
        fs::create_directories(temp_.path() + "/home/.icewm");
        std::ofstream(temp_.path() + "/home/.icewm/preferences") << "ShowTaskBar=0\n";
        windowManager_ = std::make_unique<testsupport::Child>(
            std::vector<std::string>{"icewm"},
            std::map<std::string, std::string>{{"DISPLAY", display_->name()},
                                               {"HOME", temp_.path() + "/home"}});
        ASSERT_TRUE(testsupport::WaitUntil(
            [&] {
                return testsupport::Shell("DISPLAY=" + display_->name() +
                                          " xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null")
                           .find("window id") != std::string::npos;
            },
            10s))
            << "icewm did not start";
    }

    std::unique_ptr<testsupport::Child> StartRun() {
        return std::make_unique<testsupport::Child>(
            std::vector<std::string>{folder_ + "/Velmora.scr", "/s"},
            std::map<std::string, std::string>{{"DISPLAY", display_->name()},
                                               {"VELMORA_ROOT", root_},
                                               {"SDL_AUDIODRIVER", "dummy"}});
    }

    std::string Artifact(const std::string& name) const {
        return testsupport::ArtifactFolder() + "/monitors-" + GetParam().name + "-" + name;
    }

    // The bitmap the host wrote holds every monitor where it is and black elsewhere.
    void CheckHandOffBitmap() {
        const Layout& layout = GetParam();
        int right = 0, bottom = 0;
        for (const Monitor& m : layout.monitors) {
            right = std::max(right, m.x + m.width);
            bottom = std::max(bottom, m.y + m.height);
        }
        const testsupport::SavedBitmap bitmap(root_ + "/c/tolvik/Zentrova.bmp");
        ASSERT_EQ(bitmap.width, right);
        ASSERT_EQ(bitmap.height, bottom);
        for (std::size_t m = 0; m < layout.monitors.size(); ++m) {
            const Monitor& mon = layout.monitors[m];
            const int xs[2] = {mon.x, mon.x + mon.width - 1},
                      ys[2] = {mon.y, mon.y + mon.height - 1};
            for (int q = 0; q < 4; ++q)
                EXPECT_EQ(bitmap.Pixel(xs[q % 2], ys[q / 2]), QuarterColour(m, q))
                    << "monitor " << m << " quarter " << q;
        }
        // Outside every monitor: black, although the root is white there.
        for (int y = 0; y < bottom; y += 7) {
            for (int x = 0; x < right; x += 7) {
                bool inside = false;
                for (const Monitor& m : layout.monitors)
                    inside |= x >= m.x && x < m.x + m.width && y >= m.y && y < m.y + m.height;
                if (!inside) {
                    ASSERT_EQ(bitmap.Pixel(x, y), 0u) << x << "," << y;
                }
            }
        }
    }

    std::unique_ptr<testsupport::VirtualDisplay> display_;
    testsupport::TempFolder temp_;
    std::unique_ptr<testsupport::Child> windowManager_;
    std::string folder_ = temp_.path() + "/program";
    std::string root_ = temp_.path() + "/root";
};

}  // namespace

TEST_P(MonitorRun, EveryMonitorShowsItsOwnDesktopAndEscapeEndsTheRun) {
    const Layout& layout = GetParam();
    testsupport::PaintedDesktop painted(display_->name(), Painted(layout.monitors));
    ASSERT_TRUE(painted.ok());
    // The run copies what the screen shows: it starts once the painting is there (a window
    // manager that has just announced itself may still be drawing over the root).
    std::string notYet;
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] {
            testsupport::Screenshot(display_->name(), Artifact("desktop.png"));
            notYet = Mismatches(testdib::ReadPng(Artifact("desktop.png")),
                                CornerProbes(layout.monitors, false));
            return notYet.empty();
        },
        10s))
        << notYet;
    auto host = StartRun();
    std::uintptr_t window = 0;
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return (window = testsupport::FindWindow(display_->name(), "Zentrova_VC")) != 0; },
        15s));
    CheckHandOffBitmap();

    const std::vector<Probe> probes = CornerProbes(layout.monitors);
    testdib::Picture shot;
    std::string wrong;
    // The first shot waits for the picture; the others follow as fast as they can be taken,
    // while the animation moves on.
    const bool shown = testsupport::WaitUntil(
        [&] {
            testsupport::Screenshot(display_->name(), Artifact("1.png"));
            shot = testdib::ReadPng(Artifact("1.png"));
            wrong = Mismatches(shot, probes);
            return shot.ok() && wrong.empty();
        },
        15s);
    EXPECT_TRUE(shown) << wrong;
    for (const char* name : {"2.png", "3.png"}) {
        ASSERT_TRUE(testsupport::Screenshot(display_->name(), Artifact(name)));
        shot = testdib::ReadPng(Artifact(name));
        ASSERT_TRUE(shot.ok());
        EXPECT_EQ(Mismatches(shot, probes), "") << name;
    }

    testsupport::Shell("DISPLAY=" + display_->name() + " xdotool key --window " +
                       std::to_string(window) + " Escape >/dev/null 2>&1");
    EXPECT_EQ(host->Wait(5000ms), 0);
    EXPECT_EQ(testsupport::FindWindow(display_->name(), "Zentrova_VC"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, MonitorRun,
    ::testing::Values(
        // Beside each other, the right one smaller and lower: black below and above it.
        Layout{"two", 720, 400, {{0, 0, 400, 400}, {400, 80, 320, 240}}},
        // Three of unequal sizes, the middle one lowered, a gap on the right of the screen.
        Layout{"three", 900, 420, {{0, 0, 320, 240}, {320, 60, 360, 360}, {680, 0, 200, 150}}},
        // The same two under a window manager: the full-screen state over both monitors.
        Layout{"two_icewm", 720, 400, {{0, 0, 400, 400}, {400, 80, 320, 240}}, true}),
    [](const ::testing::TestParamInfo<Layout>& info) { return info.param.name; });
