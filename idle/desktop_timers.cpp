// The desktop's own timers (see desktop_timers.h).
#include "desktop_timers.h"

#include <algorithm>
#include <charconv>

#include "platform/base.h"
#include "unattended.h"

namespace idle {
namespace {

using platform::FillIn;
using platform::Translate;

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kFallbackSeconds = 10 * kMinute;

std::optional<std::int64_t> Whole(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

// KDE's booleans: "true", "on", "yes" or a number other than 0.
std::optional<bool> KdeBool(std::string_view text) {
    if (text == "true" || text == "on" || text == "yes") return true;
    if (text == "false" || text == "off" || text == "no") return false;
    if (const auto n = Whole(text)) return *n != 0;
    return std::nullopt;
}

void AddIfSet(std::vector<DesktopTimer>& timers, std::int64_t seconds, std::string what,
              std::string setting, std::string remedy) {
    if (seconds > 0)
        timers.push_back({std::move(what), std::move(setting), seconds, std::move(remedy)});
}

// GNOME's sleep on `power` ("ac" or "battery").
void AddGnomeSleep(std::vector<DesktopTimer>& timers, const std::optional<std::int64_t>& timeout,
                   const std::string& type, bool mains) {
    if (!timeout || type == "nothing") return;
    const std::string key = std::string("sleep-inactive-") + (mains ? "ac" : "battery");
    AddIfSet(timers, *timeout,
             mains ? Translate("the computer sleeps on mains power")
                   : Translate("the computer sleeps on battery"),
             "GNOME: org.gnome.settings-daemon.plugins.power " + key + "-timeout (" + type + ")",
             FillIn(Translate("raise \"Automatic Suspend\" in GNOME's Settings (Power), or run "
                              "\"gsettings set org.gnome.settings-daemon.plugins.power %s "
                              "SECONDS\""),
                    {key + "-timeout"}));
}

}  // namespace

std::vector<DesktopTimer> GnomeTimers(const platform::idle::GnomeTimerSettings& settings) {
    std::vector<DesktopTimer> timers;
    const std::string blankRemedy = Translate(
        "raise \"Screen Blank\" in GNOME's Settings (Power), or run \"gsettings set "
        "org.gnome.desktop.session idle-delay SECONDS\"");
    if (settings.idleDelay && *settings.idleDelay > 0) {
        AddIfSet(timers, *settings.idleDelay, Translate("the screen blanks"),
                 "GNOME: org.gnome.desktop.session idle-delay", blankRemedy);
        if (settings.lockEnabled.value_or(false))
            AddIfSet(timers, *settings.idleDelay + settings.lockDelay.value_or(0),
                     Translate("the screen locks"),
                     "GNOME: org.gnome.desktop.screensaver lock-enabled, lock-delay " +
                         std::to_string(settings.lockDelay.value_or(0)) + " s",
                     blankRemedy);
    }
    AddGnomeSleep(timers, settings.sleepAcTimeout, settings.sleepAcType, true);
    AddGnomeSleep(timers, settings.sleepBatteryTimeout, settings.sleepBatteryType, false);
    return timers;
}

std::optional<std::string> KdeConfigValue(std::string_view text, std::string_view section,
                                          std::string_view key) {
    std::optional<std::string> value;
    bool inSection = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inSection = line.size() == section.size() + 2 && line.back() == ']' &&
                        line.substr(1, section.size()) == section;
            continue;
        }
        const auto eq = line.find('=');
        if (!inSection || eq == std::string_view::npos) continue;
        std::string_view name = line.substr(0, eq);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        // "Timeout[$i]": KDE's immutable mark still names the key.
        if (const auto mark = name.find("[$"); mark != std::string_view::npos)
            name = name.substr(0, mark);
        std::string_view found = line.substr(eq + 1);
        while (!found.empty() && found.front() == ' ') found.remove_prefix(1);
        if (name == key) value = std::string(found);
    }
    return value;
}

std::vector<DesktopTimer> KdeTimers(const std::optional<std::string>& lockerrc,
                                    const std::optional<std::string>& powerrc) {
    std::vector<DesktopTimer> timers;
    const std::string locker = lockerrc.value_or("");
    const auto autolock = KdeConfigValue(locker, "Daemon", "Autolock");
    const auto timeout = KdeConfigValue(locker, "Daemon", "Timeout");
    const bool locks = autolock ? KdeBool(*autolock).value_or(true) : true;
    const std::int64_t minutes = timeout ? Whole(*timeout).value_or(5) : 5;
    if (locks)
        AddIfSet(timers, minutes * kMinute, Translate("the screen locks"),
                 "KDE: kscreenlockerrc [Daemon] Autolock, Timeout",
                 Translate("raise \"Lock screen automatically\" in System Settings (Screen "
                           "Locking)"));
    if (!powerrc) return timers;
    if (const auto off = KdeConfigValue(*powerrc, "AC][DPMSControl", "idleTime"))
        AddIfSet(timers, Whole(*off).value_or(0), Translate("the screen turns off"),
                 "KDE: powermanagementprofilesrc [AC][DPMSControl] idleTime",
                 Translate("raise \"Turn off screen\" in System Settings (Power Management)"));
    if (const auto suspend = KdeConfigValue(*powerrc, "AC][SuspendSession", "idleTime"))
        AddIfSet(timers, Whole(*suspend).value_or(0) / 1000,
                 Translate("the computer sleeps on mains power"),
                 "KDE: powermanagementprofilesrc [AC][SuspendSession] idleTime",
                 Translate("raise \"Suspend session\" in System Settings (Power Management)"));
    return timers;
}

