// Large pages for the heap. On a virtual machine every fresh 4 KB page costs a trip to the
// hypervisor on first touch: filling an 8 MB buffer (a screen, a texture) takes some 40 ms in
// page faults, against under 1 ms when the memory comes in 2 MB pages. glibc hands out big
// blocks as fresh mappings of their own; here every block comes from one heap instead, grown
// once and marked for transparent large pages, and freed memory stays in it for the next block.
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>

#include "platform/base.h"

namespace platform {

void PreferLargePages() {
    constexpr std::size_t kReserve = std::size_t{512} << 20;  // address space; filled on use
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    mallopt(M_ARENA_MAX, 1);             // threads allocate from the same heap
    mallopt(M_MMAP_MAX, 0);              // no block gets a mapping of its own
    mallopt(M_TRIM_THRESHOLD, INT_MAX);  // the heap is never shrunk back
    const auto begin = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // Grows the heap by the reserve; the volatile pointer keeps the compiler from dropping the
    // allocation.
    void* volatile block = std::malloc(kReserve);
    std::free(block);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t from = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t to = end & ~(kLargePage - 1);
    if (begin != static_cast<std::uintptr_t>(-1) && to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

}  // namespace platform
