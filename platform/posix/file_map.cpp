// A regular file mapped into memory for reading (see base.h).
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base.h"

namespace platform {

MappedFile::MappedFile(const std::string& path) {
    // Non-blocking, so that a FIFO at the path cannot stall the open; only regular files are
    // mapped.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return;
    struct stat status {};
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        const std::size_t size = static_cast<std::size_t>(status.st_size);
        void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped != MAP_FAILED) {
            data_ = static_cast<const std::uint8_t*>(mapped);
            size_ = size;
        }
    }
    // The mapping stays valid without the descriptor.
    close(fd);
}

MappedFile::~MappedFile() {
    if (data_) munmap(const_cast<std::uint8_t*>(data_), size_);
}

}  // namespace platform
