// The decisions of a full-screen run that need no display: which music starts and stops, where
// the renderer lives, and when the renderer watch ends the run.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base.h"

namespace run {

// The kind of a music file, told by the last three characters of its name, upper-cased.
enum class MusicFile { Other, Wav, Mp3 };
MusicFile MusicFileKind(std::string_view file);

// What the load handler starts for the configured music kind (0 none, 1 audio CD, 2 file).
enum class MusicStart { None, Cd, Wav, Mp3 };
MusicStart MusicToStart(std::int16_t bgmMode, std::string_view file);

// What the unload handler stops. The CD is closed only while its watch timer is on: that timer
// is the record that the CD is in use.
struct MusicStop {
    bool cdClose = false;
    bool wavStop = false;
    bool mp3Close = false;
};
MusicStop MusicToStop(bool cdTimerOn, std::int16_t bgmMode, std::string_view file);

// What the user is told when the desktop could not be captured and the run ends without it;
// `why` is the capture's own reason, in words.
std::string CaptureFailedMessage(std::string_view why);

// What the user is told when the run lock can't be used and the start is refused; `why` is the
// lock's own reason.
std::string LockUnusableMessage(std::string_view why);

// The host's exit status after a run, which tells how the run ended.
inline constexpr int kEndedWell = 0;         // the renderer ended by itself with 0 (Escape)
inline constexpr int kNoPicture = 1;         // no picture of the desktop: nothing was started
inline constexpr int kRendererFailed = 2;    // the renderer could not start, or ended with an
                                             // error of its own (a status other than 0)
inline constexpr int kRendererKilled = 3;    // the renderer was killed (a signal, a fault), or
                                             // the host had to end it (no window in time, or
                                             // its window went while the process stayed)
inline constexpr int kDisplayLost = 4;       // the connection to the display was lost (the X
                                             // server or the compositor ended)
inline constexpr int kLockUnusable = 5;      // the run lock could not be used: nothing started
inline constexpr int kDesktopShielded = 6;   // the desktop's screen saver, lock or blank was on:
                                             // no run started
inline constexpr int kYieldedToDesktop = 7;  // the desktop's screen saver, lock or blank came on
                                             // during the run, which ended as on Escape
inline constexpr int kEndRequestBase = 128;  // + the request's number: the host was asked to end
// The number a close request from the window system counts as: that of SIGTERM, the system's
// plain request to end.
inline constexpr int kCloseRequest = 15;

// How a run ended, as the host saw it at its end.
struct RunEnd {
    int endRequest = 0;    // the system's request to end the host (platform::EndRequest), or 0
    bool yielded = false;  // the desktop's shield came on and the host ended the run for it
    bool rendererStarted = false;
    // How the renderer ended by itself; Running when it was still running and the host ended it.
    platform::ProgramEnding renderer;
};

// The exit status for `end`: a request to end the host counts first, then the desktop's shield,
// then the renderer's own ending. A renderer whose ending is unknown (reaped elsewhere) counts as
// ended well.
int ExitStatus(const RunEnd& end);

// The renderer program beside the host: <program folder>/Velmora.dll.
std::string RendererPathIn(std::string_view programFolder);

// The watch on the renderer's window, asked once a tick. Until the window has been seen, its
// absence ends the run only when the renderer process has ended or the grace time has passed
// (the renderer takes a few hundred milliseconds to open its window); once it has been seen,
// the first tick without it ends the run.
class RendererWatch {
  public:
    static constexpr std::chrono::milliseconds kGrace{10000};
    enum class Verdict { Watch, End };

    Verdict Tick(bool windowFound, bool rendererEnded, std::chrono::milliseconds sinceStart);
    bool WindowSeen() const { return seen_; }

  private:
    bool seen_ = false;
};

}  // namespace run
