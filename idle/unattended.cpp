// The idle companion's rules for unattended runs (see unattended.h).
#include "unattended.h"

#include <algorithm>
#include <cctype>

#include "platform/base.h"

namespace idle {
namespace {

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The exit statuses of the host after which the run's own words say what went wrong: no picture
// (1), the renderer failed (2), the run lock could not be used (5).
bool FailedWithReason(int exitCode) {
    return exitCode == 1 || exitCode == 2 || exitCode == 5;
}

constexpr std::size_t kLongestBody = 1000;

// The length of the UTF-8 sequence that starts `text`, 0 when none does.
std::size_t SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xc2 && lead < 0xe0 ? 2
                               : lead >= 0xe0 && lead < 0xf0 ? 3
                               : lead >= 0xf0 && lead < 0xf5 ? 4
                                                             : 0;
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xc0) != 0x80) return 0;
    return length;
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
    std::string valid;
    while (!text.empty()) {
        const std::size_t length = SequenceLength(text);
        valid.append(length ? text.substr(0, length) : "?");
        text.remove_prefix(length ? length : 1);
    }
    return valid;
}

namespace {

// The last `limit` bytes or fewer of `text`, cut before a whole character.
std::string Tail(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t from = text.size() - limit;
    while (from < text.size() && (static_cast<unsigned char>(text[from]) & 0xc0) == 0x80) ++from;
    return "..." + text.substr(from);
}

}  // namespace

bool DesktopNamed(std::string_view desktops, std::string_view name) {
    while (!desktops.empty()) {
        const auto colon = desktops.find(':');
        if (SameLetters(desktops.substr(0, colon), name)) return true;
        if (colon == std::string_view::npos) break;
        desktops.remove_prefix(colon + 1);
    }
    return false;
}

bool CaptureMayAsk(const platform::idle::Session& session,
                   const std::vector<std::string>& globals) {
    return session.wayland && DesktopNamed(session.desktops, "GNOME") &&
           std::find(globals.begin(), globals.end(), "zwlr_screencopy_manager_v1") == globals.end();
}

Notice NoRunWithoutAnswer(platform::idle::ScreenshotAnswer answer) {
    if (answer == platform::idle::ScreenshotAnswer::No)
        return {platform::Translate("Velmora may not take pictures of the screen"),
                platform::Translate(
                    "GNOME does not allow programs to take screenshots, so velmora-idle starts "
                    "no run. Start \"velmora /s\" by hand to see how to allow it.")};
    return {platform::Translate("Velmora needs your answer once"),
            platform::Translate(
                "GNOME asks once whether programs may take screenshots, and nobody may be there "
                "when velmora-idle starts a run, so it starts none. Start \"velmora /s\" by hand "
                "once and choose \"Allow\".")};
}

std::optional<Notice> FailedRunNotice(int number, int exitCode,
                                      const std::vector<std::string>& lines) {
    if (!FailedWithReason(exitCode)) return std::nullopt;
    std::string body;
    // The host's lines start "Velmora: Error: ", which the notification's own title says.
    const std::string error = std::string(platform::Translate("Error")) + ": ";
    for (std::string_view line : lines) {
        if (line.rfind("Velmora: ", 0) == 0) line.remove_prefix(9);
        if (line.rfind(error, 0) == 0) line.remove_prefix(error.size());
        body += (body.empty() ? "" : "\n") + std::string(line);
    }
    body = Tail(ValidUtf8(body), kLongestBody);  // the reason comes last
    if (body.empty())
        body = platform::FillIn(
            platform::Translate("Run %s ended with exit code %s; velmora-idle's log may say more."),
            {std::to_string(number), std::to_string(exitCode)});
    return Notice{platform::Translate("The Velmora screensaver failed"), body};
}

void LastLines::Add(std::string line) {
    lines_.push_back(std::move(line));
    if (lines_.size() > count_) lines_.erase(lines_.begin());
}

}  // namespace idle
