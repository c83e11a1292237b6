// Files on a POSIX system (see platform.h): reading without ever blocking on a FIFO or device,
// replacing through a temporary file and a rename, appending in one write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

// Opens only what lstat/stat call a regular file, and checks again on the descriptor, so that
// a FIFO swapped in between is not read. O_NONBLOCK keeps the open itself from waiting.
int OpenRegular(const std::string& path, ReadResult& status) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        status = (errno == ENOENT || errno == ENOTDIR) ? ReadResult::Missing : ReadResult::Failed;
        return -1;
    }
    status = ReadResult::Failed;
    if (!S_ISREG(info.st_mode)) return -1;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return -1;
    }
    status = ReadResult::Ok;
    return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The permissions a new file gets from the user's defaults (0666 less the umask).
// A failed call: `reason` stays the thread's errno (LastErrorText) and its words go to `why`.
bool Failed(int reason, std::string* why) {
    errno = reason;
    if (why) *why = platform::ErrorWords(reason);
    return false;
}

mode_t UserDefaultMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

mode_t ModeFor(const std::string& path, FileAccess access) {
    if (access == FileAccess::OwnerOnly) return 0600;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
    return UserDefaultMode();
}

}  // namespace

ReadResult ReadRegularFile(const std::string& path, std::string& out, std::size_t limit) {
    out.clear();
    ReadResult status = ReadResult::Failed;
    if (path.empty()) return ReadResult::Missing;
    const int fd = OpenRegular(path, status);
    if (fd < 0) return status;
    char buffer[65536];
    while (true) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || out.size() + static_cast<std::size_t>(n) > limit) {
            status = ReadResult::Failed;
            out.clear();
            break;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return status;
}

bool IsReadableRegularFile(const std::string& path) {
    if (path.empty()) return false;
    ReadResult status = ReadResult::Failed;
    const int fd = OpenRegular(path, status);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool ReplaceFileFrom(const std::string& path, const std::function<bool(const ByteSink&)>& produce,
                     FileAccess access, Durability durability, std::string* why) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return Failed(EISDIR, why);
    std::string temp = folder + (folder == "." ? "/." : ".") + name + ".XXXXXX";
    // mkostemp creates a new file (O_EXCL): it never follows a link planted at the temp name.
    const mode_t mode = ModeFor(path, access);
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return Failed(errno, why);
    bool written = true;
    const ByteSink sink = [&](std::string_view piece) {
        return written = written && WriteAll(fd, piece);
    };
    bool ok = fchmod(fd, mode) == 0 && produce(sink) && written &&
              (durability == Durability::Passing || fsync(fd) == 0);
    ok = (close(fd) == 0) && ok;
    if (ok) ok = rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        const int reason = errno;  // the failure's, not the clean-up's
        unlink(temp.c_str());
        return Failed(reason, why);
    }
    return true;
}

std::string WriteTarget(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string target(real);
    std::free(real);
    return target;
}

bool AppendToFile(const std::string& path, std::string_view bytes, std::string* why) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Failed(errno, why);
    // One write to a file opened for appending: lines of several programs never interleave.
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    const int reason = written < 0 ? errno : ENOSPC;  // a short write: the disk is full
    close(fd);
    if (written == static_cast<ssize_t>(bytes.size())) return true;
    return Failed(reason, why);
}

}  // namespace platform
