// Writes the program icon for the desktop's icon theme, one PNG per size, drawn by the dialog's
// picture generator:  velmora_make_icons <folder> <size>...  writes <folder>/<size>/velmora.png.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
        const auto bytes = dialog_pictures::EncodePng(dialog_pictures::Icon(size));
        std::ofstream out(folder / "velmora.png", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (folder / "velmora.png").c_str());
            return 1;
        }
    }
    return 0;
}
