// velmora-idle under Xvfb with the real Velmora.scr and Velmora.dll beside it: when a run starts,
// what keeps it from starting, and how the companion ends.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "idle_companion.h"

namespace {

namespace fs = std::filesystem;
using namespace testidle;

class IdleCompanion : public CompanionTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display_->ok());
        CompanionTest::SetUp();
    }

    std::map<std::string, std::string> Environment() const override {
        auto env = ProgramEnvironment();
        env["DISPLAY"] = display_->name();
        env.insert(locale_.begin(), locale_.end());
        if (!address_.empty()) env["DBUS_SESSION_BUS_ADDRESS"] = address_;
        for (const auto& [name, value] : extra_) env[name] = value;
        return env;
    }

    // A private session bus for the companion and the stand-ins.
    void StartBus() {
        bus_ = std::make_unique<PrivateBus>(temp_.path(), "bus");
        ASSERT_TRUE(bus_->ok());
        address_ = bus_->address();
    }

    // A desktop notification service on that bus, which records each notification.
    void StartNotifications() {
        notifications_ = std::make_unique<Child>(
            std::vector<std::string>{VELMORA_BIN_DIR "/fake_notifications", notified_},
            Environment());
        ASSERT_TRUE(WaitUntil([&] { return !ReadFile(notified_).empty(); }, 5000ms));
    }

    // The notifications shown so far, one line each ("app | summary | body").
    std::vector<std::string> Notifications() const {
        std::istringstream lines(ReadFile(notified_));
        std::vector<std::string> shown;
        for (std::string line; std::getline(lines, line);)
            if (line != "ready") shown.push_back(line);
        return shown;
    }

    // How often the log (or the file `path`) says `text`.
    int Said(const std::string& text) const { return Said(log_, text); }
    static int Said(const std::string& path, const std::string& text) {
        const std::string log = ReadFile(path);
        int count = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++count;
        return count;
    }

    // velmora-idle --check with `arguments`: its output, and its status in `status`.
    std::string Check(const std::string& arguments, int& status) {
        std::string command;
        for (const auto& [name, value] : Environment()) command += name + "='" + value + "' ";
        return Shell(command + "'" + folder_ + "/velmora-idle' --check " + arguments, &status);
    }

    // Keyboard or pointer input, as a user's: the display's idle time starts again.
    void Input() {
        static int step = 0;
        Shell("DISPLAY=" + display_->name() + " xdotool mousemove " +
              std::to_string(10 + step++ % 2) + " 10");
    }

    void EndRunWithEscape() {
        unsigned long window = 0;
        ASSERT_TRUE(WaitUntil(
            [&] { return (window = FindWindow(display_->name(), "Zentrova_VC")) != 0; }, 15000ms));
        const pid_t host = LastRunPid();
        Shell("DISPLAY=" + display_->name() + " xdotool key --window " + std::to_string(window) +
              " Escape >/dev/null 2>&1");
        EXPECT_TRUE(WaitUntil([&] { return ProcessGone(host); }, 5000ms));
    }

    std::unique_ptr<VirtualDisplay> display_ = std::make_unique<VirtualDisplay>(640, 480);
    std::map<std::string, std::string> locale_;  // the user's locale, when a case sets one
    std::map<std::string, std::string> extra_;   // more of the session's environment
    std::unique_ptr<PrivateBus> bus_;
    std::unique_ptr<Child> notifications_;
    std::string address_;
    std::string notified_ = temp_.path() + "/notified";
};

TEST_F(IdleCompanion, StartsARunAfterTheIdleTimeNotBeforeAndCountsAgainAfterInput) {
    const auto input = Clock::now();
    Input();  // before the companion starts, so that the count starts from a known moment
    StartCompanion("--seconds 2");
    ASSERT_TRUE(WaitForRuns(1, 6000ms)) << ReadFile(log_);
    EXPECT_GE(MsSince(input), 2000);
    EXPECT_LE(MsSince(input), 2000 + TimeBound(1500ms).count());

    EndRunWithEscape();
    // Input every half second keeps the next run away (a quarter of the idle time: a busy
    // machine may stretch the gaps without reaching it); it comes two seconds after the last.
    for (int i = 0; i < 8; ++i) {
        Input();
        std::this_thread::sleep_for(500ms);
        EXPECT_EQ(RunsLogged(), 1) << "input " << i;
    }
    const auto last = Clock::now();
    Input();
    ASSERT_TRUE(WaitForRuns(2, 6000ms)) << ReadFile(log_);
    EXPECT_GE(MsSince(last), 2000);
    EndRunWithEscape();
    EXPECT_TRUE(companion_->Running());
}

