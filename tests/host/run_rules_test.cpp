// The display-free decisions of a full-screen run: music file kinds, what starts and stops,
// the renderer watch's timing rule and the exit status.
#include <gtest/gtest.h>

#include "host/run_rules.h"
#include "platform/base.h"

using namespace std::chrono_literals;
using run::MusicFile;
using run::MusicStart;
using Verdict = run::RendererWatch::Verdict;

TEST(MusicFileKind, LastThreeCharactersInAnyCaseDecide) {
    EXPECT_EQ(run::MusicFileKind("/music/song.wav"), MusicFile::Wav);
    EXPECT_EQ(run::MusicFileKind("/music/song.Wav"), MusicFile::Wav);
    EXPECT_EQ(run::MusicFileKind("SONG.MP3"), MusicFile::Mp3);
    EXPECT_EQ(run::MusicFileKind("song.mP3"), MusicFile::Mp3);
    // No dot needed: only the last three characters count.
    EXPECT_EQ(run::MusicFileKind("mywav"), MusicFile::Wav);
    EXPECT_EQ(run::MusicFileKind("wav"), MusicFile::Wav);
    EXPECT_EQ(run::MusicFileKind("song.mid"), MusicFile::Other);
    EXPECT_EQ(run::MusicFileKind("song.wav "), MusicFile::Other);
    EXPECT_EQ(run::MusicFileKind("song.wave"), MusicFile::Other);
    EXPECT_EQ(run::MusicFileKind("av"), MusicFile::Other);
    EXPECT_EQ(run::MusicFileKind(""), MusicFile::Other);
    // Full-width letters are not ASCII letters and never match.
    EXPECT_EQ(run::MusicFileKind("曲.ｗａｖ"), MusicFile::Other);
    EXPECT_EQ(run::MusicFileKind("曲.wav"), MusicFile::Wav);
}

TEST(MusicToStart, FollowsTheKindAndTheFileName) {
    EXPECT_EQ(run::MusicToStart(0, "a.mp3"), MusicStart::None);
    EXPECT_EQ(run::MusicToStart(1, ""), MusicStart::Cd);
    EXPECT_EQ(run::MusicToStart(1, "a.mp3"), MusicStart::Cd);
    EXPECT_EQ(run::MusicToStart(2, "a.WAV"), MusicStart::Wav);
    EXPECT_EQ(run::MusicToStart(2, "a.mp3"), MusicStart::Mp3);
    EXPECT_EQ(run::MusicToStart(2, "a.mid"), MusicStart::None);
    EXPECT_EQ(run::MusicToStart(2, ""), MusicStart::None);
    EXPECT_EQ(run::MusicToStart(3, "a.mp3"), MusicStart::None);
    EXPECT_EQ(run::MusicToStart(-1, "a.mp3"), MusicStart::None);
}

TEST(MusicToStop, ClosesTheCdOnlyWhileItsTimerIsOn) {
    auto stop = run::MusicToStop(true, 1, "");
    EXPECT_TRUE(stop.cdClose);
    EXPECT_FALSE(stop.wavStop || stop.mp3Close);

    // The CD watch switched its timer off (no disc): nothing goes to the CD device.
    stop = run::MusicToStop(false, 1, "");
    EXPECT_FALSE(stop.cdClose || stop.wavStop || stop.mp3Close);

    stop = run::MusicToStop(false, 2, "x.wAv");
    EXPECT_TRUE(stop.wavStop);
    EXPECT_FALSE(stop.cdClose || stop.mp3Close);

    stop = run::MusicToStop(false, 2, "x.Mp3");
    EXPECT_TRUE(stop.mp3Close);
    EXPECT_FALSE(stop.cdClose || stop.wavStop);

    stop = run::MusicToStop(false, 2, "x.mid");
    EXPECT_FALSE(stop.cdClose || stop.wavStop || stop.mp3Close);
    // A file name left over from an earlier file setting does not count without kind 2.
    stop = run::MusicToStop(false, 0, "x.mp3");
    EXPECT_FALSE(stop.mp3Close);
}

TEST(RendererWatch, WaitsForASlowWindowWhileTheRendererRuns) {
    run::RendererWatch watch;
    for (auto t = 100ms; t < run::RendererWatch::kGrace; t += 100ms)
        ASSERT_EQ(watch.Tick(false, false, t), Verdict::Watch) << t.count();
    EXPECT_FALSE(watch.WindowSeen());
    EXPECT_EQ(watch.Tick(true, false, 9900ms), Verdict::Watch);
    EXPECT_TRUE(watch.WindowSeen());
    EXPECT_EQ(watch.Tick(true, false, 20000ms), Verdict::Watch);
    // Once seen, the first tick without the window ends the run, ended process or not.
    EXPECT_EQ(watch.Tick(false, false, 20100ms), Verdict::End);
}

TEST(RendererWatch, EndsAtOnceWhenTheRendererEndedBeforeItsWindowShowed) {
    run::RendererWatch missing;  // not startable: counted as ended from the first tick
    EXPECT_EQ(missing.Tick(false, true, 100ms), Verdict::End);

    run::RendererWatch crashed;
    EXPECT_EQ(crashed.Tick(false, false, 100ms), Verdict::Watch);
    EXPECT_EQ(crashed.Tick(false, true, 200ms), Verdict::End);
}

TEST(RendererWatch, GivesUpOnAWindowThatNeverAppears) {
    run::RendererWatch watch;
    EXPECT_EQ(watch.Tick(false, false, run::RendererWatch::kGrace - 1ms), Verdict::Watch);
    EXPECT_EQ(watch.Tick(false, false, run::RendererWatch::kGrace), Verdict::End);
}

TEST(RendererWatch, AWindowLeftByAnEndedProcessStillCounts) {
    // The server may list the window for a moment after the process ended; the next tick that
    // finds it gone ends the run.
    run::RendererWatch watch;
    EXPECT_EQ(watch.Tick(true, true, 300ms), Verdict::Watch);
    EXPECT_EQ(watch.Tick(false, true, 400ms), Verdict::End);
}

// A run that yielded to the desktop's shield reports that, though the host killed the renderer;
// a request to end the host, which came first, still counts first.
TEST(ExitStatus, TheDesktopsShieldCountsAfterARequestToEndAndBeforeTheRenderer) {
    run::RunEnd end;
    end.rendererStarted = true;
    end.renderer.how = platform::ProgramEnding::How::Killed;
    end.renderer.code = 15;
    EXPECT_EQ(run::ExitStatus(end), run::kRendererKilled);
    end.yielded = true;
    EXPECT_EQ(run::ExitStatus(end), run::kYieldedToDesktop);
    end.endRequest = 15;
    EXPECT_EQ(run::ExitStatus(end), run::kEndRequestBase + 15);
}
