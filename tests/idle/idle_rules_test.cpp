// The idle companion's decisions without a display: the command line, and when a run starts from
// a sequence of idle times, runs and full-screen windows.
#include "idle_rules.h"
#include "platform/base.h"

#include <gtest/gtest.h>

namespace {

using idle::Decider;
using idle::Surroundings;

std::optional<idle::Options> Parse(std::vector<std::string_view> words,
                                   std::string* why = nullptr) {
    idle::Options options;
    if (!idle::ParseOptions(words, options, why)) return std::nullopt;
    return options;
}

TEST(IdleOptions, ReadMinutesAndSecondsInBothSpellings) {
    EXPECT_EQ(Parse({})->idleMs, 600000);
    EXPECT_EQ(Parse({"--minutes", "3"})->idleMs, 180000);
    EXPECT_EQ(Parse({"--minutes=1440"})->idleMs, 1440LL * 60000);
    EXPECT_EQ(Parse({"--seconds", "2"})->idleMs, 2000);
    EXPECT_EQ(Parse({"--minutes", "5", "--seconds=7"})->idleMs, 7000);  // the last one wins
    EXPECT_TRUE(Parse({"--help"})->help);
    EXPECT_TRUE(Parse({"-h", "--seconds", "4"})->help);
    // Without a time the desktop's timers choose it; --check only reports.
    EXPECT_FALSE(Parse({})->timeGiven);
    EXPECT_TRUE(Parse({"--seconds=7"})->timeGiven);
    const auto check = Parse({"--check", "--minutes", "4"});
    EXPECT_TRUE(check->check && check->timeGiven);
    EXPECT_FALSE(Parse({"--check=yes"}));
}

TEST(IdleOptions, RefuseBadWordsAndNumbersWithAReason) {
    std::string why;
    for (auto words :
         std::vector<std::vector<std::string_view>>{{"--minutes"},
                                                    {"--minutes", "0"},
                                                    {"--minutes", "1441"},
                                                    {"--seconds", "-3"},
                                                    {"--seconds", "2.5"},
                                                    {"--seconds", " 2"},
                                                    {"--seconds="},
                                                    {"--seconds", "99999999999999999999"},
                                                    {"/s"},
                                                    {"--minute", "3"}}) {
        EXPECT_FALSE(Parse(words, &why)) << words[0];
        EXPECT_FALSE(why.empty());
    }
    Parse({"--frobnicate"}, &why);
    EXPECT_NE(why.find("--frobnicate"), std::string::npos);
}

// Feeds the decider one idle time after another, the surroundings fixed.
struct Feed {
    Decider decider{2000};
    Surroundings around;
    int looks = 0;

