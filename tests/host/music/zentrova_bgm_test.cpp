// The music unit against a recording stand-in of the four sound operations: the exact command
// strings, whether a reply is asked for, and results, tick by tick.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/music/zentrova_bgm.h"
#include "host/zentrova_b.h"

namespace {

using Zentrova_BGM::CdWatchActive;
using Zentrova_BGM::MciReply;

struct Answer {
    std::int32_t code = 0;
    std::string reply;
};

// Records every call as one line and answers from a table (unlisted commands succeed with an
// empty reply).
struct RecordingSound {
    std::vector<std::string> calls;
    std::map<std::string, Answer> answers;
    std::map<std::int32_t, std::string> errorTexts;
    std::uint32_t outputs = 1;
    std::int32_t playResult = 1;

    Zentrova_BGM::SoundApi Api() {
        Zentrova_BGM::SoundApi api;
        api.sendCommand = [this](const char* command, char* reply, std::uint32_t size,
                                 std::uintptr_t window) {
            calls.push_back(std::string(command) + (reply ? "" : " [no reply]"));
            EXPECT_EQ(window, 0u);
            EXPECT_EQ(reply == nullptr, size == 0);
            Answer answer = answers[command];
            if (answer.code != 0 || !reply) return answer.code;
            // A reply that does not fit fails and leaves the buffer alone, as the system's does.
            if (answer.reply.size() >= size) return 268;
            std::memcpy(reply, answer.reply.c_str(), answer.reply.size() + 1);
            return 0;
        };
        api.errorText = [this](std::int32_t code, char* text, std::uint32_t size) {
            calls.push_back("error text " + std::to_string(code));
            auto found = errorTexts.find(code);
            if (found == errorTexts.end()) return 0;
            std::snprintf(text, size, "%s", found->second.c_str());
            return 1;
        };
        api.outputCount = [this] {
            calls.push_back("outputs");
            return outputs;
        };
        api.playWave = [this](const char* name, std::uintptr_t module, std::uint32_t flags) {
            calls.push_back(std::string("sound ") + (name ? name : "(none)") + " " +
                            std::to_string(module) + " " + std::to_string(flags));
            return playResult;
        };
        return api;
    }

    // The calls since the last Take.
    std::vector<std::string> Take() { return std::exchange(calls, {}); }
};

using Calls = std::vector<std::string>;

class MusicUnit : public ::testing::Test {
  protected:
    void SetUp() override {
        Zentrova_BGM::SetSoundApi(sound.Api());
        Zentrova_B::BgmRepeat = 0;
        Zentrova_B::BgmFile.clear();
        MciReply.clear();
        // The status buffers outlive a test: start each from a known mode.
        SetCd("1", "3", "playing");
        Zentrova_BGM::CdWatch();
        sound.answers["status MP3Play mode"] = {0, "playing"};
        Zentrova_BGM::Mp3IsPlaying();
        sound.answers.clear();
        sound.Take();
        Zentrova_B::LastApiResult = 12345;
    }
    void TearDown() override { Zentrova_BGM::SetSoundApi(Zentrova_BGM::PlatformSoundApi()); }

    void SetCd(const std::string& track, const std::string& count, const std::string& mode) {
        sound.answers["status cdaudio current track"] = {0, track};
        sound.answers["status cdaudio number of tracks"] = {0, count};
        sound.answers["status cdaudio mode"] = {0, mode};
    }

