// The forms runtime under a private Xvfb: load/show/unload order, cancelling an unload, timers
// ticking through the loop one at a time, a hidden form found by its caption, picture boxes, and
// the message box: on the screen with every line, and on standard error whole.

#include <gtest/gtest.h>
#include <signal.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "desktop.h"
#include "forms/forms.h"
#include "platform/base.h"
#include "platform/common/for_tests.h"

namespace {

using testsupport::VirtualDisplay;

class Recorder : public forms::Form {
  public:
    explicit Recorder(std::vector<std::string>& log, std::string caption = "Recorder")
        : Form(120, 80, std::move(caption)), log_(log) {}
    bool cancelQuery = false;
    bool cancelUnload = false;
    forms::UnloadMode lastMode = forms::UnloadMode::Code;

  protected:
    void Form_Load() override { log_.push_back("load"); }
    void Form_QueryUnload(bool& cancel, forms::UnloadMode mode) override {
        log_.push_back("query");
        lastMode = mode;
        cancel = cancelQuery;
    }
    void Form_Unload(bool& cancel) override {
        log_.push_back("unload");
        cancel = cancelUnload;
    }

  private:
    std::vector<std::string>& log_;
};

class FormsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        display_ = new VirtualDisplay(640, 480);
        ASSERT_TRUE(display_->ok());
        setenv("DISPLAY", display_->name().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete display_;
        display_ = nullptr;
    }
    static VirtualDisplay* display_;
};
VirtualDisplay* FormsTest::display_ = nullptr;

TEST_F(FormsTest, LoadShowAndUnloadRunHandlersInOrderAndCancelKeepsTheForm) {
    std::vector<std::string> log;
    Recorder form(log);
    EXPECT_TRUE(form.Load());
    EXPECT_TRUE(form.Load());  // a second load does nothing
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(forms::LoadedFormCount(), 1);

    form.cancelQuery = true;
    EXPECT_FALSE(form.Unload());
    EXPECT_TRUE(form.Loaded());
    form.cancelQuery = false;
    form.cancelUnload = true;
    EXPECT_FALSE(form.Unload());
    EXPECT_TRUE(form.Loaded());
    form.cancelUnload = false;

    form.Show();
    EXPECT_TRUE(form.Visible());
    EXPECT_TRUE(form.Unload());
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(forms::LoadedFormCount(), 0);
    EXPECT_EQ(log,
              (std::vector<std::string>{"load", "query", "query", "unload", "query", "unload"}));
    EXPECT_TRUE(form.Unload());  // unloading an unloaded form is harmless
}

TEST_F(FormsTest, HiddenFormIsFoundByCaptionUntilUnloaded) {
    std::vector<std::string> log;
    Recorder form(log, "Hidden_Caption_Test");
    form.Load();
    EXPECT_NE(form.WindowId(), 0u);
    EXPECT_TRUE(platform::WindowWithTitleExists("Hidden_Caption_Test"));
    form.Show();  // shown: the form's own window carries the caption, and no stand-in
    forms::WaitEvents(0);
    platform::NativeWindow shown = 0;
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] {
            shown = testsupport::FindWindow(display_->name(), "Hidden_Caption_Test");
            return shown != 0;
        },
        std::chrono::seconds(2)));
    EXPECT_EQ(form.WindowId(), shown);
    form.Unload();
    forms::WaitEvents(0);
    EXPECT_FALSE(platform::WindowWithTitleExists("Hidden_Caption_Test"));
}

TEST_F(FormsTest, TimersTickThroughTheLoopUntilTheFormUnloadsAndNeverReenter) {
    std::vector<std::string> log;
    Recorder form(log);
    forms::Timer fast(&form), nested(&form);
    int ticks = 0, nestedTicks = 0, depth = 0, deepest = 0;
    fast.SetInterval(10);
    fast.OnTimer([&] {
        if (++ticks == 5) {
            fast.SetEnabled(false);
            form.Unload();
        }
    });
    nested.SetInterval(5);
    nested.OnTimer([&] {
        ++nestedTicks;
        deepest = std::max(deepest, ++depth);
        // A handler that runs the loop itself (as a message box does) must not see itself.
        for (int i = 0; i < 3; ++i) forms::WaitEvents(20);
        --depth;
    });
    form.Load();
    fast.SetEnabled(true);
    nested.SetEnabled(true);
    forms::RunWhileLoaded();  // returns once the timer has unloaded the form
    EXPECT_EQ(ticks, 5);
    EXPECT_GE(nestedTicks, 1);
    EXPECT_EQ(deepest, 1);
    EXPECT_FALSE(nested.Enabled());  // the form's timers stop with it
    EXPECT_EQ(log.back(), "unload");
}

TEST_F(FormsTest, ModalShowReturnsWhenTheFormUnloadsItself) {
    std::vector<std::string> log;
    Recorder form(log);
    forms::Timer closer(&form);
    closer.SetInterval(30);
    closer.OnTimer([&] { form.Unload(); });
    closer.SetEnabled(true);
    form.ShowModal();
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(log, (std::vector<std::string>{"load", "query", "unload"}));
}

