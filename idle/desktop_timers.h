// The desktop's own blank, lock and sleep timers as the idle companion weighs them, free of any
// system call: read from GNOME's settings, KDE's configuration files and the X server's timeouts;
// the idle time chosen from them; the warning when the desktop comes first; --check's report.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/idle.h"

namespace idle {

// One of the desktop's timers.
struct DesktopTimer {
    std::string what;          // what happens, in words: "the screen blanks"
    std::string setting;       // where it is set: "GNOME: org.gnome.desktop.session idle-delay"
    std::int64_t seconds = 0;  // of idle time before it happens (more than 0)
    std::string remedy;        // how to raise it, in words
};

// GNOME's timers from its settings: the blank (idle-delay, unless 0), the lock (when enabled,
// lock-delay after the blank) and the sleep on mains and on battery (unless its type is
// "nothing" or its timeout 0).
std::vector<DesktopTimer> GnomeTimers(const platform::idle::GnomeTimerSettings& settings);

// The value of `key` in `section` ("Daemon", or "AC][SuspendSession" for "[AC][SuspendSession]")
// of a KDE configuration file's text; nothing when either is absent. Later lines win, as in KDE.
std::optional<std::string> KdeConfigValue(std::string_view text, std::string_view section,
                                          std::string_view key);

// KDE's timers: the screen locker's (kscreenlockerrc: [Daemon] Autolock, default true; Timeout
// in minutes, default 5; 0 is never) and, where its file is there, power management's on mains
// (powermanagementprofilesrc: [AC][DPMSControl] idleTime in seconds, [AC][SuspendSession]
// idleTime in milliseconds). `lockerrc`, `powerrc`: the files' texts, nothing when absent.
std::vector<DesktopTimer> KdeTimers(const std::optional<std::string>& lockerrc,
                                    const std::optional<std::string>& powerrc);

// The X server's timers: its screen saver (unless off) and DPMS's standby, suspend and off
// (while DPMS is on, each unless 0).
std::vector<DesktopTimer> XServerTimers(const platform::idle::XTimerSettings& settings);

// Where the session's timers are read: GNOME's settings on GNOME, KDE's files on KDE, the X
// server's timeouts in an X session (not under Wayland, where XWayland's blank nothing); and the
// timers that can't be read, in words (sway's, another Wayland desktop's).
struct TimerSources {
    bool gnome = false;
    bool kde = false;
    bool xServer = false;
    std::vector<std::string> unread;
};
TimerSources WhichTimers(const platform::idle::Session& session);

// Velmora's idle time without --minutes or --seconds: one minute before the earliest of
// `timers`, never less than one minute; 10 minutes without any.
std::int64_t DefaultIdleMs(const std::vector<DesktopTimer>& timers);

// The earliest of `timers` that comes at or before `idleMs`: the one that keeps Velmora from
// being seen. Nothing when Velmora comes first.
std::optional<DesktopTimer> FirstBefore(const std::vector<DesktopTimer>& timers,
                                        std::int64_t idleMs);

// A duration in words: "5 min", "90 s" -> "1 min 30 s".
std::string Duration(std::int64_t seconds);

// What is said once when `first` comes before Velmora's `idleMs`: which setting, and how to
// change it (raise the desktop's time, or lower Velmora's; never turning the lock off).
// `chosen`: the time is velmora-idle's own choice, not the command line's.
std::string LateWarning(std::int64_t idleMs, bool chosen, const DesktopTimer& first);

// What --check prints: Velmora's time, each timer found (earliest first) and each source that
// could not be read (`unread`, in words), and the verdict. Its exit status is CheckStatus's.
std::string CheckReport(std::int64_t idleMs, bool chosen, std::vector<DesktopTimer> timers,
                        const std::vector<std::string>& unread);
// 0 when Velmora comes before every timer, 1 when not.
int CheckStatus(std::int64_t idleMs, const std::vector<DesktopTimer>& timers);

}  // namespace idle
