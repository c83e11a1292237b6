// Surfaces on the outputs (see OpenOutputSurfaces in gl.h): Windows shows a per-monitor
// DPI aware program's window 1:1 on every monitor, so the renderer keeps its one window there.
#include "platform/gl.h"

namespace platform {

SurfacesOpening OpenOutputSurfaces(std::string_view, std::string* why) {
    if (why) why->clear();
    return SurfacesOpening::NotOffered;
}

const std::vector<OutputSurface>& OutputSurfaces() {
    static const std::vector<OutputSurface> none;
    return none;
}

void DrawOnOutputSurface(std::size_t) {}

void ShowOutputSurface(std::size_t) {}

SurfaceNews WaitForOutputSurfaces() {
    return SurfaceNews::Closed;
}

void CloseOutputSurfaces() {}

}  // namespace platform
