// The Wayland capture's first route: the wlroots screen-copy protocol, one shared-memory frame
// per output, placed by xdg-output (see wayland_capture.h).
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/base.h"
#include "platform/monitor_layout.h"
#include "platform/wayland/client.h"
#include "platform/wayland/outputs.h"
#include "platform/wayland/wayland_capture.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace platform::wayland {
namespace {

// One output's frame, from the first event to the copied pixels.
struct Frame {
    const Output* output = nullptr;
    zwlr_screencopy_frame_v1* frame = nullptr;
    wl_buffer* buffer = nullptr;
    void* pixels = MAP_FAILED;
    std::size_t size = 0;
    std::uint32_t format = 0;
    int width = 0, height = 0, stride = 0;
    bool yInvert = false;
    enum class State { Waiting, Ready, Failed } state = State::Waiting;
    std::string problem;

    ~Frame() {
        if (frame) zwlr_screencopy_frame_v1_destroy(frame);
        if (buffer) wl_buffer_destroy(buffer);
        if (pixels != MAP_FAILED) munmap(pixels, size);
    }
};

// The globals the route needs, the outputs and their frames, for the life of one capture.
struct Session {
    Client client;
    wl_shm* shm = nullptr;
    zwlr_screencopy_manager_v1* screencopy = nullptr;
    Outputs outputs;
    std::vector<std::unique_ptr<Frame>> frames;

