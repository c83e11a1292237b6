// velmora-idle: starts Velmora.scr /s from its own folder once the session has been free of input
// for the chosen time, by default a minute before the desktop's own blank, lock or sleep, unless
// the desktop's screen saver or lock is on. The platform's waiter watches the session's
// connection, the next check, a run that ended or spoke, a change of the desktop's settings and
// the signals that end the companion in one wait.
#include <clocale>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop_clock.h"
#include "idle_rules.h"
#include "idle_source.h"
#include "platform/base.h"
#include "platform/idle.h"
#include "platform/trace.h"
#include "platform/window_system.h"
#include "shared/names.h"
#include "unattended.h"

namespace {

namespace pidle = platform::idle;

// How long a run gets to end after SIGTERM before it is killed.
constexpr int kRunGraceMs = 1000;
// Velmora's own windows, which never count as another program's full-screen window.
constexpr std::string_view kOwnTitles[] = {names::kRunTitle, names::kRendererTitle};

pidle::Run* currentRun = nullptr;

void Log(const std::string& line) {
    platform::WriteToStandardError(line);
}

void EndAfterLostDisplay() {
    Log(platform::Translate("velmora-idle: the display has closed; ending"));
    if (currentRun) currentRun->End(kRunGraceMs);
}

// Tells the user something worth knowing while nobody may be watching: in the log, and as one
// desktop notification.
void Tell(const idle::Notice& notice) {
    Log("velmora-idle: " + notice.summary + ": " + notice.body);
    std::string why;
    if (!pidle::Notify(idle::ValidUtf8(notice.summary), idle::ValidUtf8(notice.body), &why))
        Log("velmora-idle: " + why);
}

idle::Surroundings Look(pidle::Monitor& monitor) {
    idle::Surroundings around;
    // A renderer's window counts too: one may outlive a host that was killed for a moment.
    around.velmoraRunning =
        platform::WindowWithAnyTitleExists({names::kRunTitle, names::kRendererTitle});
    around.fullScreenInFront = !around.velmoraRunning && monitor.FullScreenInFront(kOwnTitles);
    // Asked last, and only when nothing else keeps the run away: it waits for the desktop's
    // answers.
    if (!around.velmoraRunning && !around.fullScreenInFront)
        around.shield = platform::DesktopShieldWatch().Active();
    return around;
}

// The runs, each started only when its capture will ask nobody anything, and what they say.
class Runs {
  public:
    Runs(std::string program, bool captureMayAsk)
        : program_(std::move(program)), captureMayAsk_(captureMayAsk) {}

    pidle::Run& run() { return run_; }

    // Starts a run unless its capture would ask a question (said once for each stored answer);
    // true when one started.
    bool Start(pidle::Monitor& monitor) {
        if (!CaptureAnswered()) return false;
        std::string error;
        said_.Clear();
        if (!run_.Start(program_, "/s", &error)) {
            Log("velmora-idle: " + error);
            return false;
        }
        Log(idle::RunLogLine(++count_, monitor.IdleMs(), run_.pid()));
        return true;
    }

    // Logs what the run wrote on standard error (in the locale's charset, as ours).
    void Listen() {
        for (const std::string& line : run_.TakeOutput()) {
            std::string text = platform::ConvertTextLossy(line, platform::LocaleCharset(), "UTF-8");
            Log(text);
            said_.Add(std::move(text));
        }
    }

    // Says how a run that has just ended went, when it did not end well.
    void Ended() {
        Listen();
        const std::optional<int> code =
            run_.lastEnding() ? idle::ExitCode(*run_.lastEnding()) : std::nullopt;
        if (!code || *code == 0) return;
        if (const auto line = idle::RunEndedLogLine(count_, *code)) Log(*line);
        if (const auto notice = idle::FailedRunNotice(count_, *code, said_.lines())) Tell(*notice);
    }

  private:
    bool CaptureAnswered() {
        if (!captureMayAsk_) return true;
        const pidle::ScreenshotAnswer answer = pidle::LookUpScreenshotAnswer();
        if (answer == pidle::ScreenshotAnswer::Yes) {
            told_.reset();
            return true;
        }
        if (told_ != answer) Tell(idle::NoRunWithoutAnswer(answer));
        told_ = answer;
        return false;
    }

