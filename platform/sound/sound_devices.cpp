// The sound devices on SDL2_mixer and libcdio: one output stream, music files as SDL_mixer
// music, CD sectors mixed into the output after SDL_mixer's own mix, and the wave channel.
#include "platform/sound/sound_devices.h"

#include "platform/sound/sound_wave.h"
#include "platform/words.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace sound {

namespace {

constexpr int kRate = 44100;
constexpr int kWaveChannel = 0;
constexpr int kSectorBytes = CDIO_CD_FRAMESIZE_RAW;  // 2352: 588 stereo 16-bit samples

bool outputOpen = false;
bool outputFailed = false;

// The wave sound: streamed when libsndfile reads the file, else an SDL_mixer chunk on its own
// channel (formats only SDL_mixer knows, decoded whole).
std::mutex waveMutex;  // guards waveStream against the audio thread
std::unique_ptr<WaveStream> waveStream;
Mix_Chunk* waveChunk = nullptr;

class CdioDrive;
std::mutex cdMutex;                   // guards the streaming drive and its state
CdioDrive* streamingDrive = nullptr;  // the drive whose sectors the output plays

// Whether `text` ends with `ending` (small letters), letter case aside.
bool EndsWith(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() &&
           platform::SameIgnoringCase(text.substr(text.size() - ending.size()), ending);
}

// ---- Audio CD ----

// A drive or disc image, read through libcdio and played on the SDL output. A reader thread of
// its own fills a small ring of sectors ahead of the output, so that a slow or spinning-up drive
// never holds up the audio thread or the caller of a status command: they only ever wait for
// cdMutex, which no disc read holds.
class CdioDrive : public CdDrive {
  public:
    explicit CdioDrive(std::string source)
        : source_(std::move(source)),
          ring_(kRingSectors * kSectorBytes),
          ringSectors_(kRingSectors) {
        reader_ = std::thread([this] { ReadAhead(); });
    }
    ~CdioDrive() override {
        Stop();
        {
            std::lock_guard lock(cdMutex);
            quit_ = true;
        }
        wake_.notify_all();
        reader_.join();
        if (cdio_) cdio_destroy(cdio_);
    }

    bool ReadToc(CdToc& toc) override {
        std::lock_guard lock(ioMutex_);
        if (!cdio_) cdio_ = cdio_open(source_.c_str(), DriverFor(source_));
        if (cdio_ && FillToc(toc)) {
            toc_ = toc;
            return true;
        }
        // No readable disc: let go, so that a disc put in later is found by the next call.
        if (cdio_) cdio_destroy(cdio_);
        cdio_ = nullptr;
        return false;
    }

    void Play(std::int32_t from, std::int32_t to) override {
        bool haveOutput = OpenOutput();
        {
            std::lock_guard lock(cdMutex);
            next_ = from;
            end_ = to;
            heardBytes_ = std::int64_t{from} * kSectorBytes;
            ringStart_ = ringBytes_ = 0;
            ++generation_;
            paused_ = false;
            streaming_ = from < to;
            // Without an output the disc stays "playing" at its start: silence, never an error.
            if (haveOutput) streamingDrive = this;
        }
        wake_.notify_all();
    }
    void Stop() override {
        std::lock_guard lock(cdMutex);
        streaming_ = paused_ = false;
        if (streamingDrive == this) streamingDrive = nullptr;
    }
    void Pause() override {
        std::lock_guard lock(cdMutex);
        paused_ = streaming_;
    }
    void Resume() override {
        std::lock_guard lock(cdMutex);
        paused_ = false;
    }
    std::int32_t Position() override {
        std::lock_guard lock(cdMutex);
        return static_cast<std::int32_t>(heardBytes_ / kSectorBytes);
    }
    bool Streaming() override {
        std::lock_guard lock(cdMutex);
        return streaming_;
    }