    RecordingSound sound;
};

const Calls kCdStatus = {"status cdaudio current track", "status cdaudio number of tracks",
                         "status cdaudio mode"};

Calls Then(Calls first, const Calls& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

TEST_F(MusicUnit, MciSendReportsRepliesErrorsAndEmptyCommands) {
    std::string reply = "old";
    EXPECT_EQ(Zentrova_BGM::MciSend("", reply), -1);
    EXPECT_EQ(reply, "コマンド文字列が指定されていません");
    EXPECT_TRUE(sound.Take().empty());
    EXPECT_EQ(Zentrova_B::LastApiResult, 12345);

    sound.answers["status cdaudio mode"] = {0, "stopped"};
    EXPECT_EQ(Zentrova_BGM::MciSend("status cdaudio mode", reply), 0);
    EXPECT_EQ(reply, "stopped");
    EXPECT_EQ(Zentrova_B::LastApiResult, 0);

    sound.answers["status x mode"] = {263, ""};
    sound.errorTexts[263] = "no such device";
    EXPECT_EQ(Zentrova_BGM::MciSend("status x mode", reply), 263);
    EXPECT_EQ(reply, "no such device");
    EXPECT_EQ(Zentrova_B::LastApiResult, 263);
    EXPECT_EQ(sound.Take(), (Calls{"status cdaudio mode", "status x mode", "error text 263"}));

    sound.errorTexts.clear();
    EXPECT_EQ(Zentrova_BGM::MciSend("status x mode", reply), 263);
    EXPECT_EQ(reply, "Error (文字列が取れません)");
}

// Replies and error texts as long as a device or the system gives come through whole, and the
// mode replies are read by their first word however much follows it.
TEST_F(MusicUnit, LongRepliesAndErrorTextsComeThroughWhole) {
    const std::string path(300, 'p'), text(200, 't');
    sound.answers["status cdaudio position track 1"] = {0, path};
    EXPECT_EQ(Zentrova_BGM::MciQuery("status cdaudio position track 1"), path);
    sound.answers["status x mode"] = {263, ""};
    sound.errorTexts[263] = text;
    EXPECT_EQ(Zentrova_BGM::MciQuery("status x mode"), "Error:263");
    EXPECT_EQ(MciReply, text);

    sound.answers["status MP3Play mode"] = {0, "playing (of 20 chars)"};
    EXPECT_TRUE(Zentrova_BGM::Mp3IsPlaying());
    SetCd("2", "3", "stopped " + std::string(200, 's'));
    Zentrova_BGM::CdWatch();
    EXPECT_EQ(sound.Take().back(), "play cdaudio");
}

TEST_F(MusicUnit, MciQueryTurnsFailuresIntoErrorAndCode) {
    sound.answers["status cdaudio current track"] = {263, ""};
    sound.errorTexts[263] = "not open";
    EXPECT_EQ(Zentrova_BGM::MciQuery("status cdaudio current track"), "Error:263");
    EXPECT_EQ(MciReply, "not open");
    EXPECT_EQ(Zentrova_B::LastApiResult, 263);
    EXPECT_EQ(Zentrova_BGM::MciQuery(""), "Error:-1");
    EXPECT_EQ(Zentrova_B::LastApiResult, -1);
    sound.answers["status cdaudio number of tracks"] = {0, "12"};
    EXPECT_EQ(Zentrova_BGM::MciQuery("status cdaudio number of tracks"), "12");
    EXPECT_EQ(MciReply, "12");
}

TEST_F(MusicUnit, MciPlayBuildsItsFourShapes) {
    Zentrova_BGM::MciPlay("cdaudio", "", "");
    Zentrova_BGM::MciPlay("cdaudio", "02:00:00:00", "");
    Zentrova_BGM::MciPlay("cdaudio", "", "03:00:00:00");
    Zentrova_BGM::MciPlay("cdaudio", "01:00:00:00", "02:00:00:00");
    EXPECT_EQ(sound.Take(),
              (Calls{"play cdaudio", "play cdaudio from 02:00:00:00", "play cdaudio to 03:00:00:00",
                     "play cdaudio from 01:00:00:00 to 02:00:00:00"}));
}

TEST_F(MusicUnit, CdOpenAndCloseSendTheirPairsAndKeepTheLastResult) {
    sound.answers["set cdaudio time format tmsf"] = {282, ""};
    EXPECT_EQ(Zentrova_BGM::CdOpen(), 282);
    EXPECT_EQ(Zentrova_B::LastApiResult, 282);
    sound.answers["close cdaudio"] = {263, ""};
    EXPECT_EQ(Zentrova_BGM::CdClose(), 263);
    EXPECT_EQ(Zentrova_B::LastApiResult, 263);
    EXPECT_EQ(sound.Take(),
              (Calls{"open cdaudio [no reply]", "set cdaudio time format tmsf [no reply]",
                     "stop cdaudio [no reply]", "close cdaudio [no reply]"}));
    // The result names the first failure; the mirror keeps the last command's result.
    sound.answers["open cdaudio"] = {275, ""};
    EXPECT_EQ(Zentrova_BGM::CdOpen(), 275);
    EXPECT_EQ(Zentrova_B::LastApiResult, 282);
    EXPECT_EQ(sound.Take().size(), 2u);
}

TEST_F(MusicUnit, WholeDiscIsLeftAloneWhilePlayingAndRestartedWhenStopped) {
    SetCd("4", "9", "playing");
    Zentrova_BGM::CdWatch();
    EXPECT_TRUE(CdWatchActive);
    EXPECT_EQ(sound.Take(), kCdStatus);

    SetCd("9", "9", "stopped");
    Zentrova_BGM::CdWatch();
    EXPECT_TRUE(CdWatchActive);
    EXPECT_EQ(sound.Take(), Then(kCdStatus, {"play cdaudio"}));
}

TEST_F(MusicUnit, RepeatTrackRestartsOnlyWhenAnotherTrackPlaysOrTheDiscStopped) {
    Zentrova_B::BgmRepeat = 3;
    SetCd("5", "9", "playing");
    sound.answers["status cdaudio position track 3"] = {0, "03:00:00:00"};
    Zentrova_BGM::CdWatch();
    EXPECT_EQ(sound.Take(), Then(kCdStatus, {"status cdaudio position track 3",
                                             "play cdaudio from 03:00:00:00"}));

    SetCd("3", "9", "playing");
    Zentrova_BGM::CdWatch();
    EXPECT_EQ(sound.Take(), kCdStatus);

    SetCd("3", "9", "stopped");
    Zentrova_BGM::CdWatch();
    EXPECT_EQ(sound.Take(), Then(kCdStatus, {"status cdaudio position track 3",
                                             "play cdaudio from 03:00:00:00"}));
    EXPECT_TRUE(CdWatchActive);
}

TEST_F(MusicUnit, ErrorRepliesEndTheCdWatch) {
    // No disc: the first status fails and nothing else is sent.
    sound.answers["status cdaudio current track"] = {276, ""};
    Zentrova_BGM::CdWatch();
    EXPECT_FALSE(CdWatchActive);
    EXPECT_EQ(sound.Take(), (Calls{"status cdaudio current track", "error text 276"}));

    // A reply holding "err" in any case counts too.
    sound.answers["status cdaudio current track"] = {0, "1"};
    sound.answers["status cdaudio number of tracks"] = {0, "terrible"};
    Zentrova_BGM::CdWatch();
    EXPECT_FALSE(CdWatchActive);
    EXPECT_EQ(sound.Take().size(), 2u);

    // A current track that is no number cannot be compared with the track to repeat.
    Zentrova_B::BgmRepeat = 2;
    SetCd("two", "9", "playing");
    Zentrova_BGM::CdWatch();
    EXPECT_FALSE(CdWatchActive);
    EXPECT_EQ(sound.Take(), kCdStatus);

    // Each tick starts active again.
    SetCd(" 2 ", "9", "playing");
    Zentrova_BGM::CdWatch();
    EXPECT_TRUE(CdWatchActive);
}

TEST_F(MusicUnit, RepeatTrackBeyondTheDiscSendsTheErrorAsPositionAndGoesOn) {
    Zentrova_B::BgmRepeat = 12;
    SetCd("1", "3", "playing");
    sound.answers["status cdaudio position track 12"] = {282, ""};
    sound.answers["play cdaudio from Error:282"] = {270, ""};
    for (int tick = 0; tick < 2; ++tick) {
        Zentrova_BGM::CdWatch();
        EXPECT_TRUE(CdWatchActive);
        EXPECT_EQ(sound.Take(),
                  Then(kCdStatus, {"status cdaudio position track 12", "error text 282",
                                   "play cdaudio from Error:282", "error text 270"}));
    }
}

TEST_F(MusicUnit, FailedModeQueryKeepsTheModeOfTheTickBefore) {
    SetCd("9", "9", "stopped");
    Zentrova_BGM::CdWatch();
    sound.Take();
    sound.answers["status cdaudio mode"] = {276, "playing"};
    Zentrova_BGM::CdWatch();
    EXPECT_EQ(Zentrova_B::LastApiResult, 0);  // the play that followed the failed mode query
    EXPECT_EQ(sound.Take(), Then(kCdStatus, {"play cdaudio"}));
}

TEST_F(MusicUnit, Mp3OpensQuotedAndPlaysOnlyWhenTheOpenWorked) {
    Zentrova_B::BgmFile = "/home/me/My Music/曲 1.mp3";
    EXPECT_EQ(Zentrova_BGM::Mp3Open(), 0);
    EXPECT_EQ(sound.Take(),
              (Calls{"open \"/home/me/My Music/曲 1.mp3\" type MPEGVideo Alias MP3Play [no reply]",
                     "play MP3Play [no reply]"}));
    EXPECT_EQ(Zentrova_B::LastApiResult, 12345);  // the MP3 procedures keep no results

    sound.answers["open \"/x.mp3\" type MPEGVideo Alias MP3Play"] = {275, ""};
    Zentrova_B::BgmFile = "/x.mp3";
    EXPECT_EQ(Zentrova_BGM::Mp3Open(), 275);
    EXPECT_EQ(sound.Take().size(), 1u);

    EXPECT_EQ(Zentrova_BGM::Mp3Close(), 0);
    EXPECT_EQ(sound.Take(), (Calls{"stop MP3Play [no reply]", "close MP3Play [no reply]"}));

    // A double quote in the name is written twice, so that the name stays one word.
    Zentrova_B::BgmFile = "/m/\"Live\" at 8\".mp3";
    Zentrova_BGM::Mp3Open();
    EXPECT_EQ(
        sound.Take(),
        (Calls{"open \"/m/\"\"Live\"\" at 8\"\".mp3\" type MPEGVideo Alias MP3Play [no reply]",
               "play MP3Play [no reply]"}));
}

TEST_F(MusicUnit, Mp3WatchRestartsFromTheStartUnlessPlaying) {
    const Calls restart = {"status MP3Play mode", "stop MP3Play [no reply]",
                           "play MP3Play from 0 [no reply]"};
    sound.answers["status MP3Play mode"] = {0, "playing"};
    Zentrova_BGM::Mp3Watch();
    EXPECT_EQ(sound.Take(), (Calls{"status MP3Play mode"}));
    sound.answers["status MP3Play mode"] = {0, "paused"};
    Zentrova_BGM::Mp3Watch();
    EXPECT_EQ(sound.Take(), restart);
    sound.answers["status MP3Play mode"] = {0, "stopped"};
    Zentrova_BGM::Mp3Watch();
    EXPECT_EQ(sound.Take(), restart);
    // A failed status leaves the buffer as it was: still "stopped", so restart again.
    sound.answers["status MP3Play mode"] = {263, "playing"};
    Zentrova_BGM::Mp3Watch();
    EXPECT_EQ(sound.Take(), restart);
}

TEST_F(MusicUnit, WavLoopsThroughTheSoundPlayerWhenThereIsAnOutput) {
    Zentrova_B::BgmFile = "/m/a b.wav";
    sound.playResult = 0;
    EXPECT_FALSE(Zentrova_BGM::WavPlay());
    EXPECT_EQ(sound.Take(), (Calls{"outputs", "sound /m/a b.wav 0 9"}));
    EXPECT_EQ(Zentrova_B::LastApiResult, 0);
    sound.playResult = 1;
    EXPECT_TRUE(Zentrova_BGM::WavStop());
    EXPECT_EQ(sound.Take(), (Calls{"sound (none) 0 0"}));
    EXPECT_EQ(Zentrova_B::LastApiResult, 1);

    sound.outputs = 0;
    EXPECT_FALSE(Zentrova_BGM::WavPlay());
    EXPECT_EQ(sound.Take(), (Calls{"outputs"}));
}

}  // namespace
