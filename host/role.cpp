// The role of the host's command line (see role.h).
#include "host/role.h"

namespace Zentrova_B {

Role RoleOf(std::string_view commandLine) {
    if (commandLine.empty()) return Role::RunVisible;
    if (commandLine.size() < 2) return Role::None;
    switch (commandLine[1]) {
        case 'P':
        case 'p':
            return Role::Preview;
        case 'C':
        case 'c':
            return Role::Configure;
        case 'S':
        case 's':
            return Role::Run;
        default:
            return Role::None;
    }
}

}  // namespace Zentrova_B
