// The X11 backend against a real X server: finding windows by title, starting programs, hiding
// the pointer, the screen's size.
// gtest first: Xlib defines None and Bool as macros that gtest's own names would collide with.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
// clang-format on
#include <stdlib.h>
#include <string.h>

#include "desktop.h"
#include "platform/base.h"
#include "platform/common/for_tests.h"
#include "platform/window_system.h"

namespace {

class X11Backend : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        display_ = new testsupport::VirtualDisplay(640, 480);
        ASSERT_TRUE(display_->ok());
        setenv("DISPLAY", display_->name().c_str(), 1);
    }
    static void TearDownTestSuite() { delete display_; }
    static testsupport::VirtualDisplay* display_;
};
testsupport::VirtualDisplay* X11Backend::display_ = nullptr;

}  // namespace

TEST_F(X11Backend, FindsUnmappedAndNestedWindowsByExactTitleOnly) {
    Display* d = XOpenDisplay(display_->name().c_str());
    ASSERT_NE(d, nullptr);
    const Window root = DefaultRootWindow(d);
    const Window top = XCreateSimpleWindow(d, root, 0, 0, 10, 10, 0, 0, 0);
    XStoreName(d, top, "Zentrova_Main");  // never mapped
    const Window frame = XCreateSimpleWindow(d, root, 0, 0, 10, 10, 0, 0, 0);
    const Window inner = XCreateSimpleWindow(d, frame, 0, 0, 5, 5, 0, 0, 0);
    XStoreName(d, inner, "<Velmora>");  // as a window manager's frame would hold it
    XSync(d, False);

    EXPECT_TRUE(platform::WindowWithTitleExists("Zentrova_Main"));
    EXPECT_TRUE(platform::WindowWithTitleExists("<Velmora>"));
    EXPECT_FALSE(platform::WindowWithTitleExists("Zentrova_Mai"));
    EXPECT_FALSE(platform::WindowWithTitleExists("Zentrova_Main "));
    // Several titles in one look: any one of them is enough, each still exactly.
    EXPECT_TRUE(platform::WindowWithAnyTitleExists({"Zentrova_Mai", "<Velmora>"}));
    EXPECT_FALSE(platform::WindowWithAnyTitleExists({"Zentrova_Mai", "<Velmora> "}));
    EXPECT_FALSE(platform::WindowWithAnyTitleExists({}));

    XDestroyWindow(d, top);
    XSync(d, False);
    EXPECT_FALSE(platform::WindowWithTitleExists("Zentrova_Main"));
    EXPECT_FALSE(platform::WindowWithAnyTitleExists({"Zentrova_Main", "Zentrova_VC"}));
    XCloseDisplay(d);
}

// The renderer watch asks for the same title ten times a second; each answer must still be
// about the windows as they are now, whichever window was found before.
TEST_F(X11Backend, RepeatedSearchSeesRenamedDestroyedAndReplacedWindows) {
    Display* d = XOpenDisplay(display_->name().c_str());
    ASSERT_NE(d, nullptr);
    const Window root = DefaultRootWindow(d);
    const Atom netWmName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    auto setNetName = [&](Window w, const char* name) {
        XChangeProperty(d, w, netWmName, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(name),
                        static_cast<int>(strlen(name)));
        XSync(d, False);
    };
    const Window first = XCreateSimpleWindow(d, root, 0, 0, 10, 10, 0, 0, 0);
    setNetName(first, "Zentrova_VC");
    XStoreName(d, first, "Zentrova_VC");
    XSync(d, False);
    EXPECT_TRUE(platform::WindowWithTitleExists("Zentrova_VC"));
    EXPECT_TRUE(platform::WindowWithTitleExists("Zentrova_VC"));
    EXPECT_FALSE(platform::WindowWithTitleExists("Zentrova_Main"));  // another title between
    EXPECT_TRUE(platform::WindowWithTitleExists("Zentrova_VC"));

    setNetName(first, "Renamed");  // WM_NAME still carries the title
    EXPECT_TRUE(platform::WindowWithTitleExists("Zentrova_VC"));
    XStoreName(d, first, "Renamed");
    XSync(d, False);
    EXPECT_FALSE(platform::WindowWithTitleExists("Zentrova_VC"));

    XStoreName(d, first, "Zentrova_VC");
    XSync(d, False);
    EXPECT_TRUE(platform::WindowWithTitleExists("Zentrova_VC"));
    const Window second = XCreateSimpleWindow(d, root, 0, 0, 10, 10, 0, 0, 0);
    XStoreName(d, second, "Zentrova_VC");
    XDestroyWindow(d, first);
    XSync(d, False);
    EXPECT_TRUE(platform::WindowWithTitleExists("Zentrova_VC"));
    XDestroyWindow(d, second);
    XSync(d, False);
    EXPECT_FALSE(platform::WindowWithTitleExists("Zentrova_VC"));
    EXPECT_FALSE(platform::WindowWithTitleExists("Zentrova_VC"));
    XCloseDisplay(d);
}

