// The Wayland capture's first route: the wlroots screen-copy protocol, one shared-memory frame
// per output, placed by xdg-output (see wayland_capture.h).
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/monitor_layout.h"
#include "platform/platform.h"
#include "platform/wayland/client.h"
#include "platform/wayland/wayland_capture.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace platform::wayland {
namespace {

// One output and its frame, from the first event to the copied pixels.
struct Output {
    wl_output* output = nullptr;
    zxdg_output_v1* xdg = nullptr;
    MonitorRect place;
    bool placed = false;

    zwlr_screencopy_frame_v1* frame = nullptr;
    wl_buffer* buffer = nullptr;
    void* pixels = MAP_FAILED;
    std::size_t size = 0;
    std::uint32_t format = 0;
    int width = 0, height = 0, stride = 0;
    bool yInvert = false;
    enum class State { Waiting, Ready, Failed } state = State::Waiting;
    std::string problem;

    ~Output() {
        if (frame) zwlr_screencopy_frame_v1_destroy(frame);
        if (buffer) wl_buffer_destroy(buffer);
        if (pixels != MAP_FAILED) munmap(pixels, size);
        if (xdg) zxdg_output_v1_destroy(xdg);
        if (output) wl_output_destroy(output);
    }
};

// The globals the route needs and the outputs, for the life of one capture.
struct Session {
    Client client;
    wl_shm* shm = nullptr;
    zwlr_screencopy_manager_v1* screencopy = nullptr;
    zxdg_output_manager_v1* xdgOutputs = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;

    // The proxies go before the connection does (the client is the first member).
    ~Session() {
        outputs.clear();
        if (screencopy) zwlr_screencopy_manager_v1_destroy(screencopy);
        if (xdgOutputs) zxdg_output_manager_v1_destroy(xdgOutputs);
        if (shm) wl_shm_destroy(shm);
    }
};

void OnLogicalPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
    auto& o = *static_cast<Output*>(data);
    o.place.x = x, o.place.y = y;
}

void OnLogicalSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
    auto& o = *static_cast<Output*>(data);
    o.place.width = width, o.place.height = height;
    o.placed = width > 0 && height > 0;
}

