// A sound file decoded while it plays, one block at a time: libsndfile reads WAV in the
// encodings it knows (PCM, float, ADPCM, A-law, mu-law, GSM 6.10, MPEG Layer III) and the other
// formats it knows (MP3, Ogg, FLAC, AIFF...); SDL converts the blocks to the output's rate and
// layout. Memory stays the same whatever the file's length, and a loop joins end to start
// without a gap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace sound {

class WaveStream {
  public:
    // Opens `file` for playing at `rate` Hz, 16-bit stereo, and decodes its first block. Null
    // when libsndfile cannot read the file or it holds no sound.
    static std::unique_ptr<WaveStream> Open(const std::string& file, bool loop, int rate);
    ~WaveStream();
    WaveStream(const WaveStream&) = delete;
    WaveStream& operator=(const WaveStream&) = delete;

    // Adds the next `count` samples (interleaved stereo) to `samples`, clipping the sum. Once
    // the sound has ended (played once, or its file can no longer be read) it adds nothing and
    // Finished() is true.
    void Mix(std::int16_t* samples, int count);
    bool Finished() const { return finished_; }

    // The length of one pass in milliseconds; 0 when the file does not say.
    std::int64_t LengthMs() const { return lengthMs_; }

  private:
    struct Decoder;
    explicit WaveStream(std::unique_ptr<Decoder> decoder);

    // Decodes the next block into the converter, going back to the start at the end of a loop.
    // False when nothing more comes.
    bool Refill();

    std::unique_ptr<Decoder> decoder_;
    std::int64_t lengthMs_ = 0;
    bool finished_ = false;
    bool flushed_ = false;
};

}  // namespace sound
