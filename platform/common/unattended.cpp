// Unattended runs (see base.h): whether nobody may be at the screen.
#include <cstdlib>
#include <cstring>

#include "platform/base.h"

namespace platform {

bool RunIsUnattended() {
    const char* value = std::getenv(kUnattendedVariable);
    return value && std::strcmp(value, "1") == 0;
}

}  // namespace platform
