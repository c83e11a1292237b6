// Reading the hand-off bitmap and making the texture's base level, away from OpenGL: the work
// runs on a second thread while the main thread makes the window and its context.
#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "renderer/dib_reader.h"

namespace renderer {

// A read picture, ready for the upload.
struct LoadedPicture {
    std::unique_ptr<RgbImage> image;  // bottom-up rows; null when the file can't be loaded
    std::string failure;              // then: the message for the user
    // The base level at the sides the mipmap builder picks for the picture, when they differ
    // from its own (otherwise empty: the picture's rows are the base level).
    std::vector<std::uint8_t> baseLevel;
    int baseWidth = 0;
    int baseHeight = 0;
};

// Puts `image`'s rows bottom-up (a top-down picture is turned over) and makes its base level;
// with `exactSides` the picture's own rows are the base level, whatever its sides (for OpenGL
// that takes any texture size).
void prepareBaseLevel(RgbImage& image, LoadedPicture& into, bool exactSides = false);

// Reads the bitmap at `path`, scaled down to `maxSide` as loadDibFile does, and prepares it;
// never shows anything.
LoadedPicture loadPicture(const std::string& path, std::int64_t maxSide = kMaxSide,
                          bool exactSides = false);

// Starts `loadPicture(path, maxSide, exactSides)` on a second thread.
std::future<LoadedPicture> startLoadingPicture(const std::string& path,
                                               std::int64_t maxSide = kMaxSide,
                                               bool exactSides = false);

// Where the read of a picture stands.
enum class PictureState {
    Loading,  // still being read, or not started
    Ready,    // read: the picture is in PictureRead::result()
    Failed,   // no picture: PictureRead::result().failure says why
};

// The read of one picture on a second thread, asked about without ever waiting for it.
class PictureRead {
  public:
    PictureRead() = default;
    PictureRead(const PictureRead&) = delete;
    PictureRead& operator=(const PictureRead&) = delete;
    // Leaves a read that is still going to the process's end.
    ~PictureRead();

    // Starts `loadPicture(path, maxSide, exactSides)` on a second thread; once per read.
    void start(const std::string& path, std::int64_t maxSide, bool exactSides);

    // Makes the read fail with `failure` (a message for the user) without reading anything.
    void refuse(std::string failure);

    // Where the read stands now; never waits. Ready and Failed are final.
    PictureState poll();

    // What the read gave, once poll answered Ready or Failed (empty before); the caller may move
    // the picture out.
    LoadedPicture& result() { return result_; }

  private:
    // Destroyed only once the read is over: the future of std::async waits for its thread when
    // it goes, and an Escape during a long read must end the program at once.
    std::future<LoadedPicture>* pending_ = nullptr;
    LoadedPicture result_;
    PictureState state_ = PictureState::Loading;
};

}  // namespace renderer
