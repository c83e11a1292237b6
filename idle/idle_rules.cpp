// The idle companion's decisions (see idle_rules.h).
#include "idle_rules.h"
#include "platform/base.h"

#include <algorithm>
#include <charconv>

namespace idle {
namespace {

constexpr std::int64_t kMaxMinutes = 24 * 60;
constexpr std::int64_t kMaxSeconds = 24 * 60 * 60;

// A whole number from 1 to `max` written in plain digits.
std::optional<std::int64_t> ReadCount(std::string_view text, std::int64_t max) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > max)
        return std::nullopt;
    return value;
}

// Splits "--name=value" into its two halves; other words keep an empty value.
std::pair<std::string_view, std::optional<std::string_view>> SplitWord(std::string_view word) {
    const auto eq = word.find('=');
    if (word.rfind("--", 0) != 0 || eq == std::string_view::npos) return {word, std::nullopt};
    return {word.substr(0, eq), word.substr(eq + 1)};
}

}  // namespace

bool ParseOptions(const std::vector<std::string_view>& arguments, Options& options,
                  std::string* why) {
    options = {};
    const auto refuse = [why](std::string reason) {
        if (why) *why = std::move(reason);
        return false;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        auto [name, value] = SplitWord(arguments[i]);
        if (name == "--help" || name == "-h" || (name == "--check" && !value)) {
            (name == "--check" ? options.check : options.help) = true;
            continue;
        }
        if (name != "--minutes" && name != "--seconds")
            return refuse(
                platform::FillIn(platform::Translate("unknown argument: %s"), {arguments[i]}));
        if (!value) {
            if (i + 1 == arguments.size())
                return refuse(platform::FillIn(platform::Translate("%s needs a number"), {name}));
            value = arguments[++i];
        }
        const bool minutes = name == "--minutes";
        const auto count = ReadCount(*value, minutes ? kMaxMinutes : kMaxSeconds);
        if (!count)
            return refuse(platform::FillIn(
                platform::Translate("%s takes a whole number from 1 to %s, not \"%s\""),
                {name, std::to_string(minutes ? kMaxMinutes : kMaxSeconds), *value}));
        options.idleMs = *count * (minutes ? 60 * 1000 : 1000);
        options.timeGiven = true;
    }
    return true;
}

std::string HelpText() {
    return platform::Translate(R"(Usage: velmora-idle [--minutes N | --seconds N] [--check]

Starts the Velmora screensaver (Velmora.scr /s, from velmora-idle's own program
folder) once the session has had no keyboard or pointer input for a while.

  --minutes N   minutes without input before a run, 1 to 1440
  --seconds N   seconds without input before a run, 1 to 86400 (for trying it out)
  --check       show that time beside the desktop's own blank, lock and sleep
                timers, and end: status 0 when Velmora comes first, 1 when not
  -h, --help    show this text and end

Without --minutes or --seconds a run starts one minute before the earliest of
the desktop's timers it can read (GNOME's settings, KDE's screen locker and
power management, the X server's saver and DPMS; sway's live in swayidle's
command line), never sooner than after one minute, else after 10 minutes; it
follows changes of them. A time at or after one of them is said once at start.
Nobody may be at the screen when a run starts: a run never asks GNOME's
screenshot question (start "velmora /s" by hand once and choose "Allow"), and
shows no message box; what goes wrong is logged and shown as one notification.

The idle time is the desktop's own: on Wayland the compositor's
(ext_idle_notifier_v1, else org_kde_kwin_idle, else GNOME's
org.gnome.Mutter.IdleMonitor on the session bus), on X11 the X server's
(MIT-SCREEN-SAVER). Players that keep the screen awake also keep Velmora away.
It never starts a second run while one is going, waits for new input after a
run before counting again, and does not start while another program's
full-screen window has the focus (on Wayland, where the compositor says so).
Each run is logged as one line on standard error. It ends on SIGTERM, SIGINT or
SIGHUP (ending a run it started) and when the display closes.
A run that did not end well is logged with its exit status, except one that
gave way to the desktop's screen saver or lock (status 6: it was on at the
start; 7: it came on during the run), which is logged as such, not as a fault.

Exit status: 0 ended normally; 1 no display, or no Velmora.scr beside
velmora-idle; 2 a bad command line; 3 the session offers no idle time at all
(the line on standard error names every source looked for).

To start it with every GNOME, KDE Plasma or X11 session, enable one of (not both):
  systemctl --user enable --now velmora-idle.service
  mkdir -p ~/.config/autostart &&
    cp /usr/share/velmora/velmora-idle.desktop ~/.config/autostart/
On sway, add to ~/.config/sway/config:
  exec /usr/bin/velmora-idle --minutes 10
(for an install under another prefix, /usr becomes that prefix).
)");
}

Step Decider::Next(std::int64_t idleMs, bool ourRunGoing,
                   const std::function<Surroundings()>& look) {
    if (idleMs < lastIdleMs_) armed_ = true;  // the count went down: there was input
    lastIdleMs_ = idleMs;
    if (ourRunGoing) return {false, kRunPollMs};
    if (!armed_) return {false, kInputPollMs};
    if (idleMs < idleMs_) return {false, std::min(idleMs_ - idleMs, kMaxWaitMs)};
    const Surroundings around = look();
    if (around.velmoraRunning || around.fullScreenInFront) return {false, kBlockedPollMs};
    armed_ = false;
    if (around.shield != platform::DesktopShield::Off) return {false, kInputPollMs, around.shield};
    return {true, kRunPollMs};
}

std::string ShieldedLogLine(platform::DesktopShield shield) {
    return platform::FillIn(platform::Translate("velmora-idle: no run: the desktop's screen saver "
                                                "or lock is on (%s); counting again from the next "
                                                "input"),
                            {std::string(platform::DesktopShieldName(shield))});
}

std::string RunLogLine(int number, std::int64_t idleMs, long pid) {
    return platform::FillIn(
        platform::Translate("velmora-idle: run %s started after %s s without input (pid %s)"),
        {std::to_string(number), std::to_string(idleMs / 1000), std::to_string(pid)});
}

std::optional<std::string> RunEndedLogLine(int number, int exitCode) {
    // The host's statuses for a desktop whose screen saver or lock was on at the start (6) or
    // came on during the run (7).
    constexpr int kShieldedAtStart = 6, kShieldCameOn = 7;
    const std::string run = std::to_string(number);
    if (exitCode == 0) return std::nullopt;
    if (exitCode == kShieldedAtStart)
        return platform::FillIn(platform::Translate("velmora-idle: run %s did not start: the "
                                                    "desktop's screen saver or lock was on"),
                                {run});
    if (exitCode == kShieldCameOn)
        return platform::FillIn(platform::Translate("velmora-idle: run %s ended: the desktop's "
                                                    "screen saver or lock came on"),
                                {run});
    return platform::FillIn(platform::Translate("velmora-idle: run %s ended with exit code %s"),
                            {run, std::to_string(exitCode)});
}

std::optional<int> ExitCode(const platform::ProgramEnding& ending) {
    using How = platform::ProgramEnding::How;
    if (ending.how == How::Exited) return ending.code;
    if (ending.how == How::Killed) return 128 + ending.code;
    return std::nullopt;
}

}  // namespace idle
