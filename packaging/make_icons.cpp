// Writes the program icon for the desktop's icon theme, one PNG per size, drawn by the dialog's
// picture generator and compressed with libpng:
//   velmora_make_icons <folder> <size>...  writes <folder>/<size>/velmora.png.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "pictures.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <folder> <size>...\n", argv[0]);
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "bad icon size: %s\n", argv[i]);
            return 2;
        }
        const auto folder = std::filesystem::path(argv[1]) / argv[i];
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        const auto picture = dialog_pictures::Icon(size);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = static_cast<png_uint_32>(picture.width);
        image.height = static_cast<png_uint_32>(picture.height);
        image.format = PNG_FORMAT_RGBA;
        const std::string path = (folder / "velmora.png").string();
        if (!png_image_write_to_file(&image, path.c_str(), 0, picture.pixels.data(), 0, nullptr)) {
            std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), image.message);
            return 1;
        }
    }
    return 0;
}
