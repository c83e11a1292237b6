// velmora-idle: starts Velmora.scr /s from its own folder once the X display has been free of
// input for the chosen time. Signals arrive through a signalfd, so one poll waits for the next
// check, a signal (an end request, a run that ended) and the display closing alike.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "idle_rules.h"
#include "run_process.h"
#include "x11_display.h"

namespace {

// How long a run gets to end after SIGTERM before it is killed.
constexpr int kRunGraceMs = 1000;

idle::Run* currentRun = nullptr;

void Log(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void EndAfterLostDisplay() {
    Log("velmora-idle: the display has closed; ending");
    if (currentRun) currentRun->End(kRunGraceMs);
}

// The signals that end the companion, and SIGCHLD for a run that ended, as a descriptor.
int SignalDescriptor() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGCHLD}) sigaddset(&set, s);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return -1;
    return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

// Reads the pending signals; true when one of them asks the companion to end.
bool EndRequested(int descriptor) {
    bool end = false;
    signalfd_siginfo info{};
    while (read(descriptor, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        if (info.ssi_signo != SIGCHLD) end = true;
    return end;
}

// Says how a run that has just ended went, when it did not end well.
void ReportEnd(const idle::Run& run, int number) {
    if (run.lastExit() && *run.lastExit() != 0)
        Log("velmora-idle: run " + std::to_string(number) + " ended with exit code " +
            std::to_string(*run.lastExit()));
}

int Watch(idle::IdleDisplay& display, const std::string& program, std::int64_t idleMs,
          int signals) {
    idle::Decider decider(idleMs);
    idle::Run run;
    currentRun = &run;
    idle::OnDisplayLostInCall(EndAfterLostDisplay);
    fcntl(display.Descriptor(), F_SETFD, FD_CLOEXEC);
    int runs = 0;
    bool wasGoing = false;
    while (true) {
        const bool going = run.Going();
        if (wasGoing && !going) ReportEnd(run, runs);
        const idle::Step step =
            decider.Next(display.IdleMs(), going, [&display] { return display.Look(); });
        wasGoing = going;
        if (step.startRun) {
            std::string error;
            if (run.Start(program, error)) {
                Log(idle::RunLogLine(++runs, display.IdleMs(), static_cast<long>(run.pid())));
                wasGoing = true;
            } else {
                Log("velmora-idle: " + error);
            }
        }
        pollfd waits[2] = {{signals, POLLIN, 0}, {display.Descriptor(), POLLIN, 0}};
        poll(waits, 2, static_cast<int>(step.waitMs));
        if (waits[0].revents && EndRequested(signals)) break;
        if (waits[1].revents && !display.Drain()) {
            EndAfterLostDisplay();
            return 0;
        }
    }
    run.End(kRunGraceMs);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    std::string error;
    const auto options = idle::ParseOptions(arguments, error);
    if (!options) {
        std::fprintf(stderr, "velmora-idle: %s\nTry 'velmora-idle --help'.\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(idle::HelpText().c_str(), stdout);
        return 0;
    }
    const std::string program = idle::OwnFolder() + "/Velmora.scr";
    if (access(program.c_str(), X_OK) != 0) {
        Log("velmora-idle: cannot run " + program + ": " + std::strerror(errno));
        return 1;
    }
    const int signals = SignalDescriptor();
    if (signals < 0) {
        Log(std::string("velmora-idle: cannot watch signals: ") + std::strerror(errno));
        return 1;
    }
    idle::IdleDisplay display(error);
    if (!display.ok()) {
        Log("velmora-idle: " + error);
        return 1;
    }
    return Watch(display, program, options->idleMs, signals);
}