// Long messages of the host (a path without blanks, the desktop's long permission message with
// its commands) shown with the pointer at the screen's far corner: the box lies wholly on the
// 640x480 screen, and the message goes whole to standard error.
TEST_F(FormsTest, AMessageBoxFitsTheScreenWithLongPathsAndCommandsAndGoesToStandardError) {
    const std::string path = "/run/user/1000/" + std::string(120, 'v') + "/c/tolvik/Zentrova.bmp";
    const std::string texts[] = {
        "The picture could not be saved.\n\nFile: " + path + "\nReason: Is a directory",
        "the desktop portal did not answer within 60 seconds. The desktop may have been asking "
        "whether programs may take screenshots: its question may still be on screen, but an "
        "answer given there now changes nothing. To allow screenshots, start \"velmora /s\" by "
        "hand and choose \"Allow\" within 60 seconds, or run: gdbus call --session --dest "
        "org.freedesktop.impl.portal.PermissionStore --object-path "
        "/org/freedesktop/impl/portal/PermissionStore --method "
        "org.freedesktop.impl.portal.PermissionStore.SetPermission screenshot true screenshot '' "
        "\"['yes']\" (on GNOME the answer holds for every program outside a sandbox)"};
    const std::string display = display_->name();
    testsupport::Shell("DISPLAY=" + display + " xdotool mousemove 635 475");
    int shown = 0;
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        std::array<int, 4> place{-1, -1, -1, -1};
        std::atomic<bool> dismissed{false};
        std::thread watcher([&] {
            std::uintptr_t box = 0;
            testsupport::WaitUntil(
                [&] { return (box = testsupport::FindVisibleWindow(display, "Error")) != 0; },
                std::chrono::seconds(10));
            if (!box) return;
            // Measured once the box has settled at its place.
            testsupport::WaitUntil(
                [&] {
                    place = testsupport::WindowPlace(display, box).value_or(place);
                    return place[2] > 1 && place[0] + place[2] <= 640 && place[1] + place[3] <= 480;
                },
                std::chrono::seconds(5));
            testsupport::Screenshot(display, testsupport::ArtifactFolder() + "/message-box-" +
                                                 std::to_string(shown) + ".png");
            // A key sent before the box has the focus is lost: again until it is gone.
            while (!dismissed)
                testsupport::Shell("DISPLAY=" + display + " timeout 2 xdotool windowfocus --sync " +
                                   std::to_string(box) + " key Return 2>/dev/null");
        });
        testing::internal::CaptureStderr();
        forms::MsgBox("Error", text);
        dismissed = true;
        const std::string said = testing::internal::GetCapturedStderr();
        watcher.join();
        ++shown;
        EXPECT_GE(place[0], 0);
        EXPECT_GE(place[1], 0);
        EXPECT_GT(place[2], 1);
        EXPECT_LE(place[0] + place[2], 640);
        EXPECT_LE(place[1] + place[3], 480);
        EXPECT_EQ(said, "Velmora: Error: " + text + "\n");
    }
}

// A request to end the program wakes the loop and runs its handler once, also one that came
// before the loop watched for it; a second request changes nothing. Without the wake only the
// form's slow timer would end the loop. (The requests stay caught for the rest of this program.)
TEST_F(FormsTest, ARequestToEndWakesTheLoopOnceEvenOneThatCameBeforeTheWatch) {
    std::vector<std::string> log;
    Recorder form(log);
    forms::Timer fallback(&form);
    fallback.SetInterval(5000);
    fallback.OnTimer([&] { form.Unload(); });
    form.Load();
    fallback.SetEnabled(true);
    platform::CatchEndRequests();
    ASSERT_EQ(raise(SIGTERM), 0);
    ASSERT_EQ(raise(SIGHUP), 0);
    int served = 0;
    forms::OnEndRequest([&] {
        ++served;
        form.Unload();
    });
    forms::RunWhileLoaded();
    EXPECT_EQ(served, 1);
    EXPECT_EQ(platform::EndRequest(), SIGTERM);
    // Served once: a loop that runs on does not see the request again.
    Recorder next(log);
    next.Load();
    for (int i = 0; i < 3; ++i) forms::WaitEvents(20);
    EXPECT_EQ(served, 1);
    EXPECT_TRUE(next.Loaded());
}

TEST(PictureBoxTest, ImageFollowsTheBoxAndCopiesAreClipped) {
    forms::PictureBox box(0, 0, 4, 3);
    box.SetBackColour(0x102030);
    box.Cls();
    ASSERT_EQ(box.Image().rgb.size(), 4u * 3 * 3);
    EXPECT_EQ(box.Image().Row(2)[9], 0x10);
    EXPECT_EQ(box.Image().Row(2)[11], 0x30);

    forms::Picture source;
    source.Reset(3, 3, 0xFF, 0, 0);
    box.CopyFrom(source, -1, 0, 10, 10, 2, 1);   // left column outside the source
    EXPECT_EQ(box.Image().Row(1)[3 * 3], 0xFF);  // (3,1) copied from (0,0)
    EXPECT_EQ(box.Image().Row(1)[2 * 3], 0x10);  // (2,1) untouched
    EXPECT_EQ(box.Image().Row(0)[3 * 3], 0x10);

    box.SetBounds({0, 0, 2, 5});  // the image keeps what fits
    EXPECT_EQ(box.Image().width, 2);
    EXPECT_EQ(box.Image().height, 5);
    EXPECT_EQ(box.Image().Row(4)[0], 0x10);
}

}  // namespace
