// The OpenGL glue (library velmora_platform_gl, which links velmora_platform): the window over
// every monitor, swap control, the display's refresh rate and the program's own surfaces on the
// outputs. platform/x11 and platform/wayland on Linux, platform/win32 on Windows. Failures reach
// the caller as base.h says.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base.h"

namespace platform {

// ---- Window over every monitor (x11/cover.cpp; library velmora_platform_gl) --------------------

// Makes the window of the current OpenGL context cover the bounding box of `monitors` (as
// Monitors() gives them): by its own geometry without a window manager, under an EWMH window
// manager in the full-screen state over those monitors (_NET_WM_FULLSCREEN_MONITORS); on
// Windows as a borderless top-most popup. False when there is no such window or the request
// failed at once; a window manager may still refuse it later.
bool CoverMonitors(std::span<const MonitorRect> monitors);

// ---- GL swap control (x11/swap_control.cpp; library velmora_platform_gl) ------------------------

// Asks the current OpenGL context for buffer swaps in step with the display refresh, where the
// system offers that; nothing happens without a current context or such an extension. True
// when the swap interval was set. Drivers may still ignore it: only timing the swaps tells.
bool RequestSwapControl();

// ---- Display refresh (x11/refresh_rate.cpp; library velmora_platform_gl) ------------------------

// How many times a second the primary monitor refreshes, as the window system reports its mode
// (asked on the current OpenGL context's connection on X11); 0 when the system says nothing
// (no such report, a virtual display without timings, no current context).
double DisplayRefreshRate();

// ---- Surfaces on the outputs (wayland/output_surfaces.cpp, win32/output_surfaces.cpp; library
// velmora_platform_gl) ---------------------------------------------------------------------------

// A full-screen surface of the program's own over one output, for sessions whose compositor
// shows the toolkit's windows at less than the output's full resolution.
struct OutputSurface {
    MonitorRect place;   // the output's place and size in the desktop's logical layout
    int pixelWidth = 0;  // the surface's drawing size: the output's full resolution
    int pixelHeight = 0;
    bool wantsFrame = true;  // the compositor takes a new frame for it now
};

// How opening the outputs' surfaces went.
enum class SurfacesOpening {
    Opened,      // every output has its surface
    NotOffered,  // the session never has such surfaces (X11, Windows): nothing to tell
    Refused      // they could not be made (see `why`); nothing stays open
};

// Opens one full-screen surface titled `title` on every output of the session, each drawn
// through OpenGL (one context shared by all, the version-1 drawing calls available) at its
// output's full pixel size, with the pointer hidden over them. Anything but Opened leaves the
// caller to use an ordinary window; `why` is made empty for NotOffered. A second call while the
// surfaces are open is Refused. $VELMORA_FORCE_XWAYLAND set to anything but "" or "0" makes it
// refuse, for tests.
SurfacesOpening OpenOutputSurfaces(std::string_view title, std::string* why = nullptr);

// The surfaces that OpenOutputSurfaces opened, in the order of the outputs; empty before. Sizes
// may change after WaitForOutputSurfaces.
const std::vector<OutputSurface>& OutputSurfaces();

// Makes the OpenGL context current on surface `index` (< OutputSurfaces().size()).
void DrawOnOutputSurface(std::size_t index);

// Puts what was drawn on surface `index` on its output; the surface wants its next frame once
// the compositor has shown this one.
void ShowOutputSurface(std::size_t index);

// What WaitForOutputSurfaces saw.
enum class SurfaceNews {
    Draw,    // at least one surface wants a frame (see OutputSurface::wantsFrame)
    Escape,  // Escape was pressed
    Closed   // the compositor closed the surfaces or went away
};

// Handles the session's events until a surface wants its next frame, Escape is pressed or the
// surfaces are gone. Waits without a timeout (and costs nothing) while no output shows a frame;
// once one surface wants a frame, others are waited for for about two refreshes more, so that
// every output shows the same frame of the animation.
SurfaceNews WaitForOutputSurfaces();

// Closes every surface and lets the session's connection go; nothing happens when none is open.
void CloseOutputSurfaces();

}  // namespace platform
