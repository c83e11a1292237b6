// ReplaceFile: the bytes at hand, written through each system's ReplaceFileFrom.
#include "platform/base.h"

namespace platform {

bool ReplaceFile(const std::string& path, std::string_view bytes, FileAccess access,
                 Durability durability, std::string* why) {
    return ReplaceFileFrom(
        path, [bytes](const ByteSink& sink) { return sink(bytes); }, access, durability, why);
}

}  // namespace platform
