// Fuzz target for the settings file's parser and writer: any bytes as the file, in UTF-8,
// Shift-JIS or EUC-JP. Reading must not crash and stays within 255 bytes; a value written must
// read back exactly, and other sections must read as before.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/profile.h"
#include "host/settings.h"
#include "platform/base.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static const char* const kCharsets[] = {"UTF-8", "SHIFT_JIS", "EUC-JP"};
    const std::string cs = kCharsets[data[0] % 3];
    const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);

    for (const char* key : {"BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ", "k"}) {
        const std::string value = profile::Read(file, "Section", key, cs);
        std::string bytes;
        if (platform::ConvertText(value, "UTF-8", cs, bytes)) Check(bytes.size() <= 255);
        Zentrova_B::ReadIniNumber(value);
        Zentrova_B::FolderOf(value);
    }
    const std::string otherBefore = profile::Read(file, "Other", "k", cs);
    // The value written is taken from the input too (its last bytes), kept simple enough that
    // reading gives back exactly what was written.
    std::string value(file.substr(file.size() > 24 ? file.size() - 24 : 0));
    std::string clean;
    for (char c : value)
        if (c >= 'a' && c <= 'z') clean += c;
    const auto written = profile::Write(file, "Section", "BGMﾌｧｲﾙ", clean, cs);
    if (written) {
        Check(profile::Read(*written, "Section", "BGMﾌｧｲﾙ", cs) == clean);
        Check(profile::Read(*written, "Other", "k", cs) == otherBefore);
    }
    return 0;
}
