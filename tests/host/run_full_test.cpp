// Whole screensaver runs under Xvfb: Velmora.scr /s from a program folder of its own, with the
// real renderer or a stand-in (run_stub_renderer) beside it, music through SDL's disk output,
// and the pointer's hides and shows recorded by a preloaded probe (run_cursor_probe); the
// desktop's screen savers and lock as stand-ins on private buses (velmora_fake_shield).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "desktop.h"
#include "platform/base.h"
#include "platform/common/for_tests.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;
using Clock = std::chrono::steady_clock;

enum class Renderer { Real, Stub, Missing };

// The host's exit statuses after a run.
constexpr int kRendererFailed = 2, kRendererKilled = 3;

bool ProcessExists(pid_t pid) {
    return fs::exists("/proc/" + std::to_string(pid));
}

// True while `pid` runs: a process that has ended but waits to be reaped (by whoever adopted
// it) does not count.
bool Alive(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const auto paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

class FullRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        fs::create_directories(folder_);
    }

    // Fills the program folder: the host with its sound module, the chosen renderer and, when
    // given, a settings file.
    void Install(Renderer renderer, const std::string& settings = "") {
        const auto copy = [&](const std::string& from, const std::string& name) {
            fs::copy_file(from, folder_ + "/" + name, fs::copy_options::overwrite_existing);
        };
        copy(VELMORA_BIN_DIR "/Velmora.scr", "Velmora.scr");
        copy(VELMORA_BIN_DIR "/velmora_sound.so", "velmora_sound.so");
        if (renderer == Renderer::Real) copy(VELMORA_BIN_DIR "/Velmora.dll", "Velmora.dll");
        if (renderer == Renderer::Stub) copy(STUB_RENDERER, "Velmora.dll");
        if (!settings.empty()) std::ofstream(folder_ + "/Velmora.ini") << settings;
    }

    std::unique_ptr<Child> Start(const std::string& argument) {
        std::vector<std::string> argv{folder_ + "/Velmora.scr"};
        if (!argument.empty()) argv.push_back(argument);
        // What the host says on standard error goes to a file.
        argv.insert(argv.begin(), {"/bin/sh", "-c", prepare_ + "exec \"$@\" 2>>\"$0\"", said_});
        // The preparation runs in a mount namespace of its own, where the host then runs.
        if (!prepare_.empty()) argv.insert(argv.begin(), {"unshare", "-rm"});
        // The probe joins whatever the test run itself preloads.
        const char* preloaded = std::getenv("LD_PRELOAD");
        std::string preload = CURSOR_PROBE;
        if (preloaded && *preloaded) preload += std::string(":") + preloaded;
        std::map<std::string, std::string> env{
            {"DISPLAY", display_.name()}, {"VELMORA_ROOT", root_},
            {"LD_PRELOAD", preload},      {"VELMORA_CURSOR_LOG", cursorLog_},
            {"SDL_AUDIODRIVER", "disk"},  {"SDL_DISKAUDIOFILE", audio_}};
        for (const auto& [k, v] : env_) env[k] = v;
        return std::make_unique<Child>(argv, env);
    }

    std::uintptr_t WaitForRendererWindow(std::chrono::milliseconds timeout = 15000ms) {
        std::uintptr_t window = 0;
        WaitUntil([&] { return (window = FindWindow(display_.name(), "Zentrova_VC")) != 0; },
                  timeout);
        return window;
    }

    void PressEscape(std::uintptr_t window) {
        // The key-up may find the window gone already: xdotool's complaint is no failure.
        Shell("DISPLAY=" + display_.name() + " xdotool key --window " + std::to_string(window) +
              " Escape >/dev/null 2>&1");
    }

    // The host's pointer calls in order ("hide", "show").
    std::vector<std::string> HostCursorCalls() {
        std::vector<std::string> calls;
        std::istringstream lines(ReadFile(cursorLog_));
        std::string program, call;
        while (lines >> program >> call)
            if (program == "Velmora.scr") calls.push_back(call);
        return calls;
    }

    // True when the disk audio output holds sound: any sample that is not silence.
    bool AudioHeard() {
        const std::string samples = ReadFile(audio_);
        return samples.find_first_not_of('\0') != std::string::npos;
    }

    VirtualDisplay display_{640, 480};
    TempFolder temp_;
    std::string folder_ = temp_.path() + "/program";
    std::string root_ = temp_.path() + "/root";
    std::string cursorLog_ = temp_.path() + "/cursor.log";
    std::string audio_ = temp_.path() + "/audio.raw";
    std::string said_ = temp_.path() + "/stderr.txt";
    std::map<std::string, std::string> env_;
    std::string prepare_;  // shell lines run before the host, in a mount namespace of its own
};

