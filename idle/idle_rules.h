// The idle companion's decisions, free of any system call: reading its command line, and when to
// start a screensaver run from what the display reports (idle time, a run going, a full-screen
// window in front, the desktop's own screen saver or lock).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base.h"

namespace idle {

// What the command line asks for.
struct Options {
    std::int64_t idleMs = 10 * 60 * 1000;  // input-free time before a run
    bool timeGiven = false;  // --minutes or --seconds was given; else the desktop's timers choose
    bool check = false;      // --check: compare the time with the desktop's timers, and end
    bool help = false;
};

// Reads the options into `options`; false, with why in one line, when the words are not ones it
// takes. Accepts --minutes N (1 to 1440) and --seconds N (1 to 86400), also as --minutes=N; the
// last one given wins; --check; --help / -h.
bool ParseOptions(const std::vector<std::string_view>& arguments, Options& options,
                  std::string* why = nullptr);

// The text --help prints.
std::string HelpText();

// What the display looks like once the idle time has been reached.
struct Surroundings {
    bool velmoraRunning = false;     // a run of Velmora exists (ours or one started by hand)
    bool fullScreenInFront = false;  // another program's full-screen window has the focus
    // The desktop's screen saver, lock or blank that is on, when one is.
    platform::DesktopShield shield = platform::DesktopShield::Off;
};

// What to do now, and how long to wait before asking again.
struct Step {
    bool startRun = false;
    std::int64_t waitMs = 0;
    // The desktop's shield that kept a due run from starting (to be logged), else Off.
    platform::DesktopShield shieldedBy = platform::DesktopShield::Off;
};

// Decides from one observation to the next. A run starts when the display has been free of input
// for the chosen time, no run is going and no other full-screen window has the focus. After a run
// has started, no other starts until input has been seen again (the idle time went down), so a run
// that ends by itself does not start the next one at once. A run due while the desktop's screen
// saver, lock or blank is on is not started and counts as started: the count begins again at
// the first input after it (the user back at an unlocked desktop).
class Decider {
  public:
    // Waits while counting are capped, so that a changed display is noticed within a minute.
    static constexpr std::int64_t kMaxWaitMs = 60 * 1000;
    // How often a going run and a display without new input are looked at.
    static constexpr std::int64_t kRunPollMs = 200;
    static constexpr std::int64_t kInputPollMs = 500;
    // How often a display blocked by a full-screen window or another run is looked at again.
    static constexpr std::int64_t kBlockedPollMs = 1000;

    explicit Decider(std::int64_t idleMs) : idleMs_(idleMs) {}
    // A new idle time (the desktop's timers changed), counted from the same last input.
    void SetIdleMs(std::int64_t idleMs) { idleMs_ = idleMs; }

    // `idleMs`: the display's input-free time now; `ourRunGoing`: a run we started has not ended;
    // `look`: asked only when a run would otherwise start.
    Step Next(std::int64_t idleMs, bool ourRunGoing, const std::function<Surroundings()>& look);

  private:
    std::int64_t idleMs_;
    std::int64_t lastIdleMs_ = 0;
    bool armed_ = true;  // false from a run's start until input is seen
};

// The line logged for a run not started under `shield`: "velmora-idle: no run: the desktop's
// screen saver or lock is on (org.gnome.ScreenSaver); counting again from the next input".
std::string ShieldedLogLine(platform::DesktopShield shield);

// The line logged for a run: "velmora-idle: run N started after S s without input (pid P)".
std::string RunLogLine(int number, std::int64_t idleMs, long pid);

// The exit code of a run that ended as `ending` says, as a shell tells it: its exit status, or
// 128 + the number of the signal that ended it; nothing while it runs or when how it ended is
// not known.
std::optional<int> ExitCode(const platform::ProgramEnding& ending);

// The line logged for run `number` that ended with `exitCode`: nothing for 0; for the host's 6
// and 7 that the run gave way to the desktop's screen saver or lock (on at its start, or come
// on during it), which is no fault of the run; else "velmora-idle: run N ended with exit code C".
std::optional<std::string> RunEndedLogLine(int number, int exitCode);

}  // namespace idle
