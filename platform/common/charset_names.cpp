// Telling charset names apart (see platform.h): the same on every system.
#include <string>

#include "platform/platform.h"

namespace platform {

bool IsUtf8(std::string_view name) {
    std::string upper(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper == "UTF-8" || upper == "UTF8";
}

}  // namespace platform