using Calls = std::vector<std::string>;

// Paints the root window in four coloured quarters; the connection stays open meanwhile.
// The desktop in four quarters of these colours.
constexpr std::array<std::uint32_t, 4> kQuarterColours = {0xC03020, 0x20A040, 0x2040C0, 0xE0D040};

}  // namespace

TEST_F(FullRun, HandOffBitmapHoldsTheScreenBeforeTheRendererStarts) {
    PaintedDesktop painted(display_.name(), Quarters(0, 0, 640, 480, kQuarterColours));
    ASSERT_TRUE(painted.ok());
    Install(Renderer::Stub);
    const std::string seen = temp_.path() + "/seen-by-renderer.bmp";
    env_["VELMORA_STUB_COPY"] = seen;
    auto host = Start("/s");
    const std::uintptr_t window = WaitForRendererWindow();
    ASSERT_NE(window, 0u);

    const SavedBitmap bitmap(seen);
    ASSERT_EQ(bitmap.width, 640);
    ASSERT_EQ(bitmap.height, 480);  // positive: rows bottom-up
    ASSERT_EQ(bitmap.bits, 24);
    const int xs[2] = {5, 634}, ys[2] = {5, 474};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(bitmap.Pixel(xs[i % 2], ys[i / 2]), kQuarterColours[i]) << "quarter " << i;
    EXPECT_EQ(bitmap.Pixel(319, 239), kQuarterColours[0]);
    EXPECT_EQ(bitmap.Pixel(320, 240), kQuarterColours[3]);

    PressEscape(window);
    EXPECT_EQ(host->Wait(3000ms), 0);
}

TEST_F(FullRun, EscapeInTheRealRendererEndsBothProgramsAndShowsThePointer) {
    Install(Renderer::Real);
    auto host = Start("/s");
    const std::uintptr_t window = WaitForRendererWindow();
    ASSERT_NE(window, 0u) << "the renderer's window did not appear";
    const auto renderers = ChildrenOf(host->pid());
    ASSERT_EQ(renderers.size(), 1u);
    std::this_thread::sleep_for(500ms);  // a few frames
    EXPECT_TRUE(host->Running());
    EXPECT_EQ(HostCursorCalls(), Calls{"hide"});

    PressEscape(window);
    ASSERT_TRUE(WaitUntil([&] { return FindWindow(display_.name(), "Zentrova_VC") == 0; }, 3000ms));
    const auto windowGone = Clock::now();
    ASSERT_EQ(host->Wait(3000ms), 0);
    const auto lag =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - windowGone);
    // The watch ticks every 100 ms; the margin allows for a loaded test machine.
    EXPECT_LT(lag, TimeBound(500ms)) << "host ended " << lag.count() << " ms after the window";
    EXPECT_EQ(HostCursorCalls(), (Calls{"hide", "show"}));
    EXPECT_TRUE(WaitUntil([&] { return !ProcessExists(renderers[0]); }, 2000ms));
}

TEST_F(FullRun, EmptyCommandLineRunsWithoutTouchingThePointer) {
    Install(Renderer::Stub);
    auto host = Start("");
    const std::uintptr_t window = WaitForRendererWindow();
    ASSERT_NE(window, 0u);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(host->Running());
    PressEscape(window);
    EXPECT_EQ(host->Wait(3000ms), 0);
    EXPECT_EQ(HostCursorCalls(), Calls{});
}

TEST_F(FullRun, MissingRendererEndsTheRunAtOnceWithThePointerShown) {
    Install(Renderer::Missing);
    const auto start = Clock::now();
    auto host = Start("/s");
    ASSERT_EQ(host->Wait(5000ms), kRendererFailed);
    EXPECT_LT(Clock::now() - start, TimeBound(3000ms));
    EXPECT_EQ(HostCursorCalls(), (Calls{"hide", "show"}));
    EXPECT_NE(ReadFile(said_).find("Velmora: cannot start " + folder_ +
                                   "/Velmora.dll: No such file or directory"),
              std::string::npos)
        << ReadFile(said_);
}

