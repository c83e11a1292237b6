// The monotonic clock, sleeping until a time on it, and the process id on Windows (see
// base.h).
#include <windows.h>

#include "platform/base.h"

namespace platform {

std::int64_t MonotonicNanoseconds() {
    // The performance counter is the same in every process of the machine.
    static const std::int64_t frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const std::int64_t seconds = now.QuadPart / frequency;
    const std::int64_t rest = now.QuadPart % frequency;
    return seconds * 1000000000LL + rest * 1000000000LL / frequency;
}

namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// Sets the system's timer interval to a millisecond for the rest of the process, so that waits
// are not rounded up to 15.6 ms. The multimedia library is loaded for this call alone, and only
// where it is needed: a program that never waits does not load it at start.
void AskForMillisecondTimers() {
    HMODULE winmm = LoadLibraryW(L"winmm.dll");
    if (!winmm) return;
    using BeginPeriod = UINT(WINAPI*)(UINT);
    if (auto begin = reinterpret_cast<BeginPeriod>(
            reinterpret_cast<void*>(GetProcAddress(winmm, "timeBeginPeriod"))))
        begin(1);
}

// A waitable timer that keeps to the tenth of a millisecond where the system offers one
// (Windows 10 1803 and later); elsewhere an ordinary one with millisecond timers asked for.
// nullptr when no timer can be made.
HANDLE FrameTimer() {
    static const HANDLE timer = [] {
        HANDLE t = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                          TIMER_ALL_ACCESS);
        if (t) return t;
        AskForMillisecondTimers();
        return CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    }();
    return timer;
}

}  // namespace

void SleepUntil(std::int64_t deadline) {
    const std::int64_t left = deadline - MonotonicNanoseconds();
    if (left <= 0) return;
    // The timer's due time is relative, in units of 100 ns (negative means relative); the
    // deadline itself stays absolute, so a late wake-up is not carried into the next frame.
    LARGE_INTEGER due{};
    due.QuadPart = -((left + 99) / 100);
    if (HANDLE timer = FrameTimer();
        timer && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        WaitForSingleObject(timer, INFINITE);
        return;
    }
    Sleep(static_cast<DWORD>((left + 999999) / 1000000));
}

std::int32_t CurrentProcessId() {
    return static_cast<std::int32_t>(GetCurrentProcessId());
}

}  // namespace platform