std::vector<DesktopTimer> XServerTimers(const platform::idle::XTimerSettings& settings) {
    std::vector<DesktopTimer> timers;
    AddIfSet(timers, settings.saverTimeout,
             Translate("the X server's screen saver blanks the screen"), "X server: xset s",
             Translate("raise it with \"xset s SECONDS\", or turn the X "
                       "server's own saver off with \"xset s off\""));
    if (!settings.dpmsEnabled) return timers;
    std::int64_t first = 0;
    for (std::int64_t t : {settings.standby, settings.suspend, settings.off})
        if (t > 0 && (first == 0 || t < first)) first = t;
    AddIfSet(timers, first, Translate("the monitor powers down"),
             "X server: xset dpms " + std::to_string(settings.standby) + " " +
                 std::to_string(settings.suspend) + " " + std::to_string(settings.off),
             Translate("raise it with \"xset dpms STANDBY SUSPEND OFF\" (seconds)"));
    return timers;
}

TimerSources WhichTimers(const platform::idle::Session& session) {
    TimerSources sources;
    sources.gnome = DesktopNamed(session.desktops, "GNOME");
    sources.kde = DesktopNamed(session.desktops, "KDE");
    // XWayland's saver blanks nothing: in a Wayland session the compositor does.
    sources.xServer = session.x11 && !session.wayland;
    if (session.sway || DesktopNamed(session.desktops, "sway"))
        sources.unread.push_back(Translate("sway's timers, which live in swayidle's command line"));
    else if (session.wayland && !sources.gnome && !sources.kde)
        sources.unread.push_back(Translate("this Wayland desktop's own timers"));
    return sources;
}

std::int64_t DefaultIdleMs(const std::vector<DesktopTimer>& timers) {
    if (timers.empty()) return kFallbackSeconds * 1000;
    std::int64_t earliest = timers.front().seconds;
    for (const DesktopTimer& t : timers) earliest = std::min(earliest, t.seconds);
    return std::max(earliest - kMinute, kMinute) * 1000;
}

std::optional<DesktopTimer> FirstBefore(const std::vector<DesktopTimer>& timers,
                                        std::int64_t idleMs) {
    std::optional<DesktopTimer> first;
    for (const DesktopTimer& t : timers)
        if (t.seconds * 1000 <= idleMs && (!first || t.seconds < first->seconds)) first = t;
    return first;
}

std::string Duration(std::int64_t seconds) {
    const std::int64_t minutes = seconds / kMinute, rest = seconds % kMinute;
    if (minutes == 0) return FillIn(Translate("%s s"), {std::to_string(rest)});
    if (rest == 0) return FillIn(Translate("%s min"), {std::to_string(minutes)});
    return FillIn(Translate("%s min %s s"), {std::to_string(minutes), std::to_string(rest)});
}

std::string LateWarning(std::int64_t idleMs, bool chosen, const DesktopTimer& first) {
    if (chosen)
        return FillIn(Translate("On this desktop, %s after %s without input (%s), which leaves "
                                "Velmora no time of its own: it starts after %s at the "
                                "earliest. To see Velmora first, %s."),
                      {first.what, Duration(first.seconds), first.setting, Duration(idleMs / 1000),
                       first.remedy});
    return FillIn(
        Translate("On this desktop, %s after %s without input (%s), before Velmora starts "
                  "after %s, so Velmora will not be seen. To see it, %s; or give "
                  "velmora-idle a shorter time (--minutes), or none, to start a "
                  "minute before the desktop."),
        {first.what, Duration(first.seconds), first.setting, Duration(idleMs / 1000),
         first.remedy});
}

std::string CheckReport(std::int64_t idleMs, bool chosen, std::vector<DesktopTimer> timers,
                        const std::vector<std::string>& unread) {
    std::stable_sort(
        timers.begin(), timers.end(),
        [](const DesktopTimer& a, const DesktopTimer& b) { return a.seconds < b.seconds; });
    std::string text =
        FillIn(chosen ? Translate("Velmora: after %s without input (velmora-idle's own choice)\n")
                      : Translate("Velmora: after %s without input (the command line's)\n"),
               {Duration(idleMs / 1000)});
    for (const DesktopTimer& t : timers)
        text += FillIn(Translate("Desktop: after %s %s (%s)\n"),
                       {Duration(t.seconds), t.what, t.setting});
    if (timers.empty()) text += Translate("Desktop: no timer found\n");
    for (const std::string& u : unread) text += FillIn(Translate("Not read: %s\n"), {u});
    if (const auto first = FirstBefore(timers, idleMs))
        text += FillIn(Translate("The desktop comes first: %s before Velmora starts. To see "
                                 "Velmora, %s, or give velmora-idle a shorter time.\n"),
                       {first->what, first->remedy});
    else
        text += Translate("Velmora comes first.\n");
    return text;
}

int CheckStatus(std::int64_t idleMs, const std::vector<DesktopTimer>& timers) {
    return FirstBefore(timers, idleMs) ? 1 : 0;
}

}  // namespace idle
