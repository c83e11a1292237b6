// The desktop portal's request protocol as the Screenshot call uses it: where the answer will
// come from, and what the answer means. Pure: the D-Bus traffic itself is portal.cpp's.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The object path of the request that a call with `token` as its handle_token makes for the
// caller whose unique bus name is `uniqueName` (":1.42"): the portal's documented rule, so that
// the caller can listen for the answer before it calls. Nothing when `uniqueName` is not a
// unique name or `token` is not a valid path element ([A-Za-z0-9_], not empty).
std::optional<std::string> PortalRequestPath(std::string_view uniqueName, std::string_view token);

// What a Response signal of a Screenshot request says.
struct PortalAnswer {
    enum class Kind { Picture, Refused, Failed } kind = Kind::Failed;
    std::string path;  // Picture: the local file that holds the PNG
    std::string why;   // Refused, Failed: in words for the user
};

// Reads a Response: `response` 0 is success (then `uri` must name a local file), 1 the user or
// the system cancelled, anything else a failure. `uri` is the "uri" result, if it came. The words
// for 1 and 2 give the code, and for 2 what it usually means on GNOME (a stored "no"), since the
// portal says no more.
PortalAnswer ReadPortalAnswer(std::uint32_t response, const std::optional<std::string>& uri);

// The desktop's stored answer to "may programs outside a sandbox take screenshots?": the entry
// "" of the id "screenshot" in the table "screenshot" of the portal's permission store. GNOME
// asks the question on the first Screenshot call and stores the answer for every such program.
enum class StoredScreenshotAnswer {
    Yes,
    No,
    NotAsked  // no store, table, id or entry, or an answer other than "yes" and "no"
};

// Reads the entry's permissions as the store's Lookup gave them (nothing when the store, the
// table, the id or the entry is missing): its first permission, "yes" or "no".
StoredScreenshotAnswer ReadStoredScreenshotAnswer(
    const std::optional<std::vector<std::string>>& entry);

// How long to wait for the portal's answer: 10 seconds when the answer is stored, 60 when the
// desktop may still be asking a person, who needs the time to read the question.
std::chrono::seconds PortalAnswerWait(StoredScreenshotAnswer stored);

// Why the capture failed when the portal did not answer within PortalAnswerWait(stored): where
// the desktop may have been asking, also that its question may still be on screen but an answer
// given there now counts for nothing (GNOME 43 leaves it up after the request is closed), and
// how to allow screenshots.
std::string PortalNoAnswerWords(StoredScreenshotAnswer stored);

// Why the capture failed with "no" stored: the permission named, with the commands that allow
// screenshots or have the desktop ask again. The capture never changes the answer itself.
std::string ScreenshotNotAllowedWords();

// True when the desktop named by $XDG_CURRENT_DESKTOP (a colon-separated list, "KDE" or
// "KDE:Plasma", say) is KDE Plasma, whose portal saves its picture into the pictures folder and
// answers 1, without a word, when that folder is missing.
bool IsKdeDesktop(std::string_view currentDesktop);

// The user's pictures folder by the rule of xdg-user-dirs: the XDG_PICTURES_DIR line of
// `userDirs` (the text of $XDG_CONFIG_HOME/user-dirs.dirs, empty when there is none), whose
// quoted value is "$HOME/<path>" or an absolute path; the last such line counts. Otherwise,
// as on KDE Plasma, <home>/Pictures.
std::string PicturesFolder(std::string_view userDirs, std::string_view home);

// Why the capture does not ask the portal: the pictures folder `folder` is missing. Names it and
// how to make it; the capture never makes it behind the user's back.
std::string PicturesFolderMissingWords(std::string_view folder);

// The local path of a "file://" URI ("file:///tmp/a%20b.png" -> "/tmp/a b.png"): an absolute
// path, on this machine (an empty host or "localhost"), percent escapes decoded. Nothing for
// other schemes, other hosts, bad escapes, an encoded NUL, raw control characters or "/" only.
std::optional<std::string> LocalPathOfFileUri(std::string_view uri);

}  // namespace platform
