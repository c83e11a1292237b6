// The drive-path rule that both programs use to agree on "C:\tolvik\Zentrova.bmp" (see
// base.h): the same on every system.
#include <string>

#include "platform/base.h"

namespace platform {

std::string MapDrivePathUnder(std::string_view root, std::string_view path) {
    std::string out;
    const bool hasDrive =
        path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (hasDrive) {
        out.assign(root);
        while (out.size() > 1 && out.back() == '/') out.pop_back();
        out += '/';
        out += static_cast<char>(path[0] | 0x20);  // ASCII lower case
        path.remove_prefix(2);
        if (!path.empty() && path[0] != '\\' && path[0] != '/') out += '/';
    }
    for (char c : path) out += (c == '\\') ? '/' : c;
    return out;
}

}  // namespace platform
