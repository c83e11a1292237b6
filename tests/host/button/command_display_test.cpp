// The real push button under a private Xvfb: xdotool moves, presses and releases the pointer,
// the test watches Click, the looks and the pixels on the screen, and keeps a picture of the six
// looks side by side. Each test needs a process of its own (the forms runtime keeps its first
// display), as ctest runs them.
#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop.h"
#include "host/button/command.h"
#include "forms/forms.h"

namespace {

using button::Look;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class CommandOnScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok());
        setenv("DISPLAY", display.name().c_str(), 1);
        pixels = XOpenDisplay(display.name().c_str());
        ASSERT_NE(pixels, nullptr);
    }
    void TearDown() override {
        if (pixels) XCloseDisplay(pixels);
    }

    // Runs the forms runtime's loop until `done` holds; false after `timeout`.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        const auto end = Clock::now() + timeout;
        while (!done()) {
            if (Clock::now() > end) return false;
            forms::WaitEvents(5);
        }
        return true;
    }
    void Pump(std::chrono::milliseconds time) {
        PumpUntil([] { return false; }, time);
    }
    void Xdo(const std::string& args) {
        testsupport::Shell("DISPLAY=" + display.name() + " xdotool " + args);
    }
    // Moves the pointer to (x, y) inside `window`.
    void MoveTo(forms::Form& window, int x, int y) {
        Xdo("mousemove --window " + std::to_string(window.WindowId()) + " " + std::to_string(x) +
            " " + std::to_string(y));
    }
    void ShowAndWait(forms::Form& window) {
        window.Show();
        ASSERT_TRUE(PumpUntil(
            [&] {
                XWindowAttributes a;
                return window.Visible() &&
                       XGetWindowAttributes(pixels, static_cast<Window>(window.WindowId()), &a) &&
                       a.map_state == IsViewable;
            },
            5s));
        Pump(100ms);
    }
    // What the screen shows of `window`'s area, as RGB.
    button::Image Grab(forms::Form& window, int x, int y, int w, int h) {
        forms::WaitEvents(0);
        button::Image out(w, h);
        XImage* image = XGetImage(pixels, static_cast<Window>(window.WindowId()), x, y, w, h,
                                  AllPlanes, ZPixmap);
        if (!image) return out;
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i) {
                unsigned long p = XGetPixel(image, i, j);
                out.Set(i, j, button::RgbFromHex(static_cast<std::uint32_t>(p & 0xFFFFFF)));
            }
        }
        XDestroyImage(image);
        return out;
    }
    // True when the border band on the screen, apart from where the caption may cover it, is
    // exactly the button's painted face.
    bool BorderOnScreen(forms::Form& window, const Command& b) {
        const button::Image& face = b.Face();
        const forms::Rect r = b.Bounds();
        if (face.width != r.width || face.height != r.height) return false;
        const button::Rect caption = b.CaptionRect();
        button::Image shown = Grab(window, r.x, r.y, r.width, r.height);
        for (int y = 0; y < r.height; ++y) {
            if (y >= caption.y && y < caption.y + caption.h) continue;
            for (int x = 0; x < r.width; ++x)
                if ((x < 4 || y < 4 || x >= r.width - 4 || y >= r.height - 4) &&
                    shown.At(x, y) != face.At(x, y))
                    return false;
        }
        return true;
    }

    testsupport::VirtualDisplay display;
    Display* pixels = nullptr;
};

