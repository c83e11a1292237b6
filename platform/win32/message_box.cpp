// The modal message box: the system's own, with the text shown through the wide call and its
// lines broken to fit the monitor the box shows on.
#include <windows.h>

#include "platform/base.h"
#include "platform/message_box.h"
#include "platform/message_lines.h"
#include "platform/win32/win32_text.h"

namespace platform {
namespace {

// The monitor the box shows on: the owner's, else the pointer's.
HMONITOR BoxMonitor(HWND owner) {
    if (owner) return MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
    POINT pointer{};
    GetCursorPos(&pointer);
    return MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST);
}

// `text` with its lines broken for the work area of `monitor`, measured in the font the system
// draws message boxes with. The system's box breaks lines only at blanks, so a long path would
// otherwise make it wider than the monitor.
std::string Wrapped(std::string_view text, HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return std::string(text);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return std::string(text);
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HGDIOBJ old = SelectObject(dc, font);
    const std::string out = WrapToWidth(
        text, MessageLineLimit(info.rcWork.right - info.rcWork.left), [dc](std::string_view piece) {
            const std::wstring wide = win32::Widen(piece);
            SIZE size{};
            GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
            return static_cast<double>(size.cx);
        });
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return out;
}

}  // namespace

void ShowMessageBox(std::string_view title, std::string_view text) {
    ShowMessageBoxFor(0, title, text);
}

void ShowMessageBoxFor(NativeWindow owner, std::string_view title, std::string_view text) {
    TellOnStandardError(title, text);
    const HWND window = reinterpret_cast<HWND>(owner);
    const std::wstring wideTitle = win32::Widen(title);
    const std::wstring wideText = win32::Widen(Wrapped(text, BoxMonitor(window)));
    // Without an owner the box is task-modal: the program's other windows must wait all the same.
    MessageBoxW(window, wideText.c_str(), wideTitle.c_str(),
                MB_OK | MB_SETFOREGROUND | (window ? 0 : MB_TASKMODAL));
}

}  // namespace platform