void OnXdgDone(void*, zxdg_output_v1*) {}
void OnXdgName(void*, zxdg_output_v1*, const char*) {}
void OnXdgDescription(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener kXdgOutputListener = {OnLogicalPosition, OnLogicalSize, OnXdgDone,
                                                    OnXdgName, OnXdgDescription};

// The frame's buffer as shared memory, handed to the compositor to copy into.
void OnBuffer(void* data, zwlr_screencopy_frame_v1*, std::uint32_t format, std::uint32_t width,
              std::uint32_t height, std::uint32_t stride) {
    auto& o = *static_cast<Output*>(data);
    // The shared-memory pool's size is a signed 32-bit number: a larger frame can't be copied.
    if (o.buffer || width == 0 || height == 0 || width > 1u << 15 || height > 1u << 15 ||
        stride < width * 4u || stride > 1u << 18 ||
        std::uint64_t{stride} * height > static_cast<std::uint64_t>(INT32_MAX)) {
        o.state = Output::State::Failed;
        o.problem = platform::Translate("the compositor offered a frame of an impossible size");
        return;
    }
    o.format = format;
    o.width = static_cast<int>(width), o.height = static_cast<int>(height);
    o.stride = static_cast<int>(stride);
    o.size = static_cast<std::size_t>(stride) * height;
}

void OnFlags(void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags) {
    static_cast<Output*>(data)->yInvert = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
}

void OnReady(void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {
    static_cast<Output*>(data)->state = Output::State::Ready;
}

void OnFailed(void* data, zwlr_screencopy_frame_v1*) {
    auto& o = *static_cast<Output*>(data);
    o.state = Output::State::Failed;
    if (o.problem.empty())
        o.problem = platform::Translate("the compositor refused to copy an output");
}

const zwlr_screencopy_frame_v1_listener kFrameListener = {OnBuffer, OnFlags, OnReady, OnFailed};

// Makes the shared-memory buffer of a frame whose size is known and asks for the copy.
bool StartCopy(Session& s, Output& o) {
    const int fd = memfd_create("velmora-capture", MFD_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ftruncate(fd, static_cast<off_t>(o.size)) == 0;
    if (ok) {
        o.pixels = mmap(nullptr, o.size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ok = o.pixels != MAP_FAILED;
    }
    if (ok) {
        wl_shm_pool* pool = wl_shm_create_pool(s.shm, fd, static_cast<std::int32_t>(o.size));
        o.buffer = wl_shm_pool_create_buffer(pool, 0, o.width, o.height, o.stride, o.format);
        wl_shm_pool_destroy(pool);
        zwlr_screencopy_frame_v1_copy(o.frame, o.buffer);
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
    const auto addOutput = [&s](void* proxy, std::uint32_t, std::uint32_t) {
        s.outputs.push_back(std::make_unique<Output>());
        s.outputs.back()->output = static_cast<wl_output*>(proxy);
    };
    // Version 1 of each is all this route needs: shared-memory frames, copied whole.
    const WantedGlobal wanted[] = {
        {&wl_shm_interface, 1, BindInto(s.shm)},
        {&zwlr_screencopy_manager_v1_interface, 1, BindInto(s.screencopy)},
        {&zxdg_output_manager_v1_interface, 1, BindInto(s.xdgOutputs)},
        {&wl_output_interface, 1, addOutput, true},
    };
    if (!s.client.ReadGlobals(wanted, deadline)) {
        why = platform::Translate("the compositor did not answer");
        return false;
    }
    if (!s.screencopy || !s.xdgOutputs || !s.shm || s.outputs.empty()) {
        why = s.screencopy
                  ? platform::Translate("the compositor does not say where its outputs are")
                  : platform::Translate("the compositor offers no screen copy");
        return false;
    }
    return true;
}

// Asks for every output's place and frame and waits until each frame is copied or refused.
bool CopyFrames(Session& s, Clock::time_point deadline, std::string& why) {
    for (auto& o : s.outputs) {
        o->xdg = zxdg_output_manager_v1_get_xdg_output(s.xdgOutputs, o->output);
        zxdg_output_v1_add_listener(o->xdg, &kXdgOutputListener, o.get());
        o->frame = zwlr_screencopy_manager_v1_capture_output(s.screencopy, 0, o->output);
        zwlr_screencopy_frame_v1_add_listener(o->frame, &kFrameListener, o.get());
    }
    // The frames' sizes come first (with version 1, the buffer event is the last word before
    // the copy may start); then the copies.
    const auto allSized = [&] {
        for (auto& o : s.outputs)
            if (o->state == Output::State::Waiting && o->size == 0) return false;
        return true;
    };
    if (!s.client.DispatchUntil(deadline, allSized)) {
        why = platform::Translate("the compositor did not offer the screen's frames in time");
        return false;
    }
    for (auto& o : s.outputs) {
        if (o->state == Output::State::Failed) continue;
        if (!StartCopy(s, *o)) {
            why = platform::Translate("no shared memory for the screen's pixels");
            return false;
        }
    }
    const auto allDone = [&] {
        for (auto& o : s.outputs)
            if (o->state == Output::State::Waiting) return false;
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
    for (const auto& o : s.outputs) {
        if (o->state == Output::State::Failed) {
            why = o->problem;
            return false;
        }
        PixelLayout layout;
        if (!LayoutOf(o->format, layout)) {
            why = platform::Translate(
                "the compositor copied the screen in a pixel format this program does not read");
            return false;
        }
        if (!o->placed) continue;
        pictures.push_back({{static_cast<const std::uint8_t*>(o->pixels), o->width, o->height,
                             o->stride, layout, o->yInvert},
                            o->place});
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
