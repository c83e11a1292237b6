// Swap control of the current GLX context (see platform.h): whichever of the three GLX swap
// extensions the server offers sets a swap interval of one refresh.
#include <GL/glx.h>

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

}  // namespace

void RequestSwapControl() {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable) return;
    const char* list = glXQueryExtensionsString(display, DefaultScreen(display));
    auto lookup = [](const char* name) {
        return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
    };
    if (HasExtension(list, "GLX_EXT_swap_control")) {
        if (auto f = reinterpret_cast<void (*)(Display*, GLXDrawable, int)>(
                lookup("glXSwapIntervalEXT")))
            f(display, drawable, 1);
    } else if (HasExtension(list, "GLX_MESA_swap_control")) {
        if (auto f = reinterpret_cast<int (*)(unsigned)>(lookup("glXSwapIntervalMESA"))) f(1);
    } else if (HasExtension(list, "GLX_SGI_swap_control")) {
        if (auto f = reinterpret_cast<int (*)(int)>(lookup("glXSwapIntervalSGI"))) f(1);
    }
}

}  // namespace platform
