// The renderer program and the frame tool under a private Xvfb: the window and its title, the
// keys, the "Error" box for a bitmap that can't be loaded (standard error when the box's module
// is missing), what the first frames show, and the pace of the frames on a display whose swaps
// return at once.
// gtest first: Xlib defines None and Bool as macros that gtest's own names would collide with.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
// clang-format on

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <thread>

#include "desktop.h"
#include "dib_builder.h"
#include "picture.h"

using testdib::Colour;
using testdib::Near;
using testdib::Picture;
using namespace std::chrono_literals;

namespace {

const Colour kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255},
    kWhite{255, 255, 255};

class RendererOnDisplay : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        bitmap_ = root_.path() + "/c/tolvik/Zentrova.bmp";
        std::filesystem::create_directories(root_.path() + "/c/tolvik");
    }
    std::map<std::string, std::string> Env() const {
        return {{"DISPLAY", display_.name()}, {"VELMORA_ROOT", root_.path()}};
    }
    std::unique_ptr<testsupport::Child> StartRenderer() {
        return std::make_unique<testsupport::Child>(
            std::vector<std::string>{std::string(VELMORA_BIN_DIR) + "/Velmora.dll"}, Env());
    }
    std::uintptr_t WaitForWindow(const std::string& title) {
        std::uintptr_t id = 0;
        testsupport::WaitUntil(
            [&] { return (id = testsupport::FindWindow(display_.name(), title)) != 0; }, 10s);
        return id;
    }
    void Key(std::uintptr_t window, const std::string& key) {
        testsupport::Shell("DISPLAY=" + display_.name() + " xdotool key --window " +
                           std::to_string(window) + " " + key + " 2>/dev/null");
    }
    // Presses Return in the message box `box` until `renderer` ends (a key sent before the box
    // has the focus is lost); the renderer's exit code, or nothing when it did not end.
    std::optional<int> DismissBox(std::uintptr_t box, testsupport::Child& renderer,
                                  const testsupport::VirtualDisplay* on = nullptr) {
        std::optional<int> code;
        for (int attempt = 0; attempt < 10 && !code; ++attempt) {
            testsupport::Shell("DISPLAY=" + (on ? on : &display_)->name() +
                               " xdotool windowfocus --sync " + std::to_string(box) +
                               " key Return 2>/dev/null");
            code = renderer.Wait(500ms);
        }
        return code;
    }
    std::string Artifact(const std::string& name) const {
        return testsupport::ArtifactFolder() + "/renderer-" + name;
    }

    testsupport::VirtualDisplay display_{640, 480};
    testsupport::TempFolder root_;
    std::string bitmap_;
};

// True when the process has a library whose file name contains `name` mapped.
bool Maps(pid_t pid, const std::string& name) {
    return testsupport::ReadFile("/proc/" + std::to_string(pid) + "/maps").find(name) !=
           std::string::npos;
}

// True when the pointer's current image has at least one visible pixel.
bool PointerVisible(const std::string& display) {
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return true;
    XFixesCursorImage* image = XFixesGetCursorImage(d);
    bool visible = image == nullptr;
    for (int i = 0; image && i < image->width * image->height; ++i)
        visible = visible || (image->pixels[i] >> 24) != 0;
    if (image) XFree(image);
    XCloseDisplay(d);
    return visible;
}

// The picture stands upright: quadrant colours at the corners, which lie outside the unit
// circle and never move.
void ExpectUprightQuadrants(const Picture& p, int inset, int top, int bottom) {
    EXPECT_TRUE(Near(p.At(inset, top), kRed));
    EXPECT_TRUE(Near(p.At(p.width - 1 - inset, top), kGreen));
    EXPECT_TRUE(Near(p.At(inset, bottom), kBlue));
    EXPECT_TRUE(Near(p.At(p.width - 1 - inset, bottom), kWhite));
}

}  // namespace