TEST_F(FullRun, ASlowRendererWindowKeepsTheRunGoing) {
    Install(Renderer::Stub);
    env_["VELMORA_STUB_DELAY_MS"] = "1500";
    auto host = Start("/s");
    std::this_thread::sleep_for(1000ms);
    EXPECT_TRUE(host->Running()) << "the run ended before the renderer opened its window";
    const std::uintptr_t window = WaitForRendererWindow();
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(host->Running());
    EXPECT_EQ(HostCursorCalls(), Calls{"hide"});
    PressEscape(window);
    EXPECT_EQ(host->Wait(3000ms), 0);
    EXPECT_EQ(HostCursorCalls(), (Calls{"hide", "show"}));
}

// The host's status tells how the renderer ended: 0 only after its own clean end (Escape).
TEST_F(FullRun, RendererEndingBeforeItsWindowOrBeingKilledEndsTheHostWithItsStatus) {
    Install(Renderer::Stub);
    {
        SCOPED_TRACE("an error of its own before its window");
        env_["VELMORA_STUB_FAIL_EARLY"] = "1";
        auto host = Start("/s");
        EXPECT_EQ(host->Wait(3000ms), kRendererFailed);
        EXPECT_EQ(HostCursorCalls(), (Calls{"hide", "show"}));
        env_.erase("VELMORA_STUB_FAIL_EARLY");
    }
    {
        SCOPED_TRACE("an error exit with 1 after its window");
        env_["VELMORA_STUB_EXIT_CODE"] = "1";
        auto host = Start("/s");
        const std::uintptr_t window = WaitForRendererWindow();
        ASSERT_NE(window, 0u);
        PressEscape(window);
        EXPECT_EQ(host->Wait(3000ms), kRendererFailed);
        env_.erase("VELMORA_STUB_EXIT_CODE");
    }
    for (const int signal : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE("killed by signal " + std::to_string(signal));
        const std::string pidFile = temp_.path() + "/renderer.pid";
        fs::remove(pidFile);
        env_["VELMORA_STUB_PIDFILE"] = pidFile;
        auto host = Start("/s");
        ASSERT_NE(WaitForRendererWindow(), 0u);
        const pid_t renderer = std::stoi(ReadFile(pidFile));
        ASSERT_EQ(kill(renderer, signal), 0);
        EXPECT_EQ(host->Wait(3000ms), kRendererKilled);
    }
}

TEST(ProgramEnded, ReapsAProgramOnceItHasEnded) {
    TempFolder temp;
    const std::string script = temp.path() + "/quick";
    std::ofstream(script) << "#!/bin/sh\nsleep 0.3\n";
    fs::permissions(script, fs::perms::owner_all);
    platform::Process program = platform::StartProgram(script);
    ASSERT_GT(program.id, 0);
    EXPECT_FALSE(platform::ProgramEnded(program));
    EXPECT_TRUE(WaitUntil([&] { return platform::ProgramEnded(program); }, 3000ms));
    EXPECT_FALSE(ProcessExists(program.id));  // no zombie left behind
    EXPECT_TRUE(platform::ProgramEnded(program));
    platform::ReleaseProgram(program);
    EXPECT_TRUE(platform::ProgramEnded(program));  // nothing started
}

TEST_F(FullRun, ASecondRunDuringARunEndsAtOnce) {
    Install(Renderer::Stub);
    auto first = Start("/s");
    const std::uintptr_t window = WaitForRendererWindow();
    ASSERT_NE(window, 0u);
    auto second = Start("/s");
    EXPECT_EQ(second->Wait(3000ms), 0);
    EXPECT_TRUE(first->Running());
    EXPECT_EQ(ChildrenOf(first->pid()).size(), 1u);
    EXPECT_EQ(HostCursorCalls(), Calls{"hide"});  // the second start hid nothing
    PressEscape(window);
    EXPECT_EQ(first->Wait(3000ms), 0);
}

// The clock reading of the first mark `label` that process `pid` wrote to the timing file, in
// nanoseconds; -1 when there is none.
std::int64_t MarkTime(const std::string& trace, const std::string& label, pid_t pid) {
    std::istringstream lines(ReadFile(trace));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name;
        std::int64_t ns = 0;
        pid_t by = 0;
        if (fields >> name >> ns >> by && name == label && by == pid) return ns;
    }
    return -1;
}

