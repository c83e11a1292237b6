// The window queries by exact title (see window_system.h): a top-level window, shown or hidden. The
// question costs little here, so the watch asks it each time and nothing is kept between
// calls; x11/window_watch.cpp keeps the window found last where a search costs more.
#include <windows.h>

#include "platform/common/for_tests.h"
#include "platform/win32/win32_text.h"
#include "platform/window_system.h"

namespace platform {

bool WindowWithTitleExists(std::string_view title) {
    const std::wstring wide = win32::Widen(title);
    // FindWindowExW compares titles without regard to letter case; each candidate it gives is
    // checked exactly. Titles of other processes' windows are read without sending them a
    // message, so a hung program can't stall this.
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, nullptr, wide.c_str())) != nullptr) {
        std::wstring text(wide.size() + 2, L'\0');
        const int n = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
        if (n >= 0 && text.compare(0, static_cast<std::size_t>(n), wide) == 0 &&
            static_cast<std::size_t>(n) == wide.size())
            return true;
    }
    return false;
}

bool WindowWithAnyTitleExists(std::initializer_list<std::string_view> titles) {
    for (std::string_view title : titles)
        if (WindowWithTitleExists(title)) return true;
    return false;
}

bool WatchedWindowWithTitleExists(std::string_view title) {
    return WindowWithTitleExists(title);
}

bool WindowSearchMissesSurfaces() {
    return false;
}

}  // namespace platform
