// Fuzz target: any text typed into the dialog's repeat combo box reads as a track number without
// crashing, and every whole number the box can hold reads back as itself.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/dialog/dialog_logic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::int16_t repeat = Zentrova_P::RepeatFromText(text);
    const auto number = Zentrova_P::ReadNumber(text);
    if (!number && repeat != 0) std::abort();
    if (number && std::fabs(*number) < 32767 && repeat != std::nearbyint(*number)) std::abort();
    if (Zentrova_P::RepeatFromText(std::to_string(repeat)) != repeat) std::abort();
    return 0;
}
