// Preloaded into every program of the sanitizer run (tools/sanitize.sh): keeps Mesa's GL driver
// module loaded when a display closes. The GL library unloads the driver when its display closes,
// which freeglut does at exit, before the leak check; the driver's leftovers could then no longer
// be traced to the driver and its suppression could not match them. Every other module is closed
// as usual.
#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace {

// True for a GL driver module (".../dri/swrast_dri.so" and its kin).
bool IsGlDriver(void* handle) {
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return false;
    static constexpr char kSuffix[] = "_dri.so";
    constexpr std::size_t kLength = sizeof kSuffix - 1;
    const std::size_t n = std::strlen(map->l_name);
    return n >= kLength && std::strcmp(map->l_name + n - kLength, kSuffix) == 0;
}

}  // namespace

extern "C" int dlclose(void* handle) {
    if (IsGlDriver(handle)) return 0;
    using Close = int (*)(void*);
    static const auto real = reinterpret_cast<Close>(dlsym(RTLD_NEXT, "dlclose"));
    return real ? real(handle) : -1;
}
