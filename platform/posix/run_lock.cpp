// Locks held for the life of the process: flock on a file in the private drive root.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <string>

#include "platform/platform.h"

namespace platform {

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
    // Read access is enough for flock, and it opens on a read-only disk once the file exists.
    const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (why)
            *why = path + ": " +
                   (fd < 0 ? platform::ErrorWords(errno) : Translate("not a regular file"));
        if (fd >= 0) close(fd);
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
