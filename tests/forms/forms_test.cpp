// The forms runtime under a private Xvfb: load/show/unload order, cancelling an unload, timers
// ticking through the loop one at a time, a hidden form found by its caption, picture boxes.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "desktop.h"
#include "forms/forms.h"
#include "platform/platform.h"

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
