// The idle companion's view of the user's session (Linux): how long it has been free of input, as
// the X server or the Wayland compositor tells it, whether another program's full-screen window is
// in front, the runs it starts, and one wait for all of that and the signals that end it. A call
// that can fail says so in its result and writes why, in a few words, to its `why` when given.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base.h"

namespace platform::idle {

// Where the input-free time comes from.
enum class Source {
    kXScreenSaver,       // the X server's MIT-SCREEN-SAVER extension (X sessions)
    kExtIdleNotify,      // the compositor's ext_idle_notifier_v1 (Wayland)
    kKdeIdle,            // the compositor's org_kde_kwin_idle (Wayland: KDE, sway 1.7)
    kMutterIdleMonitor,  // org.gnome.Mutter.IdleMonitor on the session bus (GNOME on Wayland)
};

// ---- The session (posix/idle_session.cpp) ---------------------------------------------------

// Which displays the environment names: WAYLAND_DISPLAY and DISPLAY, set and not empty.
struct Session {
    bool wayland = false;
    bool x11 = false;
    std::string desktops;  // XDG_CURRENT_DESKTOP as set: the desktop's names ("ubuntu:GNOME")
    bool sway = false;     // SWAYSOCK is set: sway's session
};
Session CurrentSession();

// Fills `globals` with the interface names of the globals the Wayland compositor
// ($WAYLAND_DISPLAY) offers, in the order it announced them. False, with why, when it can't be
// reached. (wayland/idle.cpp)
bool WaylandGlobals(std::vector<std::string>& globals, std::string* why = nullptr);

// ---- Watching the session (x11/idle.cpp, wayland/idle.cpp, dbus/mutter_idle.cpp) -------------

// An open source of the input-free time, with the connection it came over.
class Monitor {
  public:
    virtual ~Monitor() = default;
    // The connection's descriptor: readable when the other side has news, and when it goes.
    virtual int Descriptor() const = 0;
    // Called before each wait: sends what is queued and reads what is already there.
    virtual void BeforeWait() {}
    // Called after each wait with whether the descriptor became readable: takes in the news.
    // False once the connection is gone.
    virtual bool AfterWait(bool readable) = 0;
    // Milliseconds without input. A source that only reports crossing the chosen idle time
    // answers 0 until it has crossed it, and the time since input from then on.
    virtual std::int64_t IdleMs() = 0;
    // True when another program's full-screen window has the focus; windows titled one of
    // `ownTitles` don't count. False where the session can't tell (programs there keep the
    // session from going idle instead).
    virtual bool FullScreenInFront(std::span<const std::string_view> ownTitles) = 0;
};

// How opening a source went.
enum class Opening {
    Opened,     // the source is open
    Absent,     // the session has no such source, and asking again will not change that
    Unanswered  // a display or bus did not answer, which may change
};

// Opens `source` into `monitor`, told that runs start after `idleMs` without input (1 ms to
// 2^32 - 1 ms). Anything but Opened leaves `monitor` empty and says why.
Opening OpenMonitor(Source source, std::int64_t idleMs, std::unique_ptr<Monitor>& monitor,
                    std::string* why = nullptr);

// What to do when an X connection breaks in the middle of a call, where Xlib can't go on: `hook`
// runs, then the program ends with status 0.
void OnConnectionLostInCall(void (*hook)());

// ---- Runs (posix/idle_run.cpp) -------------------------------------------------------------

// Whether `program` is there and may be run; false with why when not.
bool CanRun(const std::string& program, std::string* why = nullptr);

// One run of the screensaver: a program started as a process group of its own (the host and the
// renderer it starts), watched without blocking, and ended on request.
class Run {
  public:
    Run() = default;
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // Starts `program` with the single argument `argument`, with default signal handling and an
    // empty signal mask whatever ours are, as an unattended run (platform::kUnattendedVariable
    // "1" added to our environment), its standard error going to a pipe that TakeOutput reads.
    // False, with why, when it could not be started.
    bool Start(const std::string& program, const std::string& argument, std::string* why = nullptr);
    std::int32_t pid() const { return process_.id; }
    // The pipe the run's standard error comes through: readable when it has written something
    // (-1 once it has been read to its end).
    int OutputDescriptor() const { return output_; }
    // The lines the run has written to standard error since the last call, without their line
    // ends; the last unfinished one too once the pipe has ended. Never blocks. A line longer than
    // 4096 bytes comes in pieces of that size.
    std::vector<std::string> TakeOutput();
    // True while the started program has not ended; reaps it once it has.
    bool Going();
    // How the run that ended last ended; nothing before the first has.
    std::optional<platform::ProgramEnding> lastEnding() const { return lastEnding_; }
    // Ends a going run and everything it started: SIGTERM to its process group, SIGKILL after
    // `graceMs` when still there. Returns at once when nothing is going.
    void End(int graceMs);