TEST_F(RendererOnDisplay, ShowsThePictureFullWidthUntilEscape) {
    ASSERT_TRUE(testdib::WriteFile(bitmap_, testdib::QuadrantPicture(640, 480)));
    testsupport::Shell("DISPLAY=" + display_.name() + " xdotool mousemove 320 240");
    ASSERT_TRUE(PointerVisible(display_.name()));
    auto renderer = StartRenderer();
    const std::uintptr_t window = WaitForWindow("Zentrova_VC");
    ASSERT_NE(window, 0u);

    // Wait for the full-screen switch and the first frames.
    const std::string shot = Artifact("first-frames.png");
    Picture p;
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] {
            p = testsupport::Screenshot(display_.name(), shot) ? testdib::ReadPng(shot) : Picture{};
            // The first frames are drawn in the 1024 x 768 window before the switch to full
            // screen reaches it: wait for the bands that only the full-screen view has.
            return p.ok() && Near(p.At(8, 40), kRed) && Near(p.At(631, 440), kWhite) &&
                   p.At(320, 474) == kBlack && p.At(20, 5) == kBlack;
        },
        10s));
    ExpectUprightQuadrants(p, 8, 40, 440);
    // Black below the picture; black above it too, except where the swirl lifts the top edge
    // (only points inside the unit circle move, so the sides stay put).
    for (int x = 0; x < 640; x += 7) {
        ASSERT_EQ(p.At(x, 474), kBlack) << x;
        if (x < 80 || x >= 560) {
            ASSERT_EQ(p.At(x, 5), kBlack) << x;
        }
    }
    EXPECT_NE(p.At(0, 240), kBlack);  // and the picture reaches both sides
    EXPECT_NE(p.At(639, 240), kBlack);
    EXPECT_FALSE(PointerVisible(display_.name())) << "the pointer is hidden over the window";
    EXPECT_FALSE(Maps(renderer->pid(), "libfltk")) << "the toolkit is loaded for the box alone";

    for (const char* key : {"a", "5", "space", "Return", "Up", "F1", "q"}) Key(window, key);
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(renderer->Running());
    Key(window, "Escape");
    EXPECT_EQ(renderer->Wait(5s), std::optional<int>(0));
}

TEST_F(RendererOnDisplay, BitmapThatCannotBeLoadedEndsWithCodeOneAfterTheBox) {
    testdib::DibSpec newer;
    newer.headerSize = 124;
    for (const auto& content :
         {std::optional<std::vector<std::uint8_t>>{}, std::optional{testdib::BuildDib(newer)}}) {
        if (content) {
            ASSERT_TRUE(testdib::WriteFile(bitmap_, *content));
        }
        auto renderer = StartRenderer();
        // The window exists from creation on, whatever the load then does.
        EXPECT_NE(WaitForWindow("Zentrova_VC"), 0u);
        const std::uintptr_t box = WaitForWindow("Error");
        ASSERT_NE(box, 0u);
        testsupport::Screenshot(display_.name(),
                                Artifact(content ? "unknown-format.png" : "missing.png"));
        std::this_thread::sleep_for(200ms);
        ASSERT_TRUE(renderer->Running()) << "the box is modal: the program waits for it";
        EXPECT_TRUE(Maps(renderer->pid(), "velmora_message_box.so"));
        EXPECT_EQ(DismissBox(box, *renderer), std::optional<int>(1));
    }
}

TEST_F(RendererOnDisplay, WithoutItsMessageBoxModuleTheErrorGoesToStandardError) {
    // A program folder with the renderer alone, and no bitmap in the working folder.
    const std::string folder = root_.path() + "/programs";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(std::string(VELMORA_BIN_DIR) + "/Velmora.dll",
                               folder + "/Velmora.dll");
    const std::string errors = root_.path() + "/stderr";
    testsupport::Child renderer(
        {"/bin/sh", "-c", "exec '" + folder + "/Velmora.dll' 2>'" + errors + "'"}, Env());
    EXPECT_EQ(renderer.Wait(10s), std::optional<int>(1)) << "no box to wait for";
    EXPECT_EQ(testsupport::FindWindow(display_.name(), "Error"), 0u);
    EXPECT_NE(testsupport::ReadFile(errors).find("Error: Failed to open DIB file " + bitmap_ + "."),
              std::string::npos)
        << testsupport::ReadFile(errors);
}

