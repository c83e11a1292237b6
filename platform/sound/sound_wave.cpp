// The streamed sound file: libsndfile decodes a block whenever the output's converter runs dry,
// and rewinds (or reopens, for encodings that cannot seek) at the end of a loop.
#include "platform/sound/sound_wave.h"

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <vector>

namespace sound {

namespace {

constexpr int kBlockFrames = 2048;
constexpr int kOutChannels = 2;
constexpr int kMixSamples = 4096;  // the most samples handed over from the converter at once

SNDFILE* OpenFile(const std::string& path, SF_INFO& info) {
    info = SF_INFO{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return nullptr;
    if (info.channels < 1 || info.samplerate < 1 || info.samplerate > 1000000) {
        sf_close(file);
        return nullptr;
    }
    return file;
}

}  // namespace

struct WaveStream::Decoder {
    std::string path;
    bool loop = false;
    SNDFILE* file = nullptr;
    SF_INFO info{};
    SDL_AudioStream* converter = nullptr;
    // Decoded frames in the file's own channels, as floats of -1.0..1.0 whatever the encoding:
    // read as 16-bit integers, floating-point samples would be cut to -1..1 of 32767, silence.
    std::vector<float> block;
    std::vector<Sint16> converted;  // the output's samples, on their way to the mix

    ~Decoder() {
        if (converter) SDL_FreeAudioStream(converter);
        if (file) sf_close(file);
    }

    // One channel stays one (SDL spreads it over both); more than two keep their first two.
    int Channels() const { return info.channels == 1 ? 1 : kOutChannels; }

    // Back to the first frame: a seek, or for encodings that cannot seek the file opened again
    // (it must still be the same kind of sound).
    bool Rewind() {
        if (info.seekable && sf_seek(file, 0, SEEK_SET) == 0) return true;
        SF_INFO again;
        SNDFILE* reopened = OpenFile(path, again);
        if (!reopened) return false;
        if (again.channels != info.channels || again.samplerate != info.samplerate) {
            sf_close(reopened);
            return false;
        }
        sf_close(file);
        file = reopened;
        info = again;
        return true;
    }

    // Decodes up to one block and hands it to the converter; the number of frames decoded.
    sf_count_t Decode() {
        sf_count_t frames = sf_readf_float(file, block.data(), kBlockFrames);
        if (frames <= 0) return 0;
        if (info.channels > kOutChannels) {
            for (sf_count_t i = 0; i < frames; ++i) {
                block[i * kOutChannels] = block[i * info.channels];
                block[i * kOutChannels + 1] = block[i * info.channels + 1];
            }
        }
        int bytes = static_cast<int>(frames) * Channels() * static_cast<int>(sizeof(float));
        return SDL_AudioStreamPut(converter, block.data(), bytes) == 0 ? frames : 0;
    }
};

std::unique_ptr<WaveStream> WaveStream::Open(const std::string& file, bool loop, int rate) {
    auto decoder = std::make_unique<Decoder>();
    decoder->path = file;
    decoder->loop = loop;
    decoder->file = OpenFile(file, decoder->info);
    if (!decoder->file) return nullptr;
    decoder->block.resize(std::size_t(kBlockFrames) * decoder->info.channels);
    decoder->converted.resize(kMixSamples);
    decoder->converter =
        SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(decoder->Channels()),
                           decoder->info.samplerate, AUDIO_S16SYS, kOutChannels, rate);
    if (!decoder->converter || decoder->Decode() == 0) return nullptr;
    std::unique_ptr<WaveStream> stream(new WaveStream(std::move(decoder)));
    return stream;
}

WaveStream::WaveStream(std::unique_ptr<Decoder> decoder) : decoder_(std::move(decoder)) {
    const SF_INFO& info = decoder_->info;
    if (info.frames > 0 && info.frames < SF_COUNT_MAX / 1000)
        lengthMs_ = info.frames * 1000 / info.samplerate;
}

WaveStream::~WaveStream() = default;

bool WaveStream::Refill() {
    if (flushed_) return false;
    if (decoder_->Decode() > 0) return true;
    // The end of the file: a loop goes on with its first frames in the same converter, so no
    // gap and no click come between the passes.
    if (decoder_->loop && decoder_->Rewind() && decoder_->Decode() > 0) return true;
    SDL_AudioStreamFlush(decoder_->converter);
    flushed_ = true;
    return SDL_AudioStreamAvailable(decoder_->converter) > 0;
}

void WaveStream::Mix(std::int16_t* samples, int count) {
    std::vector<Sint16>& converted = decoder_->converted;
    while (count > 0 && !finished_) {
        int available = SDL_AudioStreamAvailable(decoder_->converter) / int(sizeof(Sint16));
        if (available == 0) {
            finished_ = !Refill();
            continue;
        }
        int take = std::min({count, available, kMixSamples});
        int got =
            SDL_AudioStreamGet(decoder_->converter, converted.data(), take * int(sizeof(Sint16))) /
            int(sizeof(Sint16));
        if (got <= 0) {
            finished_ = !Refill();
            continue;
        }
        for (int i = 0; i < got; ++i)
            samples[i] =
                static_cast<std::int16_t>(std::clamp(samples[i] + converted[i], -32768, 32767));
        samples += got;
        count -= got;
    }
}

}  // namespace sound
