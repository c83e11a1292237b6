// Writes the settings dialog's pictures as PNG files into the folder given (normally
// assets/dialog/, where they are committed and compiled into Velmora.scr):
//   velmora_dialog_pictures <folder>
#include <cstdio>
#include <fstream>
#include <string>

#include "pictures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    for (const auto& [name, picture] : dialog_pictures::AllPictures()) {
        const std::string path = std::string(argv[1]) + "/" + name;
        const auto bytes = dialog_pictures::EncodePng(picture);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
