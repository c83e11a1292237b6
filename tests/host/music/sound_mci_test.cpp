// The multimedia command interpreter over stand-in drives and players: the music unit's
// commands, the device table, tracks and positions, and bad commands.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/sound.h"
#include "platform/sound/sound_mci.h"

namespace {

using namespace sound;

// A three-track disc: track 1 at 0, track 2 with a 30-sector pre-gap from 75, track 3 with a
// 30-sector pre-gap from 180; lead-out 285.
CdToc ThreeTracks() {
    CdToc toc;
    toc.tracks = {{1, 0, 0, 75, true}, {2, 75, 105, 180, true}, {3, 180, 210, 285, true}};
    toc.leadout = 285;
    return toc;
}

struct DiscState {
    bool disc = true;
    CdToc toc = ThreeTracks();
    std::int32_t position = 0, from = -1, to = -1;
    bool streaming = false, paused = false;
};

class FakeDrive : public CdDrive {
  public:
    explicit FakeDrive(DiscState& s) : s_(s) {}
    bool ReadToc(CdToc& toc) override { return s_.disc ? (toc = s_.toc, true) : false; }
    void Play(std::int32_t from, std::int32_t to) override {
        s_.from = s_.position = from;
        s_.to = to;
        s_.streaming = true;
        s_.paused = false;
    }
    void Stop() override { s_.streaming = false; }
    void Pause() override { s_.paused = true; }
    void Resume() override { s_.paused = false; }
    std::int32_t Position() override { return s_.position; }
    bool Streaming() override { return s_.streaming; }

  private:
    DiscState& s_;
};

struct MusicState {
    std::string loaded;
    std::int32_t loadResult = 0;
    bool playing = false;
    std::int64_t from = -1;
    int players = 0;
};

class FakePlayer : public MusicPlayer {
  public:
    explicit FakePlayer(MusicState& s) : s_(s) { ++s_.players; }
    ~FakePlayer() override { --s_.players; }
    std::int32_t Load(const std::string& file) override {
        s_.loaded = file;
        return s_.loadResult;
    }
    void Play(std::int64_t fromMs) override {
        s_.from = fromMs;
        s_.playing = true;
    }
    void Stop() override { s_.playing = false; }
    void Pause() override {}
    void Resume() override {}
    bool Playing() override { return s_.playing; }
    std::int64_t PositionMs() override { return 400; }
    std::int64_t LengthMs() override { return 1000; }

  private:
    MusicState& s_;
};

class FakeBackend : public Backend {
  public:
    bool haveDrive = true;
    DiscState disc;
    MusicState music;
    std::unique_ptr<CdDrive> OpenCd(std::int32_t& error) override {
        if (!haveDrive) return (error = mcierr::kDeviceNotInstalled, nullptr);
        return std::make_unique<FakeDrive>(disc);
    }
    std::unique_ptr<MusicPlayer> OpenMusic() override {
        return std::make_unique<FakePlayer>(music);
    }
};

class Interpreting : public ::testing::Test {
  protected:
    // The reply of a command that must succeed.
    std::string Ok(const std::string& command) {
        std::string reply = "unchanged";
        EXPECT_EQ(mci.Execute(command, reply), 0) << command;
        return reply;
    }
    std::int32_t Fails(const std::string& command) {
        std::string reply = "unchanged";
        std::int32_t code = mci.Execute(command, reply);
        EXPECT_EQ(reply, "unchanged") << command;
        EXPECT_FALSE(ErrorText(code).empty()) << code;
        return code;
    }

