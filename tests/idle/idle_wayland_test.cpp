// velmora-idle in a headless sway session: the compositor's idle notifications start one run after
// quiet and none while keys arrive through the compositor (wtype), and Escape typed the same way
// ends the run that shows through XWayland.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

#include "desktop.h"
#include "wayland_session.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;
using Clock = std::chrono::steady_clock;

std::int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// True when the process is gone, or ended and only waits to be reaped.
bool ProcessGone(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || stat.compare(close + 2, 1, "Z") == 0;
}

class WaylandIdleCompanion : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(session_.ok()) << session_.Failure();
        fs::create_directories(folder_);
        for (const char* name : {"velmora-idle", "Velmora.scr", "Velmora.dll"})
            fs::copy_file(std::string(VELMORA_BIN_DIR "/") + name, folder_ + "/" + name);
    }

    void StartCompanion(const std::string& arguments) {
        companion_ = std::make_unique<Child>(
            std::vector<std::string>{
                "/bin/sh", "-c",
                "exec '" + folder_ + "/velmora-idle' " + arguments + " 2>'" + log_ + "'"},
            session_.Environment(
                {{"VELMORA_ROOT", temp_.path() + "/root"}, {"SDL_AUDIODRIVER", "dummy"}}));
    }

    int RunsLogged() {
        std::istringstream lines(ReadFile(log_));
        int runs = 0;
        for (std::string line; std::getline(lines, line);)
            if (line.find(" started after ") != std::string::npos) ++runs;
        return runs;
    }

    pid_t LastRunPid() {
        const std::string log = ReadFile(log_);
        const auto at = log.rfind("(pid ");
        return at == std::string::npos ? 0 : std::stoi(log.substr(at + 5));
    }

    WaylandSession session_{{.portal = false}};
    TempFolder temp_;
    std::string folder_ = temp_.path() + "/program";
    std::string log_ = temp_.path() + "/idle.log";
    std::unique_ptr<Child> companion_;
};

TEST_F(WaylandIdleCompanion, StartsOneRunAfterQuietAndNoneWhileKeysArrive) {
    StartCompanion("--seconds 3");
    // A key a second through the compositor (xdotool's keys would not count: they reach only
    // XWayland) for five seconds: no run.
    auto tick = Clock::now();
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(session_.Type({"-k", "Shift_L"}));
        EXPECT_EQ(RunsLogged(), 0) << "second " << i << ": " << ReadFile(log_);
        ASSERT_TRUE(companion_->Running()) << ReadFile(log_);
        std::this_thread::sleep_until(tick += std::chrono::seconds(1));
    }
    const auto last = Clock::now();  // the last key went in before this
    ASSERT_TRUE(WaitUntil([&] { return RunsLogged() == 1; }, 8000ms)) << ReadFile(log_);
    EXPECT_GE(MsSince(last), 3000 - 700);  // the wait after the key, less wtype's own time
    EXPECT_LE(MsSince(last), 3000 + TimeBound(1500ms).count());

    // The run shows through XWayland; Escape typed through the compositor ends it.
    ASSERT_TRUE(WaitUntil([&] { return FindWindow(session_.Get("DISPLAY"), "Zentrova_VC") != 0; },
                          15000ms));
    const pid_t host = LastRunPid();
    ASSERT_TRUE(session_.Type({"-k", "Escape"}));
    EXPECT_TRUE(WaitUntil([&] { return ProcessGone(host); }, 5000ms));
    EXPECT_EQ(RunsLogged(), 1);
    EXPECT_TRUE(companion_->Running());
}

TEST_F(WaylandIdleCompanion, AnActiveFullScreenWindowKeepsTheRunAway) {
    // A native Wayland window over the whole output, with the focus, as a game's: sway lists it
    // through the foreign-toplevel protocol.
    Child game(session_.AsUser({"foot", "--fullscreen", "--log-level=error", "sleep", "600"}),
               session_.Environment());
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::string tree = session_.UserShell("swaymsg -t get_tree");
            return tree.find("\"app_id\": \"foot\"") != std::string::npos &&
                   tree.find("\"fullscreen_mode\": 1") != std::string::npos;
        },
        10s));
    StartCompanion("--seconds 1");
    std::this_thread::sleep_for(3000ms);
    EXPECT_EQ(RunsLogged(), 0) << ReadFile(log_);
    game.Kill();  // the game is over: the next look finds nothing in front
    EXPECT_TRUE(WaitUntil([&] { return RunsLogged() == 1; }, 5000ms)) << ReadFile(log_);
}

}  // namespace