    // Adds this drive's next samples to the output (audio thread, cdMutex held). A ring that
    // has run dry only leaves a moment of silence.
    void Mix(Sint16* samples, int count) {
        bool took = false;
        while (count > 0 && streaming_ && !paused_) {
            if (ringBytes_ < 2) {
                if (next_ >= end_) {
                    streaming_ = false;
                    heardBytes_ = std::int64_t{end_} * kSectorBytes;
                }
                break;
            }
            // CD audio sectors hold little-endian samples.
            const std::uint8_t* byte = ring_.data() + ringStart_;
            int sum = *samples + static_cast<Sint16>(byte[0] | (byte[1] << 8));
            *samples++ = static_cast<Sint16>(std::clamp(sum, -32768, 32767));
            --count;
            // The ring holds whole sectors, each tagged with its place on the disc.
            std::int32_t sector = ringSectors_[ringStart_ / kSectorBytes];
            heardBytes_ = std::int64_t{sector} * kSectorBytes + ringStart_ % kSectorBytes + 2;
            ringStart_ = (ringStart_ + 2) % ring_.size();
            ringBytes_ -= 2;
            took = true;
        }
        if (took) wake_.notify_one();
    }

  private:
    static driver_id_t DriverFor(const std::string& source) {
        if (EndsWith(source, ".cue")) return DRIVER_BINCUE;
        if (EndsWith(source, ".toc")) return DRIVER_CDRDAO;
        if (EndsWith(source, ".nrg")) return DRIVER_NRG;
        return DRIVER_DEVICE;
    }

    bool FillToc(CdToc& toc) {
        track_t first = cdio_get_first_track_num(cdio_);
        track_t count = cdio_get_num_tracks(cdio_);
        if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) return false;
        toc = CdToc{};
        toc.leadout = cdio_get_track_lsn(cdio_, CDIO_CDROM_LEADOUT_TRACK);
        for (int n = first; n < first + count; ++n) {
            CdTrack track;
            track.number = n;
            track.start = cdio_get_track_lsn(cdio_, static_cast<track_t>(n));
            lsn_t pregap = cdio_get_track_pregap_lsn(cdio_, static_cast<track_t>(n));
            track.pregap = pregap == CDIO_INVALID_LSN ? track.start : pregap;
            track.audio =
                cdio_get_track_format(cdio_, static_cast<track_t>(n)) == TRACK_FORMAT_AUDIO;
            if (track.start == CDIO_INVALID_LSN) return false;
            toc.tracks.push_back(track);
        }
        // The length libcdio gives a track runs into the next one's pre-gap: cut it there.
        for (std::size_t i = 0; i < toc.tracks.size(); ++i)
            toc.tracks[i].end = i + 1 < toc.tracks.size() ? toc.tracks[i + 1].pregap : toc.leadout;
        return toc.leadout != CDIO_INVALID_LSN;
    }

    // Reads up to `count` sectors of sound from `from` on, passing over data tracks: sets
    // `from` to the first sector read and returns how many were (0 when no sound is left before
    // `end`). Sectors that cannot be read play as silence.
    int ReadSound(std::int32_t& from, std::int32_t end, int count, std::uint8_t* out) {
        std::lock_guard lock(ioMutex_);
        from = NextAudioSector(toc_, from, end);
        if (from >= end) return 0;
        count = std::min({count, end - from, AudioTrackEnd(toc_, from) - from});
        if (!cdio_ || cdio_read_audio_sectors(cdio_, out, from, count) != DRIVER_OP_SUCCESS)
            std::memset(out, 0, std::size_t(count) * kSectorBytes);
        return count;
    }

    void ReadAhead() {
        std::vector<std::uint8_t> chunk(kChunkSectors * kSectorBytes);
        std::unique_lock lock(cdMutex);
        while (true) {
            wake_.wait(lock, [&] {
                return quit_ ||
                       (streaming_ && next_ < end_ && ringBytes_ + chunk.size() <= ring_.size());
            });
            if (quit_) return;
            std::int32_t from = next_, end = end_;
            unsigned generation = generation_;
            lock.unlock();
            int count = ReadSound(from, end, kChunkSectors, chunk.data());
            lock.lock();
            if (generation != generation_) continue;  // a new Play came meanwhile
            Store(chunk, from, count);
            next_ = count > 0 ? from + count : end;
        }
    }

