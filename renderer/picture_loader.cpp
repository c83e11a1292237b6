// The picture's preparation off the main thread (see picture_loader.h).
#include "renderer/picture_loader.h"

#include <chrono>
#include <cstring>
#include <utility>

#include "renderer/base_level.h"

namespace renderer {
namespace {

// Two threads share the resampling: on a two-core machine the second one has the core that the
// main thread leaves once the window is made.
constexpr int kResampleThreads = 2;

void turnBottomUp(RgbImage& image) {
    if (image.height >= 0) return;
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    const int rows = -image.height;
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = 0; y < rows / 2; ++y) {
        std::uint8_t* a = image.pixels.data() + y * rowBytes;
        std::uint8_t* b = image.pixels.data() + (rows - 1 - y) * rowBytes;
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
    image.height = rows;
}

}  // namespace

void prepareBaseLevel(RgbImage& image, LoadedPicture& into, bool exactSides) {
    turnBottomUp(image);
    into.baseLevel.clear();
    into.baseWidth = image.width;
    into.baseHeight = image.height;
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < static_cast<std::size_t>(image.width) * image.height * 3)
        return;
    if (exactSides) return;
    into.baseWidth = nearestPowerOfTwo(image.width);
    into.baseHeight = nearestPowerOfTwo(image.height);
    if (into.baseWidth != image.width || into.baseHeight != image.height)
        into.baseLevel = makeBaseLevel({image.pixels.data(), image.width, image.height},
                                       into.baseWidth, into.baseHeight, kResampleThreads);
}

LoadedPicture loadPicture(const std::string& path, std::int64_t maxSide, bool exactSides) {
    LoadedPicture loaded;
    loaded.image = loadDibFile(
        path.c_str(), [&](const std::string& m) { loaded.failure = m; }, maxSide);
    if (loaded.image) prepareBaseLevel(*loaded.image, loaded, exactSides);
    return loaded;
}

std::future<LoadedPicture> startLoadingPicture(const std::string& path, std::int64_t maxSide,
                                               bool exactSides) {
    return std::async(std::launch::async, loadPicture, path, maxSide, exactSides);
}

PictureRead::~PictureRead() {
    if (state_ != PictureState::Loading) delete pending_;
}

void PictureRead::start(const std::string& path, std::int64_t maxSide, bool exactSides) {
    pending_ = new std::future<LoadedPicture>(startLoadingPicture(path, maxSide, exactSides));
}

void PictureRead::refuse(std::string failure) {
    result_ = {};
    result_.failure = std::move(failure);
    state_ = PictureState::Failed;
}

PictureState PictureRead::poll() {
    if (state_ != PictureState::Loading || !pending_ ||
        pending_->wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return state_;
    result_ = pending_->get();
    state_ = result_.image ? PictureState::Ready : PictureState::Failed;
    return state_;
}

}  // namespace renderer
