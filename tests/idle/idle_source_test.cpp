// The idle companion's choice of source without a session: what each kind of session tries, in
// which order, and what it says when there is none.
#include "idle_source.h"

#include <gtest/gtest.h>

#include "test_session.h"

namespace {

using testidle::Make;

using platform::idle::Session;
using platform::idle::Source;

const Session kWayland = Make(true, true);  // with XWayland, as desktops start it
const Session kX11 = Make(false, true);

TEST(IdleSource, AWaylandSessionPrefersTheCompositorsOwnNotificationsThenGnomesMonitor) {
    const std::vector<std::string> both = {"wl_compositor", "org_kde_kwin_idle", "wl_seat",
                                           "ext_idle_notifier_v1"};
    EXPECT_EQ(idle::SourcesToTry(kWayland, both),
              (std::vector{Source::kExtIdleNotify, Source::kKdeIdle, Source::kMutterIdleMonitor}));
    // sway 1.7 and older KDE offer only the older protocol.
    EXPECT_EQ(idle::SourcesToTry(kWayland, {"wl_seat", "org_kde_kwin_idle"}),
              (std::vector{Source::kKdeIdle, Source::kMutterIdleMonitor}));
    // GNOME announces neither: its monitor is on the bus.
    EXPECT_EQ(idle::SourcesToTry(kWayland, {"wl_seat", "zwp_idle_inhibit_manager_v1"}),
              (std::vector{Source::kMutterIdleMonitor}));
}

TEST(IdleSource, AWaylandSessionNeverCountsWithTheXServer) {
    // XWayland's count does not see input that goes to Wayland windows.
    for (const auto& globals : {std::vector<std::string>{}, std::vector<std::string>{"wl_seat"}})
        for (Source s : idle::SourcesToTry(kWayland, globals)) EXPECT_NE(s, Source::kXScreenSaver);
    EXPECT_EQ(idle::SourcesToTry(Make(true, false), {}), (std::vector{Source::kMutterIdleMonitor}));
}

TEST(IdleSource, AnXSessionCountsWithTheXServerWhateverGlobalsAreNamed) {
    EXPECT_EQ(idle::SourcesToTry(kX11, {}), (std::vector{Source::kXScreenSaver}));
    EXPECT_EQ(idle::SourcesToTry(kX11, {"ext_idle_notifier_v1"}),
              (std::vector{Source::kXScreenSaver}));
    EXPECT_TRUE(idle::SourcesToTry(Session{}, {}).empty());
}

TEST(IdleSource, NamesEverySourceLookedForWithWhyItWasNotHad) {
    const std::string wayland =
        idle::NoSourceText(kWayland, {{Source::kMutterIdleMonitor, "not on the session bus"}}, "");
    EXPECT_EQ(wayland,
              "no source of idle time; looked for ext_idle_notifier_v1: not offered by the "
              "compositor; org_kde_kwin_idle: not offered by the compositor; "
              "org.gnome.Mutter.IdleMonitor: not on the session bus");
    // A compositor that could not be reached is named as such, not as offering nothing.
    const std::string unreached = idle::NoSourceText(
        kWayland, {{Source::kMutterIdleMonitor, "no session bus", false}}, "cannot connect");
    EXPECT_EQ(unreached.rfind("cannot connect; no source of idle time; looked for "
                              "ext_idle_notifier_v1: the compositor was not reached;",
                              0),
              0u)
        << unreached;
    EXPECT_NE(unreached.find("org.gnome.Mutter.IdleMonitor: no session bus"), std::string::npos);
    EXPECT_EQ(idle::NoSourceText(kX11, {{Source::kXScreenSaver, "no extension"}}, ""),
              "no source of idle time; looked for MIT-SCREEN-SAVER: no extension");
    EXPECT_NE(idle::NoSourceText(Session{}, {}, "")
                  .find("neither WAYLAND_DISPLAY nor "
                        "DISPLAY"),
              std::string::npos);
}

TEST(IdleSource, OnlyAFailureThatLastsIsNotTriedAgain) {
    const idle::Attempt absent{Source::kKdeIdle, "not offered", true};
    const idle::Attempt unanswered{Source::kMutterIdleMonitor, "no session bus", false};
    EXPECT_EQ(idle::NoSourceStatus({absent, absent}, ""), idle::kNoSourceStatus);
    // A bus or display that did not answer may be there when the service starts again.
    EXPECT_EQ(idle::NoSourceStatus({absent, unanswered}, ""), 1);
    EXPECT_EQ(idle::NoSourceStatus({absent}, "cannot connect"), 1);
    EXPECT_EQ(idle::NoSourceStatus({}, ""), 1);  // no display named at all
}

}  // namespace
