// The renderer's run on surfaces of its own over every output, where the session offers them
// (platform::OpenOutputSurfaces): each output shows its part of the picture at its full
// resolution, all on the same frame of the animation, paced by the compositor.
#pragma once

namespace renderer {

// Opens the outputs' surfaces and runs on them until Escape (or until the compositor closes
// them); true then, and the program ends with status 0. False at once, with nothing open, where
// the session has no such surfaces or they could not be made (the timing marks say why): the
// caller then runs in its one window as everywhere else. A picture that can't be read ends the
// program as it does in the window.
bool runOnOutputSurfaces();

}  // namespace renderer
