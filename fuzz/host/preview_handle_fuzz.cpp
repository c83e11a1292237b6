// Fuzzes the preview's reading of its parent handle from the command line: any text gives a
// handle without crashing, and plain decimal handles read back exactly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/preview_geometry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::int32_t handle = Zentrova_R::ParentHandle(text);
    // A handle is the rounded number, or 0 when there is none that fits.
    if (text.size() >= 4) {
        const auto number = Zentrova_R::ReadLeadingNumber(text.substr(3));
        const auto rounded = number ? Zentrova_R::RoundToInt32(*number) : std::nullopt;
        if (handle != rounded.value_or(0)) std::abort();
    } else if (handle != 0) {
        std::abort();
    }
    // Up to nine plain digits after "/p " always read back as themselves.
    const std::string digits(text.substr(0, 9));
    if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos &&
        Zentrova_R::ParentHandle("/p " + digits) != std::atol(digits.c_str()))
        std::abort();
    return 0;
}
