// Buffer swaps in step with the display refresh, through WGL_EXT_swap_control.
#include <windows.h>
// After windows.h: the GL header needs its types.
#include <GL/gl.h>

#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

bool HasExtension(const char* list, const char* name) {
    if (!list) return false;
    const std::size_t length = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[length] == ' ' || p[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

// The WGL extension list: from wglGetExtensionsStringEXT/ARB where offered, else the GL list
// (older drivers list WGL extensions there too).
const char* WglExtensions(HDC dc) {
    using ExtList = const char*(WINAPI*)();
    using ExtListArb = const char*(WINAPI*)(HDC);
    if (auto f = reinterpret_cast<ExtListArb>(
            reinterpret_cast<void*>(wglGetProcAddress("wglGetExtensionsStringARB"))))
        return f(dc);
    if (auto f = reinterpret_cast<ExtList>(
            reinterpret_cast<void*>(wglGetProcAddress("wglGetExtensionsStringEXT"))))
        return f();
    return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
}

}  // namespace

void RequestSwapControl() {
    HDC dc = wglGetCurrentDC();
    if (!dc || !wglGetCurrentContext()) return;
    if (!HasExtension(WglExtensions(dc), "WGL_EXT_swap_control")) return;
    using SwapInterval = BOOL(WINAPI*)(int);
    if (auto f = reinterpret_cast<SwapInterval>(
            reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT"))))
        f(1);
}

}  // namespace platform