    std::string program_;
    bool captureMayAsk_;
    pidle::Run run_;
    int count_ = 0;
    idle::LastLines said_{8};
    std::optional<pidle::ScreenshotAnswer> told_;
};

// Says what comes before Velmora, once for each timer that does.
void WarnWhenLate(idle::DesktopClock& clock) {
    if (const auto warning = clock.NewWarning()) Tell(*warning);
}

// The companion's watch: the source of the idle time, opened again when the desktop's timers
// change the idle time it was opened for.
struct Watched {
    pidle::Source source;
    std::unique_ptr<pidle::Monitor> monitor;
};

// Follows the desktop's timers: GNOME's as they change, the others at each new idle period.
// `decider` and the source take a changed idle time.
void FollowTimers(idle::DesktopClock& clock, bool newPeriod, idle::Decider& decider,
                  Watched& watched) {
    if (!clock.TakeNews() && !newPeriod) return;
    if (clock.Reread()) {
        Log(platform::FillIn(
            platform::Translate("velmora-idle: the desktop's timers changed: a run now starts "
                                "after %s without input"),
            {idle::Duration(clock.IdleMs() / 1000)}));
        decider.SetIdleMs(clock.IdleMs());
        std::unique_ptr<pidle::Monitor> again;
        std::string error;
        // The X server's count knows no idle time of ours; the others are told it.
        if (watched.source != pidle::Source::kXScreenSaver) {
            if (pidle::OpenMonitor(watched.source, clock.IdleMs(), again, &error) ==
                pidle::Opening::Opened)
                watched.monitor = std::move(again);
            else
                Log("velmora-idle: " + error);
        }
    }
    WarnWhenLate(clock);
}

int Watch(Watched& watched, pidle::Waiter& waiter, Runs& runs, idle::DesktopClock& clock) {
    idle::Decider decider(clock.IdleMs());
    pidle::Run& run = runs.run();
    currentRun = &run;
    pidle::OnConnectionLostInCall(EndAfterLostDisplay);
    bool wasGoing = false;
    std::int64_t lastIdle = 0;
    while (true) {
        pidle::Monitor& monitor = *watched.monitor;
        const bool going = run.Going();
        if (wasGoing && !going) runs.Ended();
        const std::int64_t idleNow = monitor.IdleMs();
        const idle::Step step = decider.Next(idleNow, going, [&monitor] { return Look(monitor); });
        if (step.shieldedBy != platform::DesktopShield::Off) {
            trace::Mark("run-refused", platform::DesktopShieldName(step.shieldedBy));
            Log(idle::ShieldedLogLine(step.shieldedBy));
        }
        wasGoing = going || (step.startRun && runs.Start(monitor));
        const int more[] = {run.OutputDescriptor(), clock.Descriptor()};
        const pidle::Waiter::Woken woken = waiter.Wait(monitor, step.waitMs, more);
        runs.Listen();
        if (woken.endRequested) break;
        if (woken.connectionLost) {
            EndAfterLostDisplay();
            return 0;
        }
        FollowTimers(clock, idleNow < lastIdle, decider, watched);
        lastIdle = idleNow;
    }
    run.End(kRunGraceMs);
    return 0;
}

// The first source of the session that opens; nothing, after saying what was looked for, with
// `status` set to the exit status.
std::optional<Watched> OpenFirstSource(const pidle::Session& session,
                                       const std::vector<std::string>& globals,
                                       const std::string& waylandError, std::int64_t idleMs,
                                       int& status) {
    std::vector<idle::Attempt> attempts;
    for (pidle::Source source : idle::SourcesToTry(session, globals)) {
        std::unique_ptr<pidle::Monitor> monitor;
        std::string error;
        const pidle::Opening opening = pidle::OpenMonitor(source, idleMs, monitor, &error);
        if (opening == pidle::Opening::Opened) return Watched{source, std::move(monitor)};
        attempts.push_back({source, error, opening == pidle::Opening::Absent});
    }
    Log("velmora-idle: " + idle::NoSourceText(session, attempts, waylandError));
    status = idle::NoSourceStatus(attempts, waylandError);
    return std::nullopt;
}

// --check: Velmora's time beside the desktop's timers; 0 when Velmora comes first.
int Check(const idle::Options& options) {
    const idle::DesktopClock clock(pidle::CurrentSession(), options);
    const std::string report =
        idle::CheckReport(clock.IdleMs(), clock.chosen(), clock.timers(), clock.unread());
    std::fputs(platform::ConvertTextLossy(report, "UTF-8", platform::LocaleCharset()).c_str(),
               stdout);
    return idle::CheckStatus(clock.IdleMs(), clock.timers());
}

}  // namespace

int main(int argc, char** argv) {
    // The charset its lines are written in (the other categories keep their C form).
    std::setlocale(LC_CTYPE, "");
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    std::string error;
    idle::Options options;
    if (!idle::ParseOptions(arguments, options, &error)) {
        platform::WriteToStandardError(platform::FillIn(
            platform::Translate("velmora-idle: %s\nTry 'velmora-idle --help'.\n"), {error}));
        return 2;
    }
    if (options.help) {
        // Read in the user's terminal, in its charset.
        std::fputs(platform::ConvertTextLossy(idle::HelpText(), "UTF-8", platform::LocaleCharset())
                       .c_str(),
                   stdout);
        return 0;
    }
    if (options.check) return Check(options);
    const std::string program =
        platform::PathInFolder(platform::ProgramFolder(), names::kHostFileName);
    pidle::Waiter waiter;
    if (!pidle::CanRun(program, &error) || !waiter.Open(&error)) {
        Log("velmora-idle: " + error);
        return 1;
    }
    const pidle::Session session = pidle::CurrentSession();
    std::vector<std::string> globals;
    std::string waylandError;
    if (session.wayland) pidle::WaylandGlobals(globals, &waylandError);
    idle::DesktopClock clock(session, options);
    int status = 0;
    auto watched = OpenFirstSource(session, globals, waylandError, clock.IdleMs(), status);
    if (!watched) return status;
    WarnWhenLate(clock);
    Runs runs(program, idle::CaptureMayAsk(session, globals));
    return Watch(*watched, waiter, runs, clock);
}