TEST_F(IdleCompanion, AProgramResettingTheScreenSaverKeepsTheRunAway) {
    Child player({VELMORA_BIN_DIR "/idle_probe", "reset"}, Environment());
    StartCompanion("--seconds 2");
    std::this_thread::sleep_for(4500ms);
    EXPECT_EQ(RunsLogged(), 0);
    player.Kill();  // the film is over: the count now runs out
    EXPECT_TRUE(WaitForRuns(1, 6000ms));
}

TEST_F(IdleCompanion, AFullScreenWindowWithTheFocusKeepsTheRunAway) {
    const std::string focused = temp_.path() + "/focused";
    Child game(
        {"/bin/sh", "-c", "exec '" VELMORA_BIN_DIR "/idle_probe' fullscreen >'" + focused + "'"},
        Environment());
    ASSERT_TRUE(WaitUntil([&] { return !ReadFile(focused).empty(); }, 5000ms));
    StartCompanion("--seconds 1");
    std::this_thread::sleep_for(3000ms);
    EXPECT_EQ(RunsLogged(), 0);
    game.Kill();
    EXPECT_TRUE(WaitForRuns(1, 5000ms));
}

TEST_F(IdleCompanion, SigtermEndsItQuicklyWithItsRun) {
    StartCompanion("--seconds 1");
    ASSERT_TRUE(WaitForRuns(1, 5000ms));
    const pid_t host = LastRunPid();
    ASSERT_TRUE(WaitUntil([&] { return !ChildrenOf(host).empty(); }, 15000ms));  // the renderer
    const pid_t renderer = ChildrenOf(host).front();

    const auto asked = Clock::now();
    kill(companion_->pid(), SIGTERM);
    EXPECT_EQ(companion_->Wait(2000ms), 0);
    EXPECT_LE(MsSince(asked), TimeBound(100ms).count());
    EXPECT_TRUE(ProcessGone(host));
    EXPECT_TRUE(WaitUntil([&] { return ProcessGone(renderer); }, 1000ms));
}

TEST_F(IdleCompanion, SigtermWhileCountingEndsItAtOnce) {
    StartCompanion("--minutes 5");  // before the X server's own saver: nothing to say
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(companion_->Running()) << ReadFile(log_);
    const auto asked = Clock::now();
    kill(companion_->pid(), SIGTERM);
    EXPECT_EQ(companion_->Wait(1000ms), 0);
    EXPECT_LE(MsSince(asked), TimeBound(100ms).count());
    EXPECT_EQ(ReadFile(log_), "");
}

TEST_F(IdleCompanion, EndsWhenTheDisplayGoes) {
    StartCompanion("--minutes 10");
    std::this_thread::sleep_for(300ms);
    display_.reset();
    EXPECT_EQ(companion_->Wait(3000ms), 0);
    EXPECT_NE(ReadFile(log_).find("display has closed"), std::string::npos) << ReadFile(log_);
}

TEST_F(IdleCompanion, RefusesABadCommandLineAndAMissingHost) {
    StartCompanion("--seconds 0");
    EXPECT_EQ(companion_->Wait(3000ms), 2);
    EXPECT_NE(ReadFile(log_).find("--help"), std::string::npos);
    fs::remove(folder_ + "/Velmora.scr");
    StartCompanion("--seconds 1");
    EXPECT_EQ(companion_->Wait(3000ms), 1);
    EXPECT_NE(ReadFile(log_).find("Velmora.scr"), std::string::npos);
}

