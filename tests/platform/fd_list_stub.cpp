// Stand-in for the renderer: writes the numbers of its open descriptors, one a line in order, to
// the file named by $VELMORA_FD_LIST (the listing's own descriptor left out).
#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

int main() {
    const char* out = std::getenv("VELMORA_FD_LIST");
    DIR* fds = opendir("/proc/self/fd");
    if (!out || !fds) return 1;
    std::set<int> open;
    while (const dirent* entry = readdir(fds))
        if (entry->d_name[0] != '.') open.insert(std::atoi(entry->d_name));
    open.erase(dirfd(fds));
    closedir(fds);
    std::string list;
    for (int fd : open) list += std::to_string(fd) + "\n";
    // Written under a temporary name and renamed: the test sees the whole list or nothing.
    const std::string temp = std::string(out) + ".part";
    FILE* file = std::fopen(temp.c_str(), "w");
    if (!file) return 1;
    std::fputs(list.c_str(), file);
    std::fclose(file);
    return std::rename(temp.c_str(), out) == 0 ? 0 : 1;
}