// A host asked to end (SIGTERM, SIGHUP, SIGINT) ends its run as Escape would: the renderer and
// its window go, the pointer is shown, and the status says which request ended it. The request
// wakes the host, which has ended within velmora-idle's 100 ms of it (stretched for slower builds).
TEST_F(FullRun, AHostAskedToEndEndsItsRunAsEscapeWould) {
    Install(Renderer::Stub);
    const std::string trace = temp_.path() + "/trace";
    env_["VELMORA_TIMING"] = trace;
    int runs = 0;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        auto host = Start("/s");
        ASSERT_NE(WaitForRendererWindow(), 0u);
        const auto renderers = ChildrenOf(host->pid());
        ASSERT_EQ(renderers.size(), 1u);
        const std::int64_t asked = platform::MonotonicNanoseconds();
        ASSERT_EQ(kill(host->pid(), signal), 0);
        EXPECT_TRUE(
            WaitUntil([&] { return FindWindow(display_.name(), "Zentrova_VC") == 0; }, 1000ms));
        EXPECT_EQ(host->Wait(3000ms), 128 + signal);
        const std::int64_t ended = MarkTime(trace, "run-end", host->pid());
        EXPECT_GE(ended, asked);
        const std::chrono::nanoseconds lag{ended - asked};
        EXPECT_LT(lag, TimeBound(100ms)) << "ms: " << lag.count() / 1e6;
        EXPECT_FALSE(Alive(renderers[0]));
        ++runs;
        Calls expected;
        for (int i = 0; i < runs; ++i) expected.insert(expected.end(), {"hide", "show"});
        EXPECT_EQ(HostCursorCalls(), expected);
    }
    EXPECT_NE(ReadFile(trace).find("end-requested"), std::string::npos) << ReadFile(trace);
}

// A host killed outright takes its renderer along (the real one, covering the screen), and the
// next start makes exactly one run.
TEST_F(FullRun, AKilledHostTakesItsRendererAlongAndTheNextStartMakesOneRun) {
    Install(Renderer::Real);
    auto host = Start("/s");
    ASSERT_NE(WaitForRendererWindow(), 0u);
    const auto renderers = ChildrenOf(host->pid());
    ASSERT_EQ(renderers.size(), 1u);
    host->Kill();
    EXPECT_TRUE(WaitUntil([&] { return FindWindow(display_.name(), "Zentrova_VC") == 0; }, 1000ms));
    EXPECT_TRUE(WaitUntil([&] { return !Alive(renderers[0]); }, 1000ms));

    auto next = Start("/s");
    const std::uintptr_t window = WaitForRendererWindow();
    ASSERT_NE(window, 0u);
    EXPECT_EQ(ChildrenOf(next->pid()).size(), 1u);
    EXPECT_EQ(
        Shell("DISPLAY=" + display_.name() + " xdotool search --name '^Zentrova_VC$' | wc -l"),
        "1\n");
    PressEscape(window);
    EXPECT_EQ(next->Wait(3000ms), 0);
}

// A save interrupted by a request to end leaves no temporary file behind; one that a kill leaves
// goes with the next run, which saves its picture as usual and leaves other files alone. The
// probe holds the save once its temporary file exists.
TEST_F(FullRun, AnInterruptedSaveLeavesNothingThatLaterRunsKeep) {
    Install(Renderer::Stub);
    const std::string tolvik = root_ + "/c/tolvik", held = temp_.path() + "/held";
    const auto temporaries = [&] {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(tolvik, error))
            if (entry.path().filename().string().rfind(".Zentrova.bmp.", 0) == 0)
                names.push_back(entry.path().filename().string());
        return names;
    };
    env_["VELMORA_HOLD_SAVE"] = held;
    for (const int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        fs::remove(held);
        auto host = Start("/s");
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(held); }, 10s));
        ASSERT_EQ(temporaries().size(), 1u);
        ASSERT_EQ(kill(host->pid(), signal), 0);
        EXPECT_EQ(host->Wait(3000ms), 128 + signal);
        EXPECT_EQ(temporaries().size(), signal == SIGKILL ? 1u : 0u);
    }
    std::ofstream(tolvik + "/.Zentrova.bmp.notes") << "kept";
    env_.erase("VELMORA_HOLD_SAVE");
    auto host = Start("/s");
    const std::uintptr_t window = WaitForRendererWindow();
    ASSERT_NE(window, 0u);
    EXPECT_EQ(temporaries(), std::vector<std::string>{".Zentrova.bmp.notes"});
    EXPECT_EQ(fs::file_size(tolvik + "/Zentrova.bmp"), 54u + 640 * 480 * 3);
    PressEscape(window);
    EXPECT_EQ(host->Wait(3000ms), 0);
}

