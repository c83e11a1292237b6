// Program folder and the mapping of the programs' drive paths ("C:\tolvik") onto Linux folders.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace platform {

std::string ProgramFolder() {
    std::string buffer(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return ".";
    buffer.resize(static_cast<size_t>(n));
    const auto slash = buffer.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return buffer.substr(0, slash);
}

std::string DriveRoot() {
    if (const char* root = std::getenv("VELMORA_ROOT"); root && *root) return root;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/velmora";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.cache/velmora";
    return "/tmp/velmora-" + std::to_string(getuid());
}

std::string MapDrivePathUnder(std::string_view root, std::string_view path) {
    std::string out;
    const bool hasDrive = path.size() >= 2 && path[1] == ':' &&
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

std::string MapDrivePath(std::string_view path) { return MapDrivePathUnder(DriveRoot(), path); }

bool MakePrivateFolders(const std::string& path) {
    if (path.empty()) return false;
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        const std::string part = path.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string UserSettingsFolder() {
    // Only an absolute path counts: a relative one would depend on the working folder.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        return std::string(config) + "/velmora";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::string(home) + "/.config/velmora";
    return {};
}

bool FolderWritable(const std::string& folder) {
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string LastErrorText() {
    return std::strerror(errno);
}

}  // namespace platform
