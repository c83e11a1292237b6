// The primary monitor's size and the twips-per-pixel ratio from the screen's DPI.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

ScreenSize PrimaryScreenSize() {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

double TwipsPerPixel() {
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        const int asked = GetDeviceCaps(screen, LOGPIXELSY);
        if (asked >= 24 && asked <= 960) dpi = asked;
        ReleaseDC(nullptr, screen);
    }
    return 1440.0 / dpi;
}

}  // namespace platform
