// Start-up of the real Velmora.scr under a private Xvfb: the instance check on the run's hidden
// form and the settings dialog, the working folder, and roles that end at once.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "desktop.h"

namespace {

using namespace testsupport;
namespace fs = std::filesystem;

const std::string kHost = std::string(VELMORA_BIN_DIR) + "/Velmora.scr";

class Startup : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        d_ = XOpenDisplay(display_.name().c_str());
        ASSERT_NE(d_, nullptr);
    }
    void TearDown() override {
        if (d_) XCloseDisplay(d_);
    }
    // Runs the host with `args` and returns its exit code (-1 when it did not end in time).
    int RunHost(const std::string& args) {
        Child host({kHost, args}, {{"DISPLAY", display_.name()}, {"VELMORA_ROOT", root_.path()}});
        return host.Wait(10s).value_or(-1);
    }
    // An unmapped window titled `title`, as a hidden form of a running copy would be.
    Window TitledWindow(const char* title) {
        const Window w = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 10, 10, 0, 0, 0);
        XStoreName(d_, w, title);
        XSync(d_, False);
        return w;
    }
    bool WorkingFolderExists() { return fs::is_directory(root_.path() + "/c/tolvik"); }

    VirtualDisplay display_{320, 200};
    Display* d_ = nullptr;
    TempFolder root_;
};

TEST_F(Startup, UnknownRoleCreatesThePrivateWorkingFolderAndEnds) {
    EXPECT_EQ(RunHost("/x"), 0);
    ASSERT_TRUE(WorkingFolderExists());
    struct stat info {};
    ASSERT_EQ(stat((root_.path() + "/c/tolvik").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(RunHost("x"), 0);  // a single character: no role at all
}

TEST_F(Startup, SecondStartBesideARunOrADialogEndsBeforeDoingAnything) {
    for (const char* title : {"Zentrova_Main", "<Velmora>"}) {
        const Window w = TitledWindow(title);
        EXPECT_EQ(RunHost("/x"), 0) << title;
        EXPECT_FALSE(WorkingFolderExists()) << title;
        XDestroyWindow(d_, w);
        XSync(d_, False);
    }
    const Window similar = TitledWindow("Zentrova_Main ");  // titles must match exactly
    EXPECT_EQ(RunHost("/x"), 0);
    EXPECT_TRUE(WorkingFolderExists());
    XDestroyWindow(d_, similar);
}

TEST_F(Startup, PreviewLeavesTheWorkingFolderAlone) {
    RunHost("/p 0");  // no such window: the preview has nothing to show in
    EXPECT_FALSE(WorkingFolderExists());
}

}  // namespace
