// The idle companion's weighing of the desktop's own timers without a desktop: GNOME's settings,
// KDE's files and the X server's timeouts read into timers, the idle time chosen from them, the
// warning and --check's report; and its rules for runs nobody may be watching.
#include "desktop_timers.h"
#include "unattended.h"

#include <gtest/gtest.h>

#include "test_session.h"

namespace {

using testidle::Make;

using platform::idle::GnomeTimerSettings;
using platform::idle::ScreenshotAnswer;
using platform::idle::Session;
using platform::idle::XTimerSettings;

// GNOME's defaults: blank and lock at 5 minutes, suspend at 20 on mains and on battery.
GnomeTimerSettings GnomeDefaults() {
    GnomeTimerSettings s;
    s.idleDelay = 300;
    s.lockEnabled = true;
    s.lockDelay = 0;
    s.sleepAcTimeout = s.sleepBatteryTimeout = 1200;
    s.sleepAcType = s.sleepBatteryType = "suspend";
    return s;
}

std::vector<std::int64_t> Seconds(const std::vector<idle::DesktopTimer>& timers) {
    std::vector<std::int64_t> seconds;
    for (const auto& t : timers) seconds.push_back(t.seconds);
    return seconds;
}

TEST(DesktopTimers, GnomesBlankLockAndSleepAsItsSettingsSayThem) {
    GnomeTimerSettings s = GnomeDefaults();
    auto timers = idle::GnomeTimers(s);
    EXPECT_EQ(Seconds(timers), (std::vector<std::int64_t>{300, 300, 1200, 1200}));
    EXPECT_EQ(timers[0].setting, "GNOME: org.gnome.desktop.session idle-delay");
    EXPECT_NE(timers[2].setting.find("sleep-inactive-ac-timeout (suspend)"), std::string::npos);

    s.lockDelay = 30;  // the lock follows the blank
    s.sleepBatteryType = "nothing";
    s.sleepAcTimeout = 0;
    EXPECT_EQ(Seconds(idle::GnomeTimers(s)), (std::vector<std::int64_t>{300, 330}));
    s.idleDelay = 0;  // never blanks, so never locks on its own either
    s.lockEnabled = false;
    EXPECT_TRUE(idle::GnomeTimers(s).empty());
    // Schemas not installed: nothing read, nothing assumed.
    EXPECT_TRUE(idle::GnomeTimers(GnomeTimerSettings{}).empty());
}

TEST(DesktopTimers, KdeLocksAfterFiveMinutesUnlessItsFileSaysOtherwise) {
    EXPECT_EQ(Seconds(idle::KdeTimers(std::nullopt, std::nullopt)),
              (std::vector<std::int64_t>{300}));
    EXPECT_EQ(Seconds(idle::KdeTimers("[Daemon]\nTimeout=15\n", std::nullopt)),
              (std::vector<std::int64_t>{900}));
    EXPECT_TRUE(
        idle::KdeTimers("[Daemon]\r\nAutolock=false\r\nTimeout=15\r\n", std::nullopt).empty());
    EXPECT_TRUE(idle::KdeTimers("[Daemon]\nTimeout=0\n", std::nullopt).empty());
    // Other sections, comments, KDE's immutable mark, a later line winning, a bad number.
    EXPECT_EQ(Seconds(idle::KdeTimers("[Greeter]\nTimeout=1\n# Timeout=2\n[Daemon]\n"
                                      "Timeout[$i]=7\nTimeout = 8\n",
                                      std::nullopt)),
              (std::vector<std::int64_t>{480}));
    EXPECT_EQ(Seconds(idle::KdeTimers("[Daemon]\nTimeout=soon\n", std::nullopt)),
              (std::vector<std::int64_t>{300}));
    // Power management on mains: the screen off in seconds, the suspend in milliseconds.
    const std::string power =
        "[Battery][DPMSControl]\nidleTime=60\n[AC][DPMSControl]\nidleTime=600\n"
        "[AC][SuspendSession]\nidleTime=900000\nsuspendType=1\n";
    EXPECT_EQ(Seconds(idle::KdeTimers("[Daemon]\nAutolock=false\n", power)),
              (std::vector<std::int64_t>{600, 900}));
    EXPECT_EQ(idle::KdeConfigValue(power, "AC][SuspendSession", "suspendType"), "1");
    EXPECT_FALSE(idle::KdeConfigValue(power, "AC", "idleTime"));
}

TEST(DesktopTimers, TheXServersSaverAndTheEarliestDpmsTimeout) {
    XTimerSettings x;
    x.saverTimeout = 600;
    x.standby = 0;
    x.suspend = 900;
    x.off = 1200;
    EXPECT_EQ(Seconds(idle::XServerTimers(x)), (std::vector<std::int64_t>{600}));  // DPMS off
    x.dpmsEnabled = true;
    EXPECT_EQ(Seconds(idle::XServerTimers(x)), (std::vector<std::int64_t>{600, 900}));
    x.saverTimeout = 0;
    x.suspend = x.off = 0;
    EXPECT_TRUE(idle::XServerTimers(x).empty());
}

TEST(DesktopTimers, WhichTimersASessionHas) {
    const Session gnome = Make(true, true, "ubuntu:GNOME");
    auto sources = idle::WhichTimers(gnome);
    EXPECT_TRUE(sources.gnome && !sources.kde && !sources.xServer && sources.unread.empty());
    EXPECT_TRUE(idle::WhichTimers(Make(false, true, "KDE")).kde);
    EXPECT_TRUE(
        idle::WhichTimers(Make(false, true, "KDE")).xServer);  // an X session's server blanks
    EXPECT_FALSE(idle::WhichTimers(Make(true, true, "KDE")).xServer);  // XWayland's blanks nothing
    const Session sway = Make(true, true, "", true);
    sources = idle::WhichTimers(sway);
    ASSERT_EQ(sources.unread.size(), 1u);
    EXPECT_NE(sources.unread[0].find("swayidle"), std::string::npos);
}

TEST(DesktopTimers, TheDefaultTimeIsAMinuteBeforeTheEarliestButAtLeastAMinute) {
    EXPECT_EQ(idle::DefaultIdleMs({}), 600000);  // nothing read: ten minutes
    EXPECT_EQ(idle::DefaultIdleMs(idle::GnomeTimers(GnomeDefaults())), 240000);
    std::vector<idle::DesktopTimer> soon = {{"", "", 1200, ""}, {"", "", 90, ""}};
    EXPECT_EQ(idle::DefaultIdleMs(soon), 60000);
    soon[1].seconds = 30;
    EXPECT_EQ(idle::DefaultIdleMs(soon), 60000);
    // ...which then is not first, and is said.
    EXPECT_EQ(idle::FirstBefore(soon, 60000)->seconds, 30);
}

TEST(DesktopTimers, AtOrAfterTheDesktopsTimerVelmoraIsNotSeenAndTheWarningSaysWhatToChange) {
    const auto timers = idle::GnomeTimers(GnomeDefaults());
    EXPECT_FALSE(idle::FirstBefore(timers, 299000));
    const auto first = idle::FirstBefore(timers, 300000);  // at the same moment: too late
    ASSERT_TRUE(first);
    EXPECT_EQ(first->what, "the screen blanks");
    const std::string warning = idle::LateWarning(600000, false, *first);
    for (const char* part :
         {"the screen blanks after 5 min", "org.gnome.desktop.session idle-delay", "after 10 min",
          "gsettings set", "--minutes"})
        EXPECT_NE(warning.find(part), std::string::npos) << part << " in " << warning;
    // Never the advice to turn the lock off.
    EXPECT_EQ(warning.find("lock-enabled false"), std::string::npos);
    EXPECT_EQ(idle::Duration(90), "1 min 30 s");
    EXPECT_EQ(idle::Duration(45), "45 s");
}

TEST(DesktopTimers, CheckReportsEveryTimerEarliestFirstTheUnreadAndTheVerdict) {
    XTimerSettings x;
    x.saverTimeout = 600;
    auto timers = idle::XServerTimers(x);
    const auto gnome = idle::GnomeTimers(GnomeDefaults());
    timers.insert(timers.end(), gnome.begin(), gnome.end());
    const std::string late = idle::CheckReport(600000, false, timers, {"sway's timers"});
    EXPECT_EQ(late.rfind("Velmora: after 10 min without input (the command line's)\n"
                         "Desktop: after 5 min the screen blanks (GNOME: "
                         "org.gnome.desktop.session idle-delay)\n",
                         0),
              0u)
        << late;
    EXPECT_NE(late.find("Desktop: after 10 min the X server's screen saver"), std::string::npos);
    EXPECT_NE(late.find("Not read: sway's timers\n"), std::string::npos);
    EXPECT_NE(late.find("The desktop comes first: the screen blanks"), std::string::npos);
    EXPECT_EQ(idle::CheckStatus(600000, timers), 1);
    const std::string first = idle::CheckReport(240000, true, timers, {});
    EXPECT_NE(first.find("(velmora-idle's own choice)"), std::string::npos);
    EXPECT_NE(first.find("Velmora comes first.\n"), std::string::npos);
    EXPECT_EQ(idle::CheckStatus(240000, timers), 0);
    EXPECT_EQ(idle::CheckStatus(600000, {}), 0);
}

TEST(Unattended, OnlyGnomesPortalAsksAQuestion) {
    EXPECT_TRUE(idle::CaptureMayAsk(Make(true, true, "GNOME"), {"wl_seat"}));
    EXPECT_TRUE(idle::CaptureMayAsk(Make(true, true, "ubuntu:gnome"), {}));
    // Screen copy goes first where the compositor offers it; KDE's portal asks nothing; on X the
    // server is read.
    EXPECT_FALSE(idle::CaptureMayAsk(Make(true, true, "GNOME"), {"zwlr_screencopy_manager_v1"}));
    EXPECT_FALSE(idle::CaptureMayAsk(Make(true, true, "KDE"), {}));
    EXPECT_FALSE(idle::CaptureMayAsk(Make(false, true, "GNOME"), {}));
    EXPECT_FALSE(idle::CaptureMayAsk(Make(true, true, "GNOME-Flashback-X"), {}));
    const auto notAsked = idle::NoRunWithoutAnswer(ScreenshotAnswer::NotAsked);
    EXPECT_NE(notAsked.body.find("\"velmora /s\" by hand once and choose \"Allow\""),
              std::string::npos);
    EXPECT_NE(idle::NoRunWithoutAnswer(ScreenshotAnswer::No).body, notAsked.body);
}

TEST(Unattended, AFailedRunIsToldWithItsOwnLastWordsWhole) {
    EXPECT_FALSE(idle::FailedRunNotice(1, 0, {"noise"}));
    EXPECT_FALSE(idle::FailedRunNotice(1, 143, {}));  // ended by a signal: not a failure to tell
    EXPECT_FALSE(idle::FailedRunNotice(1, 7, {}));    // the desktop locked over it
    const auto failed = idle::FailedRunNotice(
        3, 1,
        {"Velmora: Error: Velmora could not take a picture of the desktop.", "", "Reason: x."});
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->body, "Velmora could not take a picture of the desktop.\n\nReason: x.");
    const auto silent = idle::FailedRunNotice(3, 2, {});
    EXPECT_NE(silent->body.find("Run 3 ended with exit code 2"), std::string::npos);
    // A long text keeps its end, where the reason is, cut between whole characters.
    const auto longer =
        idle::FailedRunNotice(1, 1,
                              {std::string(600, 'a'), std::string(300, 'a') + "\xc3\xa9" +
                                                          std::string(500, 'b') + " reason"});
    EXPECT_LE(longer->body.size(), 1003u);
    EXPECT_EQ(longer->body.substr(longer->body.size() - 7), " reason");
    EXPECT_EQ(idle::ValidUtf8(longer->body), longer->body);
    EXPECT_EQ(idle::ValidUtf8("a\xff\xc3\xa9\xe2\x82"), "a?\xc3\xa9??");
    idle::LastLines last(2);
    for (const char* line : {"1", "2", "3"}) last.Add(line);
    EXPECT_EQ(last.lines(), (std::vector<std::string>{"2", "3"}));
}

}  // namespace
