// Full-screen surfaces on the outputs of a Wayland session (see OpenOutputSurfaces in
// gl.h): one xdg_toplevel per output, full screen on it, drawn through EGL with desktop
// OpenGL at the output's full pixel size (buffer scale, or a fractional scale through the
// viewporter where the compositor offers both), paced by the compositor's frame callbacks.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fractional-scale-v1-client-protocol.h"
#include "platform/base.h"
#include "platform/gl.h"
#include "platform/monitor_layout.h"
#include "platform/wayland/client.h"
#include "platform/wayland/outputs.h"
#include "viewporter-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace platform {
namespace {

using wayland::Clock;

// The evdev code of Escape, which wl_keyboard's key events carry as they are: no keymap needed.
constexpr std::uint32_t kEscapeKey = 1;
// How long the other surfaces are waited for once one wants a frame: about two refreshes.
constexpr std::chrono::milliseconds kLateSurfaceWait{34};
// How long opening may wait for the compositor's answers (its globals, the outputs' places, the
// surfaces' first configure); ample for a busy compositor, and one that has stopped answering
// sends the renderer to XWayland instead of keeping it for good.
constexpr std::chrono::seconds kOpenWait{10};

struct Surface {
    const wayland::Output* output = nullptr;
    wl_surface* surface = nullptr;
    xdg_surface* xdgSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    wp_viewport* viewport = nullptr;
    wp_fractional_scale_v1* fractional = nullptr;
    wl_egl_window* window = nullptr;
    EGLSurface eglSurface = EGL_NO_SURFACE;
    wl_callback* frame = nullptr;
    int scale120 = 0;  // the compositor's fractional scale; 0 until it says one
    int logicalWidth = 0, logicalHeight = 0;
    bool configured = false;
};

// The connection is the first member: it closes after DestroySession has let go of the rest.
struct Session {
    wayland::Client client;
    wl_compositor* compositor = nullptr;
    xdg_wm_base* shell = nullptr;
    wl_seat* seat = nullptr;
    wl_pointer* pointer = nullptr;
    wl_keyboard* keyboard = nullptr;
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractionalScales = nullptr;
    wayland::Outputs outputs;
    std::vector<std::unique_ptr<Surface>> surfaces;
    EGLDisplay egl = EGL_NO_DISPLAY;
    EGLConfig config = nullptr;
    EGLContext context = EGL_NO_CONTEXT;
    bool escape = false;
    bool closed = false;
};

Session* session = nullptr;
std::vector<OutputSurface> shown;

// ---- The listeners -----------------------------------------------------------------------------

void OnPing(void*, xdg_wm_base* shell, std::uint32_t serial) {
    xdg_wm_base_pong(shell, serial);
}
const xdg_wm_base_listener kShellListener{OnPing};

void OnPointerEnter(void*, wl_pointer* pointer, std::uint32_t serial, wl_surface*, wl_fixed_t,
                    wl_fixed_t) {
    // No cursor surface: the pointer is hidden while it is over ours.
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
}
void OnPointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
void OnPointerMotion(void*, wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t) {}
void OnPointerButton(void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                     std::uint32_t) {}
void OnPointerAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void OnPointerFrame(void*, wl_pointer*) {}
void OnPointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
void OnPointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void OnPointerAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
void OnPointerAxisValue120(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
const wl_pointer_listener kPointerListener{
    OnPointerEnter,        OnPointerLeave,       OnPointerMotion,     OnPointerButton,
    OnPointerAxis,         OnPointerFrame,       OnPointerAxisSource, OnPointerAxisStop,
    OnPointerAxisDiscrete, OnPointerAxisValue120};

void OnKeymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) {
    // Only the raw code of Escape matters: the keymap is not read.
    close(fd);
}
void OnKeyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void OnKeyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void OnKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
           std::uint32_t state) {
    if (key == kEscapeKey && state == WL_KEYBOARD_KEY_STATE_PRESSED) session->escape = true;
}
void OnModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                 std::uint32_t) {}
void OnRepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
const wl_keyboard_listener kKeyboardListener{OnKeymap, OnKeyboardEnter, OnKeyboardLeave,
                                             OnKey,    OnModifiers,     OnRepeatInfo};

void OnSeatCapabilities(void*, wl_seat* seat, std::uint32_t capabilities) {
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !session->pointer) {
        session->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(session->pointer, &kPointerListener, nullptr);
    }
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !session->keyboard) {
        session->keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(session->keyboard, &kKeyboardListener, nullptr);
    }
}
void OnSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener{OnSeatCapabilities, OnSeatName};