    // Appends `count` sectors from `first` on to the ring (cdMutex held).
    void Store(const std::vector<std::uint8_t>& chunk, std::int32_t first, int count) {
        std::size_t bytes = std::size_t(count) * kSectorBytes;
        std::size_t at = (ringStart_ + ringBytes_) % ring_.size();  // always a sector's start
        for (int i = 0; i < count; ++i)
            ringSectors_[(at / kSectorBytes + i) % kRingSectors] = first + i;
        for (std::size_t i = 0; i < bytes; ++i) ring_[(at + i) % ring_.size()] = chunk[i];
        ringBytes_ += bytes;
    }

    static constexpr int kChunkSectors = 8;
    static constexpr int kRingSectors = 32;  // about 0.4 s ahead

    std::string source_;
    std::mutex ioMutex_;  // guards cdio_ and toc_
    CdIo_t* cdio_ = nullptr;
    CdToc toc_;

    // Guarded by cdMutex.
    std::vector<std::uint8_t> ring_;
    std::vector<std::int32_t> ringSectors_;  // the disc sector in each sector-sized slot
    std::size_t ringStart_ = 0, ringBytes_ = 0;
    std::int32_t next_ = 0, end_ = 0;
    std::int64_t heardBytes_ = 0;
    bool streaming_ = false, paused_ = false, quit_ = false;
    unsigned generation_ = 0;

    std::condition_variable wake_;
    std::thread reader_;
};

// Adds the CD's sectors and the streamed wave sound to SDL_mixer's own mix (audio thread).
void MixStreams(void*, Uint8* stream, int length) {
    auto* samples = reinterpret_cast<Sint16*>(stream);
    {
        std::lock_guard lock(cdMutex);
        if (streamingDrive) streamingDrive->Mix(samples, length / 2);
    }
    std::lock_guard lock(waveMutex);
    if (waveStream) waveStream->Mix(samples, length / 2);
}

bool WaveStreamPlaying() {
    std::lock_guard lock(waveMutex);
    return waveStream && !waveStream->Finished();
}

// Waits until the wave sound has played once, bounded by its length when it is known.
void WaitForWave(std::int64_t lengthMs, bool (*playing)()) {
    Uint32 until = SDL_GetTicks() + static_cast<Uint32>((lengthMs > 0 ? lengthMs : 600000) + 500);
    while (playing() && SDL_GetTicks() < until) SDL_Delay(10);
}

bool PlayChunk(const char* file, bool loop, bool wait) {
    waveChunk = Mix_LoadWAV(file);
    if (!waveChunk) return false;
    if (Mix_PlayChannel(kWaveChannel, waveChunk, loop ? -1 : 0) < 0) {
        StopWave();
        return false;
    }
    if (wait) {
        // Bytes of 4-byte frames.
        WaitForWave(std::int64_t{waveChunk->alen} * 1000 / (kRate * 4),
                    [] { return Mix_Playing(kWaveChannel) != 0; });
        StopWave();
    }
    return true;
}

// ---- Music file ----

Mix_Music* musicOwner = nullptr;  // the music now given to SDL_mixer's single music stream

class SdlMusicPlayer : public MusicPlayer {
  public:
    ~SdlMusicPlayer() override {
        Stop();
        if (music_) Mix_FreeMusic(music_);
    }

