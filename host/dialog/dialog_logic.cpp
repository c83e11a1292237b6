// The settings dialog's logic, apart from its widgets (see dialog_logic.h).
#include "host/dialog/dialog_logic.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "host/settings.h"
#include "host/zentrova_b.h"
#include "platform/base.h"
#include "platform/words.h"

namespace Zentrova_P {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

using platform::TrimBlanks;

// Whole number nearest to `value`, halves to the even neighbour (the default rounding mode).
double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

bool FitsInt16(double value) {
    return value >= std::numeric_limits<std::int16_t>::min() &&
           value <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

ControlState ControlsFor(std::int16_t mode) {
    ControlState state;
    if (mode >= 0 && mode <= 2) state.radioOn[static_cast<std::size_t>(mode)] = true;
    state.repeatEnabled = mode == 1;
    state.fileEnabled = mode == 2;
    return state;
}

ControlState SelectKind(std::int16_t index) {
    Zentrova_B::BgmMode = index;
    return ControlsFor(index);
}

std::string FormatHashes(long value) {
    return value == 0 ? std::string() : std::to_string(value);
}

std::vector<std::string> RepeatEntries() {
    std::vector<std::string> entries;
    for (long n = 0; n <= 30; ++n) entries.push_back(FormatHashes(n));
    return entries;
}

std::optional<double> ReadNumber(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text = TrimBlanks(text.substr(1));
    }
    // What is left must be digits, a point and digits, with a digit on at least one side.
    std::size_t i = 0, digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0 || i != text.size()) return std::nullopt;

    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        value = std::numeric_limits<double>::infinity();
    } else if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::int16_t RepeatFromText(std::string_view text) {
    const auto number = ReadNumber(text);
    if (!number) return 0;
    const double rounded = RoundHalfEven(*number);
    if (!FitsInt16(rounded)) return 0;
    return static_cast<std::int16_t>(rounded);
}

std::string IniNumberText(long value) {
    // A blank takes the place of the minus sign. (Appending rather than prepending also keeps
    // g++ 12 from a false -Wrestrict warning in optimised builds.)
    std::string text = value < 0 ? "" : " ";
    text += std::to_string(value);
    return text;
}

void SaveSettings(std::string_view comboText, const PutValue& put) {
    put(Zentrova_B::kKeyBgmMode, IniNumberText(Zentrova_B::BgmMode));
    Zentrova_B::BgmRepeat = RepeatFromText(comboText);
    put(Zentrova_B::kKeyBgmRepeat, IniNumberText(Zentrova_B::BgmRepeat));
    put(Zentrova_B::kKeyBgmFile, Zentrova_B::BgmFile);
}

ChooserRequest MusicFileRequest() {
    ChooserRequest request;
    request.title = platform::Translate("ﾌｧｲﾙを開く");
    // One entry: the music files, matched in any letter case by the chooser.
    request.filterName = platform::Translate("BGMﾌｧｲﾙ (MP3 WAV)");
    request.pattern = "*.mp3;*.wav";
    request.folder = Zentrova_B::BgmFolder;
    return request;
}

bool AcceptChosenFile(const std::string& path) {
    if (path.empty() || path.size() > kMaxChosenPath) return false;
    Zentrova_B::BgmFile = path;
    Zentrova_B::BgmFolder = Zentrova_B::FolderOf(path);
    return true;
}

Rgb GradientRow(int y, double height) {
    const double period = height / 3.142;
    double v = RoundHalfEven(std::fabs(std::sin(y / period) * 220.0));
    if (!std::isfinite(v)) v = 0;  // a client without height
    const auto level = static_cast<std::uint8_t>(v);
    return Rgb{level, level, static_cast<std::uint8_t>(v + 30.0)};
}

int GradientLastRow(double height) {
    return static_cast<int>(RoundHalfEven(height));
}

std::vector<Point> TileOrigins(int targetWidth, int targetHeight, int tileWidth, int tileHeight) {
    std::vector<Point> origins;
    if (tileWidth <= 0 || tileHeight <= 0) return origins;
    int x = 0, y = 0;
    for (;;) {
        origins.push_back({x, y});
        if (y <= targetHeight) {
            y += tileHeight;
        } else if (x > targetWidth) {
            return origins;
        } else {
            x += tileWidth;
            y = 0;
        }
    }
}

Point Placement(int screenWidth, int screenHeight, int windowWidth, int windowHeight,
                double twipsPerPixel) {
    if (!(twipsPerPixel > 0)) twipsPerPixel = 15;
    const auto along = [twipsPerPixel](int screen, int window, long divisor) {
        const auto freeTwips = static_cast<long>(RoundHalfEven((screen - window) * twipsPerPixel));
        const long edgeTwips = freeTwips / divisor;  // truncates toward zero
        return static_cast<int>(std::lround(edgeTwips / twipsPerPixel));
    };
    return Point{along(screenWidth, windowWidth, 2), along(screenHeight, windowHeight, 3)};
}

void RecordZoomPoint(std::optional<Point> pointer) {
    if (!pointer) {
        Zentrova_B::ZoomX = 0;
        Zentrova_B::ZoomY = 0;
        return;
    }
    if (FitsInt16(pointer->x)) Zentrova_B::ZoomX = static_cast<std::int16_t>(pointer->x);
    if (FitsInt16(pointer->y)) Zentrova_B::ZoomY = static_cast<std::int16_t>(pointer->y);
}

}  // namespace Zentrova_P
