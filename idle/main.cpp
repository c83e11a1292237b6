// velmora-idle: starts Velmora.scr /s from its own folder once the session has been free of input
// for the chosen time, unless the desktop's screen saver or lock is on. The platform's waiter
// watches the session's connection, the next check, a run that ended and the signals that end the
// companion in one wait.
#include <clocale>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "idle_rules.h"
#include "idle_source.h"
#include "platform/idle.h"
#include "platform/platform.h"
#include "platform/trace.h"
#include "shared/names.h"

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

// Says how a run that has just ended went, when it did not end well.
void ReportEnd(const pidle::Run& run, int number) {
    if (run.lastExit() && *run.lastExit() != 0)
        Log(platform::FillIn(platform::Translate("velmora-idle: run %s ended with exit code %s"),
                             {std::to_string(number), std::to_string(*run.lastExit())}));
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

int Watch(pidle::Monitor& monitor, pidle::Waiter& waiter, const std::string& program,
          std::int64_t idleMs) {
    idle::Decider decider(idleMs);
    pidle::Run run;
    currentRun = &run;
    pidle::OnConnectionLostInCall(EndAfterLostDisplay);
    int runs = 0;
    bool wasGoing = false;
    while (true) {
        const bool going = run.Going();
        if (wasGoing && !going) ReportEnd(run, runs);
        const idle::Step step =
            decider.Next(monitor.IdleMs(), going, [&monitor] { return Look(monitor); });
        wasGoing = going;
        if (step.shieldedBy != platform::DesktopShield::Off) {
            trace::Mark("run-refused", platform::DesktopShieldName(step.shieldedBy));
            Log(idle::ShieldedLogLine(step.shieldedBy));
        }
        if (step.startRun) {
            std::string error;
            if (run.Start(program, "/s", &error)) {
                Log(idle::RunLogLine(++runs, monitor.IdleMs(), run.pid()));
                wasGoing = true;
            } else {
                Log("velmora-idle: " + error);
            }
        }
        const pidle::Waiter::Woken woken = waiter.Wait(monitor, step.waitMs);
        if (woken.endRequested) break;
        if (woken.connectionLost) {
            EndAfterLostDisplay();
            return 0;
        }
    }
    run.End(kRunGraceMs);
    return 0;
}

// The first source of the session that opens; nothing, after saying what was looked for, with
// `status` set to the exit status.
std::unique_ptr<pidle::Monitor> OpenFirstSource(std::int64_t idleMs, int& status) {
    const pidle::Session session = pidle::CurrentSession();
    std::vector<std::string> globals;
    std::string waylandError;
    if (session.wayland) pidle::WaylandGlobals(globals, &waylandError);
    std::vector<idle::Attempt> attempts;
    for (pidle::Source source : idle::SourcesToTry(session, globals)) {
        std::unique_ptr<pidle::Monitor> monitor;
        std::string error;
        const pidle::Opening opening = pidle::OpenMonitor(source, idleMs, monitor, &error);
        if (opening == pidle::Opening::Opened) return monitor;
        attempts.push_back({source, error, opening == pidle::Opening::Absent});
    }
    Log("velmora-idle: " + idle::NoSourceText(session, attempts, waylandError));
    status = idle::NoSourceStatus(attempts, waylandError);
    return nullptr;
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
    const std::string program =
        platform::PathInFolder(platform::ProgramFolder(), names::kHostFileName);
    pidle::Waiter waiter;
    if (!pidle::CanRun(program, &error) || !waiter.Open(&error)) {
        Log("velmora-idle: " + error);
        return 1;
    }
    int status = 0;
    const auto monitor = OpenFirstSource(options.idleMs, status);
    if (!monitor) return status;
    return Watch(*monitor, waiter, program, options.idleMs);
}
