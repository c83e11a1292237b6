// The desktop's timers as the idle companion follows them (see desktop_clock.h).
#include "desktop_clock.h"

#include "platform/base.h"

namespace idle {

namespace pidle = platform::idle;

DesktopClock::DesktopClock(const pidle::Session& session, const Options& options)
    : sources_(WhichTimers(session)), timeGiven_(options.timeGiven), givenMs_(options.idleMs) {
    if (sources_.gnome) gnome_ = std::make_unique<pidle::GnomeSettings>();
    Reread();
}

bool DesktopClock::Reread() {
    std::vector<DesktopTimer> timers;
    std::vector<std::string> unread = sources_.unread;
    if (gnome_) {
        const pidle::GnomeTimerSettings settings = gnome_->Current();
        timers = GnomeTimers(settings);
        for (const std::string& schema : settings.missing)
            unread.push_back(platform::FillIn(
                platform::Translate("GNOME's schema %s, which is not installed"), {schema}));
    }
    if (sources_.kde) {
        const auto kde = KdeTimers(pidle::ReadUserConfigFile("kscreenlockerrc"),
                                   pidle::ReadUserConfigFile("powermanagementprofilesrc"));
        timers.insert(timers.end(), kde.begin(), kde.end());
    }
    if (sources_.xServer) {
        std::string why;
        if (const auto x = pidle::ReadXTimers(&why)) {
            const auto server = XServerTimers(*x);
            timers.insert(timers.end(), server.begin(), server.end());
        } else {
            unread.push_back(
                platform::FillIn(platform::Translate("the X server's timers: %s"), {why}));
        }
    }
    timers_ = std::move(timers);
    unread_ = std::move(unread);
    const std::int64_t before = idleMs_;
    idleMs_ = timeGiven_ ? givenMs_ : DefaultIdleMs(timers_);
    return idleMs_ != before;
}

std::optional<Notice> DesktopClock::NewWarning() {
    const auto first = FirstBefore(timers_, idleMs_);
    if (!first) {
        warned_.reset();
        return std::nullopt;
    }
    const std::string key = first->setting + " " + std::to_string(first->seconds);
    if (warned_ == key) return std::nullopt;
    warned_ = key;
    return Notice{platform::Translate("The desktop comes before Velmora"),
                  LateWarning(idleMs_, chosen(), *first)};
}

}  // namespace idle
