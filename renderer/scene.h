// The renderer's OpenGL side: the fixed view, the texture upload and the per-frame drawing of
// the warped mesh, into whatever OpenGL context the run has made current (the toolkit's window,
// or an output's own surface). The runs own their windows, loops and buffer swaps.
#pragma once

#include <span>
#include <vector>

#include "platform/base.h"
#include "platform/gl.h"
#include "renderer/dib_reader.h"
#include "renderer/picture_layout.h"
#include "renderer/picture_loader.h"
#include "renderer/warp.h"

namespace renderer {

// Uploads `image` into the default texture object as its one level: power-of-two sides, as a
// mipmap builder would pick them, sampled with linear filtering; no smaller levels are made.
// Rows of any width and top-down pictures are uploaded upright.
void uploadTexture(const RgbImage& image);

// Starts reading the hand-off bitmap, scaled down to what the screen shows, and making its base
// level on a second thread; needs no window. Call it first, so that the work overlaps the
// window's creation, and once. A working folder that others could write counts as a failed read.
void startLoadingTexture();

// Where the picture's read stands, which a run never waits for: Ready once the picture is
// uploaded, uploading it when its read has just finished; Loading while it is still being read;
// Failed for good when it could not be read, which the run tells (tellPictureFailure) and ends
// on as it sees fit. Call after startLoadingTexture, with the OpenGL context current.
PictureState uploadPictureOnceRead();

// Tells the user why the picture could not be read, once uploadPictureOnceRead answered Failed:
// in an "Error" box, returning once it is dismissed, or on standard error alone in an unattended
// run. The box is a window of its own: nothing of the run's may cover it.
void tellPictureFailure();

// The fixed state of the scene: texturing on, the viewport, the perspective with the scene's
// translation, smooth shading, black clear colour.
void setFixedView(int viewportWidth, int viewportHeight);

// Evaluates the mesh for the given parameters and draws it as textured triangles, with the
// whole picture in the default texture over the whole viewport.
void warpMesh(float power, float twist);

// The monitors the window is to cover, in the window system's coordinates; read from the
// window system when nobody set them. Set before startLoadingTexture.
void useMonitors(std::vector<platform::MonitorRect> monitors);

// A monitor's share of the window and of the picture.
struct MonitorView {
    platform::MonitorRect part;  // in the window and in the picture, top-left origin
    TextureRect texture;         // where the part lies in its texture
    unsigned name = 0;           // its texture object; 0 is the default, the whole picture
};

// What each of `monitors` shows of `image` (bottom-up rows; the picture's (0, 0) at the top-left
// of the monitors' box): their parts cut to the picture, so nothing outside it is read. When the
// whole picture's texture would need a side beyond `maxTextureSide` (0: beyond what OpenGL
// takes), each part is uploaded into a texture of its own at full resolution; otherwise each
// reads its rectangle of the default texture, which the caller fills with the whole picture.
// Empty for fewer than two monitors.
std::vector<MonitorView> makeMonitorViews(const RgbImage& image,
                                          std::span<const platform::MonitorRect> monitors,
                                          int maxTextureSide = 0);

// What each of `outputs` shows of `image` (bottom-up rows), a picture of the outputs' logical
// box at some scale: their parts of it (their places scaled to the picture), in their order.
// Every output gets a texture of its own (needs a current OpenGL context), at its part's
// resolution, or at its surface's where the part has more pixels than that (an output at a
// smaller scale than the picture's). A part outside the picture gives a view that shows nothing.
std::vector<MonitorView> makeOutputViews(const RgbImage& image,
                                         std::span<const platform::OutputSurface> outputs);

// Evaluates the mesh for the given parameters and draws it once per view, each in its own
// viewport and scissor box of a window `windowHeight` pixels high: one frame on every monitor.
// Leaves the viewport at the last view's.
void drawMonitorViews(const std::vector<MonitorView>& views, int windowHeight, float power,
                      float twist);

// Drawing on the outputs' own surfaces instead of one window: `outputs` as they were opened
// (their places in the desktop's logical layout, their sizes in pixels). The picture is read at
// the resolution of the largest scale among them, and each output shows its part of it,
// wherever the capture put the outputs' parts at whatever scale. Set before startLoadingTexture.
void useOutputSurfaces(std::span<const platform::OutputSurface> outputs);

// Advances the animation by one frame and evaluates the mesh for it; once the picture is
// uploaded, before the frame is drawn anywhere.
void beginFrame();

// Draws the current frame in the one window over the monitors, `windowHeight` pixels high, whose
// context is current: the whole picture, or each monitor's part in its own viewport; black while
// the picture is still being read.
void drawInWindow(int windowHeight);

// Draws the current frame on output `index`'s surface, `width` x `height` pixels, whose
// context is current: black while the picture is still being read.
void drawOnOutput(std::size_t index, int width, int height);

// Counts the frame that beginFrame began, once it has been drawn everywhere.
void endFrame();

}  // namespace renderer
