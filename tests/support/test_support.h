// Test support that works on every system: temporary folders, reading files, waiting for a
// condition, and the folder for pictures a test run keeps.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace testsupport {

using namespace std::chrono_literals;

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// A time bound a test asserts, stretched by $VELMORA_TEST_TIME_SCALE (a whole number from 1 to
// 100; 1 when unset or invalid) for builds whose programs run slower, such as the sanitizer run.
std::chrono::milliseconds TimeBound(std::chrono::milliseconds bound);

// Polls `condition` every 20 ms until it holds or TimeBound(`timeout`) has passed.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Folder for pictures a test run keeps for people to look at: $VELMORA_ARTIFACTS, else
// <build>/artifacts. Created when missing.
std::string ArtifactFolder();

// A 24-bit bitmap file as the programs save it, read whole. width and height stay 0 when the
// file is missing, is no bitmap or has another depth; `bits` is the depth its header names.
class SavedBitmap {
  public:
    explicit SavedBitmap(const std::string& path);
    int width = 0, height = 0, bits = 0;

    // The pixel (x, y), counted from the top-left corner of a bottom-up file, as 0xRRGGBB;
    // 0xFFFFFFFF where the file holds no such pixel.
    std::uint32_t Pixel(int x, int y) const;

  private:
    std::uint32_t U32(std::size_t at) const;
    std::string data_;
    std::uint32_t offset_ = 0;
};

// A fresh empty temporary folder, removed with the object.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace testsupport

// ---- System helpers (test_support_posix.cpp, test_support_win32.cpp) --------------------------
namespace testsupport {

// Creates a FIFO at `path`. False where the system has none or it could not be made.
bool MakeFifo(const std::string& path);

// The most memory this process has held in RAM so far, in kilobytes.
long PeakMemoryKilobytes();

}  // namespace testsupport
