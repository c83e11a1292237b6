// Locks held for the life of the process: flock on a file in the private drive root.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>

#include "platform/base.h"

namespace platform {
namespace {

// Why what `info` describes can't be the lock file at `path`, or nothing when it can.
std::string LockFileProblem(const std::string& path, const struct stat& info) {
    if (S_ISLNK(info.st_mode)) return FillIn(Translate("%s is a symbolic link"), {path});
    if (!S_ISREG(info.st_mode)) return path + ": " + Translate("not a regular file");
    if (info.st_uid != geteuid()) return FillIn(Translate("%s belongs to another user"), {path});
    return {};
}

// Opens the lock file at `path`, creating it private to the user, as a regular file of the
// user's own: never through a link, and never waiting (a FIFO in its place opens at once and is
// refused). The descriptor, else -1 with why.
int OpenLockFile(const std::string& path, std::string& why) {
    // Read access is enough for flock, and it opens on a read-only disk once the file exists.
    const int fd = open(path.c_str(),
                        O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    struct stat info {};
    if (fd < 0) {
        const int reason = errno;
        // A link or a folder in its place says what it is; anything else, the system's words.
        if (lstat(path.c_str(), &info) == 0) why = LockFileProblem(path, info);
        if (why.empty()) why = path + ": " + ErrorWords(reason);
        return -1;
    }
    if (fstat(fd, &info) != 0) why = path + ": " + ErrorWords(errno);
    if (why.empty()) why = LockFileProblem(path, info);
    if (why.empty()) return fd;
    close(fd);
    return -1;
}

}  // namespace

LockTaken HoldLockForLife(std::string_view name, std::string* why) {
    // The descriptors stay open, and the locks held, until the process ends.
    static std::map<std::string, int, std::less<>> held;
    if (held.count(name)) return LockTaken::Yes;
    const std::string root = DriveRoot();
    std::string problem;
    if (!MakePrivateFolders(root, &problem)) {
        if (why) *why = problem;
        return LockTaken::Unavailable;
    }
    const std::string path = PathInFolder(root, name);
    const int fd = OpenLockFile(path, problem);
    if (fd < 0) {
        if (why) *why = problem;
        return LockTaken::Unavailable;
    }
    int r;
    do r = flock(fd, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
        const int reason = errno;
        close(fd);
        if (reason == EWOULDBLOCK) return LockTaken::HeldElsewhere;
        if (why) *why = path + ": " + platform::ErrorWords(reason);
        return LockTaken::Unavailable;
    }
    held.emplace(std::string(name), fd);
    return LockTaken::Yes;
}

}  // namespace platform