    FakeBackend backend;
    Interpreter mci{backend};
};

TEST_F(Interpreting, MusicFileCommandsOfTheHost) {
    Ok("open \"/home/me/My Music/曲 1.mp3\" type MPEGVideo Alias MP3Play");
    EXPECT_EQ(backend.music.loaded, "/home/me/My Music/曲 1.mp3");
    EXPECT_EQ(Ok("play MP3Play"), "");
    EXPECT_EQ(backend.music.from, 0);
    EXPECT_EQ(Ok("status MP3Play mode"), "playing");
    EXPECT_EQ(Ok("pause mp3play"), "");
    EXPECT_EQ(Ok("status MP3Play mode"), "paused");
    Ok("stop MP3Play");
    EXPECT_EQ(Ok("status MP3Play mode"), "stopped");
    Ok("play MP3Play from 0");
    EXPECT_EQ(Ok("status MP3Play mode"), "playing");
    EXPECT_EQ(Ok("status MP3Play length"), "1000");
    // A song that ended by itself reads as stopped, and "play" alone starts it over.
    backend.music.playing = false;
    EXPECT_EQ(Ok("status MP3Play mode"), "stopped");
    Ok("play MP3Play");
    EXPECT_EQ(backend.music.from, 0);

    EXPECT_EQ(Fails("open \"/other.mp3\" type MPEGVideo Alias mp3play"), mcierr::kDuplicateAlias);
    Ok("open \"/m/\"\"Live\"\" at 8\"\".mp3\" type MPEGVideo Alias quoted");
    EXPECT_EQ(backend.music.loaded, "/m/\"Live\" at 8\".mp3");
    Ok("close quoted");
    Ok("close MP3Play");
    EXPECT_EQ(backend.music.players, 0);
    EXPECT_EQ(Fails("status MP3Play mode"), mcierr::kInvalidDeviceName);
    Ok("open \"/other.mp3\" type MPEGVideo Alias MP3Play");
    EXPECT_EQ(mci.OpenDevices(), 1u);
}

TEST_F(Interpreting, MusicFileProblems) {
    backend.music.loadResult = mcierr::kFileNotFound;
    EXPECT_EQ(Fails("open \"/gone.mp3\" type MPEGVideo Alias MP3Play"), mcierr::kFileNotFound);
    EXPECT_EQ(mci.OpenDevices(), 0u);
    backend.music.loadResult = 0;
    Ok("open /a.wav");  // the file name is the alias, the ending chooses the device
    Ok("play /A.WAV from 1000");
    EXPECT_EQ(Fails("play /a.wav from 1001"), mcierr::kOutOfRange);
    EXPECT_EQ(Fails("play /a.wav to 10"), mcierr::kUnsupportedFunction);
    EXPECT_EQ(Fails("play /a.wav from x"), mcierr::kBadInteger);
    EXPECT_EQ(Fails("open /a.xyz"), mcierr::kExtensionNotFound);
    EXPECT_EQ(Fails("open mpegvideo"), 304);
    EXPECT_EQ(Fails("open \"/b.mp3\" type Sequencer"), mcierr::kInvalidDeviceName);
}

TEST_F(Interpreting, CdCommandsOfTheHostInTrackForm) {
    Ok("open cdaudio");
    // A misspelt format is refused, as the system refuses it, and the format stays as it was.
    EXPECT_EQ(Fails("set cdaudio time format tmst"), mcierr::kBadTimeFormat);
    EXPECT_EQ(Ok("status cdaudio time format"), "msf");
    Ok("set cdaudio time format tmsf");
    EXPECT_EQ(Ok("status cdaudio time format"), "tmsf");
    EXPECT_EQ(Ok("status cdaudio number of tracks"), "3");
    EXPECT_EQ(Ok("status cdaudio current track"), "1");
    EXPECT_EQ(Ok("status cdaudio mode"), "stopped");
    EXPECT_EQ(Ok("status cdaudio position track 3"), "03:00:00:00");

    Ok("play cdaudio");
    EXPECT_EQ(backend.disc.from, 0);
    EXPECT_EQ(backend.disc.to, 285);
    EXPECT_EQ(Ok("status cdaudio mode"), "playing");

    Ok("play cdaudio from 02:00:00:00");
    EXPECT_EQ(backend.disc.from, 105);
    Ok("play cdaudio from 02:00:01:05 to 3");
    EXPECT_EQ(backend.disc.from, 105 + 80);
    EXPECT_EQ(backend.disc.to, 210);
    Ok("play cdaudio to 03:00:00:00");
    EXPECT_EQ(backend.disc.to, 210);

    backend.disc.position = 120;
    EXPECT_EQ(Ok("status cdaudio position"), "02:00:00:15");
    Ok("pause cdaudio");
    EXPECT_EQ(Ok("status cdaudio mode"), "paused");
    Ok("resume cdaudio");
    EXPECT_EQ(Ok("status cdaudio mode"), "playing");
    Ok("stop cdaudio");
    EXPECT_EQ(Ok("status cdaudio mode"), "stopped");
    Ok("close cdaudio");
    EXPECT_EQ(Fails("stop cdaudio"), mcierr::kInvalidDeviceName);
}

TEST_F(Interpreting, TracksEndWhereTheNextPregapStarts) {
    Ok("open cdaudio");
    Ok("set cdaudio time format tmsf");
    backend.disc.position = 179;
    EXPECT_EQ(Ok("status cdaudio current track"), "2");
    backend.disc.position = 180;  // the pre-gap of track 3 already counts as track 3
    EXPECT_EQ(Ok("status cdaudio current track"), "3");
    EXPECT_EQ(Ok("status cdaudio position"), "03:00:00:00");
    EXPECT_EQ(Ok("status cdaudio length track 2"), "00:01:00");
    EXPECT_EQ(Ok("status cdaudio length track 3"), "00:01:00");
    // A disc that played to its end starts again from its first track.
    backend.disc.position = 285;
    backend.disc.streaming = false;
    Ok("play cdaudio");
    EXPECT_EQ(backend.disc.from, 0);
}

// Lengths are minutes:seconds:frames (75 frames a second, whatever the time format): the frame
// field runs to 74 and carries into the seconds, the seconds to 59 and carry into the minutes.
TEST_F(Interpreting, LengthsCarryFramesAndSeconds) {
    const std::pair<std::int32_t, const char*> lengths[] = {
        {4 * 75 + 60, "00:04:60"}, {4 * 75 + 74, "00:04:74"},
        {5 * 75, "00:05:00"},      {60 * 75 - 1, "00:59:74"},
        {60 * 75, "01:00:00"},     {(99 * 60 + 59) * 75 + 74, "99:59:74"}};
    for (auto [frames, text] : lengths) {
        backend.disc.toc.tracks = {{1, 0, 0, frames, true}};
        backend.disc.toc.leadout = frames;
        Ok("open cdaudio");
        Ok("set cdaudio time format tmsf");
        EXPECT_EQ(Ok("status cdaudio length"), text) << frames;
        EXPECT_EQ(Ok("status cdaudio length track 1"), text) << frames;
        Ok("close cdaudio");
    }
}

// Discs that hold data tracks: a game disc (data, then audio) and an enhanced one (audio, then
// data). Only audio ever plays.
TEST_F(Interpreting, DataTracksNeverPlay) {
    backend.disc.toc.tracks[0].audio = false;
    Ok("open cdaudio");
    Ok("set cdaudio time format tmsf");
    EXPECT_EQ(Ok("status cdaudio number of tracks"), "3");
    Ok("play cdaudio");  // the whole disc starts at the first audio track proper
    EXPECT_EQ(backend.disc.from, 105);
    EXPECT_EQ(backend.disc.to, 285);
    Ok("play cdaudio from 02:00:00:00 to 03:00:00:10");
    EXPECT_EQ(backend.disc.to, 220);
    // A played-out disc starts over at its first audio track.
    backend.disc.position = 285;
    backend.disc.streaming = false;
    Ok("play cdaudio");
    EXPECT_EQ(backend.disc.from, 105);
    // A play from the data track (the repeat of track 1) ends at once and plays nothing.
    backend.disc.from = -1;
    Ok("play cdaudio from 01:00:00:00");
    EXPECT_EQ(backend.disc.from, -1);
    EXPECT_EQ(Ok("status cdaudio mode"), "stopped");
    Ok("play cdaudio from 01:00:00:10 to 02:00:00:00");
    EXPECT_EQ(Ok("status cdaudio mode"), "stopped");
    Ok("close cdaudio");

    backend.disc.toc = ThreeTracks();
    backend.disc.toc.tracks[2].audio = false;
    backend.disc.position = 0;
    Ok("open cdaudio");
    Ok("play cdaudio");  // ends with the last audio track, not after the data track
    EXPECT_EQ(backend.disc.from, 0);
    EXPECT_EQ(backend.disc.to, 180);
    backend.disc.position = 180;
    backend.disc.streaming = false;
    Ok("play cdaudio");
    EXPECT_EQ(backend.disc.from, 0);

    backend.disc.toc.tracks[0].audio = false;
    Ok("close cdaudio");
    Ok("open cdaudio");
    Ok("set cdaudio time format tmsf");
    Ok("play cdaudio from 2");  // two audio-less tracks around one of audio
    EXPECT_EQ(backend.disc.from, 105);
    EXPECT_EQ(backend.disc.to, 180);
    backend.disc.toc.tracks[1].audio = false;
    Ok("close cdaudio");
    Ok("open cdaudio");
    Ok("play cdaudio");  // a disc of data alone never plays
    EXPECT_EQ(Ok("status cdaudio mode"), "stopped");
}

TEST(SoundOnDisc, AudioSectorsPassOverDataAndItsGap) {
    CdToc toc = ThreeTracks();
    toc.tracks[1].audio = false;
    EXPECT_EQ(NextAudioSector(toc, 0, 285), 0);
    EXPECT_EQ(NextAudioSector(toc, 75, 285), 210);  // the gap after data is no sound either
    EXPECT_EQ(NextAudioSector(toc, 180, 285), 210);
    EXPECT_EQ(NextAudioSector(toc, 100, 200), 200);
    EXPECT_EQ(AudioTrackEnd(toc, 10), 75);
    EXPECT_EQ(LastAudioEnd(toc, 285), 285);
    EXPECT_EQ(LastAudioEnd(toc, 200), 75);
    EXPECT_EQ(LastAudioEnd(toc, 220), 220);
    toc.tracks[2].start = toc.tracks[2].end;  // an audio track that is all gap holds no sound
    EXPECT_EQ(NextAudioSector(toc, 75, 300), 300);
    toc.tracks[2].audio = false;
    EXPECT_EQ(LastAudioEnd(toc, 285), 75);
}

TEST_F(Interpreting, CdPositionsInOtherFormatsAndOutOfRange) {
    Ok("open cdaudio");
    EXPECT_EQ(Ok("status cdaudio time format"), "msf");
    EXPECT_EQ(Ok("status cdaudio position track 2"), "00:03:30");  // 105 + 150 lead-in
    Ok("play cdaudio from 00:03:30");
    EXPECT_EQ(backend.disc.from, 105);
    Ok("set cdaudio time format milliseconds");
    EXPECT_EQ(Ok("status cdaudio position track 3"), "2800");
    Ok("set cdaudio time format tmsf");
    EXPECT_EQ(Fails("status cdaudio position track 4"), mcierr::kOutOfRange);
    EXPECT_EQ(Fails("status cdaudio position track three"), mcierr::kBadInteger);
    EXPECT_EQ(Fails("play cdaudio from Error:282"), mcierr::kBadInteger);
    EXPECT_EQ(Fails("play cdaudio from 03:00:60:00"), mcierr::kOutOfRange);
    EXPECT_EQ(Fails("play cdaudio from 03:05:00:00"), mcierr::kOutOfRange);  // past lead-out
    EXPECT_EQ(Fails("play cdaudio from 3 to 2"), mcierr::kOutOfRange);
    EXPECT_EQ(Fails("play cdaudio from 1:2:3:4:5"), mcierr::kBadInteger);
    EXPECT_EQ(Fails("set cdaudio time format frames"), mcierr::kBadTimeFormat);
}

TEST_F(Interpreting, NoDiscNoDrive) {
    backend.disc.disc = false;
    Ok("open cdaudio");
    EXPECT_EQ(Ok("status cdaudio mode"), "not ready");
    EXPECT_EQ(Ok("status cdaudio media present"), "false");
    EXPECT_EQ(Fails("status cdaudio current track"), mcierr::kDeviceNotReady);
    EXPECT_EQ(Fails("play cdaudio"), mcierr::kDeviceNotReady);
    // A disc put in later is found.
    backend.disc.disc = true;
    EXPECT_EQ(Ok("status cdaudio current track"), "1");
    EXPECT_EQ(Fails("open cdaudio"), mcierr::kDeviceOpen);
    Ok("close all");

    backend.haveDrive = false;
    EXPECT_EQ(Fails("open cdaudio"), mcierr::kDeviceNotInstalled);
    EXPECT_EQ(Fails("status cdaudio current track"), mcierr::kInvalidDeviceName);

    // A table of contents out of order is no readable disc.
    backend.haveDrive = true;
    backend.disc.toc.tracks[1].start = 500;
    Ok("open cdaudio");
    EXPECT_EQ(Ok("status cdaudio mode"), "not ready");
}

TEST_F(Interpreting, BadCommands) {
    EXPECT_EQ(Fails(""), mcierr::kMissingCommandString);
    EXPECT_EQ(Fails("   "), mcierr::kMissingCommandString);
    EXPECT_EQ(Fails("rewind cdaudio"), mcierr::kUnrecognizedCommand);
    EXPECT_EQ(Fails("play"), mcierr::kMissingDeviceName);
    EXPECT_EQ(Fails("status nothing mode"), mcierr::kInvalidDeviceName);
    EXPECT_EQ(Fails("open \"/a b.mp3 type MPEGVideo"), mcierr::kNoClosingQuote);
    EXPECT_EQ(Fails("open \"/a.mp3\"x type MPEGVideo"), mcierr::kExtraCharacters);
    EXPECT_EQ(Fails("open \"/a\"\".mp3 type MPEGVideo"), mcierr::kNoClosingQuote);
    EXPECT_EQ(Fails("open \"/a.mp3\"\" x"), mcierr::kNoClosingQuote);
    EXPECT_EQ(Fails("open cdaudio sideways"), mcierr::kUnrecognizedKeyword);
    EXPECT_EQ(Fails("open cdaudio alias"), mcierr::kMissingParameter);
    EXPECT_EQ(Fails("open cdaudio alias a alias b"), mcierr::kDuplicateFlags);
    EXPECT_EQ(Fails("open thing"), mcierr::kInvalidDeviceName);
    Ok("open cdaudio alias cd wait");
    EXPECT_EQ(Fails("status cd"), mcierr::kMissingParameter);
    EXPECT_EQ(Fails("status cd colour"), mcierr::kUnrecognizedKeyword);
    EXPECT_EQ(Fails("play cd from"), mcierr::kMissingParameter);
    EXPECT_EQ(Fails("play cd from 1 from 2"), mcierr::kDuplicateFlags);
    EXPECT_EQ(Fails("play cd wait wait"), mcierr::kDuplicateFlags);
    EXPECT_EQ(Fails("stop cd now"), mcierr::kUnrecognizedKeyword);
    EXPECT_EQ(Fails("set cd time"), mcierr::kMissingParameter);
    EXPECT_EQ(Fails("set cd door open"), mcierr::kUnrecognizedKeyword);
    EXPECT_EQ(Ok("STATUS CD MODE notify"), "stopped");
    Ok("open cdaudio shareable alias Other shareable");
    Ok("close OTHER");
    EXPECT_TRUE(ErrorText(0).empty());
    EXPECT_TRUE(ErrorText(-1).empty());
}

TEST(CommandWords, QuotesHoldBlanksAndDoubledQuotes) {
    std::vector<std::string> words;
    std::int32_t error = 0;
    ASSERT_TRUE(SplitWords("open \"\" \"\"\"\"  \"a \"\"b\"\"\"\t\"\"\"c\"", words, error));
    EXPECT_EQ(words, (std::vector<std::string>{"open", "", "\"", "a \"b\"", "\"c"}));
}

TEST(TrackPositionText, TwoDigitsEach) {
    CdToc toc = ThreeTracks();
    EXPECT_EQ(FormatTmsf(toc, 0), "01:00:00:00");
    EXPECT_EQ(FormatTmsf(toc, 74), "01:00:00:74");
    EXPECT_EQ(FormatTmsf(toc, 105 + 75 * 61), "03:00:59:45");  // past the disc: last track
    EXPECT_EQ(FormatTmsf(CdToc{}, 10), "00:00:00:00");
}

// The platform operations themselves, on a disc image that does not exist: no sound needed.
TEST(SoundOperations, RepliesFitTheCallersBufferOrFailWith268) {
    setenv("VELMORA_CDROM", "/nonexistent/disc.cue", 1);
    char reply[16] = "untouched";
    ASSERT_EQ(platform::SendMediaCommand("open cdaudio alias sized", nullptr, 0, 0), 0);
    EXPECT_EQ(platform::SendMediaCommand("status sized mode", reply, 5, 0), 268);
    EXPECT_STREQ(reply, "untouched");
    EXPECT_EQ(platform::SendMediaCommand("status sized mode", reply, sizeof reply, 0), 0);
    EXPECT_STREQ(reply, "not ready");
    EXPECT_EQ(platform::SendMediaCommand("status sized current track", reply, sizeof reply, 0),
              276);
    EXPECT_EQ(platform::SendMediaCommand("close sized", nullptr, 0, 0), 0);
    EXPECT_EQ(platform::SendMediaCommand(nullptr, nullptr, 0, 0), 267);

    char text[8];
    EXPECT_NE(platform::MediaErrorText(263, text, sizeof text), 0);
    EXPECT_EQ(std::strlen(text), 7u);
    EXPECT_EQ(platform::MediaErrorText(263, text, 0), 0);
    EXPECT_EQ(platform::MediaErrorText(1, text, sizeof text), 0);
    unsetenv("VELMORA_CDROM");
}

}  // namespace
