// What the push button costs: painting one face in the dialog's sizes, and one pointer poll
// (the pointer and the innermost window under it) against the X server in $DISPLAY.
#include <chrono>
#include <cstdio>

#include "host/button/paint.h"
#include "platform/window_system.h"

namespace {

template <typename F>
double MicrosecondsPerCall(int calls, F&& f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) f(i);
    const std::chrono::duration<double, std::micro> spent =
        std::chrono::steady_clock::now() - start;
    return spent.count() / calls;
}

}  // namespace

int main() {
    button::Image look(button::kLookWidth, button::kLookHeight, {200, 100, 50});
    for (auto [w, h] : {std::pair{77, 25}, {41, 21}, {400, 100}}) {
        button::Image face(w, h);
        double us =
            MicrosecondsPerCall(20000, [&](int i) { button::PaintFace(face, look, i & 1); });
        std::printf("paint %dx%d face: %.2f us\n", w, h, us);
    }
    if (!platform::WindowUnderPointer().found) {
        std::printf("pointer poll: no display\n");
        return 0;
    }
    double us = MicrosecondsPerCall(2000, [](int) { platform::WindowUnderPointer(); });
    std::printf("pointer poll: %.1f us (%.4f%% of the 100 ms interval)\n", us, us / 1000.0);
    return 0;
}
