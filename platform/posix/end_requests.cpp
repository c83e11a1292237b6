// Requests to end the program (SIGTERM, SIGINT, SIGHUP), noted instead of obeyed at once.
#include <signal.h>

#include "platform/platform.h"

namespace platform {
namespace {

volatile sig_atomic_t firstRequest = 0;

void Note(int signal) {
    if (firstRequest == 0) firstRequest = signal;
}

}  // namespace

void CatchEndRequests() {
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    // Calls in progress go on: the event loop wakes within a tick anyway.
    action.sa_flags = SA_RESTART;
    for (const int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
}

int EndRequest() {
    return firstRequest;
}

}  // namespace platform
