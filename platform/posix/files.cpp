// Files on a POSIX system (see base.h): reading without ever blocking on a FIFO or device,
// replacing through a temporary file and a rename (removed when a request to end the program
// comes meanwhile, or by a later caller once its writer is gone), appending in one write.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <utility>

#include "platform/base.h"

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

// The folder of `path` with its separator ("." for a bare name) and the name in it.
std::pair<std::string, std::string> FolderAndName(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// What ReplaceFileFrom names its temporary files for `name`: "." + name + "." before the six
// letters and digits that mkostemp puts in place of "XXXXXX".
std::string TemporaryPrefix(const std::string& name) {
    return "." + name + ".";
}

bool IsTemporaryOf(std::string_view entry, const std::string& prefix) {
    if (entry.size() != prefix.size() + 6 || entry.substr(0, prefix.size()) != prefix) return false;
    for (const char c : entry.substr(prefix.size()))
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

// ---- A temporary file that goes with the program -------------------------------------------
// The requests to end a program that, left to the system's default, end it at once.
constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The temporary file being written, removed by the handler below: a plain array, since a
// signal handler may only read memory that needs no call to reach.
char pendingPath[4096];
volatile sig_atomic_t pendingSet = 0;
// One writer at a time takes the handler; another one, on a second thread, goes without.
std::atomic<bool> pendingTaken{false};

void RemovePendingAndEnd(int signal) {
    if (pendingSet) unlink(pendingPath);
    // The request then ends the program as the system's default would, with the same status.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
}

sigset_t EndSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kEndSignals) sigaddset(&set, signal);
    return set;
}

// While it lives, a request to end the program that would end it at once removes the temporary
// file at `path` first. Requests the program catches itself (CatchEndRequests) are left alone:
// the writer then finishes and cleans up in its own time.
class TemporaryOnEnd {
  public:
    explicit TemporaryOnEnd(const std::string& path) {
        if (path.size() >= sizeof pendingPath || pendingTaken.exchange(true)) return;
        taken_ = true;
        std::memcpy(pendingPath, path.c_str(), path.size() + 1);
        pendingSet = 1;
        struct sigaction handler {};
        handler.sa_handler = RemovePendingAndEnd;
        handler.sa_mask = EndSignals();
        for (std::size_t i = 0; i < std::size(kEndSignals); ++i) {
            struct sigaction old {};
            if (sigaction(kEndSignals[i], nullptr, &old) != 0 || old.sa_handler != SIG_DFL ||
                (old.sa_flags & SA_SIGINFO))
                continue;
            installed_[i] = sigaction(kEndSignals[i], &handler, nullptr) == 0;
        }
    }
    ~TemporaryOnEnd() {
        if (!taken_) return;
        const sigset_t ends = EndSignals();
        sigset_t old;
        pthread_sigmask(SIG_BLOCK, &ends, &old);
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        for (std::size_t i = 0; i < std::size(kEndSignals); ++i)
            if (installed_[i]) sigaction(kEndSignals[i], &fallback, nullptr);
        pendingSet = 0;
        pendingTaken = false;
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
    }
    TemporaryOnEnd(const TemporaryOnEnd&) = delete;
    TemporaryOnEnd& operator=(const TemporaryOnEnd&) = delete;

  private:
    bool taken_ = false;
    bool installed_[std::size(kEndSignals)] = {};
};

// Creates the temporary file from `pattern` (mkostemp) and has it removed when a request ends
// the program before `cleanup` goes; the requests wait meanwhile, so that one comes either
// before the file exists or once its removal is arranged. The descriptor, or -1 (errno set).
int CreateTemporary(std::string& pattern, std::optional<TemporaryOnEnd>& cleanup) {
    const sigset_t ends = EndSignals();
    sigset_t old;
    pthread_sigmask(SIG_BLOCK, &ends, &old);
    // mkostemp creates a new file (O_EXCL): it never follows a link planted at the temp name.
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    const int reason = errno;
    if (fd >= 0) cleanup.emplace(pattern);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = reason;
    return fd;
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
    const auto [folder, name] = FolderAndName(path);
    if (name.empty()) return Failed(EISDIR, why);
    std::string temp = folder + (folder == "." ? "/" : "") + TemporaryPrefix(name) + "XXXXXX";
    const mode_t mode = ModeFor(path, access);
    std::optional<TemporaryOnEnd> cleanup;
    const int fd = CreateTemporary(temp, cleanup);
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

int RemoveStaleTemporaries(const std::string& path) {
    const auto [folder, name] = FolderAndName(path);
    if (name.empty()) return 0;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return 0;
    const std::string prefix = TemporaryPrefix(name);
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        if (!IsTemporaryOf(entry->d_name, prefix)) continue;
        struct stat info {};
        if (fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || info.st_uid != geteuid())
            continue;
        if (unlinkat(dirfd(dir), entry->d_name, 0) == 0) ++removed;
    }
    closedir(dir);
    return removed;
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
