// The desktop's own timers as the idle companion follows them while it runs: read from where the
// session keeps them (see desktop_timers.h), the idle time chosen from them, and the warning said
// once when the desktop comes first.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop_timers.h"
#include "idle_rules.h"
#include "platform/idle.h"
#include "unattended.h"

namespace idle {

class DesktopClock {
  public:
    // Reads the session's timers; `options` tell whether the command line gave a time.
    DesktopClock(const platform::idle::Session& session, const Options& options);

    // Reads every timer again; true when the idle time changed.
    bool Reread();
    // Velmora's idle time: the command line's, else chosen from the timers (DefaultIdleMs).
    std::int64_t IdleMs() const { return idleMs_; }
    bool chosen() const { return !timeGiven_; }
    const std::vector<DesktopTimer>& timers() const { return timers_; }
    const std::vector<std::string>& unread() const { return unread_; }

    // What to tell when a timer comes at or before Velmora's time: once for each such timer
    // (again only after it changed), nothing otherwise.
    std::optional<Notice> NewWarning();

    // Readable when GNOME's settings changed (-1 outside GNOME); TakeNews says whether they did.
    int Descriptor() const { return gnome_ ? gnome_->Descriptor() : -1; }
    bool TakeNews() { return gnome_ && gnome_->TakeNews(); }

  private:
    TimerSources sources_;
    bool timeGiven_;
    std::int64_t givenMs_;
    std::unique_ptr<platform::idle::GnomeSettings> gnome_;
    std::vector<DesktopTimer> timers_;
    std::vector<std::string> unread_;  // what could not be read, in words
    std::int64_t idleMs_ = 0;
    std::optional<std::string> warned_;  // the setting and time last warned about
};

}  // namespace idle
