// The music unit on the real sound layer, heard through SDL's disk audio driver: looping files
// and a three-track CD image made here, checked in the mixed output file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "desktop.h"
#include "host/music/zentrova_bgm.h"
#include "host/zentrova_b.h"
#include "platform/sound.h"
#include "platform/sound/sound_devices.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRate = 44100;
constexpr int kWindow = kRate / 20;  // 50 ms

// ---- Test media ----

// Stereo 16-bit samples of a tone (or silence for frequency 0), little-endian.
void AppendTone(std::string& bytes, double seconds, double frequency) {
    int frames = static_cast<int>(seconds * kRate + 0.5);
    for (int i = 0; i < frames; ++i) {
        auto v = static_cast<std::int16_t>(
            frequency > 0 ? 12000 * std::sin(2 * M_PI * frequency * i / kRate) : 0);
        for (int channel = 0; channel < 2; ++channel) {
            bytes += static_cast<char>(v & 0xff);
            bytes += static_cast<char>((v >> 8) & 0xff);
        }
    }
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

// The header of a 16-bit stereo PCM WAV whose data chunk holds `dataBytes`.
std::string WavHeader(std::uint32_t dataBytes) {
    std::string wav = "RIFF";
    PutLe(wav, 36 + dataBytes, 4);
    wav += "WAVEfmt ";
    PutLe(wav, 16, 4);
    PutLe(wav, 1, 2);
    PutLe(wav, 2, 2);
    PutLe(wav, kRate, 4);
    PutLe(wav, kRate * 4, 4);
    PutLe(wav, 4, 2);
    PutLe(wav, 16, 2);
    wav += "data";
    PutLe(wav, dataBytes, 4);
    return wav;
}

std::string WriteWav(const std::string& path, double seconds, double frequency) {
    std::string samples;
    AppendTone(samples, seconds, frequency);
    WriteFile(path, WavHeader(static_cast<std::uint32_t>(samples.size())) + samples);
    return path;
}

// A 32-bit floating-point stereo WAV (format tag 3) of a tone at half of full scale, as many
// sound editors export.
std::string WriteFloatWav(const std::string& path, double seconds, double frequency) {
    const int frames = static_cast<int>(seconds * kRate + 0.5);
    std::string samples;
    for (int i = 0; i < frames; ++i) {
        const float v = 0.5f * static_cast<float>(std::sin(2 * M_PI * frequency * i / kRate));
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        PutLe(samples, bits, 4);
        PutLe(samples, bits, 4);
    }
    std::string wav = "RIFF";
    PutLe(wav, 36 + static_cast<std::uint32_t>(samples.size()), 4);
    wav += "WAVEfmt ";
    for (auto [value, bytes] : std::initializer_list<std::pair<std::uint32_t, int>>{
             {16, 4}, {3, 2}, {2, 2}, {kRate, 4}, {kRate * 8, 4}, {8, 2}, {32, 2}})
        PutLe(wav, value, bytes);
    wav += "data";
    PutLe(wav, static_cast<std::uint32_t>(samples.size()), 4);
    WriteFile(path, wav + samples);
    return path;
}

// A WAV of `megabytes` that sounds a tone for its first half second; the silence after it is a
// hole in the file, so that it is made at once and takes no room on disc.
std::string WriteLongWav(const std::string& path, std::uint32_t megabytes) {
    std::string samples;
    AppendTone(samples, 0.5, 440);
    std::uint32_t dataBytes = megabytes << 20;
    WriteFile(path, WavHeader(dataBytes) + samples);
    std::filesystem::resize_file(path, 44 + std::uintmax_t{dataBytes});
    return path;
}

// A WAV holding MPEG Layer III data (format tag 0x55) as some recorders write it: the frames of
// an MP3 file behind a header that names the codec.
std::string WriteMp3InWav(const std::string& path, const std::string& mp3, double seconds) {
    std::ifstream in(mp3, std::ios::binary);
    std::string frames((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string fmt;
    for (auto [value, bytes] :
         std::initializer_list<std::pair<std::uint32_t, int>>{{0x55, 2},
                                                              {2, 2},
                                                              {kRate, 4},
                                                              {16000, 4},
                                                              {1, 2},
                                                              {0, 2},
                                                              {12, 2},  // the codec's:
                                                              {1, 2},
                                                              {2, 4},
                                                              {418, 2},
                                                              {1, 2},
                                                              {1393, 2}})
        PutLe(fmt, value, bytes);
    std::string body = "WAVEfmt ";
    PutLe(body, static_cast<std::uint32_t>(fmt.size()), 4);
    body += fmt + "fact";
    PutLe(body, 4, 4);
    PutLe(body, static_cast<std::uint32_t>(seconds * kRate), 4);
    body += "data";
    PutLe(body, static_cast<std::uint32_t>(frames.size()), 4);
    body += frames;
    if (frames.size() % 2) body += '\0';
    std::string wav = "RIFF";
    PutLe(wav, static_cast<std::uint32_t>(body.size()), 4);
    WriteFile(path, wav + body);
    return path;
}

// This process's resident memory in megabytes.
double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * sysconf(_SC_PAGESIZE) / (1 << 20);
}

// Head and body tones of each track: a track's first quarter second is its head, so that a
// restart at the track's start is heard as a new head.
struct TrackTone {
    double head, body;
};
constexpr int kTracks = 4;
const TrackTone kTones[kTracks] = {{1000, 300}, {1200, 500}, {1400, 700}, {1600, 900}};

// A BIN/CUE image of one-second tracks, 'A' audio or 'D' data in `layout`, every track after
// the first behind a silent 0.4 s pre-gap (30 sectors): track 1 at sector 0, 2 at 105 (gap from
// 75), 3 at 210 (gap from 180), 4 at 315. Data sectors hold a loud square wave, so that data
// played as sound would be heard.
std::string WriteDisc(const std::string& folder, const std::string& layout = "AAA") {
    std::string bin, cue = "FILE \"disc image.bin\" BINARY\n";
    for (std::size_t t = 0; t < layout.size(); ++t) {
        char number[64];
        std::snprintf(number, sizeof number, "  TRACK %02zu %s\n", t + 1,
                      layout[t] == 'A' ? "AUDIO" : "MODE1/2352");
        cue += number;
        if (t > 0) {
            std::snprintf(number, sizeof number, "    INDEX 00 00:%02zu:%02zu\n",
                          (t * 105 - 30) / 75, (t * 105 - 30) % 75);
            cue += number;
            AppendTone(bin, 0.4, 0);
        }
        std::snprintf(number, sizeof number, "    INDEX 01 00:%02zu:%02zu\n", t * 105 / 75,
                      t * 105 % 75);
        cue += number;
        if (layout[t] == 'D') {
            for (int i = 0; i < 75 * 588; ++i)
                bin += i % 40 < 20 ? "\x20\x4e\x20\x4e" : "\xe0\xb1\xe0\xb1";
            continue;
        }
        AppendTone(bin, 0.25, kTones[t].head);
        AppendTone(bin, 0.75, kTones[t].body);
    }
    WriteFile(folder + "/disc image.bin", bin);
    // The image driver finds the BIN by the CUE's own name.
    WriteFile(folder + "/disc image.cue", cue);
    return folder + "/disc image.cue";
}

// ---- Listening to the output ----

// The left channel of the mixed output.
std::vector<std::int16_t> ReadOutput(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::int16_t> left;
    char frame[4];
    while (in.read(frame, 4))
        left.push_back(static_cast<std::int16_t>((frame[0] & 0xff) | (frame[1] << 8)));
    return left;
}

bool Loud(const std::vector<std::int16_t>& s, std::size_t begin, std::size_t count) {
    double sum = 0;
    for (std::size_t i = begin; i < begin + count; ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / count) > 1000;
}

struct Loudness {
    double soundSeconds = 0;  // from the first loud 10 ms to the last
    double longestGap = 0;    // longest silence between them
    double firstSound = -1;   // when the first sound starts
    int starts = 0;           // silences followed by sound, plus the first sound
};

Loudness Listen(const std::vector<std::int16_t>& s) {
    const std::size_t step = kRate / 100;
    Loudness result;
    long first = -1, last = -1, gapStart = -1;
    for (std::size_t w = 0; (w + 1) * step <= s.size(); ++w) {
        if (!Loud(s, w * step, step)) {
            if (first >= 0 && gapStart < 0) gapStart = long(w);
            continue;
        }
        if (first < 0 || gapStart >= 0) ++result.starts;
        if (first < 0) first = long(w), result.firstSound = w / 100.0;
        if (gapStart >= 0) result.longestGap = std::max(result.longestGap, (w - gapStart) / 100.0);
        gapStart = -1;
        last = long(w);
    }
    if (first >= 0) result.soundSeconds = (last - first + 1) / 100.0;
    return result;
}

// What each 50 ms window sounds like: "1h" (head of track 1) ... "3b", "-" silence, "?" other.
std::vector<std::string> Tones(const std::vector<std::int16_t>& s) {
    std::vector<std::string> labels;
    for (std::size_t begin = 0; begin + kWindow <= s.size(); begin += kWindow) {
        if (!Loud(s, begin, kWindow)) {
            labels.push_back("-");
            continue;
        }
        int crossings = 0;
        for (std::size_t i = begin + 1; i < begin + kWindow; ++i)
            crossings += (s[i - 1] < 0) != (s[i] < 0);
        double frequency = crossings / 2.0 / 0.05;
        std::string label = "?";
        for (int t = 0; t < kTracks; ++t) {
            if (std::abs(frequency - kTones[t].head) < kTones[t].head * 0.06)
                label = std::to_string(t + 1) + "h";
            if (std::abs(frequency - kTones[t].body) < kTones[t].body * 0.06)
                label = std::to_string(t + 1) + "b";
        }
        labels.push_back(label);
    }
    return labels;
}

// The tones in order, each kept once per stretch of at least two windows (boundary windows
// mixing two tones drop out).
std::vector<std::string> Melody(const std::vector<std::string>& windows) {
    std::vector<std::string> melody;
    for (std::size_t i = 0; i + 1 < windows.size(); ++i) {
        const std::string& w = windows[i];
        if (w == "-" || w == "?" || windows[i + 1] != w) continue;
        if (melody.empty() || melody.back() != w) melody.push_back(w);
    }
    return melody;
}

std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (const auto& w : words) text += w + " ";
    return text;
}

class SoundOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        Zentrova_BGM::SetSoundApi(Zentrova_BGM::PlatformSoundApi());
        Zentrova_B::BgmRepeat = 0;
    }
    void TearDown() override { unsetenv("VELMORA_CDROM"); }

    // Seconds of sound written to the output so far.
    double OutputSeconds() const {
        struct stat info;
        return stat(output.c_str(), &info) == 0 ? info.st_size / (kRate * 4.0) : 0;
    }

    // Runs `tick` every `period` until the output holds `seconds` of sound. The output's own
    // clock counts, not the wall clock: a busy machine may run the output thread late.
    void Every(std::chrono::milliseconds period, double seconds,
               const std::function<void()>& tick) const {
        auto limit =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(3 * seconds + 5);
        auto next = std::chrono::steady_clock::now();
        while (OutputSeconds() < seconds && next < limit) {
            tick();
            next += period;
            std::this_thread::sleep_until(next);
        }
    }

    // Keeps the watch going for `seconds` and returns the melody of the output.
    std::vector<std::string> PlayCd(int repeat, double seconds, const std::string& layout = "AAA") {
        setenv("VELMORA_CDROM", WriteDisc(folder.path(), layout).c_str(), 1);
        Zentrova_B::BgmRepeat = static_cast<std::int16_t>(repeat);
        Zentrova_BGM::CdOpen();
        Every(200ms, seconds, [] {
            Zentrova_BGM::CdWatch();
            EXPECT_TRUE(Zentrova_BGM::CdWatchActive) << Zentrova_BGM::MciReply;
        });
        Zentrova_BGM::CdClose();
        return Melody(Tones(ReadOutput(output)));
    }

    // Loops `file` through the sound player for `seconds` and tells how it sounded.
    Loudness LoopWave(const std::string& file, double seconds) {
        EXPECT_NE(
            platform::PlayWaveSound(file.c_str(), 0, platform::kWaveAsync | platform::kWaveLoop), 0)
            << file;
        Every(50ms, seconds, [] {});
        platform::PlayWaveSound(nullptr, 0, 0);
        return Listen(ReadOutput(output));
    }

    std::string Mp3(double seconds, const std::string& name = "ton e.mp3") {
        std::string wav = WriteWav(folder.path() + "/tone.wav", seconds, 440);
        std::string mp3 = folder.path() + "/" + name;
        int code = 1;
        const std::string said =
            testsupport::Shell("lame --silent '" + wav + "' '" + mp3 + "' 2>&1", &code);
        EXPECT_EQ(code, 0) << "lame made no MP3: " << said;
        return code == 0 ? mp3 : "";
    }

    testsupport::TempFolder folder;
    std::string output = folder.path() + "/output.raw";
};

