// Loading the modules beside the program with the system's dynamic loader.
#include "platform/posix/modules.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "shared/trace.h"

namespace platform::modules {

void Refused(std::string_view file, std::string_view why) {
    const std::string line =
        "Velmora: " + std::string(file) + " not used: " + std::string(why) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    std::string mark = "module-refused:" + std::string(file) + ":" + std::string(why);
    for (char& c : mark)
        if (c == ' ' || c == '\n' || c == '\t') c = '_';
    trace::Mark(mark.substr(0, 119).c_str());
}

void* Open(std::string_view file, const char* versionSymbol, std::string_view version) {
    const std::string path = ProgramFolder() + "/" + std::string(file);
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        Refused(file, why ? why : "the system cannot load it");
        return nullptr;
    }
    dlerror();
    const auto* text = static_cast<const char*>(dlsym(handle, versionSymbol));
    if (!text) {
        Refused(file, "it has no version (" + std::string(versionSymbol) +
                          "): not a module of this program");
        dlclose(handle);
        return nullptr;
    }
    if (std::string_view(text, strnlen(text, 256)) != version) {
        Refused(file, "it is from another build (version " + std::string(text, strnlen(text, 64)) +
                          ", this program needs " + std::string(version) + ")");
        dlclose(handle);
        return nullptr;
    }
    return handle;
}

void* Find(void* module, std::string_view file, const char* name) {
    dlerror();
    void* address = dlsym(module, name);
    if (!address) {
        const char* why = dlerror();
        Refused(file, why ? why : std::string("it has no ") + name);
    }
    return address;
}

}  // namespace platform::modules