// On a German desktop the help, the refusal of a bad command line and the run's line are German,
// with the commands and options they name as they are; the C locale keeps the texts as written.
TEST_F(IdleCompanion, SpeaksTheLanguageOfTheUsersLocale) {
    fs::create_directory_symlink(VELMORA_BIN_DIR "/locale", folder_ + "/locale");
    const std::string program = "'" + folder_ + "/velmora-idle'";
    const std::string german = "LC_ALL=de_DE.UTF-8 LOCPATH=" VELMORA_TEST_LOCALES " ";
    EXPECT_EQ(Shell("LC_ALL=C " + program + " --help").rfind("Usage: velmora-idle [", 0), 0u);
    const std::string help = Shell(german + program + " --help");
    EXPECT_EQ(help.rfind("Aufruf: velmora-idle [--minutes N | --seconds N]", 0), 0u) << help;
    EXPECT_NE(help.find("  systemctl --user enable --now velmora-idle.service\n"),
              std::string::npos);
    int status = 0;
    const std::string refused = Shell(german + program + " --seconds 0 2>&1", &status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(refused,
              "velmora-idle: --seconds nimmt eine ganze Zahl von 1 bis 86400, nicht „0“\n"
              "Siehe 'velmora-idle --help'.\n");

    locale_ = {{"LC_ALL", "de_DE.UTF-8"}, {"LOCPATH", VELMORA_TEST_LOCALES}};
    StartCompanion("--seconds 1");
    EXPECT_TRUE(WaitUntil(
        [&] { return ReadFile(log_).find("velmora-idle: Lauf 1 nach ") != std::string::npos; },
        15000ms))
        << ReadFile(log_);
    EXPECT_NE(ReadFile(log_).find(" s ohne Eingabe gestartet (pid "), std::string::npos);
    EndRunWithEscape();
}

TEST_F(IdleCompanion, AnXServerWithoutTheExtensionEndsItForGoodNamingWhatItLookedFor) {
    display_ = std::make_unique<VirtualDisplay>(
        640, 480, 24, std::vector<std::string>{"-extension", "MIT-SCREEN-SAVER"});
    ASSERT_TRUE(display_->ok());
    StartCompanion("--seconds 1");
    EXPECT_EQ(companion_->Wait(3000ms), 3);  // the service unit does not restart on it
    EXPECT_NE(ReadFile(log_).find("looked for MIT-SCREEN-SAVER"), std::string::npos)
        << ReadFile(log_);
}

// The desktop's screen saver on a private session bus (and the login manager's lock on a private
// system bus): no run while it is on, and after it goes, none before the user's next input.
class ShieldedIdleCompanion : public IdleCompanion {
  protected:
    void SetUp() override {
        IdleCompanion::SetUp();
        ASSERT_TRUE(session_.ok() && system_.ok());
    }

    std::map<std::string, std::string> Environment() const override {
        auto env = IdleCompanion::Environment();
        env["DBUS_SESSION_BUS_ADDRESS"] = session_.address();
        env["DBUS_SYSTEM_BUS_ADDRESS"] = system_.address();
        env["VELMORA_TIMING"] = trace_;
        return env;
    }

    PrivateBus session_{temp_.path(), "session-bus"};
    PrivateBus system_{temp_.path(), "system-bus"};
    std::string trace_ = temp_.path() + "/trace";
};

TEST_F(ShieldedIdleCompanion, NoRunUnderTheLockAndOneAfterTheUnlockAndNewInput) {
    const std::pair<const char*, const char*> kinds[] = {{"gnome", "org.gnome.ScreenSaver"},
                                                         {"logind", "LockedHint"}};
    for (const auto& [kind, name] : kinds) {
        SCOPED_TRACE(kind);
        fs::remove(log_);
        fs::remove(trace_);
        FakeShield shield(kind, temp_.path(), Environment(), true);
        ASSERT_TRUE(shield.ok());
        Input();
        StartCompanion("--seconds 1");
        const std::string refused = std::string(
                                        "velmora-idle: no run: the desktop's screen "
                                        "saver or lock is on (") +
                                    name + "); counting again from the next input\n";
        ASSERT_TRUE(WaitUntil([&] { return ReadFile(log_) == refused; }, 6000ms)) << ReadFile(log_);
        const std::string marks = ReadFile(trace_);
        EXPECT_NE(marks.find("run-refused "), std::string::npos) << marks;
        EXPECT_NE(marks.find(std::string(" ") + name + "\n"), std::string::npos) << marks;

        ASSERT_TRUE(shield.Turn(false));
        std::this_thread::sleep_for(2500ms);  // over twice the idle time, without input
        EXPECT_EQ(ReadFile(log_), refused) << "said once, and no run yet";
        const auto input = Clock::now();
        Input();
        ASSERT_TRUE(WaitForRuns(1, 6000ms)) << ReadFile(log_);
        EXPECT_GE(MsSince(input), 1000);
        EndRunWithEscape();
        companion_.reset();
    }
}

// The X server's own saver (xset s) is one of the desktop's timers: velmora-idle starts a minute
// before it by default, and says once, in its log and as one notification, when told a time at or
// after it; --check shows both and tells by its status which comes first.
TEST_F(IdleCompanion, TheXServersSaverIsWeighedAgainstVelmorasTime) {
    Shell("DISPLAY=" + display_->name() + " xset s 150");
    int status = -1;
    std::string report = Check("", status);
    EXPECT_EQ(status, 0) << report;
    EXPECT_NE(report.find("Velmora: after 1 min 30 s without input (velmora-idle's own choice)"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("Desktop: after 2 min 30 s the X server's screen saver blanks the "
                          "screen (X server: xset s)"),
              std::string::npos)
        << report;
    report = Check("--minutes 3", status);
    EXPECT_EQ(status, 1) << report;
    EXPECT_NE(report.find("The desktop comes first: the X server's screen saver blanks the "
                          "screen before Velmora starts. To see Velmora, raise it with \"xset s "
                          "SECONDS\""),
              std::string::npos)
        << report;

    StartBus();
    StartNotifications();
    StartCompanion("--seconds 150");  // at the same moment as the saver: too late
    ASSERT_TRUE(WaitUntil([&] { return Notifications().size() == 1; }, 5000ms)) << ReadFile(log_);
    EXPECT_NE(Notifications()[0].find("Velmora | The desktop comes before Velmora | On this "
                                      "desktop, the X server's screen saver blanks the screen "
                                      "after 2 min 30 s"),
              std::string::npos)
        << Notifications()[0];
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(Said("so Velmora will not be seen"), 1) << ReadFile(log_);
    EXPECT_EQ(Notifications().size(), 1u);
}

// A run that velmora-idle started, whose picture can't be had (here: no working folder to save it
// in), shows no box that would wait for nobody: the host ends at once, and its reason is in the
// log and in one notification.
TEST_F(IdleCompanion, AnUnattendedRunThatFailsShowsNoBoxAndTellsItsReason) {
    fs::create_directories(temp_.path() + "/root/c");
    std::ofstream(temp_.path() + "/root/c/tolvik") << "not a folder";
    StartBus();
    StartNotifications();
    StartCompanion("--seconds 1");
    ASSERT_TRUE(WaitUntil([&] { return Said("ended with exit code 1") == 1; }, 15000ms))
        << ReadFile(log_);
    EXPECT_EQ(FindWindow(display_->name(), "Error"), 0u);
    EXPECT_EQ(Said("Velmora: Error: Velmora could not take a picture of the desktop"), 1)
        << ReadFile(log_);
    ASSERT_TRUE(WaitUntil([&] { return Notifications().size() == 1; }, 5000ms));
    const std::string shown = Notifications()[0];
    EXPECT_EQ(shown.rfind("Velmora | The Velmora screensaver failed | ", 0), 0u) << shown;
    EXPECT_NE(shown.find("Velmora could not take a picture of the desktop, so the screensaver "
                         "does not start.\\n\\nReason: the picture could not be saved"),
              std::string::npos)
        << shown;
    Screenshot(display_->name(), ArtifactFolder() + "/idle-unattended-failure.png");
}

// A Wayland session whose compositor is GNOME's: the idle time comes from the IdleMonitor on the
// session bus, here a stand-in on a private bus that counts input as SIGUSR1. The runs' windows
// go to Xvfb, as they go to XWayland on a desktop.
class GnomeIdleCompanion : public IdleCompanion {
  protected:
    void SetUp() override {
        IdleCompanion::SetUp();
        StartBus();
    }

    std::map<std::string, std::string> Environment() const override {
        auto env = IdleCompanion::Environment();
        env["WAYLAND_DISPLAY"] = temp_.path() + "/no-compositor";  // none of its protocols
        return env;
    }

    void StartMonitor() {
        monitor_ = std::make_unique<Child>(
            std::vector<std::string>{VELMORA_BIN_DIR "/fake_mutter_idle", report_}, Environment());
        ASSERT_TRUE(WaitUntil([&] { return !ReadFile(report_).empty(); }, 5000ms));
    }

    // Once the companion has asked the monitor to tell it about the idle time.
    bool Watching() { return ReadFile(report_).find("idle watch") != std::string::npos; }

    // GNOME's own session: its settings through GSettings' keyfile backend over the installed
    // schemas, in a configuration folder of the case's.
    void BeGnome() {
        extra_ = {{"XDG_CURRENT_DESKTOP", "GNOME"},
                  {"GSETTINGS_BACKEND", "keyfile"},
                  {"XDG_CONFIG_HOME", temp_.path() + "/config"}};
    }

    void SetGnome(const std::string& schema, const std::string& key, const std::string& value) {
        std::string command;
        for (const auto& [name, v] : extra_) command += name + "='" + v + "' ";
        Shell(command + "gsettings set " + schema + " " + key + " " + value);
    }

    // The desktop portal's permission store, answering `stored` for screenshots.
    void StartStore(const std::string& stored) {
        store_.reset();
        fs::remove(temp_.path() + "/store-report");
        store_ = std::make_unique<Child>(
            std::vector<std::string>{VELMORA_BIN_DIR "/velmora_fake_portal", "fail", "--store",
                                     stored, "--report", temp_.path() + "/store-report"},
            Environment());
        ASSERT_TRUE(WaitUntil(
            [&] {
                return ReadFile(temp_.path() + "/store-report").find("ready") != std::string::npos;
            },
            5000ms));
    }

    std::unique_ptr<Child> monitor_, store_;
    std::string report_ = temp_.path() + "/monitor-report";
};

TEST_F(GnomeIdleCompanion, StartsARunAfterQuietAndNoneWhileInputArrives) {
    StartMonitor();
    StartCompanion("--seconds 2");
    ASSERT_TRUE(WaitUntil([&] { return Watching(); }, 3000ms)) << ReadFile(log_);
    for (int i = 0; i < 8; ++i) {  // a key every half second, a quarter of the idle time
        kill(monitor_->pid(), SIGUSR1);
        std::this_thread::sleep_for(500ms);
        EXPECT_EQ(RunsLogged(), 0) << "key " << i << ": " << ReadFile(log_);
    }
    const auto last = Clock::now();
    kill(monitor_->pid(), SIGUSR1);
    ASSERT_TRUE(WaitForRuns(1, 6000ms)) << ReadFile(log_);
    EXPECT_GE(MsSince(last), 2000);
    // The key that ends the run is input too: the next run waits for the next quiet spell.
    kill(monitor_->pid(), SIGUSR1);
    EndRunWithEscape();
    const auto ended = Clock::now();
    ASSERT_TRUE(WaitForRuns(2, 6000ms)) << ReadFile(log_);
    EXPECT_LE(MsSince(ended), 2000 + TimeBound(1500ms).count());
    EndRunWithEscape();
}

TEST_F(GnomeIdleCompanion, WithoutAnyIdleSourceItSaysWhatItLookedFor) {
    StartCompanion("--seconds 1");           // no compositor and nothing on the bus
    EXPECT_EQ(companion_->Wait(3000ms), 1);  // the compositor did not answer: worth a retry
    const std::string log = ReadFile(log_);
    for (const char* name :
         {"ext_idle_notifier_v1", "org_kde_kwin_idle", "org.gnome.Mutter.IdleMonitor: not on"})
        EXPECT_NE(log.find(name), std::string::npos) << log;
}

TEST_F(GnomeIdleCompanion, EndsWhenTheMonitorLeavesTheBus) {
    StartMonitor();
    // Under Xvfb's own 600 s saver: 10 minutes would also warn and notify at start.
    StartCompanion("--minutes 5");
    ASSERT_TRUE(WaitUntil([&] { return Watching(); }, 3000ms)) << ReadFile(log_);
    monitor_->Kill();
    EXPECT_EQ(companion_->Wait(3000ms), 0);
    EXPECT_NE(ReadFile(log_).find("display has closed"), std::string::npos) << ReadFile(log_);
}

// On GNOME in Wayland, where the first capture asks whether programs may take screenshots, no
// run starts while the desktop has no answer stored: the user is told once, in the log and as one
// notification, how to answer by hand; once "yes" is stored, the next idle period has its run.
TEST_F(GnomeIdleCompanion, WithoutAStoredScreenshotAnswerNoRunStartsAndTheUserIsToldOnce) {
    BeGnome();
    StartMonitor();
    StartNotifications();
    StartStore("missing");
    StartCompanion("--seconds 1");
    ASSERT_TRUE(WaitUntil([&] { return Notifications().size() == 1; }, 6000ms)) << ReadFile(log_);
    EXPECT_NE(Notifications()[0].find("Start \"velmora /s\" by hand once and choose \"Allow\""),
              std::string::npos)
        << Notifications()[0];
    EXPECT_EQ(Said("choose \"Allow\""), 1) << ReadFile(log_);
    // Another idle period, still no answer: no run, nothing said again.
    kill(monitor_->pid(), SIGUSR1);
    ASSERT_TRUE(WaitUntil(
        [&] {
            return ReadFile(temp_.path() + "/store-report").find("lookup\nlookup") !=
                   std::string::npos;
        },
        6000ms));
    EXPECT_EQ(RunsLogged(), 0);
    EXPECT_EQ(Notifications().size(), 1u);

    StartStore("yes");
    kill(monitor_->pid(), SIGUSR1);
    ASSERT_TRUE(WaitForRuns(1, 6000ms)) << ReadFile(log_);
    EndRunWithEscape();
    EXPECT_EQ(Notifications().size(), 1u);
}

// GNOME's blank, lock and sleep settings (GSettings over the installed schemas) choose the time
// and are followed while velmora-idle runs: a change that brings the blank before Velmora's time
// is said at once, once.
TEST_F(GnomeIdleCompanion, GnomesTimersChooseTheTimeAndAreFollowedWhileRunning) {
    BeGnome();
    SetGnome("org.gnome.desktop.session", "idle-delay", "150");
    int status = -1;
    std::string report = Check("", status);
    EXPECT_EQ(status, 0) << report;
    for (const char* line :
         {"Velmora: after 1 min 30 s without input (velmora-idle's own choice)\n",
          "Desktop: after 2 min 30 s the screen blanks (GNOME: org.gnome.desktop.session "
          "idle-delay)\n",
          "Desktop: after 2 min 30 s the screen locks (GNOME: org.gnome.desktop.screensaver "
          "lock-enabled, lock-delay 0 s)\n",
          "Desktop: after 20 min the computer sleeps on mains power (GNOME: "
          "org.gnome.settings-daemon.plugins.power sleep-inactive-ac-timeout (suspend))\n"})
        EXPECT_NE(report.find(line), std::string::npos) << line << " in\n" << report;
    report = Check("--minutes 3", status);
    EXPECT_EQ(status, 1) << report;

    StartMonitor();
    StartNotifications();
    StartCompanion("--seconds 100");
    ASSERT_TRUE(WaitUntil([&] { return Watching(); }, 3000ms)) << ReadFile(log_);
    EXPECT_EQ(Notifications().size(), 0u);
    SetGnome("org.gnome.desktop.session", "idle-delay", "90");
    ASSERT_TRUE(WaitUntil([&] { return Notifications().size() == 1; }, 5000ms)) << ReadFile(log_);
    EXPECT_NE(Notifications()[0].find("the screen blanks after 1 min 30 s"), std::string::npos)
        << Notifications()[0];
    SetGnome("org.gnome.desktop.session", "idle-delay", "600");
    SetGnome("org.gnome.desktop.screensaver", "lock-delay", "30");
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(Notifications().size(), 1u) << ReadFile(log_);
    EXPECT_EQ(Said("so Velmora will not be seen"), 1) << ReadFile(log_);

    // Without a time of its own it follows the blank, a minute before it.
    companion_.reset();
    const auto watches = [&] { return Said(report_, "idle watch"); };
    StartCompanion("");
    ASSERT_TRUE(WaitUntil([&] { return watches() == 2; }, 3000ms)) << ReadFile(log_);
    SetGnome("org.gnome.desktop.session", "idle-delay", "200");
    EXPECT_TRUE(WaitUntil(
        [&] { return Said("a run now starts after 2 min 20 s without input") == 1; }, 5000ms))
        << ReadFile(log_);
    EXPECT_TRUE(WaitUntil([&] { return watches() == 3; }, 3000ms));  // the monitor is told anew
}

}  // namespace
