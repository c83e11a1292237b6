// The settings file (see settings.h). Where the host reads and writes it itself (Linux), its
// bytes are UTF-8, the charset of today's desktops, in every locale: a file that is not UTF-8
// was written by an earlier version in the locale's charset, is read in that charset and is
// written back in UTF-8 at the next save. The host works in UTF-8.
#include "host/settings.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "host/profile.h"
#include "host/zentrova_b.h"
#include "platform/base.h"
#include "platform/words.h"
#include "shared/names.h"

namespace Zentrova_B {
namespace {

// A settings file is a few lines; anything far larger is not ours and is left alone.
constexpr std::size_t kMaxFileBytes = 1 << 20;

// The charset the host writes the settings file in.
constexpr const char* kFileCharset = "UTF-8";

// The charset of a settings file's `bytes`: UTF-8, unless they are not valid UTF-8, which marks
// a file written in the locale's charset.
std::string CharsetOf(std::string_view bytes) {
    return platform::IsValidUtf8(bytes) ? kFileCharset : platform::LocaleCharset();
}

// A write that failed for `reason`: LastApiResult says so and `why` gets the reason.
bool SaveFailed(const std::string& reason, std::string* why) {
    LastApiResult = 0;
    if (why) *why = reason;
    return false;
}

void LoadNumber(std::string_view key, std::int16_t& into, const std::string& path) {
    IniValue = GetIniString(kSection, key, path);
    if (IniValue.empty()) {
        into = 0;
        return;
    }
    if (const auto n = ReadIniNumber(IniValue)) into = *n;
}

}  // namespace

SettingsFiles ChooseSettingsFiles(const std::string& programFile, const std::string& userFile,
                                  bool programFolderWritable, bool userFileExists) {
    if (programFolderWritable || userFile.empty()) return {programFile, programFile};
    return {userFileExists ? userFile : programFile, userFile};
}

SettingsFiles LocateSettingsIn(const std::string& programFolder) {
    const std::string userFolder = platform::UserSettingsFolder();
    const std::string userFile =
        userFolder.empty() ? "" : platform::PathInFolder(userFolder, names::kSettingsFileName);
    std::string ignored;
    const bool userFileExists =
        !userFile.empty() && platform::ReadRegularFile(userFile, ignored, kMaxFileBytes) !=
                                 platform::ReadResult::Missing;
    return ChooseSettingsFiles(platform::PathInFolder(programFolder, names::kSettingsFileName),
                               userFile, platform::FolderWritable(programFolder), userFileExists);
}

SettingsFiles LocateSettings() {
    return LocateSettingsIn(platform::ProgramFolder());
}

bool PrepareSettingsSave(const SettingsFiles& files, std::string* why) {
    if (files.write == files.read) return true;
    const std::string folder = FolderOf(files.write);
    if (std::string problem; !folder.empty() && !platform::MakePrivateFolders(folder, &problem)) {
        if (why)
            *why = platform::FillIn(platform::Translate("the folder %s cannot be made (%s)"),
                                    {folder, problem});
        return false;
    }
    std::string bytes;
    if (platform::ReadRegularFile(files.write, bytes, kMaxFileBytes) !=
        platform::ReadResult::Missing)
        return true;  // there already (what can't be read, PutIniString refuses)
    if (platform::ReadRegularFile(files.read, bytes, kMaxFileBytes) != platform::ReadResult::Ok)
        return true;  // no starting point: the save makes a new file
    return platform::ReplaceFile(files.write, bytes, platform::FileAccess::KeepOrUserDefault,
                                 platform::Durability::Lasting, why);
}

std::string SaveFailedMessage(const std::string& path, const std::string& reason) {
    return platform::FillIn(
        platform::Translate("The settings could not be saved.\n\nFile: %s\nReason: %s"),
        {path, reason});
}

std::string GetIniString(std::string_view section, std::string_view key, const std::string& path) {
    // Where the system keeps such files itself, it reads them.
    if (std::string value;
        platform::ReadIniValue(section, key, path, value) == platform::ProfileCall::Done)
        return value;
    std::string bytes;
    if (platform::ReadRegularFile(path, bytes, kMaxFileBytes) != platform::ReadResult::Ok)
        return {};
    return profile::Read(bytes, section, key, CharsetOf(bytes));
}

bool PutIniString(std::string_view section, std::string_view key, std::string_view value,
                  const std::string& path, std::string* why) {
    std::string reason;
    // Where the system keeps such files itself, it writes them.
    switch (platform::WriteIniValue(section, key, value, path, &reason)) {
        case platform::ProfileCall::Done:
            LastApiResult = 1;
            return true;
        case platform::ProfileCall::Refused:
            return SaveFailed(reason, why);
        case platform::ProfileCall::NotOffered:
            break;
    }
    // A settings file that is a symbolic link (kept with the user's other configuration, say)
    // is updated at the link's target, and the link stays.
    const std::string target = platform::WriteTarget(path);
    std::string bytes;
    const auto read = platform::ReadRegularFile(target, bytes, kMaxFileBytes);
    if (read == platform::ReadResult::Failed) {  // never replace what we could not read
        reason = platform::Translate(
            "it is not a file that can be read (a folder, a device, no rights?)");
        return SaveFailed(reason, why);
    }
    // A file of an earlier version, in the locale's charset, becomes UTF-8 as a whole.
    const std::string charset = CharsetOf(bytes);
    if (charset != kFileCharset) bytes = profile::Recoded(bytes, charset, kFileCharset);
    const auto updated = profile::Write(bytes, section, key, value, kFileCharset);
    if (!updated) {
        reason = platform::Translate("the text has a line break, which the file cannot hold");
        return SaveFailed(reason, why);
    }
    if (!platform::ReplaceFile(target, *updated, platform::FileAccess::KeepOrUserDefault,
                               platform::Durability::Lasting, &reason))
        return SaveFailed(reason, why);
    LastApiResult = 1;
    return true;
}

void LoadSettings() {
    LoadSettingsFrom(LocateSettings().read, platform::ProgramFolder());
}

void LoadSettingsFrom(const std::string& settingsPath, const std::string& programFolder) {
    LoadNumber(kKeyBgmMode, BgmMode, settingsPath);
    LoadNumber(kKeyBgmRepeat, BgmRepeat, settingsPath);
    BgmFolder = programFolder;
    IniValue = GetIniString(kSection, kKeyBgmFile, settingsPath);
    if (IniValue.empty()) {
        BgmFile.clear();
        if (BgmMode == 2) BgmMode = 0;
        return;
    }
    BgmFile = IniValue;
    if (FileExists(BgmFile)) {
        BgmFolder = FolderOf(BgmFile);
    } else {
        BgmFile.clear();
        if (BgmMode == 2) BgmMode = 0;
    }
}

bool FileExists(std::string_view path) {
    if (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    return platform::IsReadableRegularFile(std::string(path));
}

std::string FolderOf(std::string_view path) {
    std::size_t keep = 0;  // characters to keep: up to and including the last separator
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        const bool driveColon =
            c == ':' && i == 1 &&
            ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
        if (c == '\\' || c == '/' || driveColon) keep = i + 1;
    }
    std::string folder(path.substr(0, keep));
    // The root folder stays itself: dropping its only "/" would name no folder at all.
    if (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

std::optional<std::int16_t> ReadIniNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Plain decimal text only: digits, one point, an exponent (from_chars would also take
    // "inf", "nan" and hexadecimal forms).
    if (text.empty() || !((text.front() >= '0' && text.front() <= '9') || text.front() == '.'))
        return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    const double whole = std::floor(negative ? -value : value);
    if (whole < INT16_MIN || whole > INT16_MAX) return std::nullopt;
    return static_cast<std::int16_t>(whole);
}

}  // namespace Zentrova_B