// The globals the surfaces need, at the versions whose events the listeners above answer, and
// the outputs named at version 2 or above (which say their scale).
std::vector<wayland::WantedGlobal> WantedGlobals() {
    using wayland::BindInto;
    std::vector<wayland::WantedGlobal> wanted{
        {&wl_compositor_interface, 4, BindInto(session->compositor)},
        {&xdg_wm_base_interface, 1,
         [](void* proxy, std::uint32_t, std::uint32_t) {
             session->shell = static_cast<xdg_wm_base*>(proxy);
             xdg_wm_base_add_listener(session->shell, &kShellListener, nullptr);
         }},
        {&wl_seat_interface, 5,
         [](void* proxy, std::uint32_t, std::uint32_t) {
             session->seat = static_cast<wl_seat*>(proxy);
             wl_seat_add_listener(session->seat, &kSeatListener, nullptr);
         }},
        {&wp_viewporter_interface, 1, BindInto(session->viewporter)},
        {&wp_fractional_scale_manager_v1_interface, 1, BindInto(session->fractionalScales)},
    };
    const std::vector<wayland::WantedGlobal> outputs = session->outputs.Globals(2);
    wanted.insert(wanted.end(), outputs.begin(), outputs.end());
    return wanted;
}

// Why opening stopped when the compositor's answer did not come.
const char* Unanswered() {
    return session->client.Broken() ? "the compositor went away"
                                    : "the compositor did not answer in time";
}

// ---- Sizes -------------------------------------------------------------------------------------

// The surface's logical size: what the compositor configured, else its output's.
void LogicalSize(const Surface& s, int& width, int& height) {
    width = s.logicalWidth > 0 ? s.logicalWidth : s.output->place.width;
    height = s.logicalHeight > 0 ? s.logicalHeight : s.output->place.height;
}

// The surface's scale in 120ths: the fractional scale where the compositor said one (and the
// viewporter can show it), else the output's integer scale.
int Scale120(const Surface& s) {
    if (s.scale120 > 0 && s.viewport) return s.scale120;
    return s.output->scale * 120;
}

// Sizes the surface's buffer (and tells the compositor how it maps to the logical size) for
// the next commit; the EGL window follows the new size at the next swap.
void ApplySize(Surface& s, OutputSurface& out) {
    int width = 0, height = 0;
    LogicalSize(s, width, height);
    const int scale120 = Scale120(s);
    const ScreenSize pixels = SurfacePixelSize(width, height, scale120);
    if (s.viewport && scale120 % 120 != 0) {
        wl_surface_set_buffer_scale(s.surface, 1);
        wp_viewport_set_destination(s.viewport, width, height);
    } else {
        wl_surface_set_buffer_scale(s.surface, scale120 / 120);
        if (s.viewport) wp_viewport_set_destination(s.viewport, -1, -1);
    }
    out.pixelWidth = std::max(pixels.width, 1);
    out.pixelHeight = std::max(pixels.height, 1);
    if (s.window) wl_egl_window_resize(s.window, out.pixelWidth, out.pixelHeight, 0, 0);
}

std::size_t IndexOf(const Surface* s) {
    for (std::size_t i = 0; i < session->surfaces.size(); ++i)
        if (session->surfaces[i].get() == s) return i;
    return 0;
}

void OnSurfaceConfigure(void* data, xdg_surface* xdgSurface, std::uint32_t serial) {
    auto* s = static_cast<Surface*>(data);
    xdg_surface_ack_configure(xdgSurface, serial);
    s->configured = true;
    if (shown.size() == session->surfaces.size()) ApplySize(*s, shown[IndexOf(s)]);
}
const xdg_surface_listener kSurfaceListener{OnSurfaceConfigure};

void OnToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                         wl_array*) {
    auto* s = static_cast<Surface*>(data);
    s->logicalWidth = width;
    s->logicalHeight = height;
}
void OnToplevelClose(void*, xdg_toplevel*) {
    session->closed = true;
}
void OnToplevelBounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) {}
void OnToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener kToplevelListener{OnToplevelConfigure, OnToplevelClose,
                                              OnToplevelBounds, OnToplevelCapabilities};

void OnPreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
    auto* s = static_cast<Surface*>(data);
    s->scale120 = static_cast<int>(std::min<std::uint32_t>(scale, 120 * 16));
    if (shown.size() == session->surfaces.size()) ApplySize(*s, shown[IndexOf(s)]);
}
const wp_fractional_scale_v1_listener kFractionalListener{OnPreferredScale};

void OnFrameDone(void* data, wl_callback* callback, std::uint32_t) {
    auto* s = static_cast<Surface*>(data);
    wl_callback_destroy(callback);
    s->frame = nullptr;
    shown[IndexOf(s)].wantsFrame = true;
}
const wl_callback_listener kFrameListener{OnFrameDone};

