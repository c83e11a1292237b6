// The compositor's toplevel windows (see toplevels.h).
#include "toplevels.h"

#include <wayland-client.h>

#include <algorithm>

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace platform::wayland {
namespace {

using Window = Toplevels::Window;
using Handle = zwlr_foreign_toplevel_handle_v1;

void OnTitle(void* data, Handle*, const char* title) {
    static_cast<Window*>(data)->pendingTitle = title ? title : "";
}

void OnAppId(void*, Handle*, const char*) {}
void OnOutputEnter(void*, Handle*, wl_output*) {}
void OnOutputLeave(void*, Handle*, wl_output*) {}
void OnParent(void*, Handle*, Handle*) {}

void OnState(void* data, Handle*, wl_array* states) {
    auto* w = static_cast<Window*>(data);
    w->pendingActivated = w->pendingFullScreen = false;
    const auto* state = static_cast<const std::uint32_t*>(states->data);
    for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i) {
        if (state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) w->pendingActivated = true;
        if (state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_FULLSCREEN)
            w->pendingFullScreen = true;
    }
}

void OnDone(void* data, Handle*) {
    auto* w = static_cast<Window*>(data);
    w->title = w->pendingTitle;
    w->activated = w->pendingActivated;
    w->fullScreen = w->pendingFullScreen;
}

void OnClosed(void* data, Handle*) {
    auto* w = static_cast<Window*>(data);
    w->list->Remove(w);
}

const zwlr_foreign_toplevel_handle_v1_listener kHandleListener = {
    OnTitle, OnAppId, OnOutputEnter, OnOutputLeave, OnState, OnDone, OnClosed, OnParent};

void OnToplevel(void* data, zwlr_foreign_toplevel_manager_v1*, Handle* handle) {
    static_cast<Toplevels*>(data)->Add(handle);
}

void OnFinished(void*, zwlr_foreign_toplevel_manager_v1*) {}

const zwlr_foreign_toplevel_manager_v1_listener kManagerListener = {OnToplevel, OnFinished};

}  // namespace

Toplevels::~Toplevels() {
    Release();
}

void Toplevels::Release() {
    for (auto& w : windows_) zwlr_foreign_toplevel_handle_v1_destroy(w->handle);
    windows_.clear();
    if (manager_) zwlr_foreign_toplevel_manager_v1_destroy(manager_);
    manager_ = nullptr;
}

WantedGlobal Toplevels::Wanted() {
    return {&zwlr_foreign_toplevel_manager_v1_interface, 3,
            [this](void* proxy, std::uint32_t, std::uint32_t) {
                manager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(proxy);
                zwlr_foreign_toplevel_manager_v1_add_listener(manager_, &kManagerListener, this);
            }};
}

bool Toplevels::FullScreenActive(std::span<const std::string_view> ownTitles) const {
    return std::any_of(windows_.begin(), windows_.end(), [&](const auto& w) {
        return w->activated && w->fullScreen &&
               std::find(ownTitles.begin(), ownTitles.end(), w->title) == ownTitles.end();
    });
}

void Toplevels::Add(Handle* handle) {
    auto window = std::make_unique<Window>();
    window->list = this;
    window->handle = handle;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kHandleListener, window.get());
    windows_.push_back(std::move(window));
}

void Toplevels::Remove(Window* window) {
    zwlr_foreign_toplevel_handle_v1_destroy(window->handle);
    std::erase_if(windows_, [&](const auto& w) { return w.get() == window; });
}

}  // namespace platform::wayland
