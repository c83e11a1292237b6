// The X11 watch for a window by its title, asked once a tick from the toolkit's event loop: it
// asks the server nothing while nothing happens to the window it follows, and still notices a
// renamed, destroyed or replaced window within a tick or two.
// gtest first: Xlib defines None and Bool as macros that gtest's own names would collide with.
#include <gtest/gtest.h>
// clang-format off
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
// clang-format on
#include <stdlib.h>
#include <string.h>

#include "desktop.h"
#include "platform/common/for_tests.h"
#include "platform/fltk/toolkit.h"
#include "platform/window_system.h"

namespace {

constexpr const char* kTitle = "Zentrova_VC";

class X11Watch : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        display_ = new testsupport::VirtualDisplay(320, 240);
        ASSERT_TRUE(display_->ok());
        setenv("DISPLAY", display_->name().c_str(), 1);
        platform::OpenToolkitDisplay(false);
    }
    static void TearDownTestSuite() { delete display_; }

    void SetUp() override {
        ASSERT_NE(fl_display, nullptr);
        d_ = XOpenDisplay(display_->name().c_str());
        ASSERT_NE(d_, nullptr);
    }
    void TearDown() override {
        if (d_) XCloseDisplay(d_);
    }

    Window MakeWindow(const char* title) {
        const Window w = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 10, 10, 0, 0, 0);
        XStoreName(d_, w, title);
        XSync(d_, False);
        return w;
    }
    void Rename(Window w, const char* title) {
        XStoreName(d_, w, title);
        XSync(d_, False);
    }
    void Destroy(Window w) {
        XDestroyWindow(d_, w);
        XSync(d_, False);
    }

    // One tick of the host's watch: the loop runs for a tick's time (or until news comes),
    // then the watch is asked.
    static bool Tick() {
        Fl::wait(0.1);
        return platform::WatchedWindowWithTitleExists(kTitle);
    }
    // Whether the answer becomes `expected` within two ticks.
    static bool AnswerWithinTwoTicks(bool expected) {
        return Tick() == expected || Tick() == expected;
    }
    // How many requests the watch sends to the server for one answer.
    static unsigned long RequestsOfOneAnswer(bool& answer) {
        const unsigned long before = XNextRequest(fl_display);
        answer = platform::WatchedWindowWithTitleExists(kTitle);
        return XNextRequest(fl_display) - before;
    }

    static testsupport::VirtualDisplay* display_;
    Display* d_ = nullptr;
};
testsupport::VirtualDisplay* X11Watch::display_ = nullptr;

TEST_F(X11Watch, QuietTicksAskNothingAndChangesAreNoticed) {
    const Window w = MakeWindow(kTitle);
    EXPECT_TRUE(platform::WatchedWindowWithTitleExists(kTitle));
    for (int i = 0; i < 3; ++i) {
        Fl::wait(0.05);
        bool answer = false;
        EXPECT_EQ(RequestsOfOneAnswer(answer), 0u);
        EXPECT_TRUE(answer);
    }
    // Another property changing is news too: the title is read again and still matches.
    XChangeProperty(d_, w, XA_WM_CLASS, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>("a\0b"), 4);
    XSync(d_, False);
    EXPECT_TRUE(Tick());
    EXPECT_TRUE(Tick());

    Rename(w, "Zentrova_VC ");
    EXPECT_TRUE(AnswerWithinTwoTicks(false));
    Rename(w, kTitle);
    EXPECT_TRUE(Tick());  // not followed any more: the search finds it at once
    EXPECT_FALSE(platform::WatchedWindowWithTitleExists("Zentrova_Main"));  // another title between
    EXPECT_TRUE(platform::WatchedWindowWithTitleExists(kTitle));

    Destroy(w);
    EXPECT_TRUE(AnswerWithinTwoTicks(false));
    EXPECT_FALSE(Tick());
}

TEST_F(X11Watch, NoticesTheNetTitleAndAWindowReplacedByAnother) {
    const Atom netWmName = XInternAtom(d_, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d_, "UTF8_STRING", False);
    auto setNetName = [&](Window w, const char* name) {
        XChangeProperty(d_, w, netWmName, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(name),
                        static_cast<int>(strlen(name)));
        XSync(d_, False);
    };
    const Window first = MakeWindow("Old name");
    setNetName(first, kTitle);
    EXPECT_TRUE(Tick());
    setNetName(first, "Renamed");
    EXPECT_TRUE(AnswerWithinTwoTicks(false));

    setNetName(first, kTitle);
    EXPECT_TRUE(Tick());
    const Window second = MakeWindow(kTitle);
    Destroy(first);
    EXPECT_TRUE(Tick());
    EXPECT_TRUE(Tick());
    Destroy(second);
    EXPECT_TRUE(AnswerWithinTwoTicks(false));
}

// A window of the toolkit itself carrying the title is read each tick instead of followed:
// selecting events on it would take the toolkit's own selection away.
TEST_F(X11Watch, LeavesTheToolkitsOwnWindowsSelectionAlone) {
    Fl_Window window(20, 20, kTitle);
    window.show();
    Fl::wait(0.05);
    XWindowAttributes before{};
    ASSERT_TRUE(XGetWindowAttributes(fl_display, fl_xid(&window), &before));
    EXPECT_TRUE(Tick());
    EXPECT_TRUE(Tick());
    XWindowAttributes after{};
    ASSERT_TRUE(XGetWindowAttributes(fl_display, fl_xid(&window), &after));
    EXPECT_EQ(after.your_event_mask, before.your_event_mask);

    window.label("Renamed");
    Fl::flush();
    EXPECT_TRUE(AnswerWithinTwoTicks(false));
    window.hide();
}

}  // namespace
