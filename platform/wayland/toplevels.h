// The compositor's toplevel windows as the wlroots foreign-toplevel protocol lists them: their
// titles and whether each is the active one and full screen. For the Wayland backend's use.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wayland/client.h"

struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

namespace platform::wayland {

class Toplevels {
  public:
    Toplevels() = default;
    // Releases what is still bound (see Release).
    ~Toplevels();
    Toplevels(const Toplevels&) = delete;
    Toplevels& operator=(const Toplevels&) = delete;

    // The manager as a global to bind (at most version 3); the list then follows what the
    // compositor sends as its events are dispatched. The object must stay where it is while
    // the globals are read.
    WantedGlobal Wanted();
    bool Bound() const { return manager_ != nullptr; }
    // Destroys the manager and the windows' handles, and forgets them. Must come before the
    // display they were bound on is disconnected: a proxy can't be destroyed once its display
    // is gone.
    void Release();

    // True when the active window is full screen and titled none of `ownTitles`.
    bool FullScreenActive(std::span<const std::string_view> ownTitles) const;

    // One window as last reported complete (the protocol's "done"), and what is on its way.
    struct Window {
        Toplevels* list = nullptr;
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        std::string title, pendingTitle;
        bool activated = false, fullScreen = false;
        bool pendingActivated = false, pendingFullScreen = false;
    };
    // For the protocol's listeners: a window the compositor announced, one it closed.
    void Add(zwlr_foreign_toplevel_handle_v1* handle);
    void Remove(Window* window);

  private:
    zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
    std::vector<std::unique_ptr<Window>> windows_;
};

}  // namespace platform::wayland