// ---- Opening and closing -----------------------------------------------------------------------

void DestroySurface(Surface& s) {
    if (s.eglSurface != EGL_NO_SURFACE) eglDestroySurface(session->egl, s.eglSurface);
    if (s.window) wl_egl_window_destroy(s.window);
    if (s.frame) wl_callback_destroy(s.frame);
    if (s.fractional) wp_fractional_scale_v1_destroy(s.fractional);
    if (s.viewport) wp_viewport_destroy(s.viewport);
    if (s.toplevel) xdg_toplevel_destroy(s.toplevel);
    if (s.xdgSurface) xdg_surface_destroy(s.xdgSurface);
    if (s.surface) wl_surface_destroy(s.surface);
}

void DestroySession() {
    if (!session) return;
    if (session->egl != EGL_NO_DISPLAY)
        eglMakeCurrent(session->egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    for (auto& s : session->surfaces) DestroySurface(*s);
    if (session->context != EGL_NO_CONTEXT) eglDestroyContext(session->egl, session->context);
    if (session->egl != EGL_NO_DISPLAY) eglTerminate(session->egl);
    if (session->fractionalScales)
        wp_fractional_scale_manager_v1_destroy(session->fractionalScales);
    if (session->viewporter) wp_viewporter_destroy(session->viewporter);
    if (session->keyboard) wl_keyboard_destroy(session->keyboard);
    if (session->pointer) wl_pointer_destroy(session->pointer);
    if (session->seat) wl_seat_destroy(session->seat);
    if (session->shell) xdg_wm_base_destroy(session->shell);
    if (session->compositor) wl_compositor_destroy(session->compositor);
    delete session;
    session = nullptr;
    shown.clear();
}

bool ForcedAway() {
    const char* value = std::getenv("VELMORA_FORCE_XWAYLAND");
    return value && *value && std::strcmp(value, "0") != 0;
}

// The outputs' places in the logical layout (xdg-output); false when none has one.
bool PlaceOutputs(Clock::time_point deadline, std::string& why) {
    if (!session->outputs.CanPlace()) {
        why = "the compositor offers no zxdg_output_manager_v1";
        return false;
    }
    if (!session->outputs.Place(session->client, deadline)) {
        why = Unanswered();
        return false;
    }
    session->outputs.DropUnplaced();
    if (session->outputs.Empty()) why = "the compositor names no output";
    return !session->outputs.Empty();
}

bool StartEgl(std::string& why) {
    session->egl =
        eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, session->client.Display(), nullptr);
    if (session->egl == EGL_NO_DISPLAY || !eglInitialize(session->egl, nullptr, nullptr)) {
        why = "EGL does not start on this display";
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        why = "EGL offers no desktop OpenGL";
        return false;
    }
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_WINDOW_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_ALPHA_SIZE,
                                 0,
                                 EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(session->egl, attributes, &session->config, 1, &count) || count < 1) {
        why = "EGL has no configuration for an OpenGL window";
        return false;
    }
    session->context = eglCreateContext(session->egl, session->config, EGL_NO_CONTEXT, nullptr);
    if (session->context == EGL_NO_CONTEXT) {
        why = "EGL made no OpenGL context";
        return false;
    }
    return true;
}

// A full-screen toplevel on `output`, committed without a buffer so that the compositor
// configures it.
void AddSurface(const wayland::Output& output, std::string_view title) {
    auto s = std::make_unique<Surface>();
    s->output = &output;
    s->surface = wl_compositor_create_surface(session->compositor);
    s->xdgSurface = xdg_wm_base_get_xdg_surface(session->shell, s->surface);
    xdg_surface_add_listener(s->xdgSurface, &kSurfaceListener, s.get());
    s->toplevel = xdg_surface_get_toplevel(s->xdgSurface);
    xdg_toplevel_add_listener(s->toplevel, &kToplevelListener, s.get());
    const std::string titleText(title);
    xdg_toplevel_set_title(s->toplevel, titleText.c_str());
    xdg_toplevel_set_app_id(s->toplevel, "velmora");
    xdg_toplevel_set_fullscreen(s->toplevel, output.proxy);
    if (session->viewporter)
        s->viewport = wp_viewporter_get_viewport(session->viewporter, s->surface);
    if (session->viewporter && session->fractionalScales) {
        s->fractional = wp_fractional_scale_manager_v1_get_fractional_scale(
            session->fractionalScales, s->surface);
        wp_fractional_scale_v1_add_listener(s->fractional, &kFractionalListener, s.get());
    }
    wl_surface_commit(s->surface);
    session->surfaces.push_back(std::move(s));
}

bool AllConfigured() {
    return std::all_of(session->surfaces.begin(), session->surfaces.end(),
                       [](const std::unique_ptr<Surface>& s) { return s->configured; });
}

