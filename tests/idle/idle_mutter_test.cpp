// velmora-idle against GNOME's own compositor: a headless Mutter (as an unprivileged user, with a
// session bus of its own) tells the idle time through its IdleMonitor; keys typed through its
// remote-desktop interface are the user's input. The runs' windows go to Xvfb.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "idle_companion.h"

namespace {

namespace fs = std::filesystem;
using namespace testidle;

constexpr const char* kUser = "65534";  // Mutter, like every compositor, is no root's

std::vector<std::string> AsUser(std::vector<std::string> argv) {
    argv.insert(argv.begin(), {"/usr/bin/setpriv", std::string("--reuid=") + kUser,
                               std::string("--regid=") + kUser, "--clear-groups"});
    return argv;
}

class MutterIdleCompanion : public CompanionTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        CompanionTest::SetUp();
        // The user's runtime folder and a session bus both the user and root may use.
        fs::permissions(temp_.path(),
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        fs::create_directories(runtime_);
        Shell("chown " + std::string(kUser) + " '" + runtime_ + "' && chmod 0700 '" + runtime_ +
              "'");
        const std::string config = temp_.path() + "/bus.conf";
        std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                                 "Configuration 1.0//EN\" "
                                 "\"http://www.freedesktop.org/standards/dbus/1.0/"
                                 "busconfig.dtd\"><busconfig><include>/usr/share/dbus-1/"
                                 "session.conf</include><listen>unix:path="
                              << runtime_
                              << "/bus</listen><policy context=\"default\"><allow "
                                 "user=\"root\"/><allow user=\""
                              << kUser << "\"/></policy></busconfig>\n";
        fs::permissions(config, fs::perms::owner_read | fs::perms::owner_write |
                                    fs::perms::group_read | fs::perms::others_read);
        bus_ = std::make_unique<Child>(
            AsUser({"/usr/bin/dbus-daemon", "--config-file=" + config, "--nofork", "--nopidfile"}),
            UserEnvironment());
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(runtime_ + "/bus"); }, 5000ms));
        mutter_ = std::make_unique<Child>(AsUser({"/usr/bin/mutter", "--headless", "--wayland",
                                                  "--no-x11", "--virtual-monitor", "1280x720"}),
                                          UserEnvironment());
        // The remote-desktop session starts once Mutter is up and on the bus: until then the
        // keys program ends, and is started again.
        ASSERT_TRUE(WaitUntil(
            [&] {
                if (!keys_ || !keys_->Running())
                    keys_ = std::make_unique<Child>(
                        std::vector<std::string>{VELMORA_BIN_DIR "/mutter_keys",
                                                 temp_.path() + "/keys"},
                        UserEnvironment());
                return !ReadFile(temp_.path() + "/keys").empty();
            },
            20000ms));
    }

    std::map<std::string, std::string> UserEnvironment() const {
        return {{"PATH", "/usr/bin:/bin"},
                {"HOME", runtime_},
                {"XDG_RUNTIME_DIR", runtime_},
                {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + runtime_ + "/bus"}};
    }

    std::map<std::string, std::string> Environment() const override {
        auto env = UserEnvironment();
        env.merge(ProgramEnvironment());
        env["WAYLAND_DISPLAY"] = runtime_ + "/wayland-0";
        env["DISPLAY"] = display_.name();
        return env;
    }

    void Key() { kill(keys_->pid(), SIGUSR1); }

    VirtualDisplay display_{640, 480};
    std::string runtime_ = temp_.path() + "/run";
    std::unique_ptr<Child> bus_, mutter_, keys_;
};

TEST_F(MutterIdleCompanion, StartsARunAfterQuietAndNoneWhileKeysArrive) {
    Key();
    StartCompanion("--seconds 2");
    auto tick = Clock::now();
    for (int i = 0; i < 4; ++i) {
        std::this_thread::sleep_until(tick += std::chrono::seconds(1));
        Key();
        EXPECT_EQ(RunsLogged(), 0) << "second " << i << ": " << ReadFile(log_);
        ASSERT_TRUE(companion_->Running()) << ReadFile(log_);
    }
    const auto last = Clock::now();
    ASSERT_TRUE(WaitUntil([&] { return RunsLogged() == 1; }, 6000ms)) << ReadFile(log_);
    EXPECT_GE(MsSince(last), 2000 - 100);
    EXPECT_LE(MsSince(last), 2000 + TimeBound(1500ms).count());
}

}  // namespace
