// The idle companion's one wait: the ending signals and SIGCHLD arrive through a signalfd, so one
// poll waits for the next check, a signal and the monitor's connection alike.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/base.h"
#include "platform/idle.h"

namespace platform::idle {
namespace {

// Reads the pending signals; true when one of them asks the companion to end.
bool EndRequested(int descriptor) {
    bool end = false;
    signalfd_siginfo info{};
    while (read(descriptor, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        if (info.ssi_signo != SIGCHLD) end = true;
    return end;
}

}  // namespace

Waiter::~Waiter() {
    if (signals_ >= 0) close(signals_);
}

bool Waiter::Open(std::string* why) {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGCHLD}) sigaddset(&set, s);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) == 0)
        signals_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signals_ < 0 && why)
        *why = platform::FillIn(platform::Translate("cannot watch signals: %s"),
                                {platform::ErrorWords(errno)});
    return signals_ >= 0;
}

Waiter::Woken Waiter::Wait(Monitor& monitor, std::int64_t ms, std::span<const int> more) {
    // A run must not inherit the connection.
    fcntl(monitor.Descriptor(), F_SETFD, FD_CLOEXEC);
    monitor.BeforeWait();
    std::vector<pollfd> waits = {{signals_, POLLIN, 0}, {monitor.Descriptor(), POLLIN, 0}};
    for (int descriptor : more)
        if (descriptor >= 0) waits.push_back({descriptor, POLLIN, 0});
    const int timeout = static_cast<int>(std::clamp<std::int64_t>(ms, 0, INT_MAX));
    if (poll(waits.data(), waits.size(), timeout) < 0)
        for (pollfd& w : waits) w.revents = 0;
    Woken woken;
    woken.endRequested = waits[0].revents && EndRequested(signals_);
    woken.connectionLost = !monitor.AfterWait(waits[1].revents != 0);
    return woken;
}

}  // namespace platform::idle