// A display that goes away during a run ends the host with a status of its own, not with that
// of a picture that could not be taken.
TEST_F(FullRun, ADisplayThatGoesAwayEndsTheRunWithItsOwnStatus) {
    Install(Renderer::Stub);
    auto lost = std::make_unique<VirtualDisplay>(320, 240);
    ASSERT_TRUE(lost->ok());
    const std::string name = lost->name();
    env_["DISPLAY"] = name;
    auto host = Start("/s");
    ASSERT_TRUE(WaitUntil([&] { return FindWindow(name, "Zentrova_VC") != 0; }, 15s));
    lost.reset();
    EXPECT_EQ(host->Wait(5000ms), 4) << ReadFile(said_);
}

// Several starts released at the same instant make exactly one run, round after round: the
// losers end at once with status 0. Each start waits reading a byte from a FIFO that the test
// holds open; once all have said they are about to read, one write releases them together.
TEST_F(FullRun, StartsReleasedTogetherMakeOneRun) {
    Install(Renderer::Stub);
    const std::string gate = temp_.path() + "/gate";
    ASSERT_EQ(mkfifo(gate.c_str(), 0600), 0);
    const int held = open(gate.c_str(), O_RDWR | O_CLOEXEC);  // never blocks, keeps bytes
    ASSERT_GE(held, 0);
    constexpr int kStarts = 4, kRounds = 6;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::unique_ptr<Child>> hosts;
        std::vector<std::string> ready;
        for (int i = 0; i < kStarts; ++i) {
            ready.push_back(temp_.path() + "/ready" + std::to_string(i));
            fs::remove(ready.back());
            std::vector<std::string> argv{
                "/bin/sh", "-c",         ": > \"$1\"; read x < \"$0\"; shift; exec \"$@\"",
                gate,      ready.back(), folder_ + "/Velmora.scr",
                "/s"};
            hosts.push_back(std::make_unique<Child>(
                argv, std::map<std::string, std::string>{{"DISPLAY", display_.name()},
                                                         {"VELMORA_ROOT", root_},
                                                         {"SDL_AUDIODRIVER", "dummy"}}));
        }
        ASSERT_TRUE(WaitUntil(
            [&] {
                for (const auto& file : ready)
                    if (!fs::exists(file)) return false;
                return true;
            },
            5000ms));
        const std::string release(kStarts, '\n');
        ASSERT_EQ(write(held, release.data(), release.size()),
                  static_cast<ssize_t>(release.size()));
        const std::uintptr_t window = WaitForRendererWindow();
        ASSERT_NE(window, 0u);
        int running = kStarts;
        ASSERT_TRUE(WaitUntil(
            [&] {
                running = 0;
                for (auto& host : hosts) running += host->Running() ? 1 : 0;
                return running <= 1;
            },
            5000ms))
            << running << " runs";
        EXPECT_EQ(
            Shell("DISPLAY=" + display_.name() + " xdotool search --name '^Zentrova_VC$' | wc -l"),
            "1\n");
        for (auto& host : hosts) {
            if (!host->Running()) {
                EXPECT_EQ(host->Wait(0ms), 0);
                continue;
            }
            EXPECT_EQ(ChildrenOf(host->pid()).size(), 1u);
            PressEscape(window);
            EXPECT_EQ(host->Wait(3000ms), 0);
        }
    }
    close(held);
}

// Music of each kind plays during a run and goes with its end.
class FullRunMusic : public FullRun {
  protected:
    void MakeMedia() {
        const std::string t = temp_.path();
        int rc = 0;
        Shell("sox -q -n -r 44100 -c 2 -b 16 '" + t + "/tone.wav' synth 3 sine 440 2>&1", &rc);
        ASSERT_EQ(rc, 0) << "sox";
        Shell("lame --quiet '" + t + "/tone.wav' '" + t + "/tone.mp3' 2>&1", &rc);
        ASSERT_EQ(rc, 0) << "lame";
        fs::copy_file(t + "/tone.wav", t + "/tone.mid");
        // A disc image of two audio tracks of 3 s each (whole sectors of 2352 bytes).
        Shell("sox -q -n -t raw -r 44100 -c 2 -b 16 -e signed -L '" + t +
                  "/disc.bin' synth 6 sine 330 2>&1",
              &rc);
        ASSERT_EQ(rc, 0) << "sox raw";
        std::ofstream(t + "/disc.cue") << "FILE \"disc.bin\" BINARY\n"
                                          "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                          "  TRACK 02 AUDIO\n    INDEX 01 00:03:00\n";
    }

    static std::string Settings(int mode, const std::string& file) {
        return "[Section]\nBGM区分=" + std::to_string(mode) + "\nBGMﾘﾋﾟｰﾄ=0\nBGMﾌｧｲﾙ=" + file +
               "\n";
    }

