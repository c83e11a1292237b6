// Requests to end the program (SIGTERM, SIGINT, SIGHUP), noted instead of obeyed at once: the
// first one is kept in a flag and wakes the event loop through a pipe that the loop watches.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "platform/base.h"

namespace platform {
namespace {

volatile sig_atomic_t firstRequest = 0;
// The pipe's ends, set before the handler is installed and kept for the program's life: the
// read end turns readable with the first request and stays so.
int wakeRead = -1, wakeWrite = -1;
// The process that caught the requests: a child between its fork and its exec has the handler
// too, but its requests are not ours to note.
pid_t catcher = 0;

void Note(int signal) {
    if (firstRequest != 0 || getpid() != catcher) return;
    firstRequest = signal;
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakeWrite, &byte, 1);
    errno = saved;
}

}  // namespace

void CatchEndRequests() {
    if (wakeRead < 0) {
        int ends[2];
        // Without the pipe nothing would wake the loop: the requests keep the system's default.
        if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
        wakeRead = ends[0];
        wakeWrite = ends[1];
    }
    catcher = getpid();
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&action.sa_mask, s);
    // Calls in progress go on: the loop learns of the request through the pipe.
    action.sa_flags = SA_RESTART;
    for (const int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
}

int EndRequest() {
    return firstRequest;
}

std::intptr_t EndRequestWaitable() {
    return wakeRead;
}

}  // namespace platform
