// Start-up of the real Velmora.scr under a private Xvfb: the instance check on the run's hidden
// form and the settings dialog, the working folder, and roles that end at once.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>

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
    // Paints the root window with a pattern that differs by `seed`.
    void PaintRoot(int seed) {
        GC gc = XCreateGC(d_, DefaultRootWindow(d_), 0, nullptr);
        for (int y = 0; y < 200; y += 8)
            for (int x = 0; x < 320; x += 8) {
                XSetForeground(d_, gc, ((x + seed * 40) & 255) << 16 | (y & 255) << 8 | seed * 60);
                XFillRectangle(d_, DefaultRootWindow(d_), gc, x, y, 8, 8);
            }
        XFreeGC(d_, gc);
        XSync(d_, False);
    }

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
    // A renderer's window counts too: one may outlive a host that was killed.
    for (const char* title : {"Zentrova_Main", "<Velmora>", "Zentrova_VC"}) {
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

// A lock file that can't be the lock (a link, a folder, a FIFO, a file the user can't read)
// refuses the start at once, in a box and on standard error, with a status of its own: never a
// run without the lock, never a wait at its file, and nothing made through a link.
TEST_F(Startup, ALockFileThatCannotBeTheLockRefusesTheStart) {
    const std::string lock = root_.path() + "/run.lock", target = root_.path() + "/elsewhere";
    const std::string said = root_.path() + "/said";
    const std::pair<std::string, std::function<void()>> cases[] = {
        {" is a symbolic link", [&] { ASSERT_EQ(symlink(target.c_str(), lock.c_str()), 0); }},
        {"not a regular file", [&] { ASSERT_EQ(mkdir(lock.c_str(), 0700), 0); }},
        {"not a regular file", [&] { ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0); }},
        {"Permission denied", [&] {
             std::ofstream(lock) << "";
             chmod(lock.c_str(), 0);
         }}};
    int round = 0;
    for (const auto& [reason, make] : cases) {
        SCOPED_TRACE(round++);
        if (reason == "Permission denied" && geteuid() == 0) continue;  // root reads it anyway
        fs::remove_all(lock);
        make();
        Child host({"/bin/sh", "-c", "exec \"$0\" /s 2>\"$1\"", kHost, said},
                   {{"DISPLAY", display_.name()}, {"VELMORA_ROOT", root_.path()}});
        std::uintptr_t box = 0;
        ASSERT_TRUE(
            WaitUntil([&] { return (box = FindWindow(display_.name(), "Error")) != 0; }, 3000ms));
        if (round == 1) Screenshot(display_.name(), ArtifactFolder() + "/lock-refused.png");
        EXPECT_FALSE(WorkingFolderExists());
        EXPECT_FALSE(fs::exists(target));
        Shell("DISPLAY=" + display_.name() + " xdotool windowfocus --sync " + std::to_string(box) +
              " key Return 2>/dev/null");
        EXPECT_EQ(host.Wait(5s), 5);
        const std::string words = ReadFile(said);
        EXPECT_NE(words.find(lock), std::string::npos) << words;
        EXPECT_NE(words.find(reason), std::string::npos) << words;
    }
    // Started by the idle companion, nobody is there to answer a box: the words go to standard
    // error alone, and the start is refused all the same.
    fs::remove_all(lock);
    ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0);
    Child unattended({"/bin/sh", "-c", "exec \"$0\" /s 2>\"$1\"", kHost, said},
                     {{"DISPLAY", display_.name()},
                      {"VELMORA_ROOT", root_.path()},
                      {"VELMORA_UNATTENDED", "1"}});
    EXPECT_EQ(unattended.Wait(5s), 5);
    EXPECT_EQ(FindWindow(display_.name(), "Error"), 0u);
    EXPECT_NE(ReadFile(said).find("not a regular file"), std::string::npos) << ReadFile(said);
}

TEST_F(Startup, PreviewLeavesTheWorkingFolderAlone) {
    // No such window: the preview has nothing to show in and ends at once, without a fault.
    EXPECT_EQ(RunHost("/p 0"), 0);
    EXPECT_FALSE(WorkingFolderExists());
}

std::int32_t I32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return static_cast<std::int32_t>(v);
}

TEST_F(Startup, RunCapturesTheScreenAndTheNextRunReplacesThePicture) {
    // The host alone in a folder of its own: without a renderer beside it the run ends right
    // after the capture, with the status of a renderer that could not be started.
    TempFolder programs;
    const std::string host = programs.path() + "/Velmora.scr";
    fs::copy_file(kHost, host);
    const std::string bitmap = root_.path() + "/c/tolvik/Zentrova.bmp";
    for (int seed = 1; seed <= 2; ++seed) {
        PaintRoot(seed);
        Child run({host, "/s"}, {{"DISPLAY", display_.name()}, {"VELMORA_ROOT", root_.path()}});
        ASSERT_EQ(run.Wait(10s), 2);
        const std::string file = testsupport::ReadFile(bitmap);
        ASSERT_EQ(file.size(), 54u + 320 * 3 * 200);
        EXPECT_EQ(I32(file, 18), 320);
        EXPECT_EQ(I32(file, 22), 200);  // positive: bottom-up
        XImage* screen = XGetImage(d_, DefaultRootWindow(d_), 0, 0, 320, 200, AllPlanes, ZPixmap);
        ASSERT_NE(screen, nullptr);
        int mismatches = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x) {
                const auto* px = reinterpret_cast<const std::uint8_t*>(file.data()) + 54 +
                                 (199 - y) * 960 + x * 3;  // the top row is stored last
                const unsigned long want = XGetPixel(screen, x, y) & 0xFFFFFF;
                if ((static_cast<unsigned long>(px[2]) << 16 | px[1] << 8 | px[0]) != want)
                    ++mismatches;
            }
        XDestroyImage(screen);
        EXPECT_EQ(mismatches, 0) << "run " << seed;
        struct stat info {};
        ASSERT_EQ(stat(bitmap.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
    }
}

}  // namespace
