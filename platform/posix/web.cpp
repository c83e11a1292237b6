// Opening a web address in the user's browser through xdg-open.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/platform.h"

namespace platform {

void OpenWebAddress(std::string_view address) {
    const std::string target(address);
    // Two forks: the middle process ends at once and is reaped here, so xdg-open (and the
    // browser it may become) runs detached and never lingers as our zombie.
    const pid_t middle = fork();
    if (middle < 0) return;
    if (middle == 0) {
        if (fork() == 0) {
            setsid();
            const int devnull = open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                dup2(devnull, 0);
                dup2(devnull, 1);
                dup2(devnull, 2);
            }
            closefrom(3);  // nothing of ours reaches the browser
            execlp("xdg-open", "xdg-open", target.c_str(), static_cast<char*>(nullptr));
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace platform
