// The "cdaudio" device: a disc's table of contents, where its sound lies, positions in the
// device's time formats, and the device's answers to the command verbs over a CdDrive, the
// platform's half that reads and streams the disc. Pure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/mci_language.h"

namespace sound {

constexpr std::int32_t kFramesPerSecond = 75;  // CD sectors ("frames") a second
constexpr std::int32_t kLeadIn = 150;  // MSF times count the 2 s lead-in: sector 0 = 00:02:00

struct CdTrack {
    int number = 0;
    std::int32_t pregap = 0;  // first sector of the track's pre-gap (== start when it has none)
    std::int32_t start = 0;   // first sector of the track proper (index 1)
    std::int32_t end = 0;     // one past its last sector: the next track's pre-gap, or lead-out
    bool audio = true;
};

struct CdToc {
    std::vector<CdTrack> tracks;  // in disc order, numbers ascending
    std::int32_t leadout = 0;
};

// A disc drive (or disc image) together with the sound output it streams to.
class CdDrive {
  public:
    virtual ~CdDrive() = default;
    // Reads the disc's table of contents; false when there is no readable disc.
    virtual bool ReadToc(CdToc& toc) = 0;
    // Streams sectors [from, to) to the output, replacing anything playing.
    virtual void Play(std::int32_t from, std::int32_t to) = 0;
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // The sector being heard, or where playback stopped or ended.
    virtual std::int32_t Position() = 0;
    // True from Play until the end sector is reached or Stop (also while paused).
    virtual bool Streaming() = 0;
};

// Where sound is on a disc: sectors of audio tracks, less the pre-gap of an audio track that
// follows a data track (on a disc that gap belongs to the data track's area).

// The first sector at or after `sector` that plays as sound, or `limit` when none comes before
// it.
std::int32_t NextAudioSector(const CdToc& toc, std::int32_t sector, std::int32_t limit);

// One past the last sector of the track holding `sector` (a sector that plays as sound).
std::int32_t AudioTrackEnd(const CdToc& toc, std::int32_t sector);

// One past the last sound sector before `end`; 0 when the disc has none before it.
std::int32_t LastAudioEnd(const CdToc& toc, std::int32_t end);

// tmsf position text "TT:MM:SS:FF" of a sector; the sector before the first track, or in a
// pre-gap, counts as the start of the track that follows.
std::string FormatTmsf(const CdToc& toc, std::int32_t sector);

// The device over `drive` (not null), in the msf time format; it reads the disc's contents
// when a command first needs them, and stops the drive when it goes.
std::unique_ptr<Device> MakeCdDevice(std::unique_ptr<CdDrive> drive);

}  // namespace sound