TEST_F(SoundOutput, WavOfOneSecondLoopsWithoutGaps) {
    Zentrova_B::BgmFile = WriteWav(folder.path() + "/one second.wav", 1.0, 440);
    Zentrova_BGM::WavPlay();
    ASSERT_EQ(Zentrova_B::LastApiResult, 1);
    Every(50ms, 3.2, [] {});
    Zentrova_BGM::WavStop();
    Loudness heard = Listen(ReadOutput(output));
    EXPECT_GE(heard.soundSeconds, 2.9);
    EXPECT_LE(heard.longestGap, 0.1);
}

// WAV files in encodings beyond SDL's own reader, as editors, recorders and converters write
// them. The tools that make them are installed with the build's packages: a missing one fails.
TEST_F(SoundOutput, FloatWavLoopsAtFullLoudness) {
    Zentrova_B::BgmFile = WriteFloatWav(folder.path() + "/float.wav", 1.0, 440);
    Zentrova_BGM::WavPlay();
    ASSERT_EQ(Zentrova_B::LastApiResult, 1);
    Every(50ms, 2.2, [] {});
    Zentrova_BGM::WavStop();
    const std::vector<std::int16_t> heard = ReadOutput(output);
    const Loudness loudness = Listen(heard);
    EXPECT_GE(loudness.soundSeconds, 1.9);
    EXPECT_LE(loudness.longestGap, 0.1);
    // Half of full scale comes out as half of full scale, not scaled down.
    const auto peak = std::max_element(heard.begin(), heard.end());
    ASSERT_NE(peak, heard.end());
    EXPECT_NEAR(*peak, 16384, 400);
}

