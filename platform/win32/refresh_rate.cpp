// The display's refresh rate (see gl.h): the primary display's current mode, else the
// desktop compositor's refresh timing.
#include <windows.h>
// After windows.h: the compositor's header needs its types.
#include <dwmapi.h>

#include "platform/gl.h"

namespace platform {
namespace {

// The compositor's refresh rate (DwmGetCompositionTimingInfo); 0 without a compositor. The
// library is loaded for this one question only.
double CompositorRate() {
    HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
    if (!dwm) return 0;
    using GetTiming = HRESULT(WINAPI*)(HWND, DWM_TIMING_INFO*);
    double rate = 0;
    if (auto get = reinterpret_cast<GetTiming>(
            reinterpret_cast<void*>(GetProcAddress(dwm, "DwmGetCompositionTimingInfo")))) {
        DWM_TIMING_INFO info{};
        info.cbSize = sizeof info;
        if (SUCCEEDED(get(nullptr, &info)) && info.rateRefresh.uiDenominator != 0)
            rate =
                static_cast<double>(info.rateRefresh.uiNumerator) / info.rateRefresh.uiDenominator;
    }
    FreeLibrary(dwm);
    return rate;
}

}  // namespace

double DisplayRefreshRate() {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    // 0 and 1 stand for "the hardware's default rate": no figure.
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1)
        return mode.dmDisplayFrequency;
    return CompositorRate();
}

}  // namespace platform
