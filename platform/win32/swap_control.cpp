// Buffer swaps in step with the display refresh, through WGL_EXT_swap_control.
#include <windows.h>
// After windows.h: the GL header needs its types.
#include <GL/gl.h>

#include "platform/gl.h"
#include "platform/words.h"

namespace platform {
namespace {

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

bool RequestSwapControl() {
    HDC dc = wglGetCurrentDC();
    if (!dc || !wglGetCurrentContext()) return false;
    if (!ListHasName(WglExtensions(dc), "WGL_EXT_swap_control")) return false;
    using SwapInterval = BOOL(WINAPI*)(int);
    auto f = reinterpret_cast<SwapInterval>(
        reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
    return f && f(1);
}

}  // namespace platform