TEST_F(SoundOutput, GsmWavLoops) {
    std::string wav = WriteWav(folder.path() + "/tone.wav", 1.0, 440);
    std::string gsm = folder.path() + "/gsm.wav";
    int code = 1;
    const std::string said = testsupport::Shell(
        "sox '" + wav + "' -r 8000 -c 1 -e gsm-full-rate '" + gsm + "' 2>&1", &code);
    ASSERT_EQ(code, 0) << "sox made no GSM WAV: " << said;
    Loudness heard = LoopWave(gsm, 1.6);
    EXPECT_GE(heard.soundSeconds, 1.45);
    EXPECT_LE(heard.longestGap, 0.1);
}

TEST_F(SoundOutput, MpegLayer3InWavLoops) {
    std::string mp3 = Mp3(1.0);
    ASSERT_FALSE(mp3.empty());
    Loudness heard = LoopWave(WriteMp3InWav(folder.path() + "/mpeg.wav", mp3, 1.0), 1.6);
    EXPECT_GE(heard.soundSeconds, 1.45);
    EXPECT_LE(heard.longestGap, 0.1);
}

// A long WAV (here 400 MB) is not read whole: it starts at once and costs little memory.
TEST_F(SoundOutput, LongWavStartsAtOnceInLittleMemory) {
    std::string wav = WriteLongWav(folder.path() + "/long.wav", 400);
    double before = ResidentMegabytes();
    auto start = std::chrono::steady_clock::now();
    ASSERT_NE(platform::PlayWaveSound(wav.c_str(), 0, platform::kWaveAsync | platform::kWaveLoop),
              0);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Every(50ms, 1.0, [] {});
    double grown = ResidentMegabytes() - before;
    platform::PlayWaveSound(nullptr, 0, 0);
    EXPECT_LT(seconds, 1.0);
    EXPECT_LT(grown, 64) << "megabytes";
    Loudness heard = Listen(ReadOutput(output));
    EXPECT_GE(heard.firstSound, 0);
    EXPECT_LE(heard.firstSound, 0.2);
    EXPECT_GE(heard.soundSeconds, 0.45);
}

