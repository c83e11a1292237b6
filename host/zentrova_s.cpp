// Zentrova_S, the hidden full-screen form that performs a screensaver run: it captures the
// desktop, starts the music and the renderer, watches the renderer's window (its process where
// the window search can't see the renderer's surfaces) and, once that is gone (or the host is
// asked to end, which wakes its loop at once), ends the renderer if it still runs, stops the music,
// shows the pointer again and ends the host with a status that tells how the run went. A run never
// starts under the desktop's screen saver, lock or blank, and ends as on Escape when one comes on.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "forms/forms.h"
#include "host/capture.h"
#include "host/music/zentrova_bgm.h"
#include "host/role.h"
#include "host/roles.h"
#include "host/run_rules.h"
#include "host/zentrova_b.h"
#include "platform/base.h"
#include "platform/monitor_layout.h"
#include "platform/trace.h"
#include "platform/window_system.h"
#include "shared/names.h"

namespace Zentrova_S {
namespace {

using Clock = std::chrono::steady_clock;

// The desktop's shield, watched from before the capture to the end of the run.
std::unique_ptr<platform::DesktopShieldWatch> shieldWatch;

class FullScreenForm : public forms::Form {
  public:
    FullScreenForm()
        : Form(forms::ScreenWidthPixels(), forms::ScreenHeightPixels(), names::kRunTitle),
          Timer1(this),
          Timer2(this),
          Timer3(this) {
        forms::FormStyle style;
        style.titleBar = false;
        SetStyle(style);
        Timer1.SetInterval(1000);
        Timer2.SetInterval(200);
        Timer3.SetInterval(100);
        Timer1.OnTimer([this] { Timer1_Timer(); });
        Timer2.OnTimer([this] { Timer2_Timer(); });
        Timer3.OnTimer([this] { Timer3_Timer(); });
    }

    forms::PictureBox* Display = nullptr;
    forms::Timer Timer1;  // music-file watch (MP3 only)
    forms::Timer Timer2;  // audio-CD watch; whether it is on records that the CD is in use
    forms::Timer Timer3;  // renderer-window watch

  protected:
    void CreateControls() override {
        const forms::Rect client = Bounds();
        Display = AddPictureBox({0, 0, client.width, client.height});
        Display->SetBackColour(0x000000);
        Display->Cls();
    }

    void Form_Load() override {
        trace::Mark("form-load");
        // The screen is every monitor: the capture surface is their bounding box. The list is
        // read once, so that the form and the picture agree on it.
        const std::vector<platform::MonitorRect> monitors = platform::Monitors();
        const platform::MonitorRect desktop = platform::BoundingBox(monitors);
        const int width = desktop.width, height = desktop.height;
        SetBounds({0, 0, width, height});
        Display->SetBounds({0, 0, width, height});
        // Where the outputs have more pixels than the layout's units (a Wayland session at a
        // scale above 1) the picture keeps all of them, in a picture box of its own that is
        // shown nowhere: the renderer shows it.
        // The session is asked once how to capture it, so that the picture is sized and filled
        // by the same answers.
        const platform::CapturePlan plan = platform::PlanCapture(monitors);
        const platform::ScreenSize picture = plan.picture;
        std::unique_ptr<forms::PictureBox> fullSize;
        if (picture.width != width || picture.height != height)
            fullSize = std::make_unique<forms::PictureBox>(0, 0, picture.width, picture.height);
        std::string why;
        if (!Zentrova_B::CaptureDesktop(fullSize ? *fullSize : *Display, plan,
                                        names::kHandOffBitmap, &why)) {
            trace::Mark("capture-failed", why);
            EndWithoutPicture(why);
        }
        trace::Mark("capture-saved");
        // From here on a request to end the host ends the run as Escape would, as soon as it
        // comes: it wakes the loop, so that a companion that ends its run waits no longer than
        // it would for a host that simply died. Before this point the system's default ends
        // the host at once, which leaves nothing behind: no music and no renderer have started
        // yet.
        platform::CatchEndRequests();
        forms::OnEndRequest([this] { EndRequested(); });
        StartMusic();
        Zentrova_B::RendererPath = run::RendererPathIn(forms::ProgramFolder());
        // Asked to end meanwhile: no renderer is started only to be ended at the first tick.
        if (platform::EndRequest() == 0) StartRenderer();
        rendererStart_ = Clock::now();
        Timer3.SetEnabled(true);
    }

