// Loading the modules beside the program with the system's dynamic loader.
#include "platform/posix/modules.h"

#include <dlfcn.h>

#include <cstring>

#include "platform/base.h"
#include "platform/trace.h"

namespace platform::modules {

void Refused(std::string_view file, std::string_view why) {
    platform::WriteToStandardError(
        platform::FillIn(platform::Translate("Velmora: %s not used: %s\n"), {file, why}));
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
        Refused(file, why ? SystemText(why) : platform::Translate("the system cannot load it"));
        return nullptr;
    }
    dlerror();
    const auto* text = static_cast<const char*>(dlsym(handle, versionSymbol));
    if (!text) {
        Refused(file, platform::FillIn(platform::Translate(
                                           "it has no version (%s): not a module of this program"),
                                       {versionSymbol}));
        dlclose(handle);
        return nullptr;
    }
    if (std::string_view(text, strnlen(text, 256)) != version) {
        Refused(
            file,
            platform::FillIn(
                platform::Translate("it is from another build (version %s, this program needs %s)"),
                {std::string_view(text, strnlen(text, 64)), version}));
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
        Refused(file, why ? SystemText(why)
                          : platform::FillIn(platform::Translate("it has no %s"), {name}));
    }
    return address;
}

}  // namespace platform::modules