TEST_F(SoundOutput, Mp3LoopsThroughTheSoundPlayerToo) {
    std::string mp3 = Mp3(1.0);
    ASSERT_FALSE(mp3.empty());
    ASSERT_NE(platform::PlayWaveSound(mp3.c_str(), 0, platform::kWaveAsync | platform::kWaveLoop),
              0);
    Every(50ms, 3.2, [] {});
    platform::PlayWaveSound(nullptr, 0, 0);
    Loudness heard = Listen(ReadOutput(output));
    EXPECT_GE(heard.soundSeconds, 2.9);
    EXPECT_LE(heard.longestGap, 0.1);
}

TEST_F(SoundOutput, Mp3IsRestartedByItsWatch) {
    Zentrova_B::BgmFile = Mp3(1.0);
    ASSERT_FALSE(Zentrova_B::BgmFile.empty());
    Zentrova_BGM::Mp3Open();
    EXPECT_TRUE(Zentrova_BGM::Mp3IsPlaying());
    // The watch polled more often than the run's 1000 ms, to see that a finished song reads as
    // not playing at once and starts again at once.
    Every(50ms, 3.2, [] { Zentrova_BGM::Mp3Watch(); });
    Zentrova_BGM::Mp3Close();
    Loudness heard = Listen(ReadOutput(output));
    EXPECT_GE(heard.soundSeconds, 2.9);
    EXPECT_LE(heard.longestGap, 0.1);
}