    // Runs /s with the stand-in renderer for over a second, then ends it with Escape.
    void RunForAWhile() {
        auto host = Start("/s");
        const std::uintptr_t window = WaitForRendererWindow();
        ASSERT_NE(window, 0u);
        std::this_thread::sleep_for(1200ms);
        ASSERT_TRUE(host->Running());
        heard_ = AudioHeard();
        PressEscape(window);
        EXPECT_EQ(host->Wait(3000ms), 0);
        const auto size = fs::exists(audio_) ? fs::file_size(audio_) : 0;
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(fs::exists(audio_) ? fs::file_size(audio_) : 0, size) << "sound after the end";
    }

    bool heard_ = false;
};

TEST_F(FullRunMusic, Mp3WavAndCdPlayDuringTheRun) {
    MakeMedia();
    const std::string t = temp_.path();
    for (const std::string file : {"tone.mp3", "tone.wav"}) {
        SCOPED_TRACE(file);
        fs::remove(audio_);
        Install(Renderer::Stub, Settings(2, t + "/" + file));
        RunForAWhile();
        EXPECT_TRUE(heard_);
    }
    SCOPED_TRACE("audio CD image");
    fs::remove(audio_);
    env_["VELMORA_CDROM"] = t + "/disc.cue";
    Install(Renderer::Stub, Settings(1, ""));
    RunForAWhile();
    EXPECT_TRUE(heard_);
}

// A picture that cannot be saved ends the run as a failed capture does: the working root is a
// small file system of the host's own (a private mount namespace) holding an older picture and
// the run lock of earlier runs, and is full, nearly full (the new picture is written beside the
// old one) or read-only. The
// box and the trace name the system's reason; no music, no renderer, the pointer comes back,
// status 1, and the older picture is left as it was, never shown.
TEST_F(FullRunMusic, APictureThatCannotBeSavedEndsTheRunWithTheReason) {
    int code = 0;
    Shell("unshare -rm true 2>&1", &code);
    if (code != 0) GTEST_SKIP() << "no mount namespace of our own here";
    MakeMedia();
    Install(Renderer::Stub, Settings(2, temp_.path() + "/tone.wav"));
    const std::string old = temp_.path() + "/old.bmp", seen = temp_.path() + "/seen.bmp";
    const std::string oldBytes(640 * 480 * 3 + 54, 'O');
    std::ofstream(old) << oldBytes;
    const std::string trace = temp_.path() + "/trace";
    env_["VELMORA_TIMING"] = trace;
    env_["VELMORA_STUB_COPY"] = seen;
    const std::string tolvik = root_ + "/c/tolvik";
    const std::string mount = "mkdir -p '" + root_ +
                              "' && mount -t tmpfs -o size=3m,mode=0700 tmpfs '" + root_ +
                              "' && mkdir -m 0700 -p '" + tolvik + "' && cp '" + old + "' '" +
                              tolvik + "/Zentrova.bmp' && : > '" + root_ + "/run.lock' && ";
    const std::pair<const char*, std::string> cases[] = {
        {"No space left on device",
         "{ dd if=/dev/zero of='" + root_ + "/fill' bs=64k 2>/dev/null; true; } && "},
        // About 330 KB left: less than the new picture, more than nothing.
        {"No space left on device",
         "dd if=/dev/zero of='" + root_ + "/fill' bs=1k count=1800 2>/dev/null && "},
        {"Read-only file system", "mount -o remount,ro '" + root_ + "' && "}};
    int runs = 0;
    for (const auto& [reason, fill] : cases) {
        SCOPED_TRACE(fill);
        for (const std::string& file : {audio_, trace, seen}) fs::remove(file);
        prepare_ = mount + fill + "\n";
        auto host = Start("/s");
        std::uintptr_t box = 0;
        ASSERT_TRUE(
            WaitUntil([&] { return (box = FindWindow(display_.name(), "Error")) != 0; }, 10s))
            << ReadFile(said_);
        Screenshot(display_.name(), ArtifactFolder() + "/run-save-failed.png");
        EXPECT_TRUE(host->Running());
        EXPECT_EQ(FindWindow(display_.name(), "Zentrova_VC"), 0u);
        // The host's own view of its working folder: the older picture alone, as it was.
        const std::string inside = "/proc/" + std::to_string(host->pid()) + "/root" + tolvik;
        EXPECT_EQ(ReadFile(inside + "/Zentrova.bmp"), oldBytes);
        EXPECT_EQ(std::distance(fs::directory_iterator(inside), fs::directory_iterator()), 1);
        Shell("DISPLAY=" + display_.name() + " xdotool windowfocus --sync " + std::to_string(box) +
              " key Return 2>/dev/null");
        EXPECT_EQ(host->Wait(5000ms), 1);
        ++runs;
        const std::string marks = ReadFile(trace);
        const auto failed = marks.find("capture-failed");
        ASSERT_NE(failed, std::string::npos) << marks;
        const std::string line = marks.substr(failed, marks.find('\n', failed) - failed);
        EXPECT_NE(line.find("could not be saved"), std::string::npos) << line;
        EXPECT_NE(line.find(reason), std::string::npos) << line;
        EXPECT_EQ(marks.find("renderer-started"), std::string::npos) << marks;
        EXPECT_FALSE(fs::exists(seen)) << "the renderer was started";
        EXPECT_FALSE(AudioHeard());
        Calls expected;
        for (int i = 0; i < runs; ++i) expected.insert(expected.end(), {"hide", "show"});
        EXPECT_EQ(HostCursorCalls(), expected);
    }
}