// Waits for the first configure of every surface, then makes their EGL windows.
bool MakeSurfaces(std::string_view title, Clock::time_point deadline, std::string& why) {
    for (const auto& o : session->outputs.All()) AddSurface(*o, title);
    if (!session->client.DispatchUntil(deadline,
                                       [] { return AllConfigured() || session->closed; })) {
        why = Unanswered();
        return false;
    }
    shown.resize(session->surfaces.size());
    for (std::size_t i = 0; i < session->surfaces.size(); ++i) {
        Surface& s = *session->surfaces[i];
        shown[i].place = s.output->place;
        ApplySize(s, shown[i]);
        s.window = wl_egl_window_create(s.surface, shown[i].pixelWidth, shown[i].pixelHeight);
        if (s.window)
            s.eglSurface =
                eglCreateWindowSurface(session->egl, session->config,
                                       reinterpret_cast<EGLNativeWindowType>(s.window), nullptr);
        if (s.eglSurface == EGL_NO_SURFACE ||
            !eglMakeCurrent(session->egl, s.eglSurface, s.eglSurface, session->context)) {
            why = "EGL made no window surface";
            return false;
        }
        // The frame callbacks pace the drawing: a swap never waits by itself.
        eglSwapInterval(session->egl, 0);
    }
    return true;
}

bool Open(std::string_view title, std::string& why) {
    const auto deadline = Clock::now() + kOpenWait;
    if (!session->client.ReadGlobals(WantedGlobals(), deadline)) {
        why = Unanswered();
        return false;
    }
    if (!session->compositor || !session->shell) {
        why = "the compositor offers no xdg_wm_base";
        return false;
    }
    return PlaceOutputs(deadline, why) && StartEgl(why) && MakeSurfaces(title, deadline, why);
}

// OpenOutputSurfaces with `why` at hand.
SurfacesOpening TryOpen(std::string_view title, std::string& why) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name) return SurfacesOpening::NotOffered;
    if (session) {
        why = "the surfaces are open already";
        return SurfacesOpening::Refused;
    }
    if (ForcedAway()) {
        why = "VELMORA_FORCE_XWAYLAND is set";
        return SurfacesOpening::Refused;
    }
    session = new Session;
    if (!session->client.Connect()) {
        delete session;
        session = nullptr;
        why = "no compositor answers at WAYLAND_DISPLAY";
        return SurfacesOpening::Refused;
    }
    if (Open(title, why) && !session->closed) return SurfacesOpening::Opened;
    if (why.empty()) why = "the compositor closed the surfaces at once";
    DestroySession();
    return SurfacesOpening::Refused;
}

}  // namespace

SurfacesOpening OpenOutputSurfaces(std::string_view title, std::string* why) {
    std::string reason;
    const SurfacesOpening opening = TryOpen(title, reason);
    if (why) *why = reason;
    return opening;
}

const std::vector<OutputSurface>& OutputSurfaces() {
    return shown;
}

void DrawOnOutputSurface(std::size_t index) {
    if (!session || index >= session->surfaces.size()) return;
    const EGLSurface target = session->surfaces[index]->eglSurface;
    eglMakeCurrent(session->egl, target, target, session->context);
}

void ShowOutputSurface(std::size_t index) {
    if (!session || index >= session->surfaces.size()) return;
    Surface& s = *session->surfaces[index];
    if (!s.frame) {
        s.frame = wl_surface_frame(s.surface);
        wl_callback_add_listener(s.frame, &kFrameListener, &s);
    }
    shown[index].wantsFrame = false;
    // The swap commits the surface, with the frame callback asked for above.
    eglSwapBuffers(session->egl, s.eglSurface);
}

SurfaceNews WaitForOutputSurfaces() {
    if (!session) return SurfaceNews::Closed;
    Clock::time_point firstReady{};
    for (;;) {
        if (session->escape) return SurfaceNews::Escape;
        if (session->closed) return SurfaceNews::Closed;
        const auto wanting = std::count_if(shown.begin(), shown.end(),
                                           [](const OutputSurface& s) { return s.wantsFrame; });
        const auto now = Clock::now();
        if (wanting > 0 && firstReady == Clock::time_point{}) firstReady = now;
        const auto late = firstReady + kLateSurfaceWait;
        if (wanting == static_cast<long>(shown.size()) || (wanting > 0 && now >= late))
            return SurfaceNews::Draw;
        // Without a surface that wants a frame, only the compositor's news ends the wait.
        if (!session->client.DispatchOnce(wanting > 0 ? late : wayland::kNoDeadline))
            return SurfaceNews::Closed;
    }
}

void CloseOutputSurfaces() {
    DestroySession();
}

}  // namespace platform