// A double quote is a legal character of a file name here: such files play on either path.
TEST_F(SoundOutput, NamesWithDoubleQuotesPlay) {
    Zentrova_B::BgmFile = Mp3(0.5, "say \"hi\".mp3");
    ASSERT_FALSE(Zentrova_B::BgmFile.empty());
    Zentrova_BGM::Mp3Open();
    EXPECT_TRUE(Zentrova_BGM::Mp3IsPlaying());
    Every(50ms, 0.4, [] {});
    Zentrova_BGM::Mp3Close();
    EXPECT_GE(Listen(ReadOutput(output)).soundSeconds, 0.3);

    Zentrova_B::BgmFile = WriteWav(folder.path() + "/say \"hi\".wav", 0.5, 440);
    Zentrova_BGM::WavPlay();
    EXPECT_EQ(Zentrova_B::LastApiResult, 1);
    Zentrova_BGM::WavStop();
}

TEST_F(SoundOutput, MissingOrUndecodableFilesAreRefusedAndStaySilent) {
    std::string garbage = folder.path() + "/noise.mp3";
    WriteFile(garbage, std::string(4096, '\x5a'));
    std::string open = "open \"" + garbage + "\" type MPEGVideo Alias bad";
    EXPECT_EQ(platform::SendMediaCommand(open.c_str(), nullptr, 0, 0), 296);
    open = "open \"" + folder.path() + "/gone.mp3\" type MPEGVideo Alias bad";
    EXPECT_EQ(platform::SendMediaCommand(open.c_str(), nullptr, 0, 0), 275);
    EXPECT_EQ(platform::SendMediaCommand("play bad", nullptr, 0, 0), 263);
    EXPECT_EQ(platform::PlayWaveSound(garbage.c_str(), 0, 9), 0);
    EXPECT_EQ(platform::PlayWaveSound(garbage.c_str(), 0, platform::kWaveLoop), 0);
}

