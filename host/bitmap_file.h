// The bitmap file the host writes: a 24-bit uncompressed device-independent bitmap with the
// 14-byte file header, the 40-byte information header and bottom-up rows padded to 4 bytes.
#pragma once

#include <cstdint>
#include <string>

#include "host/forms.h"

namespace bitmap_file {

// The file's bytes; empty when the picture is empty or too large for the format's 32-bit sizes.
std::string Encode24(const forms::Picture& picture);

}  // namespace bitmap_file
