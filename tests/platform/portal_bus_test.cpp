// The portal capture over a private session bus, against a stand-in portal and permission store
// (velmora_fake_portal): the picture it names is read, cropped and removed, wherever the desktop
// saved it, and nothing else is touched; a stored "no" fails at once, names the permission and
// its remedy and never asks the portal; a portal that does not answer has its request closed
// after the wait the stored answer calls for; an answer 2 says what it usually means. Each second
// of the portal's wait lasts 20 ms here.
#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "desktop.h"
#include "platform/base.h"
#include "platform/wayland/desktop_picture.h"
#include "platform/wayland/wayland_capture.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

constexpr int kWidth = 8, kHeight = 6;

class PortalOnBus : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(home_ + "/Pictures");
        // A session bus of its own that starts nothing on demand: no real portal or store can
        // stand in for the missing ones.
        const std::string config = temp_.path() + "/bus.conf";
        std::ofstream(config)
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
               "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">"
               "<busconfig><type>session</type><listen>unix:path="
            << socket_
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow "
               "send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow "
               "own=\"*\"/></policy></busconfig>\n";
        bus_ = std::make_unique<Child>(std::vector<std::string>{
            "/usr/bin/dbus-daemon", "--config-file=" + config, "--nofork", "--nopidfile"});
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(socket_); }, 5s));
        setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket_).c_str(), 1);
        setenv(platform::wayland::kPortalSecondVariable, "20", 1);
    }

    void TearDown() override {
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        unsetenv(platform::wayland::kPortalSecondVariable);
    }

    // Starts the stand-in with `arguments` (its answer first) and waits until it owns its names.
    void StartPortal(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), FAKE_PORTAL);
        arguments.insert(arguments.end(), {"--report", report_});
        portal_ = std::make_unique<Child>(
            arguments, std::map<std::string, std::string>{
                           {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + socket_}});
        ASSERT_TRUE(WaitUntil([&] { return !ReadFile(report_).empty(); }, 5s))
            << "the stand-in portal did not start";
    }

    // The calls the stand-in has had, one a line, after its "ready".
    std::string Calls() const {
        const std::string calls = ReadFile(report_);
        return calls.rfind("ready\n", 0) == 0 ? calls.substr(6) : "not ready: " + calls;
    }

    bool Capture(std::string& why) {
        rgb_.assign(kWidth * kHeight * 3, 0);
        platform::RgbTarget target{rgb_.data(), kWidth, kHeight, kWidth * 3};
        const platform::MonitorRect monitor{0, 0, kWidth, kHeight};
        return platform::wayland::CaptureWithPortal(std::span(&monitor, 1), target, 1.0, &why);
    }

    // The captured pixel (x, y) as 0xRRGGBB.
    std::uint32_t Pixel(int x, int y) const {
        const std::size_t at = (static_cast<std::size_t>(y) * kWidth + x) * 3;
        return std::uint32_t{rgb_[at]} << 16 | std::uint32_t{rgb_[at + 1]} << 8 | rgb_[at + 2];
    }

    // A PNG of the desktop at `path`: its left half red, its right half blue.
    static void WriteDesktopPng(const std::string& path) {
        std::vector<std::uint8_t> pixels;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels.insert(pixels.end(),
                              x < kWidth / 2
                                  ? std::initializer_list<std::uint8_t>{0xC0, 0x10, 0x20}
                                  : std::initializer_list<std::uint8_t>{0x10, 0x20, 0xC0});
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = kWidth;
        image.height = kHeight;
        image.format = PNG_FORMAT_RGB;
        ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr));
    }

    TempFolder temp_;
    const std::string home_ = temp_.path() + "/home";
    const std::string socket_ = temp_.path() + "/bus";
    const std::string report_ = temp_.path() + "/calls";
    std::unique_ptr<Child> bus_, portal_;
    std::vector<std::uint8_t> rgb_;
};

// Every file under `folder` with its content.
std::map<std::string, std::string> FilesUnder(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[entry.path()] = ReadFile(entry.path());
    return files;
}

}  // namespace

TEST_F(PortalOnBus, APictureInPicturesOrHomeIsReadCroppedAndRemovedAndNothingElseTouched) {
    const std::string source = temp_.path() + "/desktop.png";
    WriteDesktopPng(source);
    // Other pictures where the desktop saves its own: they stay as they are.
    std::ofstream(home_ + "/Pictures/Holiday.png") << "someone's picture";
    std::ofstream(home_ + "/notes.txt") << "notes";
    const auto before = FilesUnder(home_);
    for (const std::string& saved :
         {home_ + "/Pictures/Screenshot from 2026.png", home_ + "/Screenshot.png"}) {
        SCOPED_TRACE(saved);
        std::error_code ignored;
        fs::remove(report_, ignored);
        StartPortal({"picture", "--store", "yes", "--picture", source, saved});
        std::string why;
        ASSERT_TRUE(Capture(why)) << why;
        EXPECT_EQ(Pixel(0, 0), 0xC01020u);
        EXPECT_EQ(Pixel(kWidth - 1, kHeight - 1), 0x1020C0u);
        EXPECT_FALSE(fs::exists(saved));
        EXPECT_EQ(FilesUnder(home_), before);
        EXPECT_EQ(Calls(), "lookup\nscreenshot\n");
        portal_.reset();
    }
}