    idle::Step At(std::int64_t idleMs, bool runGoing = false) {
        return decider.Next(idleMs, runGoing, [this] {
            ++looks;
            return around;
        });
    }
};

TEST(IdleDecider, StartsOnceTheIdleTimeIsReachedAndWaitsExactlyUntilThen) {
    Feed f;
    const auto early = f.At(500);
    EXPECT_FALSE(early.startRun);
    EXPECT_EQ(early.waitMs, 1500);  // input can only push the start later, never earlier
    EXPECT_FALSE(f.At(1999).startRun);
    EXPECT_EQ(f.looks, 0);  // the windows are looked at only when a run would start
    EXPECT_TRUE(f.At(2000).startRun);
}

TEST(IdleDecider, LongWaitsAreCapped) {
    Decider d(10 * 60 * 1000);
    EXPECT_EQ(d.Next(0, false, [] { return Surroundings{}; }).waitMs, Decider::kMaxWaitMs);
}

TEST(IdleDecider, NeverStartsWhileARunIsGoing) {
    Feed f;
    ASSERT_TRUE(f.At(2000).startRun);
    for (std::int64_t t = 2200; t < 10000; t += 200) EXPECT_FALSE(f.At(t, true).startRun);
    Feed byHand;  // a run started by hand, not by us
    byHand.around.velmoraRunning = true;
    EXPECT_FALSE(byHand.At(5000).startRun);
}

TEST(IdleDecider, ARunThatEndsWithoutInputIsNotFollowedByAnother) {
    Feed f;
    ASSERT_TRUE(f.At(2000).startRun);
    f.At(2500, true);
    EXPECT_FALSE(f.At(3000).startRun);  // ended by itself, nobody touched anything
    EXPECT_FALSE(f.At(60000).startRun);
    EXPECT_FALSE(f.At(100).startRun);  // input: the count starts again...
    EXPECT_FALSE(f.At(1900).startRun);
    EXPECT_TRUE(f.At(2100).startRun);  // ...and reaches the idle time once more
}

TEST(IdleDecider, TheKeyThatEndsARunStartsTheCountAfresh) {
    Feed f;
    ASSERT_TRUE(f.At(2000).startRun);
    f.At(2400, true);
    f.At(50, true);  // Escape during the run
    EXPECT_FALSE(f.At(300).startRun);
    EXPECT_TRUE(f.At(2050).startRun);
}

TEST(IdleDecider, AFullScreenWindowHoldsTheRunBackUntilItGoes) {
    Feed f;
    f.around.fullScreenInFront = true;
    const auto held = f.At(2000);
    EXPECT_FALSE(held.startRun);
    EXPECT_EQ(held.waitMs, Decider::kBlockedPollMs);
    EXPECT_FALSE(f.At(30000).startRun);
    f.around.fullScreenInFront = false;  // the film ended, the user is still away
    EXPECT_TRUE(f.At(31000).startRun);
}

// A run due under the desktop's lock is not started, is said once, and the next one waits for
// the user's input after the unlock, as after a run.
TEST(IdleDecider, TheDesktopsLockTakesTheRunsTurnAndTheCountStartsAgainAtTheNextInput) {
    Feed f;
    f.around.shield = platform::DesktopShield::SessionLocked;
    const auto refused = f.At(2000);
    EXPECT_FALSE(refused.startRun);
    EXPECT_EQ(refused.shieldedBy, platform::DesktopShield::SessionLocked);
    f.around.shield = platform::DesktopShield::Off;  // unlocked, nobody has touched anything
    for (std::int64_t t = 2500; t < 60000; t += 500) {
        const auto later = f.At(t);
        EXPECT_FALSE(later.startRun) << t;
        EXPECT_EQ(later.shieldedBy, platform::DesktopShield::Off) << t;
    }
    EXPECT_EQ(f.looks, 1);
    EXPECT_FALSE(f.At(100).startRun);  // the user's first key after the unlock
    EXPECT_TRUE(f.At(2000).startRun);
    EXPECT_EQ(idle::ShieldedLogLine(platform::DesktopShield::GnomeScreenSaver),
              "velmora-idle: no run: the desktop's screen saver or lock is on "
              "(org.gnome.ScreenSaver); counting again from the next input");
}

TEST(IdleDecider, TheLogLineNamesTheRunItsIdleTimeAndItsProcess) {
    EXPECT_EQ(idle::RunLogLine(3, 600400, 4242),
              "velmora-idle: run 3 started after 600 s without input (pid 4242)");
}

// A signalled end is told as a shell tells it; the desktop's own screen saver or lock is named
// as the reason, not as a failure; a run that ended well or whose end is unknown is not logged.
TEST(IdleDecider, TheEndOfARunIsLoggedByItsExitCode) {
    using How = platform::ProgramEnding::How;
    EXPECT_EQ(idle::ExitCode({How::Exited, 2}), 2);
    EXPECT_EQ(idle::ExitCode({How::Killed, 9}), 137);
    EXPECT_FALSE(idle::ExitCode({How::Unknown, 0}));
    EXPECT_FALSE(idle::ExitCode({How::Running, 0}));
    EXPECT_FALSE(idle::RunEndedLogLine(1, 0));
    EXPECT_EQ(idle::RunEndedLogLine(2, 137), "velmora-idle: run 2 ended with exit code 137");
    EXPECT_EQ(idle::RunEndedLogLine(3, 6),
              "velmora-idle: run 3 did not start: the desktop's screen saver or lock was on");
    EXPECT_EQ(idle::RunEndedLogLine(4, 7),
              "velmora-idle: run 4 ended: the desktop's screen saver or lock came on");
}

}  // namespace
