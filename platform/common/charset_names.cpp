// Telling charset names apart (see platform.h): the same on every system.
#include "platform/platform.h"
#include "platform/words.h"

namespace platform {

bool IsUtf8(std::string_view name) {
    const std::string upper = AsciiUpper(name);
    return upper == "UTF-8" || upper == "UTF8";
}

}  // namespace platform
