// Embedding the preview form in a foreign window: the parent's client rectangle, making the
// form a child of it (child style and new parent), and noticing when either window goes.
#include <windows.h>

#include <memory>

#include "platform/window_system.h"

namespace platform {
namespace {

struct Watch {
    HWND parent;
    HWND child;
    std::function<void()> gone;
    UINT_PTR timer;
};

// One embedding per process, as there is one preview.
std::unique_ptr<Watch> watch;

// The parent belongs to another program, so its end is noticed by asking: destroying it
// destroys our child too. Checked on the message loop, four times a second.
void CALLBACK CheckWindows(HWND, UINT, UINT_PTR, DWORD) {
    if (!watch || (IsWindow(watch->parent) && IsWindow(watch->child))) return;
    KillTimer(nullptr, watch->timer);
    watch->timer = 0;
    // Moved out first: `gone` may take the form down, or embed again.
    auto gone = std::move(watch->gone);
    if (gone) gone();
}

HWND AsWindow(std::uintptr_t id) {
    return reinterpret_cast<HWND>(id);
}

}  // namespace

std::optional<WindowRect> WindowScreenRect(std::uintptr_t id) {
    HWND window = AsWindow(id);
    RECT client{};
    if (!window || !IsWindow(window) || !GetClientRect(window, &client)) return std::nullopt;
    POINT origin{0, 0};
    if (!ClientToScreen(window, &origin)) return std::nullopt;
    return WindowRect{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

bool EmbedWindow(std::uintptr_t child, std::uintptr_t parent, int x, int y,
                 std::function<void()> gone) {
    HWND c = AsWindow(child), p = AsWindow(parent);
    if (!c || !p || !IsWindow(c) || !IsWindow(p)) return false;
    LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU);
    SetWindowLongPtrW(c, GWL_STYLE, style | WS_CHILD);
    if (!SetParent(c, p) || GetParent(c) != p) return false;
    SetWindowPos(c, nullptr, x, y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (watch && watch->timer) KillTimer(nullptr, watch->timer);
    watch = std::make_unique<Watch>(Watch{p, c, std::move(gone), 0});
    watch->timer = SetTimer(nullptr, 0, 250, CheckWindows);
    return true;
}

}  // namespace platform