// The box for a bitmap under a long root, on a 1024-px screen with the pointer at its right
// edge: the box lies wholly on the screen (the path broken where it must be), and its message
// goes whole to standard error too.
TEST_F(RendererOnDisplay, TheBoxOfALongPathFitsTheScreenAndTheMessageGoesWholeToStandardError) {
    testsupport::VirtualDisplay wide(1024, 768);
    ASSERT_TRUE(wide.ok());
    const std::string root = root_.path() + "/" + std::string(150, 'r') + "/velmora";
    std::filesystem::create_directories(root + "/c/tolvik");
    const std::string errors = root_.path() + "/stderr";
    testsupport::Shell("DISPLAY=" + wide.name() + " xdotool mousemove 1020 10");
    testsupport::Child renderer(
        {"/bin/sh", "-c",
         "exec '" + std::string(VELMORA_BIN_DIR) + "/Velmora.dll' 2>'" + errors + "'"},
        {{"DISPLAY", wide.name()}, {"VELMORA_ROOT", root}});
    std::uintptr_t box = 0;
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return (box = testsupport::FindVisibleWindow(wide.name(), "Error")) != 0; }, 10s));
    std::array<int, 4> place{-1, -1, -1, -1};
    testsupport::WaitUntil(
        [&] {
            place = testsupport::WindowPlace(wide.name(), box).value_or(place);
            return place[2] > 1 && place[0] + place[2] <= 1024;
        },
        5s);
    testsupport::Screenshot(wide.name(), Artifact("long-path-box.png"));
    EXPECT_GE(place[0], 0);
    EXPECT_GE(place[1], 0);
    EXPECT_LE(place[0] + place[2], 1024);
    EXPECT_LE(place[1] + place[3], 768);
    EXPECT_EQ(DismissBox(box, renderer, &wide), std::optional<int>(1));
    const std::string said = testsupport::ReadFile(errors);
    EXPECT_NE(
        said.find("Velmora: Error: Failed to open DIB file " + root + "/c/tolvik/Zentrova.bmp."),
        std::string::npos)
        << said;
}

// A 1-bit bottom-up picture of `side` x `side` pixels: red above, blue below. Built row by row,
// as the generic builder would take long for 324 million pixels.
std::vector<std::uint8_t> HugeTwoColourPicture(int side) {
    testdib::DibSpec layout;
    layout.width = layout.height = side;
    layout.bitsPerPixel = 1;
    layout.palette = {kBlue, kRed};
    const std::size_t stride = (static_cast<std::size_t>(side) + 31) / 32 * 4;
    layout.rawPixels.assign(stride * side, 0);
    std::fill(layout.rawPixels.begin() + stride * (side / 2), layout.rawPixels.end(), 0xFF);
    return testdib::BuildDib(layout);
}

// Peak memory of a running process, from /proc, in bytes.
std::size_t PeakMemory(pid_t pid) {
    const std::string status = testsupport::ReadFile("/proc/" + std::to_string(pid) + "/status");
    const auto at = status.find("VmHWM:");
    return at == std::string::npos ? 0 : std::stoull(status.substr(at + 6)) * 1024;
}

