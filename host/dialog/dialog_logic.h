// The settings dialog's logic, apart from its widgets: radio selection and the controls that
// depend on it, the repeat combo box's texts, what the Settings button writes, the background
// gradient, the panel's tile walk and the dialog's placement.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Zentrova_P {

// The dialog's client area in pixels.
inline constexpr int kClientWidth = 496;
inline constexpr int kClientHeight = 246;

// ---- Radio group ------------------------------------------------------------------------------

// What the music controls show for one music kind: the radio image of each index (0 none,
// 1 audio CD, 2 music file) on or off, and whether the repeat combo box and the "..." button
// take input.
struct ControlState {
    std::array<bool, 3> radioOn{};
    bool repeatEnabled = false;
    bool fileEnabled = false;

    bool operator==(const ControlState&) const = default;
};

// The controls for `mode`; a kind outside 0 to 2 leaves every radio off and both disabled.
ControlState ControlsFor(std::int16_t mode);

// A mouse button went down on the radio image or label of `index`: the kind becomes the
// shared BgmMode at once. Returns what the controls show now.
ControlState SelectKind(std::int16_t index);

// ---- Repeat combo box -------------------------------------------------------------------------

// The number format "##": zero gives the empty text, anything else its plain digits (with a
// minus sign when negative).
std::string FormatHashes(long value);

// The combo box's list: 0 to 30 formatted with "##", so "" and then "1" to "30".
std::vector<std::string> RepeatEntries();

// Reads typed text as a number: optional blanks, an optional sign, digits with an optional
// decimal fraction (a point), optional blanks. Nothing for any other text.
std::optional<double> ReadNumber(std::string_view text);

// The repeat track the Settings button saves for the combo box's text: the number rounded to
// the nearest whole number, halves to the even neighbour; 0 for text that is no number and
// for a number outside the signed 16-bit range.
std::int16_t RepeatFromText(std::string_view text);

// ---- Settings button --------------------------------------------------------------------------

// A number as the settings file holds it: a blank (or the minus sign) before the digits.
std::string IniNumberText(long value);

// Writes one value of section "Section" (the glue passes PutIniString with the settings path).
using PutValue = std::function<void(std::string_view key, const std::string& value)>;

// The Settings button's writes, in order: the music kind, the repeat track read from
// `comboText` (which also becomes the shared BgmRepeat), the music file. All three are
// written whatever the kind.
void SaveSettings(std::string_view comboText, const PutValue& put);

// ---- File chooser -----------------------------------------------------------------------------

// What the file chooser is opened with.
struct ChooserRequest {
    std::string title;
    std::string filterName;
    std::string pattern;  // matches the extensions in any letter case
    std::string folder;
};

ChooserRequest MusicFileRequest();

// Longest path (in bytes) the chooser hands back; a longer one changes nothing.
inline constexpr std::size_t kMaxChosenPath = 254;

// The user confirmed `path` in the chooser: it becomes the shared BgmFile and the folder of
// the next chooser. Returns false (and changes nothing) for an empty or too long path.
bool AcceptChosenFile(const std::string& path);

// ---- Pictures and placement ---------------------------------------------------------------------

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// The colour of row `y` of the background gradient for a client `height` pixels high.
Rgb GradientRow(int y, double height);

// The rows the gradient draws for a client `height` pixels high: 0 to height, both included.
int GradientLastRow(double height);

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// Where the panel's texture tiles go: columns filled top to bottom, one tile beyond the bottom
// edge and one column beyond the right edge included. An empty result for a tile without area.
std::vector<Point> TileOrigins(int targetWidth, int targetHeight, int tileWidth, int tileHeight);

// The dialog's top-left corner on the screen, all sizes in pixels: centred horizontally and at
// one third of the free height from the top, computed in twips as whole numbers.
Point Placement(int screenWidth, int screenHeight, int windowWidth, int windowHeight,
                double twipsPerPixel);

// The mouse position recorded for the zoom animation: each coordinate that fits a signed
// 16-bit value replaces the old one.
void RecordZoomPoint(std::optional<Point> pointer);

}  // namespace Zentrova_P
