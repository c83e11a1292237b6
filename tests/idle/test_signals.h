// For the idle tests' stand-in programs: the test drives them with SIGUSR1 (the user's input)
// and ends them with SIGTERM, both read from a descriptor rather than through handlers.
#pragma once

#include <signal.h>
#include <sys/signalfd.h>

namespace testidle {

// Blocks SIGUSR1 and SIGTERM for the process and returns a descriptor that reads them, or -1.
inline int InputAndEndSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGUSR1);
    sigaddset(&set, SIGTERM);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    return signalfd(-1, &set, SFD_CLOEXEC);
}

}  // namespace testidle
