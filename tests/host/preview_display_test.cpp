// The preview role against a real X server: Velmora.scr /p <id> fills the given window with the
// built-in picture, ends with its parent or its own window, ends at once on a bad handle, and
// blocks no other start.
// gtest first: Xlib defines None and Bool as macros that gtest's own names would collide with.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "desktop.h"
#include "forms/picture.h"

namespace {

using namespace std::chrono_literals;
using testsupport::Child;

const std::string kHost = std::string(VELMORA_BIN_DIR) + "/Velmora.scr";

struct Rgb {
    double r = 0, g = 0, b = 0;
};

// Mean colours of a grid of cells over a picture given as a pixel reader, so that pictures of
// different sizes compare cell by cell.
template <typename Pixel>
std::vector<Rgb> CellMeans(int width, int height, int cols, int rows, Pixel pixel) {
    std::vector<Rgb> cells(cols * rows);
    std::vector<int> counts(cols * rows, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int cell = (y * rows / height) * cols + x * cols / width;
            const Rgb p = pixel(x, y);
            cells[cell].r += p.r;
            cells[cell].g += p.g;
            cells[cell].b += p.b;
            ++counts[cell];
        }
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        cells[i].r /= counts[i];
        cells[i].g /= counts[i];
        cells[i].b /= counts[i];
    }
    return cells;
}

double LargestCellDifference(const std::vector<Rgb>& a, const std::vector<Rgb>& b) {
    double worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        worst = std::max({worst, std::abs(a[i].r - b[i].r), std::abs(a[i].g - b[i].g),
                          std::abs(a[i].b - b[i].b)});
    }
    return worst;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Preview : public ::testing::Test {
  protected:
    static constexpr int kCols = 8, kRows = 8;  // whole cells of the 152 x 112 picture

    static void SetUpTestSuite() {
        // Wide enough for a preview of more than 32767 twips, which must still be filled.
        display_ = new testsupport::VirtualDisplay(2400, 480);
        ASSERT_TRUE(display_->ok());
        const std::string file =
            testsupport::ReadFile(std::string(VELMORA_SOURCE_DIR) + "/assets/preview/preview.jpg");
        const auto picture =
            forms::DecodeImage(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
        ASSERT_TRUE(picture.has_value());
        const unsigned char* data = picture->pixels.data();
        const int depth = picture->channels;
        const int w = picture->width;
        reference_ =
            new std::vector<Rgb>(CellMeans(w, picture->height, kCols, kRows, [&](int x, int y) {
                const unsigned char* p = data + (y * w + x) * depth;
                return Rgb{double(p[0]), double(p[1]), double(p[2])};
            }));
    }
    static void TearDownTestSuite() {
        delete display_;
        delete reference_;
    }

    void SetUp() override {
        x_ = XOpenDisplay(display_->name().c_str());
        ASSERT_NE(x_, nullptr);
    }
    void TearDown() override {
        if (x_) XCloseDisplay(x_);
    }

    // A mapped black window standing in for the system's preview area.
    Window MakeParent(int x, int y, int w, int h) {
        const Window parent = XCreateSimpleWindow(x_, DefaultRootWindow(x_), x, y, w, h, 0, 0, 0);
        XMapWindow(x_, parent);
        XSync(x_, False);
        return parent;
    }

    // Starts the host with its output going to `log`.
    std::unique_ptr<Child> StartHost(const std::string& args, const std::string& log) {
        return std::make_unique<Child>(
            std::vector<std::string>{"/bin/sh", "-c",
                                     "exec '" + kHost + "' " + args + " >'" + log + "' 2>&1"},
            std::map<std::string, std::string>{{"DISPLAY", display_->name()},
                                               {"VELMORA_ROOT", root_.path()}});
    }

    std::vector<Window> Children(Window w) {
        Window root = 0, parent = 0, *list = nullptr;
        unsigned int count = 0;
        std::vector<Window> out;
        if (XQueryTree(x_, w, &root, &parent, &list, &count) && list)
            out.assign(list, list + count);
        if (list) XFree(list);
        return out;
    }

    // How far the window's content is from the picture, cell by cell (255 when unreadable).
    double DistanceFromPicture(Window w) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(x_, w, &a)) return 255;
        XImage* image = XGetImage(x_, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
        if (!image) return 255;
        const auto cells = CellMeans(a.width, a.height, kCols, kRows, [&](int x, int y) {
            const unsigned long p = XGetPixel(image, x, y);
            return Rgb{double((p >> 16) & 255), double((p >> 8) & 255), double(p & 255)};
        });
        XDestroyImage(image);
        return LargestCellDifference(cells, *reference_);
    }

    // Waits until the preview shows the picture over the whole window.
    bool ShowsPicture(Window parent) {
        return testsupport::WaitUntil(
            [&] { return !Children(parent).empty() && DistanceFromPicture(parent) < 12; }, 5s);
    }

    static testsupport::VirtualDisplay* display_;
    static std::vector<Rgb>* reference_;
    Display* x_ = nullptr;
    testsupport::TempFolder root_;
    testsupport::TempFolder logs_;
};
testsupport::VirtualDisplay* Preview::display_ = nullptr;
std::vector<Rgb>* Preview::reference_ = nullptr;

}  // namespace

