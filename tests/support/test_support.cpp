// The portable test support (see test_support.h): the standard library only.
#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

namespace testsupport {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    // A read can fail after the open, as /proc/<pid>/stat does once the process is gone: the
    // library throws then, and the file counts as unreadable.
    try {
        return std::string(std::istreambuf_iterator<char>(in), {});
    } catch (const std::exception&) {
        return {};
    }
}

SavedBitmap::SavedBitmap(const std::string& path) : data_(ReadFile(path)) {
    if (data_.size() < 54 || data_.compare(0, 2, "BM") != 0) return;
    bits = static_cast<int>(U32(28) & 0xFFFF);
    if (bits != 24) return;
    offset_ = U32(10);
    width = static_cast<int>(U32(18));
    height = static_cast<int>(U32(22));
}

std::uint32_t SavedBitmap::U32(std::size_t at) const {
    const auto* p = reinterpret_cast<const unsigned char*>(data_.data()) + at;
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint32_t SavedBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t at = offset_ + stride * static_cast<std::size_t>(height - 1 - y) +
                           static_cast<std::size_t>(x) * 3;
    if (at + 3 > data_.size()) return 0xFFFFFFFF;
    const auto* p = reinterpret_cast<const unsigned char*>(data_.data()) + at;
    return p[2] << 16 | p[1] << 8 | p[0];
}

std::chrono::milliseconds TimeBound(std::chrono::milliseconds bound) {
    static const int scale = [] {
        const char* text = std::getenv("VELMORA_TEST_TIME_SCALE");
        const int n = text ? std::atoi(text) : 1;
        return n >= 1 && n <= 100 ? n : 1;
    }();
    return bound * scale;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + TimeBound(timeout);
    while (true) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(20ms);
    }
}

std::string ArtifactFolder() {
    const char* env = std::getenv("VELMORA_ARTIFACTS");
    std::string path = (env && *env) ? env : std::string(VELMORA_BINARY_DIR) + "/artifacts";
    std::filesystem::create_directories(path);
    return path;
}

TempFolder::TempFolder() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error) return;
    std::random_device seed;
    std::mt19937_64 random(seed());
    // create_directory is false for a name that exists already: only a new folder is taken.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / ("velmora-test-" + std::to_string(random()));
        if (fs::create_directory(candidate, error)) {
            fs::permissions(candidate, fs::perms::owner_all, error);
            path_ = candidate.string();
            return;
        }
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace testsupport
