// The main loop's pacing (see pacing.h): the frame timing, the verdict and the waits, with the
// timing marks that the benchmarks and the display tests read.
#include "renderer/pacing.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/base.h"
#include "platform/gl.h"
#include "platform/trace.h"
#include "renderer/pacing_rules.h"

namespace renderer {
namespace {

// Frames between two "frames-<count>" marks: about one a second at 60 Hz.
constexpr long kFramesPerMark = 64;

struct Pacer {
    std::optional<PacingDecision> decision;
    std::optional<FrameSchedule> schedule;
    std::int64_t period = 0;
    std::int64_t frameStart = 0;  // when the frame being drawn was asked for; 0 before any
    std::int64_t waited = 0;      // how long that frame waited for its refresh
    long frames = 0;
    bool reportedDisplay = false;
    bool reportedSelf = false;
    bool waitingAllowed = std::getenv("VELMORA_UNPACED") == nullptr;
};

Pacer pacer;

void markFormatted(const char* format, double value) {
    if (!trace::Enabled()) return;
    char label[64];
    std::snprintf(label, sizeof label, format, value);
    trace::Mark(label);
}

// Counts and times the frame that began at pacer.frameStart and ended at `now` (less any wait
// for its refresh).
void countFrame(std::int64_t now) {
    ++pacer.frames;
    if (pacer.frames % kFramesPerMark == 0)
        markFormatted("frames-%.0f", static_cast<double>(pacer.frames));
    if (!pacer.decision) {
        // Asked once the first frame is on screen, so that the question never delays it.
        const double rate = platform::DisplayRefreshRate();
        markFormatted("refresh-rate-%.3f", rate);
        pacer.period = refreshPeriod(rate);
        pacer.decision.emplace(pacer.period);
    }
    pacer.decision->addFrame(now - pacer.frameStart);
    // The first verdict is marked, and the turn to pacing ourselves whenever it comes (a busy
    // start may look like a display that paces the swaps).
    if (pacer.decision->decided() && !pacer.reportedDisplay && !pacer.decision->selfPaced()) {
        pacer.reportedDisplay = true;
        trace::Mark("pacing-display");
    }
    if (pacer.decision->selfPaced() && !pacer.reportedSelf) {
        pacer.reportedSelf = true;
        trace::Mark("pacing-self");
    }
    if (pacer.decision->selfPaced() && !pacer.schedule && pacer.waitingAllowed)
        pacer.schedule.emplace(pacer.period);
}

}  // namespace

void requestDisplayPacing() {
    trace::Mark(platform::RequestSwapControl() ? "swap-interval-set" : "swap-interval-unset");
}

void paceFrame() {
    const std::int64_t now = platform::MonotonicNanoseconds();
    // The frame's own cost, without the wait for its refresh.
    if (pacer.frameStart != 0) countFrame(now - pacer.waited);
    pacer.frameStart = now;
    pacer.waited = 0;
}

void waitForRefresh() {
    if (!pacer.schedule) return;
    // The frame is drawn to the end first, so that what is left after the wait (the swap) takes
    // about the same time on every frame: frames reach the screen one refresh apart however
    // long each took to draw.
    glFinish();
    const std::int64_t ready = platform::MonotonicNanoseconds();
    platform::SleepUntil(pacer.schedule->nextFrame(ready));
    pacer.waited = platform::MonotonicNanoseconds() - ready;
}

}  // namespace renderer