    void Form_QueryUnload(bool& cancel, forms::UnloadMode mode) override {
        (void)cancel;
        // Whatever ends the run ends the renderer with it. A close request from the window
        // system (Windows' taskkill, for one) counts as a request to end.
        run::RunEnd end = EndRenderer(mode == forms::UnloadMode::ControlMenu);
        const run::MusicStop stop =
            run::MusicToStop(Timer2.Enabled(), Zentrova_B::BgmMode, Zentrova_B::BgmFile);
        if (stop.cdClose) {
            Timer2.SetEnabled(false);
            Zentrova_BGM::CdClose();
        }
        if (stop.wavStop) Zentrova_BGM::WavStop();
        if (stop.mp3Close) {
            Timer1.SetEnabled(false);
            Zentrova_BGM::Mp3Close();
        }
        ShowPointerAgain();
        AwaitRenderer(end);
        trace::Mark("run-end");
        forms::End(run::ExitStatus(end));
    }

  private:
    // A run that hid the pointer (/s) shows it again as it ends.
    static void ShowPointerAgain() {
        if (Zentrova_B::RoleOf(forms::CommandLine()) == Zentrova_B::Role::Run)
            Zentrova_B::CursorCount = platform::ShowCursor(Zentrova_B::CursorCount != 0);
    }

    // A run whose desktop could not be captured never shows a black picture in its place: the
    // pointer comes back, the user is told why (on standard error alone in an unattended run,
    // where no box may wait for nobody), and the host ends (status 1) before any music or
    // renderer has started.
    [[noreturn]] void EndWithoutPicture(const std::string& why) {
        ShowPointerAgain();
        const std::string title = platform::Translate("Error");
        if (platform::RunIsUnattended())
            platform::TellOnStandardError(title, run::CaptureFailedMessage(why));
        else
            forms::MsgBox(title, run::CaptureFailedMessage(why));
        trace::Mark("run-end");
        forms::End(run::kNoPicture);
    }

    // The renderer as a process that ends with the host, whatever ends the host.
    void StartRenderer() {
        std::string why;
        renderer_ = forms::Shell(Zentrova_B::RendererPath, &why);
        Zentrova_B::LastApiResult = renderer_.id;
        if (!renderer_.Started())
            platform::WriteToStandardError(
                platform::FillIn(platform::Translate("Velmora: cannot start %s: %s\n"),
                                 {Zentrova_B::RendererPath, why}));
        trace::Mark("renderer-started");
    }

    // Says how the run ended so far and ends a renderer that has to go now: one asked to end
    // with the host, or one whose window never showed. A renderer whose window has gone is left
    // to end by itself (AwaitRenderer), so that its own status counts.
    run::RunEnd EndRenderer(bool closeRequested) {
        run::RunEnd end;
        end.endRequest = platform::EndRequest();
        if (end.endRequest == 0 && closeRequested) end.endRequest = run::kCloseRequest;
        end.yielded = yielded_;
        end.rendererStarted = renderer_.Started();
        end.renderer = platform::ProgramStatus(renderer_);
        if (!end.renderer.Ended() && (end.endRequest != 0 || yielded_ || !watch_.WindowSeen()))
            EndNow();
        return end;
    }

    // Once the music has stopped and the pointer is back, waits for a renderer whose window has
    // gone to end by itself and takes its status; one that takes too long is ended. Its exit
    // may take a while on a busy machine, which the user no longer sees.
    void AwaitRenderer(run::RunEnd& end) {
        if (end.renderer.Ended() || !renderer_.Started()) return;
        const auto until = Clock::now() + kSelfEndingTime;
        while (!platform::ProgramEnded(renderer_) && Clock::now() < until)
            platform::SleepUntil(platform::MonotonicNanoseconds() + 5'000'000);
        end.renderer = renderer_.ending;
        if (!end.renderer.Ended()) EndNow();
    }