TEST_F(CommandOnScreen, HoverClickAndLeave) {
    forms::Form window(320, 80, "Command test");
    ASSERT_TRUE(window.Load());
    window.Move(10, 10);
    Command settings(window, {20, 20, 77, 25});
    Command cancel(window, {120, 20, 77, 25});
    Command ellipsis(window, {220, 22, 41, 21});
    int clicks = 0, cancelClicks = 0;
    settings.OnClick([&] { ++clicks; });
    cancel.OnClick([&] { ++cancelClicks; });
    ShowAndWait(window);
    for (Command* b : {&settings, &cancel, &ellipsis}) {
        ASSERT_TRUE(b->Enabled());
        b->Initialize();
    }
    settings.SetCaption("設定");

    // Hover: HighLight; leave over the form: Normal again within two polls' time.
    MoveTo(window, 58, 32);
    ASSERT_TRUE(PumpUntil([&] { return settings.CurrentLook() == Look::HighLight; }, 2s));
    EXPECT_EQ(settings.State().ButtonState(), 2);
    EXPECT_TRUE(PumpUntil([&] { return BorderOnScreen(window, settings); }, 1s));
    MoveTo(window, 300, 70);
    auto left = Clock::now();
    ASSERT_TRUE(PumpUntil([&] { return settings.CurrentLook() == Look::Normal; }, 1s));
    EXPECT_LT(Clock::now() - left, testsupport::TimeBound(200ms));
    EXPECT_EQ(settings.State().ButtonState(), 1);

    // The same when the pointer leaves the window altogether.
    MoveTo(window, 58, 32);
    ASSERT_TRUE(PumpUntil([&] { return settings.CurrentLook() == Look::HighLight; }, 2s));
    Xdo("mousemove 700 600");
    left = Clock::now();
    ASSERT_TRUE(PumpUntil([&] { return settings.CurrentLook() == Look::Normal; }, 1s));
    EXPECT_LT(Clock::now() - left, testsupport::TimeBound(200ms));

    // Press and release: Pressed, then HighLightSelect and one Click.
    MoveTo(window, 58, 32);
    ASSERT_TRUE(PumpUntil([&] { return settings.State().ButtonState() == 2; }, 2s));
    Xdo("mousedown 1");
    ASSERT_TRUE(PumpUntil([&] { return settings.State().MouseHeld() != 0; }, 2s));
    EXPECT_EQ(settings.CurrentLook(), Look::Pressed);
    EXPECT_EQ(settings.State().ButtonState(), 4);
    EXPECT_TRUE(PumpUntil([&] { return BorderOnScreen(window, settings); }, 1s));
    Xdo("mouseup 1");
    ASSERT_TRUE(PumpUntil([&] { return clicks > 0; }, 2s));
    Pump(250ms);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(settings.CurrentLook(), Look::HighLightSelect);

    // Keys do nothing to it.
    Xdo("key --window " + std::to_string(window.WindowId()) + " Return space");
    Pump(200ms);
    EXPECT_EQ(clicks, 1);

    // Leaving with the focus: Selected.
    MoveTo(window, 300, 70);
    ASSERT_TRUE(PumpUntil([&] { return settings.CurrentLook() == Look::Selected; }, 1s));

    // Clicking the other button takes the focus away: Normal. No pause between the move and
    // the click, so the press may reach the button before the move does.
    MoveTo(window, 158, 32);
    Xdo("click 1");
    ASSERT_TRUE(PumpUntil([&] { return cancelClicks == 1; }, 2s));
    EXPECT_EQ(settings.CurrentLook(), Look::Normal);
    EXPECT_EQ(settings.State().ButtonState(), 1);

    // A disabled button neither reacts nor clicks.
    cancel.SetEnabled(false);
    MoveTo(window, 150, 30);
    Xdo("click 1");
    Pump(250ms);
    EXPECT_EQ(cancelClicks, 1);
    EXPECT_EQ(cancel.CurrentLook(), Look::Disable);
    EXPECT_TRUE(BorderOnScreen(window, cancel));
}

TEST_F(CommandOnScreen, SixLooksSideBySide) {
    const Look looks[] = {Look::Normal,   Look::HighLight, Look::HighLightSelect,
                          Look::Selected, Look::Pressed,   Look::Disable};
    forms::Form window(6 * 87 + 10, 80, "Command looks");
    ASSERT_TRUE(window.Load());
    window.Move(0, 0);
    std::vector<std::unique_ptr<Command>> buttons;
    for (int i = 0; i < 6; ++i)
        buttons.push_back(std::make_unique<Command>(window, forms::Rect{10 + 87 * i, 10, 77, 25}));
    // The dialog's three buttons below, in their own sizes and captions.
    buttons.push_back(std::make_unique<Command>(window, forms::Rect{10, 45, 77, 25}));
    buttons.push_back(std::make_unique<Command>(window, forms::Rect{97, 45, 77, 25}));
    buttons.push_back(std::make_unique<Command>(window, forms::Rect{184, 47, 41, 21}));
    ShowAndWait(window);
    for (int i = 0; i < 6; ++i) {
        Command& b = *buttons[i];
        b.SetCaption(button::LookName(looks[i]));
        ASSERT_TRUE(b.Enabled());
        if (looks[i] == Look::Disable)
            b.SetEnabled(false);
        else
            b.PaintLook(looks[i]);
    }
    const char* captions[] = {"設定", "ｷｬﾝｾﾙ", "..."};
    for (int i = 0; i < 3; ++i) {
        buttons[6 + i]->SetCaption(captions[i]);
        buttons[6 + i]->Enabled();
    }
    Pump(200ms);
    for (const auto& b : buttons) EXPECT_TRUE(BorderOnScreen(window, *b));

    const std::string picture = testsupport::ArtifactFolder() + "/button-looks.png";
    EXPECT_TRUE(testsupport::Screenshot(display.name(), picture, window.WindowId()));

    // A transparent face leaves the window's own background showing.
    Command& normal = *buttons[0];
    normal.SetVisible(0);
    Pump(100ms);
    button::Image shown = Grab(window, normal.Bounds().x, normal.Bounds().y, 4, 4);
    EXPECT_EQ(shown.At(1, 1), button::RgbFromHex(window.BackColour()));
    EXPECT_EQ(normal.Visible(), 0);
}

}  // namespace
