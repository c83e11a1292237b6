// The message box for a program that needs the toolkit for nothing else (the renderer): the box
// is in velmora_message_box.so beside the program, loaded when the first box is shown, so that
// a normal start loads neither FLTK nor the dozen libraries it brings. A module that is missing,
// broken or from another build loses no message: it has gone to standard error first, as every
// box's message does, and after telling why (modules.h) the call returns as if the box had been
// dismissed.
#include <string>

#include "platform/base.h"
#include "platform/fltk/message_box_module.h"
#include "platform/message_box.h"
#include "platform/posix/modules.h"

namespace platform {
namespace {

using ShowFunction = decltype(&velmora_show_message_box);

// The module's entry point, or null when it can't be used (tried once; never unloaded).
ShowFunction Loaded() {
    static const ShowFunction show = []() -> ShowFunction {
        using message_box::kModuleFile;
        void* handle =
            modules::Open(kModuleFile, message_box::kVersionSymbol, message_box::kVersion);
        if (!handle) return nullptr;
        return reinterpret_cast<ShowFunction>(
            modules::Find(handle, kModuleFile, "velmora_show_message_box"));
    }();
    return show;
}

}  // namespace

void ShowMessageBox(std::string_view title, std::string_view text) {
    TellOnStandardError(title, text);
    if (const ShowFunction show = Loaded()) {
        const std::string titleText(title);
        const std::string message(text);
        show(titleText.c_str(), message.c_str());
    }
}

}  // namespace platform
