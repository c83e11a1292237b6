// Requests to end the program from its console (Ctrl+C, Ctrl+Break), noted instead of obeyed at
// once: the first one is kept and sets an event that the message loop waits on beside its
// messages. Windows' other requests reach the program's windows as messages (WM_CLOSE).
#include <windows.h>

#include <atomic>

#include "platform/base.h"

namespace platform {
namespace {

std::atomic<int> firstRequest{0};
// Made before the handler is installed and kept for the program's life.
HANDLE requested = nullptr;

// Runs on a thread of its own that the system starts for the console's event.
BOOL WINAPI Note(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    int none = 0;
    if (firstRequest.compare_exchange_strong(none, static_cast<int>(event) + 1))
        SetEvent(requested);
    return TRUE;
}

}  // namespace

void CatchEndRequests() {
    // Manual reset: once set it stays set. Without it the requests keep the system's default.
    if (!requested) requested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (requested) SetConsoleCtrlHandler(Note, TRUE);
}

int EndRequest() {
    return firstRequest.load();
}

std::intptr_t EndRequestWaitable() {
    return requested ? reinterpret_cast<std::intptr_t>(requested) : -1;
}

}  // namespace platform
