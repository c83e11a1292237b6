// Storage of the host's shared state (see zentrova_b.h).
#include "host/zentrova_b.h"

namespace Zentrova_B {

std::int16_t BgmMode = 0;
std::int16_t BgmRepeat = 0;
std::string BgmFile;
std::string BgmFolder;
std::string IniValue;
std::int32_t LastApiResult = 0;
std::int32_t CursorCount = 0;
std::int16_t ZoomX = 0;
std::int16_t ZoomY = 0;
std::string RendererPath;
std::int32_t PreviewLeft = 0;
std::int32_t PreviewTop = 0;
std::int32_t PreviewWidth = 0;
std::int32_t PreviewHeight = 0;
std::string CommandLine;

}  // namespace Zentrova_B