TEST_F(PortalOnBus, AStoredNoFailsAtOnceNamingThePermissionAndItsRemedy) {
    StartPortal({"fail", "--store", "no"});
    std::string why;
    EXPECT_FALSE(Capture(why));
    EXPECT_EQ(Calls(), "lookup\n");  // the portal was not asked, the answer not changed
    for (const char* part :
         {"not allowed", "\"no\"", "Allow Applications to Take Screenshots?", "every such program",
          "PermissionStore.SetPermission screenshot "
          "true screenshot '' \"['yes']\"",
          "PermissionStore.Delete screenshot screenshot"})
        EXPECT_NE(why.find(part), std::string::npos) << part << " in: " << why;
}

TEST_F(PortalOnBus, ANoJustGivenToTheDesktopsQuestionIsNamedAsTheStoredNo) {
    StartPortal({"fail", "--store", "deny-on-call"});
    std::string why;
    EXPECT_FALSE(Capture(why));
    EXPECT_EQ(Calls(), "lookup\nscreenshot\nlookup\n");
    EXPECT_NE(why.find("PermissionStore.SetPermission"), std::string::npos) << why;
}

TEST_F(PortalOnBus, AnUnansweredRequestIsClosedAfterTheWaitTheStoredAnswerCallsFor) {
    // Nothing stored (no store at all): the desktop may be asking a person, who gets 60 seconds.
    StartPortal({"silent"});
    std::string why;
    EXPECT_FALSE(Capture(why));
    EXPECT_EQ(Calls(), "screenshot\nclose\n");
    // What is true of the desktop's question, which may outlive the closed request, and both
    // ways to allow screenshots.
    for (const char* part : {"did not answer within 60 seconds", "may still be on screen",
                             "changes nothing", "velmora /s", "\"Allow\" within 60 seconds",
                             "SetPermission screenshot true screenshot '' \"['yes']\"",
                             "every program outside a sandbox"})
        EXPECT_NE(why.find(part), std::string::npos) << part << " in: " << why;
    EXPECT_EQ(why.find("closed now"), std::string::npos) << why;

    // "yes" stored: nobody is being asked, 10 seconds.
    portal_.reset();
    fs::remove(report_);
    StartPortal({"silent", "--store", "yes"});
    EXPECT_FALSE(Capture(why));
    EXPECT_EQ(Calls(), "lookup\nscreenshot\nclose\n");
    EXPECT_NE(why.find("did not answer within 10 seconds"), std::string::npos) << why;
    EXPECT_EQ(why.find("velmora /s"), std::string::npos) << why;
}

TEST_F(PortalOnBus, AnswerTwoWithoutAStoredNoSaysWhatItUsuallyMeansOnGnome) {
    for (const char* store : {"missing", "yes"}) {
        SCOPED_TRACE(store);
        std::error_code ignored;
        fs::remove(report_, ignored);
        StartPortal({"fail", "--store", store});
        std::string why;
        EXPECT_FALSE(Capture(why));
        EXPECT_EQ(Calls(), "lookup\nscreenshot\nlookup\n");
        for (const char* part : {"answer 2", "GNOME"})
            EXPECT_NE(why.find(part), std::string::npos) << part << " in: " << why;
        EXPECT_EQ(why.find("permission not given"), std::string::npos) << why;
        portal_.reset();
    }
}

// On KDE Plasma the pictures folder, where its portal saves, is looked for before the call, by
// xdg-user-dirs' rule: missing, the capture says so and how to make it, asks nothing and makes
// nothing; there, the portal is asked. Other desktops are not held to it.
TEST_F(PortalOnBus, OnKdeAMissingPicturesFolderIsNamedBeforeThePortalIsAsked) {
    const std::string config = temp_.path() + "/config";
    setenv("HOME", home_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    fs::remove_all(home_ + "/Pictures");
    StartPortal({"refuse", "--store", "yes"});
    std::string why;
    EXPECT_FALSE(Capture(why));
    EXPECT_EQ(Calls(), "");
    for (const std::string& part :
         {home_ + "/Pictures, which does not exist", "mkdir -p '" + home_ + "/Pictures'"})
        EXPECT_NE(why.find(part), std::string::npos) << part << " in: " << why;
    EXPECT_FALSE(fs::exists(home_ + "/Pictures"));

    // The folder that user-dirs.dirs names instead: missing, then there.
    fs::create_directories(config);
    std::ofstream(config + "/user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    EXPECT_FALSE(Capture(why));
    EXPECT_NE(why.find(home_ + "/Bilder, which does not exist"), std::string::npos) << why;
    fs::create_directories(home_ + "/Bilder");
    EXPECT_FALSE(Capture(why));
    EXPECT_EQ(Calls(), "lookup\nscreenshot\nlookup\n");
    EXPECT_NE(why.find("answer 1"), std::string::npos) << why;

    // GNOME has no such folder to save into.
    fs::remove_all(home_ + "/Bilder");
    setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
    EXPECT_FALSE(Capture(why));
    EXPECT_NE(why.find("answer 1"), std::string::npos) << why;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CURRENT_DESKTOP"}) unsetenv(name);
}
