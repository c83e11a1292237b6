// The run on the outputs' own surfaces (see output_run.h).
#include "renderer/output_run.h"

#include <string>
#include <vector>

#include "platform/gl.h"
#include "platform/trace.h"
#include "renderer/scene.h"
#include "shared/names.h"

namespace renderer {
namespace {

// Frames between two "frames-<count>" marks, as in the one-window run.
constexpr long kFramesPerMark = 64;

void markFrames(long frames) {
    if (frames % kFramesPerMark != 0 || !trace::Enabled()) return;
    trace::Mark(("frames-" + std::to_string(frames)).c_str());
}

// One frame on every surface that wants one; the picture's first frames are black while it is
// still being read. False, with nothing drawn, when it can't be read.
bool drawOutputs(long& frames) {
    const std::vector<platform::OutputSurface>& surfaces = platform::OutputSurfaces();
    platform::DrawOnOutputSurface(0);
    const PictureState state = uploadPictureOnceRead();
    if (state == PictureState::Failed) return false;
    const bool animated = state == PictureState::Ready;
    if (animated) beginFrame();
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        if (!surfaces[i].wantsFrame) continue;
        platform::DrawOnOutputSurface(i);
        drawOnOutput(i, surfaces[i].pixelWidth, surfaces[i].pixelHeight);
        platform::ShowOutputSurface(i);
    }
    if (!animated) return true;
    endFrame();
    markFrames(++frames);
    return true;
}

}  // namespace

std::optional<int> runOnOutputSurfaces() {
    std::string why;
    switch (platform::OpenOutputSurfaces(names::kRendererTitle, &why)) {
        case platform::SurfacesOpening::Opened:
            break;
        case platform::SurfacesOpening::Refused:
            trace::Mark("surfaces-refused", why);
            return std::nullopt;
        case platform::SurfacesOpening::NotOffered:
            return std::nullopt;
    }
    const std::vector<platform::OutputSurface>& surfaces = platform::OutputSurfaces();
    trace::Mark("surfaces-opened");
    useOutputSurfaces(surfaces);
    startLoadingTexture();
    platform::DrawOnOutputSurface(0);
    setFixedView(surfaces.front().pixelWidth, surfaces.front().pixelHeight);
    long frames = 0;
    bool pictured = true;
    while (pictured && platform::WaitForOutputSurfaces() == platform::SurfaceNews::Draw)
        pictured = drawOutputs(frames);
    // Surfaces over every output would hide the box.
    platform::CloseOutputSurfaces();
    if (pictured) return 0;
    tellPictureFailure();
    return 1;
}

}  // namespace renderer
