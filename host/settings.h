// The settings file Velmora.ini: where it lives (beside the host program while the user can
// write there, else in the user's settings folder), reading and writing one value, loading the
// shared settings state at start-up, and the two path helpers shared with the settings dialog.
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

// Where the settings are read from and where a save goes.
struct SettingsFiles {
    std::string read;
    std::string write;
};

// The choice between Velmora.ini in the program folder (`programFile`) and in the user's
// settings folder (`userFile`, empty when the user has none). The program folder's file serves
// for both while the user can write that folder (a build or portable folder). Otherwise saves go
// to the user's file, which is also read once it exists; until then the program folder's file is
// read as the starting point.
SettingsFiles ChooseSettingsFiles(const std::string& programFile, const std::string& userFile,
                                  bool programFolderWritable, bool userFileExists);

// ChooseSettingsFiles for the given program folder, the running user and the files as they are.
SettingsFiles LocateSettingsIn(const std::string& programFolder);
// LocateSettingsIn(the program folder).
SettingsFiles LocateSettings();

// Makes `files.write` ready for PutIniString: creates the user's settings folder when missing and,
// while the file to write does not exist, starts it as a copy of `files.read` (when that exists),
// so that nothing of the starting point is lost. False when it can't, with why in words for the
// user.
bool PrepareSettingsSave(const SettingsFiles& files, std::string* why = nullptr);

// The message shown when saving to `path` failed for `reason`.
std::string SaveFailedMessage(const std::string& path, const std::string& reason);

// The value of `key` in `section` of the file at `path`; empty when the file, section or key
// is missing. Values longer than 255 bytes (in the file's charset) come back cut.
std::string GetIniString(std::string_view section, std::string_view key, const std::string& path);

// Writes one value, creating the file, section and key when missing; the file is replaced as a
// whole through a rename, so a failed write leaves it as it was. True when written; false
// otherwise, with why in words for the user. LastApiResult mirrors the result: 1 or 0.
bool PutIniString(std::string_view section, std::string_view key, std::string_view value,
                  const std::string& path, std::string* why = nullptr);

// Fills BgmMode, BgmRepeat, BgmFile, BgmFolder and IniValue from the settings file
// (LocateSettings().read). Afterwards
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