// Without a usable sound module the run goes on in silence, and says once why: on standard
// error and in the timing trace, in the system loader's words or the version check's.
TEST_F(FullRunMusic, AMissingBrokenOrStaleSoundModuleIsToldAndTheRunGoesOn) {
    MakeMedia();
    const std::string module = folder_ + "/velmora_sound.so", trace = temp_.path() + "/trace";
    env_["VELMORA_TIMING"] = trace;
    const std::pair<const char*, const char*> cases[] = {
        {"missing", "No such file or directory"},
        {"broken", "invalid ELF header"},
        {"stale", "it is from another build (version 0.9.0-0123456789ab"}};
    for (auto [kind, why] : cases) {
        SCOPED_TRACE(kind);
        for (const std::string& file : {audio_, said_, trace}) fs::remove(file);
        Install(Renderer::Stub, Settings(2, temp_.path() + "/tone.wav"));
        if (kind == std::string("missing")) fs::remove(module);
        if (kind == std::string("broken")) std::ofstream(module) << std::string(4096, 'x');
        if (kind == std::string("stale"))
            fs::copy_file(STALE_SOUND_MODULE, module, fs::copy_options::overwrite_existing);
        RunForAWhile();
        EXPECT_FALSE(heard_);
        const std::string said = ReadFile(said_);
        const std::string told = "Velmora: velmora_sound.so not used: ";
        const std::size_t at = said.find(told);
        EXPECT_NE(at, std::string::npos) << said;
        EXPECT_EQ(said.find(told, at + 1), std::string::npos) << "told more than once: " << said;
        EXPECT_NE(said.find(why), std::string::npos) << said;
        EXPECT_NE(ReadFile(trace).find("module-refused:velmora_sound.so:"), std::string::npos)
            << ReadFile(trace);
    }
}

TEST_F(FullRunMusic, AFileEndingInMidOrACdKindWithoutADiscPlaysNothing) {
    MakeMedia();
    Install(Renderer::Stub, Settings(2, temp_.path() + "/tone.mid"));
    RunForAWhile();
    EXPECT_FALSE(heard_);

    SCOPED_TRACE("no disc");
    env_["VELMORA_CDROM"] = temp_.path() + "/missing.cue";
    Install(Renderer::Stub, Settings(1, ""));
    RunForAWhile();
    EXPECT_FALSE(heard_);
}

// The desktop's screen saver, lock or blank, with stand-ins on private session and system buses
// and the X server's own saver: no run starts under it (status 6: no pointer hidden, nothing
// started, the reason on standard error and in the trace), and one that comes on during a run
// ends the run as Escape would (status 7) within a second: renderer gone, music stopped, pointer
// shown.
class FullRunShielded : public FullRunMusic {
  protected:
    static constexpr int kShielded = 6, kYielded = 7;

    void SetUp() override {
        FullRunMusic::SetUp();
        ASSERT_TRUE(session_.ok() && system_.ok());
        env_["DBUS_SESSION_BUS_ADDRESS"] = session_.address();
        env_["DBUS_SYSTEM_BUS_ADDRESS"] = system_.address();
        env_["VELMORA_TIMING"] = trace_;
        MakeMedia();
        Install(Renderer::Stub, Settings(2, temp_.path() + "/tone.wav"));
    }