    std::int32_t Load(const std::string& file) override {
        if (access(file.c_str(), R_OK) != 0) return mcierr::kFileNotFound;
        if (!OpenOutput()) return 0;  // no output: the file "plays" in silence
        music_ = Mix_LoadMUS(file.c_str());
        return music_ ? 0 : mcierr::kInvalidFile;
    }
    void Play(std::int64_t fromMs) override {
        silentPlaying_ = true;
        if (!music_) return;
        // A second music device takes over SDL_mixer's one music stream.
        musicOwner = music_;
        if (Mix_PlayMusic(music_, 0) == 0 && fromMs > 0) Mix_SetMusicPosition(fromMs / 1000.0);
    }
    void Stop() override {
        silentPlaying_ = false;
        if (Mine()) Mix_HaltMusic();
    }
    void Pause() override {
        if (Mine()) Mix_PauseMusic();
    }
    void Resume() override {
        if (Mine()) Mix_ResumeMusic();
    }
    bool Playing() override { return music_ ? Mine() && Mix_PlayingMusic() : silentPlaying_; }
    std::int64_t PositionMs() override {
        double seconds = music_ && Mine() ? Mix_GetMusicPosition(music_) : 0;
        return seconds > 0 ? static_cast<std::int64_t>(seconds * 1000) : 0;
    }
    std::int64_t LengthMs() override {
        double seconds = music_ ? Mix_MusicDuration(music_) : 0;
        return seconds > 0 ? static_cast<std::int64_t>(seconds * 1000) : 0;
    }

  private:
    bool Mine() const { return music_ && musicOwner == music_; }

    Mix_Music* music_ = nullptr;
    bool silentPlaying_ = false;
};

class Sdl final : public Backend {
  public:
    std::unique_ptr<CdDrive> OpenCd(std::int32_t& error) override {
        cdio_loglevel_default = static_cast<cdio_log_level_t>(CDIO_LOG_ASSERT + 1);
        if (const char* named = std::getenv("VELMORA_CDROM"); named && *named)
            return std::make_unique<CdioDrive>(named);
        char* device = cdio_get_default_device(nullptr);
        if (!device) {
            error = mcierr::kDeviceNotInstalled;
            return nullptr;
        }
        std::string source = device;
        std::free(device);
        return std::make_unique<CdioDrive>(source);
    }
    std::unique_ptr<MusicPlayer> OpenMusic() override { return std::make_unique<SdlMusicPlayer>(); }
};

}  // namespace

bool OpenOutput() {
    if (outputOpen) return true;
    if (outputFailed) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        outputFailed = true;
        return false;
    }
    // No format changes allowed: SDL converts, so the CD's own samples fit the stream as they are.
    if (Mix_OpenAudioDevice(kRate, AUDIO_S16SYS, 2, 1024, nullptr, 0) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        outputFailed = true;
        return false;
    }
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_FLAC);
    Mix_SetPostMix(MixStreams, nullptr);
    outputOpen = true;
    return true;
}

std::uint32_t OutputDevices() {
    if (!outputOpen) return 0;
    int count = SDL_GetNumAudioDevices(0);
    return count > 1 ? static_cast<std::uint32_t>(count) : 1;
}

void CloseOutputIfIdle(bool devicesOpen) {
    if (!outputOpen || devicesOpen || waveChunk) return;
    {
        std::lock_guard lock(waveMutex);
        if (waveStream) return;
    }
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    outputOpen = false;
    musicOwner = nullptr;
}

Backend& SdlBackend() {
    static Sdl backend;
    return backend;
}

bool PlayWave(const char* file, bool loop, bool wait) {
    StopWave();
    if (!OpenOutput()) return false;
    std::unique_ptr<WaveStream> stream = WaveStream::Open(file, loop, kRate);
    if (!stream) return PlayChunk(file, loop, wait);
    std::int64_t lengthMs = stream->LengthMs();
    {
        std::lock_guard lock(waveMutex);
        waveStream = std::move(stream);
    }
    if (wait) {
        WaitForWave(lengthMs, WaveStreamPlaying);
        StopWave();
    }
    return true;
}

void StopWave() {
    std::unique_ptr<WaveStream> stopped;
    {
        std::lock_guard lock(waveMutex);
        stopped = std::move(waveStream);
    }
    stopped.reset();  // closed outside the lock, the audio thread no longer sees it
    if (!waveChunk) return;
    Mix_HaltChannel(kWaveChannel);
    Mix_FreeChunk(waveChunk);
    waveChunk = nullptr;
}

}  // namespace sound
