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
    ~Run() = default;
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // Starts `program` with the single argument `argument`, with default signal handling and an
    // empty signal mask whatever ours are. False, with why, when it could not be started.
    bool Start(const std::string& program, const std::string& argument, std::string* why = nullptr);
    std::int32_t pid() const { return pid_; }
    // True while the started program has not ended; reaps it once it has.
    bool Going();
    // The exit code of the run that ended last (128 + signal for a signalled end).
    std::optional<int> lastExit() const { return lastExit_; }
    // Ends a going run and everything it started: SIGTERM to its process group, SIGKILL after
    // `graceMs` when still there. Returns at once when nothing is going.
    void End(int graceMs);

  private:
    std::int32_t pid_ = 0;
    std::optional<int> lastExit_;
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
    // Waits up to `ms` (at least 0) for any of them.
    Woken Wait(Monitor& monitor, std::int64_t ms);

  private:
    int signals_ = -1;
};

}  // namespace platform::idle
