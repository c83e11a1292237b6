// The six look images compiled into the program (assets/button/*.bmp).
#include "host/button/looks.h"

#include <array>
#include <cstddef>

#include "embedded_files.h"

namespace button {
namespace {

std::array<Image, kLookCount> DecodeAll() {
    const struct {
        const unsigned char* data;
        std::size_t size;
    } files[kLookCount] = {
        {button_look_normal, button_look_normal_size},
        {button_look_highlight, button_look_highlight_size},
        {button_look_highlightselect, button_look_highlightselect_size},
        {button_look_selected, button_look_selected_size},
        {button_look_pressed, button_look_pressed_size},
        {button_look_disable, button_look_disable_size},
    };
    std::array<Image, kLookCount> images;
    for (int i = 0; i < kLookCount; ++i) {
        auto image = DecodeBitmap(files[i].data, files[i].size);
        images[i] = image ? *image : Image(kLookWidth, kLookHeight, kBackground);
    }
    return images;
}

}  // namespace

const Image& LookImage(Look look) {
    static const std::array<Image, kLookCount> images = DecodeAll();
    return images[static_cast<int>(look) % kLookCount];
}

}  // namespace button
