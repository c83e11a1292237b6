// The settings file Velmora.ini beside the host program: reading and writing one value,
// loading the shared settings state at start-up, and the two path helpers shared with the
// settings dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Zentrova_B {

// Section and key names of the settings file.
inline constexpr std::string_view kSection = "Section";
inline constexpr std::string_view kKeyBgmMode = "BGM区分";
inline constexpr std::string_view kKeyBgmRepeat = "BGMﾘﾋﾟｰﾄ";
inline constexpr std::string_view kKeyBgmFile = "BGMﾌｧｲﾙ";

// The program folder followed by "/Velmora.ini".
std::string SettingsPath();

// The value of `key` in `section` of the file at `path`; empty when the file, section or key
// is missing. Values longer than 255 bytes (in the locale's charset) come back cut.
std::string GetIniString(std::string_view section, std::string_view key, const std::string& path);

// Writes one value, creating the file, section and key when missing; the file is replaced as a
// whole through a rename, so a failed write leaves it as it was. LastApiResult becomes 1 on
// success, 0 on failure. Always returns the empty string.
std::string PutIniString(std::string_view section, std::string_view key, std::string_view value,
                         const std::string& path);

// Fills BgmMode, BgmRepeat, BgmFile, BgmFolder and IniValue from the settings file. Afterwards
// BgmMode is 2 only when BgmFile named a file that opened for reading.
void LoadSettings();
// LoadSettings with the settings file and the program folder given.
void LoadSettingsFrom(const std::string& settingsPath, const std::string& programFolder);

// True when `path` (a trailing "\" or "/" dropped) is a regular file that opens for reading.
// Folders, FIFOs and devices are not files: false, and nothing is opened that could block.
bool FileExists(std::string_view path);

// The folder part of `path`: everything before the last "\" or "/" (or the colon of a leading
// drive letter). "C:\music\a.mp3" gives "C:\music", "C:\a.mp3" gives "C:", "a.mp3" gives "".
std::string FolderOf(std::string_view path);

// The settings' number reading: the integer part (rounded toward minus infinity) of a decimal
// number with blanks around it; nothing for text that is not a number or whose integer part
// does not fit 16 bits.
std::optional<std::int16_t> ReadIniNumber(std::string_view text);

}  // namespace Zentrova_B
