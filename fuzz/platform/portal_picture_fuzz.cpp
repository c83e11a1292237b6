// Fuzz target: what the desktop portal hands back, on arbitrary bytes: the file URI of its
// answer, and the PNG it names, decoded and cut to a layout of two monitors. Nothing may read
// or write outside its buffers; a URI accepted is an absolute local path without NUL, and a
// decoded picture has exactly the pixels its size says.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/dbus/portal_request.h"
#include "platform/wayland/desktop_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto path = platform::LocalPathOfFileUri(text))
        if (path->empty() || (*path)[0] != '/' || path->find('\0') != std::string::npos)
            std::abort();
    const auto answer = platform::ReadPortalAnswer(size ? data[0] % 4 : 0, text);
    if (answer.kind == platform::PortalAnswer::Kind::Picture && answer.path.empty()) std::abort();

    const auto png = platform::DecodePng({data, size}, std::int64_t{1} << 22);
    if (!png) return 0;
    if (png->width <= 0 || png->height <= 0 ||
        png->rgb.size() != static_cast<std::size_t>(png->width) * png->height * 3)
        std::abort();
    const platform::MonitorRect monitors[] = {{0, 0, 40, 30}, {40, 10, 20, 20}};
    std::vector<std::uint8_t> bitmap(60 * 30 * 3);
    platform::RgbTarget target{bitmap.data(), 60, 30, 60 * 3};
    platform::CropDesktop(png->View(), monitors, target);
    return 0;
}
