// The program folder, path joining, where the programs' drive paths ("C:\tolvik") live on a
// POSIX system (see base.h), and the checks that keep the working folders private to the user.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base.h"

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

std::string PathInFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path += '/';
    path += name;
    return path;
}

std::string DriveRoot() {
    if (const char* root = std::getenv("VELMORA_ROOT"); root && *root) return root;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/velmora";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.cache/velmora";
    return "/tmp/velmora-" + std::to_string(getuid());
}

std::string MapDrivePath(std::string_view path) {
    return MapDrivePathUnder(DriveRoot(), path);
}

namespace {

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// The drive root and each folder below it down to `path`; just `path` when it lies elsewhere.
std::vector<std::string> FoldersFromRoot(const std::string& path) {
    const std::string root = WithoutTrailingSlashes(DriveRoot());
    const std::string target = WithoutTrailingSlashes(path);
    if (target != root && target.compare(0, root.size() + 1, root + "/") != 0) return {target};
    std::vector<std::string> folders{root};
    for (std::size_t pos = root.size() + 1; pos <= target.size(); ++pos)
        if (pos == target.size() || target[pos] == '/') folders.push_back(target.substr(0, pos));
    return folders;
}

// Why a folder, described by `info`, can't hold the user's files, or nothing when it can.
std::string StatProblem(const std::string& folder, const struct stat& info) {
    if (S_ISLNK(info.st_mode))
        return platform::FillIn(platform::Translate("%s is a symbolic link"), {folder});
    if (!S_ISDIR(info.st_mode))
        return platform::FillIn(platform::Translate("%s is not a folder"), {folder});
    if (info.st_uid != geteuid())
        return platform::FillIn(platform::Translate("%s belongs to another user"), {folder});
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return platform::FillIn(platform::Translate("%s can be written by other users"), {folder});
    return {};
}

// Why one folder can't hold the user's files, or nothing when it can.
std::string FolderProblem(const std::string& folder) {
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) return folder + ": " + platform::ErrorWords(errno);
    return StatProblem(folder, info);
}

// Opens the folder `name` of the folder `parent` (AT_FDCWD: `name` is a whole path), creating
// it private to the user first when it is missing, without following a link at `name`; `shown`
// is its whole path for messages. The descriptor of a folder that can hold the user's files,
// else -1 with the problem.
int OpenPrivateFolder(int parent, const std::string& name, const std::string& shown,
                      std::string& problem) {
    if (mkdirat(parent, name.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = shown + ": " + platform::ErrorWords(errno);
        return -1;
    }
    struct stat info {};
    const int fd = openat(parent, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int reason = errno;
        // A link or a file in its place says what it is; anything else, the system's words.
        if (fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
            problem = StatProblem(shown, info);
        if (problem.empty()) problem = shown + ": " + platform::ErrorWords(reason);
        return -1;
    }
    if (fstat(fd, &info) != 0) problem = shown + ": " + platform::ErrorWords(errno);
    if (problem.empty()) problem = StatProblem(shown, info);
    if (problem.empty()) return fd;
    close(fd);
    return -1;
}

// Creates the missing folders above `top`, which belong to the system or to the user's own
// folders and are not looked at.
void MakeParents(const std::string& top) {
    for (std::size_t pos = 1; pos < top.size(); ++pos)
        if (top[pos] == '/') mkdir(top.substr(0, pos).c_str(), 0700);
}

// Creates the folders from the drive root (or `path` itself, when it lies elsewhere) down to
// `path`, each one checked before anything is made in it: nothing is created in a folder that
// is refused or through a link. The problem, or nothing when every level is fine.
std::string MakeFolders(const std::string& path) {
    if (path.empty()) return platform::Translate("no working folder");
    const std::vector<std::string> folders = FoldersFromRoot(path);
    MakeParents(folders.front());
    std::string problem;
    int dir = OpenPrivateFolder(AT_FDCWD, folders.front(), folders.front(), problem);
    for (std::size_t i = 1; i < folders.size() && dir >= 0; ++i) {
        const std::string name = folders[i].substr(folders[i - 1].size() + 1);
        const int next =
            name.empty() ? dup(dir) : OpenPrivateFolder(dir, name, folders[i], problem);
        close(dir);
        dir = next;
    }
    if (dir >= 0) close(dir);
    return problem;
}

// Why `path` or a folder above it can't hold the user's files, or nothing when they can.
std::string PathProblem(const std::string& path) {
    if (path.empty()) return platform::Translate("no working folder");
    for (const auto& folder : FoldersFromRoot(path))
        if (auto problem = FolderProblem(folder); !problem.empty()) return problem;
    return {};
}

}  // namespace

bool FolderIsSafe(const std::string& path, std::string* why) {
    const std::string problem = PathProblem(path);
    if (why) *why = problem;
    return problem.empty();
}

bool MakePrivateFolders(const std::string& path, std::string* why) {
    const std::string problem = MakeFolders(path);
    if (why) *why = problem;
    return problem.empty();
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
    return ErrorWords(errno);
}

}  // namespace platform