    void ExpectRefused(const std::string& name) {
        for (const std::string& file : {audio_, said_, trace_}) fs::remove(file);
        const auto before = HostCursorCalls();
        auto host = Start("/s");
        EXPECT_EQ(host->Wait(3000ms), kShielded);
        EXPECT_EQ(HostCursorCalls(), before);
        EXPECT_NE(ReadFile(said_).find(
                      "Velmora: no run: the desktop's screen saver or lock is on (" + name + ")"),
                  std::string::npos)
            << ReadFile(said_);
        const std::string marks = ReadFile(trace_);
        EXPECT_NE(marks.find("desktop-shielded "), std::string::npos) << marks;
        EXPECT_NE(marks.find(" " + name + "\n"), std::string::npos) << marks;
        EXPECT_EQ(marks.find("capture-saved"), std::string::npos) << marks;
        EXPECT_FALSE(AudioHeard());
    }

    // A run with music, which `shieldComesOn` ends.
    void ExpectYields(const std::string& name, const std::function<void()>& shieldComesOn) {
        for (const std::string& file : {audio_, said_, trace_}) fs::remove(file);
        const auto before = HostCursorCalls();
        auto host = Start("/s");
        ASSERT_NE(WaitForRendererWindow(), 0u) << ReadFile(said_);
        const auto renderers = ChildrenOf(host->pid());
        ASSERT_EQ(renderers.size(), 1u);
        ASSERT_TRUE(WaitUntil([&] { return AudioHeard(); }, 5000ms));
        shieldComesOn();
        const auto on = Clock::now();
        EXPECT_EQ(host->Wait(3000ms), kYielded) << ReadFile(said_);
        EXPECT_LT(Clock::now() - on, TimeBound(1000ms));
        EXPECT_FALSE(Alive(renderers[0]));
        auto expected = before;
        expected.insert(expected.end(), {"hide", "show"});
        EXPECT_EQ(HostCursorCalls(), expected);
        const auto size = fs::file_size(audio_);
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(fs::file_size(audio_), size) << "sound after the end";
        EXPECT_NE(ReadFile(said_).find("the desktop's screen saver or lock came on (" + name + ")"),
                  std::string::npos)
            << ReadFile(said_);
        EXPECT_NE(ReadFile(trace_).find("desktop-shield "), std::string::npos) << ReadFile(trace_);
    }

    std::map<std::string, std::string> BusEnvironment() const {
        return {{"DBUS_SESSION_BUS_ADDRESS", session_.address()},
                {"DBUS_SYSTEM_BUS_ADDRESS", system_.address()}};
    }

    PrivateBus session_{temp_.path(), "session-bus"};
    PrivateBus system_{temp_.path(), "system-bus"};
    std::string trace_ = temp_.path() + "/trace";
};

TEST_F(FullRunShielded, ScreenSaversAndTheSessionLockOnTheBusesKeepRunsAwayAndEndThem) {
    const std::pair<const char*, const char*> kinds[] = {
        {"gnome", "org.gnome.ScreenSaver"},
        {"freedesktop", "org.freedesktop.ScreenSaver"},
        {"logind", "LockedHint"}};
    for (const auto& [kind, name] : kinds) {
        SCOPED_TRACE(kind);
        FakeShield shield(kind, temp_.path(), BusEnvironment(), true);
        ASSERT_TRUE(shield.ok());
        ExpectRefused(name);
        ASSERT_TRUE(shield.Turn(false));
        ExpectYields(name, [&] { ASSERT_TRUE(shield.Turn(true)); });
    }
}

TEST_F(FullRunShielded, TheXServersOwnSaverKeepsRunsAwayAndEndsThem) {
    const std::string xset = "DISPLAY=" + display_.name() + " xset s ";
    Shell(xset + "activate");
    ExpectRefused("MIT-SCREEN-SAVER");
    Shell(xset + "reset");
    ExpectYields("MIT-SCREEN-SAVER", [&] { Shell(xset + "activate"); });
}

// A screen saver that never answers costs the start a moment, never the run.
TEST_F(FullRunShielded, AScreenSaverThatDoesNotAnswerDoesNotKeepTheRunAway) {
    FakeShield silent("silent", temp_.path(), BusEnvironment());
    ASSERT_TRUE(silent.ok());
    auto host = Start("/s");
    const std::uintptr_t window = WaitForRendererWindow(5000ms);
    ASSERT_NE(window, 0u) << ReadFile(said_);
    PressEscape(window);
    EXPECT_EQ(host->Wait(3000ms), 0);
}
