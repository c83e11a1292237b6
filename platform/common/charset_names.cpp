// Telling charset names apart (see base.h): the same on every system.
#include "platform/base.h"
#include "platform/words.h"

namespace platform {

bool IsUtf8(std::string_view name) {
    const std::string upper = AsciiUpper(name);
    return upper == "UTF-8" || upper == "UTF8";
}

}  // namespace platform