TEST_F(SoundOutput, WholeDiscPlaysEveryTrackAndStartsOver) {
    std::vector<std::string> melody = PlayCd(0, 4.6);
    std::string heard = Joined(melody);
    EXPECT_EQ(heard.substr(0, 21), "1h 1b 2h 2b 3h 3b 1h ") << heard;
}

TEST_F(SoundOutput, RepeatedTrackReturnsToItsStart) {
    std::vector<std::string> melody = PlayCd(2, 3.6);
    std::string heard = Joined(melody);
    int heads = 0;
    for (std::size_t i = 0; i < melody.size(); ++i) {
        EXPECT_EQ(melody[i], i % 2 == 0 ? "2h" : "2b") << heard;
        heads += melody[i] == "2h";
    }
    EXPECT_GE(heads, 3) << heard;
}

// Data tracks before, between and after the audio ones take no time and make no sound.
TEST_F(SoundOutput, DataTracksArePassedOverAtOnce) {
    std::vector<std::string> melody = PlayCd(0, 3.0, "DADA");
    std::string heard = Joined(melody);
    EXPECT_EQ(heard.substr(0, 15), "2h 2b 4h 4b 2h ") << heard;
    Loudness loudness = Listen(ReadOutput(output));
    EXPECT_GE(loudness.firstSound, 0);
    EXPECT_LE(loudness.firstSound, 0.3);
    EXPECT_LE(loudness.longestGap, 0.45);
    // No data heard (its square wave would fill some 20 windows in a row): only the odd window
    // or two where one tone gives way to the next sound like neither.
    std::vector<std::string> windows = Tones(ReadOutput(output));
    int odd = 0;
    for (const std::string& window : windows) {
        odd = window == "?" ? odd + 1 : 0;
        EXPECT_LT(odd, 4) << Joined(windows);
    }
}

TEST_F(SoundOutput, ImageTracksEndWhereTheNextPregapStarts) {
    setenv("VELMORA_CDROM", WriteDisc(folder.path()).c_str(), 1);
    std::int32_t error = 0;
    auto drive = sound::SdlBackend().OpenCd(error);
    ASSERT_TRUE(drive);
    sound::CdToc toc;
    ASSERT_TRUE(drive->ReadToc(toc));
    ASSERT_EQ(toc.tracks.size(), 3u);
    EXPECT_EQ(toc.leadout, 285);
    const std::int32_t expected[3][3] = {{0, 0, 75}, {75, 105, 180}, {180, 210, 285}};
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(toc.tracks[t].pregap, expected[t][0]) << t;
        EXPECT_EQ(toc.tracks[t].start, expected[t][1]) << t;
        EXPECT_EQ(toc.tracks[t].end, expected[t][2]) << t;
    }
}

TEST_F(SoundOutput, NoOutputIsSilenceNotAnError) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    Zentrova_B::BgmFile = WriteWav(folder.path() + "/a.wav", 0.2, 440);
    EXPECT_EQ(platform::SoundOutputCount(), 0u);
    char reply[32] = "";
    std::string open = "open \"" + Zentrova_B::BgmFile + "\" type MPEGVideo Alias quiet";
    EXPECT_EQ(platform::SendMediaCommand(open.c_str(), nullptr, 0, 0), 0);
    EXPECT_EQ(platform::SendMediaCommand("play quiet", nullptr, 0, 0), 0);
    EXPECT_EQ(platform::SendMediaCommand("status quiet mode", reply, sizeof reply, 0), 0);
    EXPECT_STREQ(reply, "playing");
    EXPECT_EQ(platform::SendMediaCommand("close quiet", nullptr, 0, 0), 0);
    EXPECT_EQ(platform::PlayWaveSound(Zentrova_B::BgmFile.c_str(), 0, 9), 0);
}

}  // namespace