TEST_F(RendererOnDisplay, AHugePictureNeitherDelaysEscapeNorFillsMemory) {
    ASSERT_TRUE(testdib::WriteFile(bitmap_, HugeTwoColourPicture(18000)));
    // Escape at once, while the picture is being read: heard within a second (bound generous).
    {
        auto renderer = StartRenderer();
        const unsigned long window = WaitForWindow("Zentrova_VC");
        ASSERT_NE(window, 0u);
        const auto pressed = std::chrono::steady_clock::now();
        Key(window, "Escape");
        EXPECT_EQ(renderer->Wait(20s), std::optional<int>(0));
        EXPECT_LT(std::chrono::steady_clock::now() - pressed, testsupport::TimeBound(3s));
    }
    // Read to the end: the picture shows, and memory stays far below its 972 MB at full size.
    auto renderer = StartRenderer();
    const unsigned long window = WaitForWindow("Zentrova_VC");
    ASSERT_NE(window, 0u);
    const std::string shot = Artifact("huge.png");
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] {
            const Picture p =
                testsupport::Screenshot(display_.name(), shot) ? testdib::ReadPng(shot) : Picture{};
            return p.ok() && Near(p.At(8, 40), kRed) && Near(p.At(631, 440), kBlue);
        },
        30s));
    EXPECT_LT(PeakMemory(renderer->pid()), std::size_t{400} << 20);
    const auto pressed = std::chrono::steady_clock::now();
    Key(window, "Escape");
    EXPECT_EQ(renderer->Wait(20s), std::optional<int>(0));
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, testsupport::TimeBound(3s));
}

TEST_F(RendererOnDisplay, AWorkingFolderOthersCanWriteIsReadAsNoPicture) {
    ASSERT_TRUE(testdib::WriteFile(bitmap_, testdib::QuadrantPicture(64, 48)));
    const std::string folder = root_.path() + "/c/tolvik";
    chmod(folder.c_str(), 0777);
    const std::string errors = root_.path() + "/stderr";
    auto env = Env();
    auto renderer = std::make_unique<testsupport::Child>(
        std::vector<std::string>{
            "/bin/sh", "-c", "exec " + std::string(VELMORA_BIN_DIR) + "/Velmora.dll 2>" + errors},
        env);
    const unsigned long box = WaitForWindow("Error");
    ASSERT_NE(box, 0u);
    EXPECT_EQ(DismissBox(box, *renderer), std::optional<int>(1));
    EXPECT_NE(testsupport::ReadFile(errors).find(folder + " can be written by other users"),
              std::string::npos)
        << testsupport::ReadFile(errors);
}

TEST_F(RendererOnDisplay, FrameToolDrawsOddWidthsAndTopDownPicturesUpright) {
    const std::string tool = std::string(VELMORA_BIN_DIR) + "/velmora_render_frames";
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), tool);
        testsupport::Child child(args, Env());
        return child.Wait(20s);
    };
    // 63 pixels wide: 189-byte rows, which the default unpack alignment would skew.
    ASSERT_TRUE(testdib::WriteFile(bitmap_, testdib::QuadrantPicture(63, 47)));
    testdib::DibSpec topDown;
    topDown.width = 63;
    topDown.height = -47;
    topDown.pixel = [](int x, int row) -> std::uint32_t {  // row 0 is the top here
        const bool top = row < 47 - 47 / 2, left = x < 63 / 2;
        return top ? (left ? 0xFF0000 : 0x00FF00) : (left ? 0x0000FF : 0xFFFFFF);
    };
    const std::string topDownPath = root_.path() + "/topdown.bmp";
    ASSERT_TRUE(testdib::WriteFile(topDownPath, testdib::BuildDib(topDown)));

    const std::string out = root_.path() + "/frame";
    ASSERT_EQ(run({bitmap_, "320", "240", out, "0", "25"}), std::optional<int>(0));
    ASSERT_EQ(run({topDownPath, "320", "240", root_.path() + "/topdown.ppm", "0"}),
              std::optional<int>(0));
    const Picture flat = testdib::ReadPng(out + "-0000.png"),
                  swirled = testdib::ReadPng(out + "-0025.png");
    const Picture flipped = testdib::ReadPpm(root_.path() + "/topdown.ppm");
    ASSERT_TRUE(flat.ok() && swirled.ok() && flipped.ok());
    ASSERT_EQ(flat.width, 320);
    ASSERT_EQ(flat.height, 240);
    EXPECT_EQ(flat.rgb, flipped.rgb);
    ExpectUprightQuadrants(flat, 4, 20, 220);
    ExpectUprightQuadrants(swirled, 4, 20, 220);
    // Flat: the quadrants meet near the middle. Frame 25's strong swirl turns the centre.
    EXPECT_TRUE(Near(flat.At(100, 80), kRed));
    EXPECT_TRUE(Near(flat.At(220, 160), kWhite));
    EXPECT_NE(flat.rgb, swirled.rgb);
    testsupport::Shell("cp " + out + "-0025.png " + Artifact("tool-frame-25.png"));

    EXPECT_EQ(run({bitmap_, "320", "240"}), std::optional<int>(2));
    EXPECT_EQ(run({bitmap_, "0", "240", out, "1"}), std::optional<int>(2));
    EXPECT_EQ(run({bitmap_, "320", "240", out, "9-3"}), std::optional<int>(2));
    EXPECT_EQ(run({root_.path() + "/absent.bmp", "320", "240", out, "1"}), std::optional<int>(1));
}