TEST_F(X11Backend, StartProgramReturnsThePidOrZero) {
    EXPECT_GT(platform::StartProgram("/bin/true").id, 0);
    EXPECT_EQ(platform::StartProgram("/nonexistent/Velmora.dll").id, 0);
}

// The pointer is hidden through XFixes; the server cannot be asked whether it is, so the calls
// that reach it are counted here (this program's own definitions come before the library's).
namespace {
int hideCalls = 0;
int showCalls = 0;
using CursorCall = void (*)(Display*, Window);
}  // namespace

extern "C" void XFixesHideCursor(Display* display, Window window) {
    ++hideCalls;
    static const auto real = reinterpret_cast<CursorCall>(dlsym(RTLD_NEXT, "XFixesHideCursor"));
    if (real) real(display, window);
}

extern "C" void XFixesShowCursor(Display* display, Window window) {
    ++showCalls;
    static const auto real = reinterpret_cast<CursorCall>(dlsym(RTLD_NEXT, "XFixesShowCursor"));
    if (real) real(display, window);
}

TEST_F(X11Backend, PointerIsHiddenOnlyWhileTheCounterIsBelowZero) {
    const int start = platform::ShowCursor(true) - 1;  // the counter is process-wide
    platform::ShowCursor(false);
    ASSERT_EQ(start, 0) << "another test left the counter moved";
    EXPECT_EQ(platform::ShowCursor(false), -1);
    EXPECT_EQ(hideCalls, 1);
    EXPECT_EQ(platform::ShowCursor(false), -2);
    EXPECT_EQ(platform::ShowCursor(true), -1);
    EXPECT_EQ(hideCalls, 1);  // still hidden: the server is not asked again
    EXPECT_EQ(showCalls, 0);
    EXPECT_EQ(platform::ShowCursor(true), 0);
    EXPECT_EQ(showCalls, 1);
    EXPECT_EQ(platform::ShowCursor(true), 1);
    EXPECT_EQ(showCalls, 1);
    platform::ShowCursor(false);
}

TEST_F(X11Backend, ScreenSizeAndTwips) {
    const auto size = platform::PrimaryScreenSize();
    EXPECT_EQ(size.width, 640);
    EXPECT_EQ(size.height, 480);
    EXPECT_DOUBLE_EQ(platform::TwipsPerPixel(), 15.0);
}

// RandR 1.5 monitors as `xrandr --setmonitor` makes them on one X screen; without any, the root
// window is the one monitor. The monitors are removed again for the tests that follow.
TEST_F(X11Backend, MonitorsAreTheRandrMonitorsElseTheRoot) {
    const std::string xrandr = "DISPLAY=" + display_->name() + " xrandr ";
    auto listIs = [](const std::vector<platform::MonitorRect>& want) {
        const std::vector<platform::MonitorRect> got = platform::Monitors();
        bool same = got.size() == want.size();
        for (std::size_t i = 0; same && i < got.size(); ++i)
            same = got[i].x == want[i].x && got[i].y == want[i].y &&
                   got[i].width == want[i].width && got[i].height == want[i].height;
        return same;
    };
    EXPECT_TRUE(listIs({{0, 0, 640, 480}}));
    int status = -1;
    testsupport::Shell(xrandr + "--setmonitor LEFT 400/100x480/120+0+0 screen >/dev/null", &status);
    ASSERT_EQ(status, 0);
    testsupport::Shell(xrandr + "--setmonitor RIGHT 240/60x200/50+400+100 none >/dev/null",
                       &status);
    ASSERT_EQ(status, 0);
    EXPECT_TRUE(listIs({{0, 0, 400, 480}, {400, 100, 240, 200}}));
    // Xvfb marks no monitor primary: the server's order stands.
    testsupport::Shell(xrandr + "--setmonitor MIDDLE 100/25x100/25+200+200 none >/dev/null");
    EXPECT_TRUE(listIs({{0, 0, 400, 480}, {400, 100, 240, 200}, {200, 200, 100, 100}}));
    testsupport::Shell(xrandr + "--delmonitor MIDDLE >/dev/null");
    testsupport::Shell(xrandr + "--delmonitor RIGHT >/dev/null; " + xrandr +
                       "--delmonitor LEFT >/dev/null");
    EXPECT_TRUE(listIs({{0, 0, 640, 480}}));
    EXPECT_EQ(platform::PrimaryScreenSize().width, 640);
}