TEST_F(Preview, FillsTheGivenWindowAndEndsWithIt) {
    const Window parent = MakeParent(10, 10, 152, 112);
    const std::string log = logs_.path() + "/host.log";
    auto host = StartHost("/p " + std::to_string(parent), log);
    ASSERT_TRUE(ShowsPicture(parent)) << DistanceFromPicture(parent);
    EXPECT_TRUE(testsupport::Screenshot(
        display_->name(), testsupport::ArtifactFolder() + "/preview-152x112.png", parent));
    // The preview touches neither the working folder nor anything else below the drive root.
    EXPECT_TRUE(std::filesystem::is_empty(root_.path()));

    XDestroyWindow(x_, parent);
    XSync(x_, False);
    EXPECT_EQ(host->Wait(1000ms), 0);
    EXPECT_EQ(ReadAll(log), "");
}

TEST_F(Preview, StretchesOverAWideWindowAndEndsWithItsOwnWindow) {
    // 2200 pixels are 33000 twips at 96 dpi: beyond what 16 bits hold.
    const Window parent = MakeParent(0, 200, 2200, 150);
    const std::string log = logs_.path() + "/host.log";
    auto host = StartHost("/p:" + std::to_string(parent), log);
    ASSERT_TRUE(ShowsPicture(parent)) << DistanceFromPicture(parent);
    EXPECT_TRUE(testsupport::Screenshot(
        display_->name(), testsupport::ArtifactFolder() + "/preview-2200x150.png", parent));
    const auto children = Children(parent);
    ASSERT_EQ(children.size(), 1u);
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(x_, children[0], &a));
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 0);
    EXPECT_EQ(a.width, 2200);
    EXPECT_EQ(a.height, 150);

    XDestroyWindow(x_, children[0]);
    XSync(x_, False);
    EXPECT_EQ(host->Wait(1000ms), 0);
    EXPECT_EQ(ReadAll(log), "");
}

TEST_F(Preview, MissingZeroOrBadHandlesEndAtOnceWithoutOutput) {
    const Pixmap pixmap = XCreatePixmap(x_, DefaultRootWindow(x_), 8, 8, 24);
    const Window gone = MakeParent(0, 0, 10, 10);
    XDestroyWindow(x_, gone);
    XSync(x_, False);
    const std::vector<std::string> commandLines = {"/p",
                                                   "/p 0",
                                                   "/p abc",
                                                   "/p -5",
                                                   "/p 99999999999",
                                                   "/p " + std::to_string(pixmap),
                                                   "/p " + std::to_string(gone),
                                                   "/p" + std::to_string(gone)};
    for (const auto& args : commandLines) {
        const std::string log = logs_.path() + "/bad.log";
        auto host = StartHost(args, log);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(host->Wait(3000ms), 0) << args;
        EXPECT_LT(std::chrono::steady_clock::now() - start, testsupport::TimeBound(1500ms)) << args;
        EXPECT_EQ(ReadAll(log), "") << args;
    }
    XFreePixmap(x_, pixmap);
}

TEST_F(Preview, ARunningPreviewBlocksNoOtherStart) {
    const Window first = MakeParent(10, 10, 152, 112);
    const Window second = MakeParent(200, 10, 152, 112);
    auto one = StartHost("/p " + std::to_string(first), logs_.path() + "/one.log");
    ASSERT_TRUE(ShowsPicture(first));
    // The instance check looks for these two titles; the preview carries neither.
    EXPECT_EQ(testsupport::FindWindow(display_->name(), "Zentrova_Main"), 0u);
    EXPECT_EQ(testsupport::FindWindow(display_->name(), "<Velmora>"), 0u);
    EXPECT_NE(testsupport::FindWindow(display_->name(), "Preview Window"), 0u);
    auto two = StartHost("/p " + std::to_string(second), logs_.path() + "/two.log");
    EXPECT_TRUE(ShowsPicture(second));
    auto settings = StartHost("/c", logs_.path() + "/settings.log");
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] { return testsupport::FindWindow(display_->name(), "<Velmora>") != 0; }, 5s));
    EXPECT_TRUE(one->Running());
    EXPECT_TRUE(two->Running());
}

TEST_F(Preview, EndsAtOnceBesideARunOrTheSettingsDialog) {
    const Window parent = MakeParent(10, 10, 152, 112);
    for (const char* title : {"Zentrova_Main", "<Velmora>"}) {
        const Window other = XCreateSimpleWindow(x_, DefaultRootWindow(x_), 0, 0, 1, 1, 0, 0, 0);
        XStoreName(x_, other, title);  // hidden, as the run's form is
        XSync(x_, False);
        auto host = StartHost("/p " + std::to_string(parent), logs_.path() + "/beside.log");
        EXPECT_EQ(host->Wait(3000ms), 0) << title;
        EXPECT_TRUE(Children(parent).empty()) << title;
        XDestroyWindow(x_, other);
    }
}
