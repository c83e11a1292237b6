// Replays a fuzz corpus through a target's LLVMFuzzerTestOneInput without libFuzzer, so that
// every normal test run checks the saved inputs (and any crash found earlier stays fixed).
// `--largest-allocation-mb=N` first (default 1024) bounds what one input may make the code
// allocate in one piece: a larger request ends the replay with a report, even where it would
// have succeeded, so that a reader that allocates what a damaged header claims is caught.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::size_t largestAllocation = std::size_t{1024} << 20;

[[noreturn]] void TooLarge(std::size_t size) {
    char line[128];
    const int n = std::snprintf(line, sizeof line,
                                "replay: one allocation of %zu bytes, more than the bound of %zu\n",
                                size, largestAllocation);
    if (n > 0) fwrite(line, 1, static_cast<std::size_t>(n), stderr);
    std::abort();
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_REPLAY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_REPLAY_ASAN 1
#endif
#endif

#ifdef VELMORA_REPLAY_ASAN
// The sanitizer's allocator keeps the bound itself: a larger request is reported as an error.
extern "C" const char* __asan_default_options() {
    return "max_allocation_size_mb=1024:allocator_may_return_null=0";
}
#else
// glibc's allocator, which the calls below hand every request on to once it is within bounds;
// the program's own malloc stands in for the C library's in every library it loads.
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
extern "C" void* __libc_memalign(std::size_t, std::size_t);

extern "C" void* malloc(std::size_t size) {
    if (size > largestAllocation) TooLarge(size);
    return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
    if (size != 0 && count > largestAllocation / size) TooLarge(count * size);
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* old, std::size_t size) {
    if (size > largestAllocation) TooLarge(size);
    return __libc_realloc(old, size);
}
extern "C" void* memalign(std::size_t alignment, std::size_t size) {
    if (size > largestAllocation) TooLarge(size);
    return __libc_memalign(alignment, size);
}
#endif

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    int first = 1;
    const std::string option = "--largest-allocation-mb=";
    if (argc > 1 && std::strncmp(argv[1], option.c_str(), option.size()) == 0) {
        largestAllocation = std::strtoull(argv[1] + option.size(), nullptr, 10) << 20;
        first = 2;
    }
    std::size_t count = 0;
    for (int i = first; i < argc; ++i) {
        std::vector<fs::path> files;
        if (fs::is_directory(argv[i])) {
            for (const auto& entry : fs::recursive_directory_iterator(argv[i]))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else {
            files.emplace_back(argv[i]);
        }
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
            ++count;
        }
    }
    std::printf("replayed %zu inputs\n", count);
    return count > 0 ? 0 : 1;
}
