// The pace of the renderer's main loop: one frame per display refresh. Where buffer swaps wait
// for the refresh, the loop runs as fast as they let it; where they return at once, the loop
// waits for each refresh itself (the rules are in pacing_rules.h). Needs the window's OpenGL
// context to be current.
#pragma once

namespace renderer {

// Asks for buffer swaps in step with the display refresh (platform::RequestSwapControl) and
// notes the answer in the timing marks.
void requestDisplayPacing();

// The main loop's idle step, before the next frame is asked for: counts the frame just drawn
// and times it, and decides whether the renderer must pace itself. Call it only once the
// picture is shown: frames before are neither counted nor waited for. Setting $VELMORA_UNPACED
// (for the drawing-speed benchmark) turns the waiting off.
void paceFrame();

// Where the renderer paces itself: finishes drawing the frame and waits for its refresh, so
// that the swap that follows puts it on the screen on time. Call just before the swap; does
// nothing where the swaps keep the pace.
void waitForRefresh();

}  // namespace renderer
