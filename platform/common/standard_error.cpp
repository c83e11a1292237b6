// Standard error in the locale's charset (see base.h): the one place both programs and the
// idle companion write their lines to it.
#include <cstdio>
#include <string>

#include "platform/base.h"

namespace platform {

void WriteToStandardError(std::string_view text) {
    std::string line = ConvertTextLossy(text, "UTF-8", LocaleCharset());
    if (line.empty() || line.back() != '\n') line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void TellOnStandardError(std::string_view title, std::string_view text) {
    WriteToStandardError("Velmora: " + std::string(title) + ": " + std::string(text));
}

}  // namespace platform
