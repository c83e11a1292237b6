// velmora-idle in a headless sway session: the compositor's idle notifications start one run after
// quiet and none while keys arrive through the compositor (wtype), and Escape typed the same way
// ends the run that shows on the renderer's own surface. A compositor that stops answering holds
// the companion up for seconds, never for good.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <thread>

#include "idle_companion.h"
#include "wayland_session.h"

namespace {

using namespace testidle;

class WaylandIdleCompanion : public CompanionTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(session_.ok()) << session_.Failure();
        CompanionTest::SetUp();
    }

    void TearDown() override {
        CompanionTest::TearDown();
        filter_.reset();
    }

    std::map<std::string, std::string> Environment() const override {
        auto environment = session_.Environment(ProgramEnvironment());
        if (filter_) environment["WAYLAND_DISPLAY"] = filtered_;
        return environment;
    }

    // The programs started from here on reach the compositor through the test filter, which
    // passes everything on until StopAnswering.
    void ThroughFilter() {
        filter_ = std::make_unique<Child>(
            std::vector<std::string>{VELMORA_BIN_DIR "/velmora_wayland_filter",
                                     session_.Get("COMPOSITOR_DISPLAY"), filtered_});
        ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(filtered_); }, 5000ms));
    }
    // From now on the compositor's answers to round trips never arrive; its other events do.
    void StopAnswering() { kill(filter_->pid(), SIGUSR1); }

    WaylandSession session_{{.portal = false}};
    std::string filtered_ = temp_.path() + "/wayland-filtered";
    std::unique_ptr<Child> filter_;
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

    // The run shows on the renderer's own surface, which sway lists by its title; Escape typed
    // through the compositor ends it.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return session_.UserShell("swaymsg -t get_tree").find("\"name\": \"Zentrova_VC\"") !=
                   std::string::npos;
        },
        15000ms));
    const pid_t host = LastRunPid();
    ASSERT_TRUE(session_.Type({"-k", "Escape"}));
    EXPECT_TRUE(WaitUntil([&] { return ProcessGone(host); }, 5000ms));
    EXPECT_EQ(RunsLogged(), 1);
    EXPECT_TRUE(companion_->Running());
}

// SIGTERM, as the service manager stops it, ends the companion and its run with status 0: it
// lets go of the compositor's objects (the window list among them) before its connection.
TEST_F(WaylandIdleCompanion, SigtermEndsItAndItsRunWithStatusZero) {
    StartCompanion("--seconds 1");
    ASSERT_TRUE(WaitUntil([&] { return RunsLogged() == 1; }, 8000ms)) << ReadFile(log_);
    const pid_t host = LastRunPid();
    kill(companion_->pid(), SIGTERM);
    EXPECT_EQ(companion_->Wait(5000ms), 0) << ReadFile(log_);
    EXPECT_TRUE(WaitUntil([&] { return ProcessGone(host); }, 5000ms));
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

// A compositor that does not answer at the start: the companion gives up on it after a few
// seconds, says so and ends with the status of a session that may still change.
TEST_F(WaylandIdleCompanion, GivesUpOnACompositorThatDoesNotAnswerAtTheStart) {
    ThroughFilter();
    StopAnswering();
    StartCompanion("--seconds 1");
    EXPECT_EQ(companion_->Wait(15000ms), 1) << ReadFile(log_);
    EXPECT_NE(ReadFile(log_).find("the compositor did not answer"), std::string::npos)
        << ReadFile(log_);
}

// A compositor that stops answering while the companion watches: its idle events still come,
// and the look at its window list before a run waits for the answer a second at most, then
// the run starts as the list last stood.
TEST_F(WaylandIdleCompanion, AStalledWindowListDelaysTheNextRunOnlyBriefly) {
    ThroughFilter();
    StartCompanion("--seconds 1");
    ASSERT_TRUE(WaitForRuns(1, 8000ms)) << ReadFile(log_);
    StopAnswering();
    kill(-LastRunPid(), SIGKILL);                   // the run's process group
    ASSERT_TRUE(session_.Type({"-k", "Shift_L"}));  // input, so that quiet may start a run again
    EXPECT_TRUE(WaitForRuns(2, 10000ms)) << ReadFile(log_);
    kill(companion_->pid(), SIGTERM);
    EXPECT_EQ(companion_->Wait(5000ms), 0) << ReadFile(log_);
}

}  // namespace
