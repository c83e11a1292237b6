// The renderer's run on surfaces of its own over every output, where the session offers them
// (platform::OpenOutputSurfaces): each output shows its part of the picture at its full
// resolution, all on the same frame of the animation, paced by the compositor.
#pragma once

#include <optional>

namespace renderer {

// Opens the outputs' surfaces and runs on them until Escape (or until the compositor closes
// them), and returns the program's exit status: 0 then, or 1 when the picture can't be read,
// which the user is told once the surfaces are closed. Nothing, at once and with nothing open,
// where the session has no such surfaces or they could not be made (the timing marks say why):
// the caller then runs in its one window as everywhere else.
std::optional<int> runOnOutputSurfaces();

}  // namespace renderer
