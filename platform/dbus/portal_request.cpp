// The desktop portal's request protocol (see portal_request.h).
#include "platform/dbus/portal_request.h"

#include <algorithm>

#include "platform/base.h"
#include "platform/words.h"

namespace platform {
namespace {

bool IsPathElement(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '_'))
            return false;
    return true;
}

// The command that stores "yes" for screenshots by programs outside a sandbox.
constexpr std::string_view kAllowCommand =
    "gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore --object-path "
    "/org/freedesktop/impl/portal/PermissionStore --method "
    "org.freedesktop.impl.portal.PermissionStore.SetPermission screenshot true screenshot '' "
    "\"['yes']\"";

// `text` as one word of a POSIX shell's command line, in single quotes.
std::string ShellQuoted(std::string_view text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::string> PortalRequestPath(std::string_view uniqueName, std::string_view token) {
    if (uniqueName.size() < 2 || uniqueName[0] != ':' || !IsPathElement(token)) return std::nullopt;
    // The sender part: the unique name without its ':', each '.' made '_'.
    std::string sender;
    for (char c : uniqueName.substr(1)) {
        if (c == '.')
            sender += '_';
        else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '_' || c == '-')
            sender += c == '-' ? '_' : c;
        else
            return std::nullopt;
    }
    return "/org/freedesktop/portal/desktop/request/" + sender + "/" + std::string(token);
}

PortalAnswer ReadPortalAnswer(std::uint32_t response, const std::optional<std::string>& uri) {
    PortalAnswer answer;
    if (response == 1) {
        answer.kind = PortalAnswer::Kind::Refused;
        answer.why = platform::Translate(
            "the desktop portal did not take the screenshot (answer 1: cancelled or refused)");
        return answer;
    }
    if (response == 2) {
        answer.why = platform::Translate(
            "the desktop portal did not take the screenshot (answer 2). On GNOME this usually "
            "means that \"no\" is stored as the answer to \"Allow Applications to Take "
            "Screenshots?\"");
        return answer;
    }
    if (response != 0) {
        answer.why = platform::FillIn(
            platform::Translate("the desktop portal did not take the screenshot (answer %s)"),
            {std::to_string(response)});
        return answer;
    }
    if (!uri) {
        answer.why = platform::Translate("the desktop's screenshot service named no picture");
        return answer;
    }
    const auto path = LocalPathOfFileUri(*uri);
    if (!path) {
        answer.why = platform::Translate(
            "the desktop's screenshot service named a picture that is not a local file");
        return answer;
    }
    answer.kind = PortalAnswer::Kind::Picture;
    answer.path = *path;
    return answer;
}

StoredScreenshotAnswer ReadStoredScreenshotAnswer(
    const std::optional<std::vector<std::string>>& entry) {
    if (!entry || entry->empty()) return StoredScreenshotAnswer::NotAsked;
    if (entry->front() == "yes") return StoredScreenshotAnswer::Yes;
    if (entry->front() == "no") return StoredScreenshotAnswer::No;
    return StoredScreenshotAnswer::NotAsked;
}

std::chrono::seconds PortalAnswerWait(StoredScreenshotAnswer stored) {
    return stored == StoredScreenshotAnswer::Yes ? std::chrono::seconds{10}
                                                 : std::chrono::seconds{60};
}

std::string PortalNoAnswerWords(StoredScreenshotAnswer stored) {
    const std::string seconds = std::to_string(PortalAnswerWait(stored).count());
    if (stored == StoredScreenshotAnswer::Yes)
        return platform::FillIn(
            platform::Translate("the desktop portal did not answer within %s seconds"), {seconds});
    return platform::FillIn(
        platform::Translate(
            "the desktop portal did not answer within %s seconds. The desktop may have been "
            "asking whether programs may take screenshots: its question may still be on "
            "screen, but an answer given there now changes nothing. To allow screenshots, start "
            "\"velmora /s\" by hand and choose \"Allow\" within 60 seconds, or run: %s (on "
            "GNOME the answer holds for every program outside a sandbox, not only Velmora)"),
        {seconds, kAllowCommand});
}

std::string ScreenshotNotAllowedWords() {
    return platform::FillIn(
        platform::Translate(
            "screenshots are not allowed: the desktop's permission store holds \"no\" for "
            "screenshots by programs outside a sandbox (table \"screenshot\", id \"screenshot\"; "
            "on GNOME the answer to \"Allow Applications to Take Screenshots?\"), which holds for "
            "every such program, not only Velmora. To allow screenshots: %s. To be asked again: "
            "gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore --object-path "
            "/org/freedesktop/impl/portal/PermissionStore --method "
            "org.freedesktop.impl.portal.PermissionStore.Delete screenshot screenshot"),
        {kAllowCommand});
}

bool IsKdeDesktop(std::string_view currentDesktop) {
    while (!currentDesktop.empty()) {
        const std::size_t colon = std::min(currentDesktop.find(':'), currentDesktop.size());
        if (SameIgnoringCase(currentDesktop.substr(0, colon), "KDE")) return true;
        currentDesktop.remove_prefix(std::min(colon + 1, currentDesktop.size()));
    }
    return false;
}

std::string PicturesFolder(std::string_view userDirs, std::string_view home) {
    std::string folder = std::string(home) + "/Pictures";
    constexpr std::string_view key = "XDG_PICTURES_DIR";
    while (!userDirs.empty()) {
        const std::size_t end = std::min(userDirs.find('\n'), userDirs.size());
        std::string_view line = TrimBlanks(userDirs.substr(0, end));
        userDirs.remove_prefix(std::min(end + 1, userDirs.size()));
        if (!line.starts_with(key)) continue;
        line = TrimBlanks(line.substr(key.size()));
        if (line.size() < 3 || line.front() != '=') continue;
        line = TrimBlanks(line.substr(1));
        if (line.size() < 2 || line.front() != '"' || line.back() != '"') continue;
        const std::string_view value = line.substr(1, line.size() - 2);
        if (value == "$HOME" || value.starts_with("$HOME/"))
            folder = std::string(home) + std::string(value.substr(5));
        else if (value.starts_with("/"))
            folder = std::string(value);
    }
    return folder;
}

std::string PicturesFolderMissingWords(std::string_view folder) {
    return platform::FillIn(
        platform::Translate(
            "the desktop's screenshot service saves its picture into your pictures folder, %s, "
            "which does not exist. Velmora does not make it for you: make it with mkdir -p %s, "
            "or name another pictures folder with xdg-user-dirs-update --set PICTURES <folder>"),
        {folder, ShellQuoted(folder)});
}

std::optional<std::string> LocalPathOfFileUri(std::string_view uri) {
    constexpr std::string_view scheme = "file://";  // schemes match in any letter case
    if (!SameIgnoringCase(uri.substr(0, scheme.size()), scheme)) return std::nullopt;
    std::string_view rest = uri.substr(scheme.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && host != "localhost") return std::nullopt;
    rest = rest.substr(slash);
    std::string path;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        // A URI carries no control characters of its own; a NUL would cut the path short.
        if (static_cast<unsigned char>(rest[i]) < 0x20 || rest[i] == 0x7F) return std::nullopt;
        if (rest[i] != '%') {
            path += rest[i];
            continue;
        }
        if (i + 2 >= rest.size()) return std::nullopt;
        const int hi = HexValue(rest[i + 1]), lo = HexValue(rest[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        const char c = static_cast<char>(hi * 16 + lo);
        if (c == '\0') return std::nullopt;
        path += c;
        i += 2;
    }
    if (path.size() < 2) return std::nullopt;
    return path;
}

}  // namespace platform
