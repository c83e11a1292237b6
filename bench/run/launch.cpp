// Starts a program with a timing mark just before it: velmora_timed_launch <program> [args...].
// The mark ("launch") goes to $VELMORA_TIMING on the same monotonic clock the programs use, and
// exec keeps the process id, so the benchmark measures from the very start of the program.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: velmora_timed_launch <program> [args...]\n");
        return 2;
    }
    if (const char* path = std::getenv("VELMORA_TIMING"); path && *path) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        char line[96];
        const int n = snprintf(line, sizeof line, "launch %lld %d\n",
                               static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                               static_cast<int>(getpid()));
        const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd >= 0 && n > 0) {
            [[maybe_unused]] const ssize_t w = write(fd, line, static_cast<size_t>(n));
        }
        if (fd >= 0) close(fd);
    }
    execv(argv[1], argv + 1);
    perror("velmora_timed_launch");
    return 127;
}