// The time of the first mark `label` in a timing file, in nanoseconds; -1 before it is there.
long long MarkTime(const std::string& timing, const std::string& label) {
    std::istringstream lines(testsupport::ReadFile(timing));
    std::string name;
    long long at = 0, pid = 0;
    while (lines >> name >> at >> pid)
        if (name == label) return at;
    return -1;
}

// The count n of the first mark "frames-<n>" made at or after `after`; 0 before there is one.
long FramesMarkedAfter(const std::string& timing, long long after) {
    std::istringstream lines(testsupport::ReadFile(timing));
    std::string name;
    long long at = 0, pid = 0;
    while (lines >> name >> at >> pid)
        if (at >= after && name.rfind("frames-", 0) == 0) return std::stol(name.substr(7));
    return 0;
}

TEST_F(RendererOnDisplay, DrawsAboutOneFramePerRefreshWhereSwapsReturnAtOnce) {
    // Xvfb's swaps wait for nothing and its modes carry no timings: the renderer paces itself
    // to 60 Hz once it sees frames come faster than that. A small screen makes frames cheap, so
    // that even a busy machine draws them faster than 60 a second unpaced.
    testsupport::VirtualDisplay small(240, 180);
    ASSERT_TRUE(small.ok());
    ASSERT_TRUE(testdib::WriteFile(bitmap_, testdib::QuadrantPicture(240, 180)));
    const std::string timing = root_.path() + "/timing";
    auto env = Env();
    env["DISPLAY"] = small.name();
    env["VELMORA_TIMING"] = timing;
    testsupport::Child renderer(
        std::vector<std::string>{std::string(VELMORA_BIN_DIR) + "/Velmora.dll"}, env);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return MarkTime(timing, "pacing-self") > 0; }, 30s))
        << testsupport::ReadFile(timing);
    EXPECT_NE(testsupport::ReadFile(timing).find("refresh-rate-0.000 "), std::string::npos);
    // The renderer marks every 64th frame: 128 frames after the turn take about two seconds.
    long first = 0;
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return (first = FramesMarkedAfter(timing, MarkTime(timing, "pacing-self"))) > 0; },
        10s));
    const std::string last = "frames-" + std::to_string(first + 128);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return MarkTime(timing, last) > 0; }, 20s))
        << testsupport::ReadFile(timing);
    const double seconds =
        (MarkTime(timing, last) - MarkTime(timing, "frames-" + std::to_string(first))) / 1e9;
    const double rate = 128 / seconds;
    const std::string trace = testsupport::ReadFile(timing);
    EXPECT_GT(rate, 40.0) << trace;
    EXPECT_LT(rate, 80.0) << trace;
    // An X session never has the outputs' own surfaces: that is no refusal to tell.
    EXPECT_EQ(trace.find("surfaces-"), std::string::npos) << trace;
    const std::uintptr_t window = testsupport::FindWindow(small.name(), "Zentrova_VC");
    ASSERT_NE(window, 0u);
    testsupport::Shell("DISPLAY=" + small.name() + " xdotool key --window " +
                       std::to_string(window) + " Escape 2>/dev/null");
    EXPECT_EQ(renderer.Wait(5s), std::optional<int>(0));
}
