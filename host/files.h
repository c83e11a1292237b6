// File helpers of the host: reading a regular file without ever blocking on a FIFO or device,
// and replacing a file through a temporary file beside it and a rename.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace files {

enum class ReadResult { Ok, Missing, Failed };

// Reads the whole of `path` into `out` when it is a readable regular file of at most `limit`
// bytes. Missing when nothing is at the path; Failed for anything else (a folder, a FIFO, a
// device, no rights, too large). Never blocks on a FIFO or device: they are not opened.
ReadResult ReadRegularFile(const std::string& path, std::string& out, std::size_t limit);

// True when `path` names a regular file that opens for reading. Never blocks.
bool IsReadableRegularFile(const std::string& path);

// Writes `bytes` to a new temporary file in the folder of `path` with permissions `mode`,
// flushes it to disk and renames it over `path`. A failure at any point leaves the old file as
// it was. The rename replaces a symbolic link at `path` rather than writing through it.
bool ReplaceFile(const std::string& path, std::string_view bytes, mode_t mode);

}  // namespace files