  private:
    void CloseOutput();

    platform::Process process_;
    std::optional<platform::ProgramEnding> lastEnding_;
    int output_ = -1;
    std::string partial_;  // the unfinished line read so far
};

// ---- Waiting (posix/idle_wait.cpp) -----------------------------------------------------------

// One wait for a monitor's news, a run that ended, and the signals that end the companion
// (SIGTERM, SIGINT, SIGHUP), which it takes over from their default handling.
class Waiter {
  public:
    Waiter() = default;
    ~Waiter();
    Waiter(const Waiter&) = delete;
    Waiter& operator=(const Waiter&) = delete;

    // Takes the signals over. False, with why, when it can't.
    bool Open(std::string* why = nullptr);

    struct Woken {
        bool endRequested = false;    // one of the ending signals arrived
        bool connectionLost = false;  // the monitor's connection is gone
    };
    // Waits up to `ms` (at least 0) for any of them, or for one of `more` (descriptors that the
    // caller reads after each wait: a run's output, the settings' news) to become readable.
    Woken Wait(Monitor& monitor, std::int64_t ms, std::span<const int> more = {});

  private:
    int signals_ = -1;
};

// ---- The desktop's own timers (glib/gnome_settings.cpp, x11/desktop_timers.cpp,
// posix/idle_session.cpp) ----------------------------------------------------------------------

// GNOME's settings of its blank, lock and sleep, as GSettings gives them (seconds; 0 is never).
// A setting whose schema is not installed has no value, and its schema is in `missing`.
struct GnomeTimerSettings {
    std::optional<std::int64_t> idleDelay;  // org.gnome.desktop.session idle-delay: the blank
    std::optional<bool> lockEnabled;        // org.gnome.desktop.screensaver lock-enabled
    std::optional<std::int64_t> lockDelay;  // ... lock-delay: the lock's time after the blank
    // org.gnome.settings-daemon.plugins.power sleep-inactive-{ac,battery}-{timeout,type}
    std::optional<std::int64_t> sleepAcTimeout, sleepBatteryTimeout;
    std::string sleepAcType, sleepBatteryType;  // "suspend", "nothing", ...
    std::vector<std::string> missing;
};

// GNOME's timer settings, followed for as long as this lives: a thread of its own runs GLib's
// loop, where GSettings tells of changes.
class GnomeSettings {
  public:
    GnomeSettings();
    ~GnomeSettings();
    GnomeSettings(const GnomeSettings&) = delete;
    GnomeSettings& operator=(const GnomeSettings&) = delete;

    // The settings now.
    GnomeTimerSettings Current() const;
    // Readable when a setting has changed since the last TakeNews.
    int Descriptor() const;
    // True when a setting has changed since the last call. Never blocks.
    bool TakeNews();

  private:
    struct Follower;
    std::unique_ptr<Follower> follower_;
};

// The X server's own screen saver and the monitor's power saving (DPMS), in seconds (0: off).
struct XTimerSettings {
    std::int64_t saverTimeout = 0;  // XGetScreenSaver's timeout
    bool dpmsEnabled = false;       // DPMS offered and on; then:
    std::int64_t standby = 0, suspend = 0, off = 0;
};
// Reads them from $DISPLAY; nothing, with why, when it can't be reached.
std::optional<XTimerSettings> ReadXTimers(std::string* why = nullptr);

// The text of the user's configuration file `name` ($XDG_CONFIG_HOME, else ~/.config): nothing
// when it is not there or not a readable regular file of at most 1 MiB.
std::optional<std::string> ReadUserConfigFile(const std::string& name);

// ---- Asking nobody (dbus/permission_store.cpp, dbus/notifications.cpp) ------------------------

// The desktop's stored answer to "may programs outside a sandbox take screenshots?", which GNOME
// asks on the first capture through its portal and keeps in the portal's permission store.
enum class ScreenshotAnswer {
    Yes,
    No,
    NotAsked  // nothing stored (or no store, no session bus): the capture would ask a person
};
ScreenshotAnswer LookUpScreenshotAnswer();

// Shows a desktop notification (org.freedesktop.Notifications on the session bus) from
// "Velmora" with `summary` and `body`. False, with why, when no notification service answers.
bool Notify(std::string_view summary, std::string_view body, std::string* why = nullptr);

}  // namespace platform::idle