    // The proxies go before the connection does (the client is the first member).
    ~Session() {
        frames.clear();
        if (screencopy) zwlr_screencopy_manager_v1_destroy(screencopy);
        if (shm) wl_shm_destroy(shm);
    }
};

// The frame's buffer as shared memory, handed to the compositor to copy into.
void OnBuffer(void* data, zwlr_screencopy_frame_v1*, std::uint32_t format, std::uint32_t width,
              std::uint32_t height, std::uint32_t stride) {
    auto& f = *static_cast<Frame*>(data);
    // The shared-memory pool's size is a signed 32-bit number: a larger frame can't be copied.
    if (f.buffer || width == 0 || height == 0 || width > 1u << 15 || height > 1u << 15 ||
        stride < width * 4u || stride > 1u << 18 ||
        std::uint64_t{stride} * height > static_cast<std::uint64_t>(INT32_MAX)) {
        f.state = Frame::State::Failed;
        f.problem = platform::Translate("the compositor offered a frame of an impossible size");
        return;
    }
    f.format = format;
    f.width = static_cast<int>(width), f.height = static_cast<int>(height);
    f.stride = static_cast<int>(stride);
    f.size = static_cast<std::size_t>(stride) * height;
}

void OnFlags(void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags) {
    static_cast<Frame*>(data)->yInvert = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
}

void OnReady(void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {
    static_cast<Frame*>(data)->state = Frame::State::Ready;
}

void OnFailed(void* data, zwlr_screencopy_frame_v1*) {
    auto& f = *static_cast<Frame*>(data);
    f.state = Frame::State::Failed;
    if (f.problem.empty())
        f.problem = platform::Translate("the compositor refused to copy an output");
}

const zwlr_screencopy_frame_v1_listener kFrameListener = {OnBuffer, OnFlags, OnReady, OnFailed};

// Makes the shared-memory buffer of a frame whose size is known and asks for the copy.
bool StartCopy(Session& s, Frame& f) {
    const int fd = memfd_create("velmora-capture", MFD_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ftruncate(fd, static_cast<off_t>(f.size)) == 0;
    if (ok) {
        f.pixels = mmap(nullptr, f.size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ok = f.pixels != MAP_FAILED;
    }
    if (ok) {
        wl_shm_pool* pool = wl_shm_create_pool(s.shm, fd, static_cast<std::int32_t>(f.size));
        f.buffer = wl_shm_pool_create_buffer(pool, 0, f.width, f.height, f.stride, f.format);
        wl_shm_pool_destroy(pool);
        zwlr_screencopy_frame_v1_copy(f.frame, f.buffer);
    }
    close(fd);
    return ok;
}

bool LayoutOf(std::uint32_t format, PixelLayout& layout) {
    switch (format) {
        case WL_SHM_FORMAT_XRGB8888:
        case WL_SHM_FORMAT_ARGB8888:
            layout = PixelLayout::Bgrx;
            return true;
        case WL_SHM_FORMAT_XBGR8888:
        case WL_SHM_FORMAT_ABGR8888:
            layout = PixelLayout::Rgbx;
            return true;
        default:
            return false;
    }
}

// Connects and binds the globals the route needs: true when all are there, ready to copy.
bool BindGlobals(Session& s, Clock::time_point deadline, std::string& why) {
    if (!s.client.Connect()) {
        why = platform::Translate("the Wayland display could not be reached");
        return false;
    }
    // Version 1 of the screen copy and of shared memory is all this route needs:
    // shared-memory frames, copied whole.
    std::vector<WantedGlobal> wanted = s.outputs.Globals();
    wanted.push_back({&wl_shm_interface, 1, BindInto(s.shm)});
    wanted.push_back({&zwlr_screencopy_manager_v1_interface, 1, BindInto(s.screencopy)});
    if (!s.client.ReadGlobals(wanted, deadline)) {
        why = platform::Translate("the compositor did not answer");
        return false;
    }
    if (!s.screencopy || !s.outputs.CanPlace() || !s.shm || s.outputs.Empty()) {
        why = s.screencopy
                  ? platform::Translate("the compositor does not say where its outputs are")
                  : platform::Translate("the compositor offers no screen copy");
        return false;
    }
    return true;
}

// Asks for every output's place and frame and waits until each frame is copied or refused.
bool CopyFrames(Session& s, Clock::time_point deadline, std::string& why) {
    for (const auto& o : s.outputs.All()) {
        auto& f = *s.frames.emplace_back(std::make_unique<Frame>());
        f.output = o.get();
        f.frame = zwlr_screencopy_manager_v1_capture_output(s.screencopy, 0, o->proxy);
        zwlr_screencopy_frame_v1_add_listener(f.frame, &kFrameListener, &f);
    }
    // The places come with the first round trip; the frames' sizes next (with version 1, the
    // buffer event is the last word before the copy may start); then the copies.
    const auto allSized = [&] {
        for (auto& f : s.frames)
            if (f->state == Frame::State::Waiting && f->size == 0) return false;
        return true;
    };
    if (!s.outputs.Place(s.client, deadline) || !s.client.DispatchUntil(deadline, allSized)) {
        why = platform::Translate("the compositor did not offer the screen's frames in time");
        return false;
    }
    for (auto& f : s.frames) {
        if (f->state == Frame::State::Failed) continue;
        if (!StartCopy(s, *f)) {
            why = platform::Translate("no shared memory for the screen's pixels");
            return false;
        }
    }
    const auto allDone = [&] {
        for (auto& f : s.frames)
            if (f->state == Frame::State::Waiting) return false;
        return true;
    };
    if (!s.client.DispatchUntil(deadline, allDone)) {
        why = platform::Translate("the compositor did not copy the screen in time");
        return false;
    }
    return true;
}

// The copied frames of the outputs whose place is known; false when a frame failed or none
// can be placed.
bool PlacedPictures(const Session& s, std::vector<OutputPicture>& pictures, std::string& why) {
    for (const auto& f : s.frames) {
        if (f->state == Frame::State::Failed) {
            why = f->problem;
            return false;
        }
        PixelLayout layout;
        if (!LayoutOf(f->format, layout)) {
            why = platform::Translate(
                "the compositor copied the screen in a pixel format this program does not read");
            return false;
        }
        if (!f->output->placed) continue;
        pictures.push_back({{static_cast<const std::uint8_t*>(f->pixels), f->width, f->height,
                             f->stride, layout, f->yInvert},
                            f->output->place});
    }
    if (pictures.empty())
        why = platform::Translate("the compositor does not say where its outputs are");
    return !pictures.empty();
}

}  // namespace

bool CaptureWithScreenCopy(std::span<const MonitorRect> monitors, RgbTarget& target, double scale,
                           std::string* why) {
    const auto deadline = Clock::now() + kScreenCopyTimeout;
    Session s;
    std::vector<OutputPicture> pictures;
    std::string reason;
    if (!BindGlobals(s, deadline, reason) || !CopyFrames(s, deadline, reason) ||
        !PlacedPictures(s, pictures, reason)) {
        if (why) *why = reason;
        return false;
    }
    // The outputs' places in the picture, whose (0, 0) is the box's top-left.
    const MonitorRect box = BoundingBox(monitors);
    for (OutputPicture& picture : pictures) picture.place = ScaledRect(picture.place, box, scale);
    ComposeOutputs(pictures, ScaledRect(box, box, scale), target);
    return true;
}

}  // namespace platform::wayland
