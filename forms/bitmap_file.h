// The bitmap file the host writes: a 24-bit uncompressed device-independent bitmap with the
// 14-byte file header, the 40-byte information header and bottom-up rows padded to 4 bytes.
#pragma once

#include <cstdint>
#include <string>

#include "forms/picture.h"
#include "platform/base.h"

namespace bitmap_file {

// Hands the file's bytes to `sink` in order, the headers first and then batches of whole rows;
// false, before any byte, when the picture is empty or too large for the format's 32-bit sizes,
// and false as soon as the sink refuses a piece.
bool Encode24To(const forms::Picture& picture, const platform::ByteSink& sink);

// The file's bytes at once; empty when Encode24To would fail.
std::string Encode24(const forms::Picture& picture);

}  // namespace bitmap_file

namespace forms {

// Writes `picture` as a 24-bit bottom-up bitmap file at `path` (a host path, drive paths
// mapped), private to the user, replacing any earlier file through a rename so that a reader
// never sees half a file. Never writes through a symbolic link. False on failure, with the
// earlier file, if any, left as it was and, in `why` when given, the reason: the system's words
// ("No space left on device") or why the folder is not trusted.
bool SavePicture(const Picture& picture, const std::string& path, std::string* why = nullptr);

}  // namespace forms