    void EndNow() {
        platform::EndProgram(renderer_, kEndingTime.count());
        trace::Mark("renderer-ended-by-host");
    }

    void StartMusic() {
        switch (run::MusicToStart(Zentrova_B::BgmMode, Zentrova_B::BgmFile)) {
            case run::MusicStart::Cd:
                Zentrova_BGM::CdOpen();
                Timer2.SetEnabled(true);
                break;
            case run::MusicStart::Wav:
                Zentrova_BGM::WavPlay();
                break;
            case run::MusicStart::Mp3:
                Zentrova_BGM::Mp3Open();
                Timer1.SetEnabled(true);
                break;
            case run::MusicStart::None:
                break;
        }
    }

    void Timer1_Timer() { Zentrova_BGM::Mp3Watch(); }

    void Timer2_Timer() {
        Zentrova_BGM::CdWatch();
        Timer2.SetEnabled(Zentrova_BGM::CdWatchActive);
    }

    void EndRequested() {
        trace::Mark("end-requested");
        Timer3.SetEnabled(false);
        Unload();
    }

    void Timer3_Timer() {
        if (YieldToDesktop()) return;
        // Where the renderer may draw on surfaces the window search can't see, its process
        // stands for its window: the run ends when the process does.
        const bool found = followProcess_
                               ? !platform::ProgramEnded(renderer_)
                               : platform::WatchedWindowWithTitleExists(names::kRendererTitle);
        // Only needed while the window is missing; asking also reaps the renderer once it has
        // ended.
        const bool ended = !found && platform::ProgramEnded(renderer_);
        const auto since =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - rendererStart_);
        const bool seenBefore = watch_.WindowSeen();
        const auto verdict = watch_.Tick(found, ended, since);
        if (!seenBefore && watch_.WindowSeen()) trace::Mark("renderer-window-seen");
        if (verdict == run::RendererWatch::Verdict::Watch) return;
        Timer3.SetEnabled(false);
        Unload();
    }

    // Ends the run as Escape would when the desktop's shield has come on: nothing of the run
    // goes on under it. True when it has.
    bool YieldToDesktop() {
        const platform::DesktopShield shield =
            shieldWatch ? shieldWatch->Active() : platform::DesktopShield::Off;
        if (shield == platform::DesktopShield::Off) return false;
        trace::Mark("desktop-shield", platform::DesktopShieldName(shield));
        platform::WriteToStandardError(
            platform::FillIn(platform::Translate("Velmora: the run ends: the desktop's screen "
                                                 "saver or lock came on (%s)\n"),
                             {std::string(platform::DesktopShieldName(shield))}));
        yielded_ = true;
        Timer3.SetEnabled(false);
        Unload();
        return true;
    }

    // How long a renderer whose window has gone may take to end by itself, and how long one
    // asked to end may take before it is killed.
    static constexpr std::chrono::milliseconds kSelfEndingTime{5000};
    static constexpr std::chrono::milliseconds kEndingTime{1000};

    run::RendererWatch watch_;
    bool yielded_ = false;
    const bool followProcess_ = platform::WindowSearchMissesSurfaces();
    platform::Process renderer_;
    Clock::time_point rendererStart_{};
};

}  // namespace

void WatchDesktopShield() {
    shieldWatch = std::make_unique<platform::DesktopShieldWatch>();
    const platform::DesktopShield shield = shieldWatch->Active();
    if (shield == platform::DesktopShield::Off) return;
    const std::string name(platform::DesktopShieldName(shield));
    trace::Mark("desktop-shielded", name);
    platform::WriteToStandardError(platform::FillIn(
        platform::Translate("Velmora: no run: the desktop's screen saver or lock is on (%s)\n"),
        {name}));
    forms::End(run::kDesktopShielded);
}

void Load() {
    // Lives until the program ends: the run ends the host from its unload handler.
    static FullScreenForm* const form = new FullScreenForm();
    form->Load();
}

}  // namespace Zentrova_S
