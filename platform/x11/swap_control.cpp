// Swap control of the current GLX context (see gl.h): whichever of the three GLX swap
// extensions the server offers sets a swap interval of one refresh.
#include <GL/glx.h>

#include "platform/gl.h"
#include "platform/words.h"
#include "x11_display.h"

namespace platform {
bool RequestSwapControl() {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable) return false;
    const char* list = glXQueryExtensionsString(display, DefaultScreen(display));
    auto lookup = [](const char* name) {
        return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
    };
    if (ListHasName(list, "GLX_EXT_swap_control")) {
        auto f =
            reinterpret_cast<void (*)(Display*, GLXDrawable, int)>(lookup("glXSwapIntervalEXT"));
        if (!f) return false;
        // The call reports a refused interval as an X error only.
        x11::ErrorTrap trap(display);
        f(display, drawable, 1);
        return !trap.Failed();
    }
    if (ListHasName(list, "GLX_MESA_swap_control")) {
        auto f = reinterpret_cast<int (*)(unsigned)>(lookup("glXSwapIntervalMESA"));
        return f && f(1) == 0;
    }
    if (ListHasName(list, "GLX_SGI_swap_control")) {
        auto f = reinterpret_cast<int (*)(int)>(lookup("glXSwapIntervalSGI"));
        return f && f(1) == 0;
    }
    return false;
}

}  // namespace platform
