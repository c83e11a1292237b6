// Requests to end the program from its console (Ctrl+C, Ctrl+Break), noted instead of obeyed at
// once. Windows' other requests reach the program's windows as messages (WM_CLOSE).
#include <windows.h>

#include <atomic>

#include "platform/platform.h"

namespace platform {
namespace {

std::atomic<int> firstRequest{0};

BOOL WINAPI Note(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    int none = 0;
    firstRequest.compare_exchange_strong(none, static_cast<int>(event) + 1);
    return TRUE;
}

}  // namespace

void CatchEndRequests() {
    SetConsoleCtrlHandler(Note, TRUE);
}

int EndRequest() {
    return firstRequest.load();
}

}  // namespace platform
