// The idle companion's choice of source (see idle_source.h).
#include "idle_source.h"
#include "platform/base.h"

#include <algorithm>

namespace idle {
namespace {

using platform::idle::Session;
using platform::idle::Source;

bool Offered(const std::vector<std::string>& globals, std::string_view name) {
    return std::find(globals.begin(), globals.end(), name) != globals.end();
}

// Every source a session of this kind may have, best first.
std::vector<Source> Candidates(const Session& session) {
    if (session.wayland)
        return {Source::kExtIdleNotify, Source::kKdeIdle, Source::kMutterIdleMonitor};
    if (session.x11) return {Source::kXScreenSaver};
    return {};
}

}  // namespace

std::vector<Source> SourcesToTry(const Session& session, const std::vector<std::string>& globals) {
    std::vector<Source> sources;
    for (Source s : Candidates(session)) {
        // The session bus is not a Wayland global: GNOME's monitor is always worth asking.
        if (s == Source::kMutterIdleMonitor || s == Source::kXScreenSaver ||
            Offered(globals, SourceName(s)))
            sources.push_back(s);
    }
    return sources;
}

std::string_view SourceName(Source source) {
    switch (source) {
        case Source::kXScreenSaver:
            return "MIT-SCREEN-SAVER";
        case Source::kExtIdleNotify:
            return "ext_idle_notifier_v1";
        case Source::kKdeIdle:
            return "org_kde_kwin_idle";
        case Source::kMutterIdleMonitor:
            return "org.gnome.Mutter.IdleMonitor";
    }
    return "?";
}

std::string NoSourceText(const Session& session, const std::vector<Attempt>& attempts,
                         const std::string& waylandError) {
    const std::vector<Source> all = Candidates(session);
    if (all.empty())
        return platform::Translate("no display: neither WAYLAND_DISPLAY nor DISPLAY is set");
    std::string text = waylandError.empty() ? "" : waylandError + "; ";
    text += platform::Translate("no source of idle time; looked for");
    for (std::size_t i = 0; i < all.size(); ++i) {
        const auto at = std::find_if(attempts.begin(), attempts.end(),
                                     [&](const Attempt& a) { return a.source == all[i]; });
        text += std::string(i == 0 ? " " : "; ") + std::string(SourceName(all[i])) + ": " +
                (at != attempts.end()    ? at->error
                 : !waylandError.empty() ? platform::Translate("the compositor was not reached")
                                         : platform::Translate("not offered by the compositor"));
    }
    return text;
}

int NoSourceStatus(const std::vector<Attempt>& attempts, const std::string& waylandError) {
    const bool allLast =
        std::all_of(attempts.begin(), attempts.end(), [](const Attempt& a) { return a.lasting; });
    return !attempts.empty() && allLast && waylandError.empty() ? kNoSourceStatus : 1;
}

}  // namespace idle
