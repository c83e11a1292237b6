// Fuzz target: the DIB reader on arbitrary bytes. It must refuse or read them without reading
// outside the input, and a picture it accepts must have exactly the pixels its size says.
#include <cstdint>
#include <cstdlib>

#include "renderer/dib_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    renderer::RgbImage image;
    // A small limit keeps run-length encoded inputs, whose size does not bound the picture's,
    // from spending the fuzzer's time on huge zeroed buffers.
    const auto error = renderer::decodeDib({data, size}, image, std::size_t{1} << 24);
    if (error == renderer::DibError::None) {
        const std::size_t rows =
            image.height < 0 ? -static_cast<std::int64_t>(image.height) : image.height;
        if (image.width <= 0 || rows == 0 || image.pixels.size() != rows * image.width * 3)
            std::abort();
    }
    return 0;
}
