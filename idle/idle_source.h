// The idle companion's choice of where the input-free time comes from, free of any system call:
// the sources worth trying in a session, best first, and what to say when none of them is there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/idle.h"

namespace idle {

// The exit status for a session without any source of the input-free time: nothing will change
// by starting again, so the service unit does not restart on it.
inline constexpr int kNoSourceStatus = 3;

// The sources to open in turn, best first. In a Wayland session: the compositor's own
// notifications among `globals` (the interface names it offers: ext_idle_notifier_v1, then
// org_kde_kwin_idle), then GNOME's IdleMonitor on the session bus, which no global announces; never
// the X server's count, since XWayland does not see input that goes to Wayland windows. In an X
// session: the X server's. Empty when the session names neither display.
std::vector<platform::idle::Source> SourcesToTry(const platform::idle::Session& session,
                                                 const std::vector<std::string>& globals);

// How the source is named to the user (its protocol, extension or bus interface).
std::string_view SourceName(platform::idle::Source source);

// A source that was tried and did not open.
struct Attempt {
    platform::idle::Source source;
    std::string error;    // why, in a few words
    bool lasting = true;  // false when a display or bus did not answer, which may change
};

// The line said when no source could be opened: every source looked for in `session`, each with
// why it could not be had: the error of its attempt in `attempts`, else that the compositor was
// not reached (`waylandError`, said first, tells why) or does not offer it.
std::string NoSourceText(const platform::idle::Session& session,
                         const std::vector<Attempt>& attempts, const std::string& waylandError);

// The exit status without a source: kNoSourceStatus when there were attempts and every one
// failed for good, with the compositor reached (`waylandError` empty), else 1 (worth trying
// again).
int NoSourceStatus(const std::vector<Attempt>& attempts, const std::string& waylandError);

}  // namespace idle
