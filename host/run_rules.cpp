// The display-free decisions of a full-screen run (see run_rules.h).
#include "host/run_rules.h"

#include "platform/base.h"
#include "platform/words.h"
#include "shared/names.h"

namespace run {

MusicFile MusicFileKind(std::string_view file) {
    // Only ASCII letters can upper-case to "WAV" or "MP3", so the last three bytes decide: a
    // multi-byte character there never matches, as it would not after upper-casing either.
    if (file.size() < 3) return MusicFile::Other;
    const std::string_view last = file.substr(file.size() - 3);
    if (platform::SameIgnoringCase(last, "WAV")) return MusicFile::Wav;
    if (platform::SameIgnoringCase(last, "MP3")) return MusicFile::Mp3;
    return MusicFile::Other;
}

MusicStart MusicToStart(std::int16_t bgmMode, std::string_view file) {
    if (bgmMode == 1) return MusicStart::Cd;
    if (bgmMode != 2) return MusicStart::None;
    switch (MusicFileKind(file)) {
        case MusicFile::Wav:
            return MusicStart::Wav;
        case MusicFile::Mp3:
            return MusicStart::Mp3;
        case MusicFile::Other:
            break;
    }
    return MusicStart::None;
}

MusicStop MusicToStop(bool cdTimerOn, std::int16_t bgmMode, std::string_view file) {
    MusicStop stop;
    stop.cdClose = cdTimerOn;
    if (bgmMode == 2) {
        const MusicFile kind = MusicFileKind(file);
        stop.wavStop = kind == MusicFile::Wav;
        stop.mp3Close = kind == MusicFile::Mp3;
    }
    return stop;
}

std::string CaptureFailedMessage(std::string_view why) {
    if (why.empty())
        return platform::Translate(
            "Velmora could not take a picture of the desktop, so the screensaver does not start.");
    return platform::FillIn(platform::Translate("Velmora could not take a picture of the desktop, "
                                                "so the screensaver does not start.\n\n"
                                                "Reason: %s."),
                            {why});
}

std::string LockUnusableMessage(std::string_view why) {
    return platform::FillIn(platform::Translate("Velmora does not start: it cannot use its run "
                                                "lock, which keeps two runs from going at once.\n\n"
                                                "Reason: %s."),
                            {why});
}

int ExitStatus(const RunEnd& end) {
    if (end.endRequest != 0) return kEndRequestBase + end.endRequest;
    if (end.yielded) return kYieldedToDesktop;
    if (!end.rendererStarted) return kRendererFailed;
    switch (end.renderer.how) {
        case platform::ProgramEnding::How::Exited:
            return end.renderer.code == 0 ? kEndedWell : kRendererFailed;
        case platform::ProgramEnding::How::Killed:
        case platform::ProgramEnding::How::Running:
            return kRendererKilled;
        case platform::ProgramEnding::How::Unknown:
            break;
    }
    return kEndedWell;
}

std::string RendererPathIn(std::string_view programFolder) {
    return platform::PathInFolder(programFolder, names::kRendererFileName);
}

RendererWatch::Verdict RendererWatch::Tick(bool windowFound, bool rendererEnded,
                                           std::chrono::milliseconds sinceStart) {
    if (windowFound) {
        seen_ = true;
        return Verdict::Watch;
    }
    if (seen_ || rendererEnded || sinceStart >= kGrace) return Verdict::End;
    return Verdict::Watch;
}

}  // namespace run
