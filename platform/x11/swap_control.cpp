// Swap control of the current GLX context (see platform.h): whichever of the three GLX swap
// extensions the server offers sets a swap interval of one refresh.
#include <GL/glx.h>

#include "platform/common/words.h"
#include "platform/platform.h"

namespace platform {
void RequestSwapControl() {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable) return;
    const char* list = glXQueryExtensionsString(display, DefaultScreen(display));
    auto lookup = [](const char* name) {
        return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
    };
    if (ListHasName(list, "GLX_EXT_swap_control")) {
        if (auto f = reinterpret_cast<void (*)(Display*, GLXDrawable, int)>(
                lookup("glXSwapIntervalEXT")))
            f(display, drawable, 1);
    } else if (ListHasName(list, "GLX_MESA_swap_control")) {
        if (auto f = reinterpret_cast<int (*)(unsigned)>(lookup("glXSwapIntervalMESA"))) f(1);
    } else if (ListHasName(list, "GLX_SGI_swap_control")) {
        if (auto f = reinterpret_cast<int (*)(int)>(lookup("glXSwapIntervalSGI"))) f(1);
    }
}

}  // namespace platform
