// Velmora.dll: the renderer. Shows the hand-off bitmap full screen on a warped, animated mesh
// until Escape is pressed: on the outputs' own surfaces where the session offers them, else in
// one window over the monitors.
#include <clocale>
#include <optional>

#include "platform/base.h"
#include "renderer/output_run.h"
#include "renderer/window_run.h"

int main(int argc, char** argv) {
    // The picture is read while the toolkit and OpenGL start; the window comes first all the
    // same, and a picture that can't be read is reported once it exists.
    platform::PreferLargePages();
    // The charset of its lines on standard error and of the system's words in its box (the other
    // categories keep their C form: the renderer's numbers, for one).
    std::setlocale(LC_CTYPE, "");
    // Where the session puts the toolkit's window at less than the outputs' full resolution,
    // the renderer draws on surfaces of its own over each output.
    if (const std::optional<int> status = renderer::runOnOutputSurfaces()) return *status;
    return renderer::runInWindow(argc, argv);
}
