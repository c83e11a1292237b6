// The host's forms runtime: forms that are loaded hidden, shown modeless or modal and unloaded
// through their QueryUnload/Unload handlers; the controls they create (controls.h); timers that
// tick through the event loop one at a time; the message box and the file chooser; starting a
// program; the screen; ending the program; and the loop that runs while a form lives, which
// also wakes for a request to end the program. A backend per system implements it (forms/fltk/
// on Linux); nothing here names a toolkit.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/controls.h"
#include "forms/picture.h"
#include "platform/base.h"

namespace forms {

// A native window id (an X window, a window handle) as the platform layer takes it.
using NativeWindow = platform::NativeWindow;

class Timer;

// Why a form is being unloaded, as Form_QueryUnload is told.
enum class UnloadMode {
    ControlMenu = 0,  // the user closed the window
    Code = 1,         // Unload() called by the program
};

// How a form's window looks; set before the form loads.
struct FormStyle {
    bool titleBar = true;    // false: no title bar and no frame
    bool fixedSize = false;  // the user cannot resize it
    // Not managed by the desktop: placed exactly where asked, never framed (a window that is
    // about to become another program's child).
    bool unmanaged = false;
    std::optional<std::uint32_t> backColour;  // 0xRRGGBB; the system's face colour when unset
    ImageData icon;                           // the window's icon; none when empty
};

// A form: a top-level window with its controls, created hidden by Load() and destroyed by
// Unload(). Subclasses build their controls in CreateControls() and react in the handlers.
class Form {
  public:
    // Size of the client area in pixels and the caption.
    Form(int width, int height, std::string caption);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the window and its controls hidden and runs Form_Load. Does nothing when the
    // form is loaded already. False when the form is not loaded afterwards.
    bool Load();
    // Loads the form if needed and shows it; returns at once.
    void Show();
    // Loads the form if needed, shows it and runs the event loop until it is hidden or unloaded.
    void ShowModal();
    void Hide();
    // Runs Form_QueryUnload, then Form_Unload; either may cancel. Then stops the form's timers
    // and destroys the window with its controls. True when the form is no longer loaded.
    bool Unload(UnloadMode mode = UnloadMode::Code);

    bool Loaded() const { return native_ != nullptr; }
    bool Visible() const;
    // The native window that carries the caption: the form's window while shown; while hidden,
    // whatever keeps a hidden form findable by its title. 0 when not loaded.
    NativeWindow WindowId() const;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

    // The client area on the screen in pixels (for an embedded form, in its parent's).
    Rect Bounds() const;
    void SetBounds(const Rect& bounds);
    void Move(int x, int y);
    // The colour of the client area where nothing else is painted.
    std::uint32_t BackColour() const;
    // Paints row y of the client area (from the top) in rows[y] across its width; rows below
    // keep the back colour. Controls draw over it.
    void SetBackgroundRows(std::vector<std::uint32_t> rows);

    // ---- Controls ----
    // Creates a control on the loaded form, in its client area or inside `in` (a panel of this
    // form); nullptr when the form is not loaded. The form owns it until it unloads.
    PictureBox* AddPictureBox(const Rect& bounds, Panel* in = nullptr);
    Panel* AddPanel(const Rect& bounds, Panel* in = nullptr);
    Label* AddLabel(const Rect& bounds, std::string text, Panel* in = nullptr);
    OptionButton* AddOptionButton(const Rect& bounds, ImageData off, ImageData on,
                                  Panel* in = nullptr);
    ImageBox* AddImageBox(const Rect& bounds, Panel* in = nullptr);
    ComboBox* AddComboBox(const Rect& bounds, Panel* in = nullptr);
    FrameShape* AddFrameShape(const Rect& bounds, Panel* in = nullptr);
    PaintSurface* AddPaintSurface(const Rect& bounds, Panel* in = nullptr);

  protected:
    // Takes effect at the next Load.
    void SetStyle(FormStyle style) { style_ = std::move(style); }
    const FormStyle& Style() const { return style_; }

    // Adds the controls; called by Load with the window made, before Form_Load.
    virtual void CreateControls() {}
    virtual void Form_Load() {}
    // The client area got its size: when the form first shows, and after each change of size.
    virtual void Form_Resize() {}
    virtual void Form_QueryUnload(bool& cancel, UnloadMode mode) {
        (void)cancel;
        (void)mode;
    }
    virtual void Form_Unload(bool& cancel) { (void)cancel; }

  public:
    // The backend's window, its controls and its state: defined by the backend, which reaches
    // the form's handlers through it (a nested class sees the form's protected members).
    struct Native;
    struct NativeDeleter {
        void operator()(Native* native) const;  // backend: destroys the window and its controls
    };
    Native* NativePart() const { return native_.get(); }

  private:
    friend class Timer;
    // Backend: makes the hidden window and its native part.
    std::unique_ptr<Native, NativeDeleter> CreateNative();
    // Takes the form off the loaded list and destroys its window and controls.
    void DropWindow();

    int width_;
    int height_;
    std::string caption_;
    FormStyle style_;
    std::unique_ptr<Native, NativeDeleter> native_;
    bool unloading_ = false;
    std::vector<Timer*> timers_;
};

// A timer control: ticks every Interval() ms while enabled and the interval is above zero.
// Ticks arrive through the event loop; a tick never starts while the previous one of the same
// timer still runs (a handler that runs a nested loop does not see itself again).
class Timer {
  public:
    // A timer on `owner` stops when the form unloads.
    explicit Timer(Form* owner = nullptr);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    int Interval() const { return interval_; }
    // Changing the interval of a running timer starts its countdown afresh.
    void SetInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    void OnTimer(std::function<void()> handler) { handler_ = std::move(handler); }

    // For the backend: runs one tick (when due) and arms the next countdown afterwards.
    void Fire();

  private:
    friend class Form;
    // Backend: starts the countdown of Interval() ms, or stops it.
    void Arm();
    void Disarm();
    void Rearm();

    Form* owner_;
    int interval_ = 0;
    bool enabled_ = false;
    bool ticking_ = false;
    std::function<void()> handler_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// ---- Dialogs -----------------------------------------------------------------------------------

// A modal box titled `title` showing `text` with one OK button; returns once it is dismissed.
// The platform's box (platform::ShowMessageBox): its lines fit the monitor it shows on, and the
// message also goes whole to standard error.
void MsgBox(const std::string& title, const std::string& text);

// What a file chooser is opened with: one filter entry whose patterns ("*.mp3;*.wav") match the
// extensions in any letter case.
struct FileRequest {
    std::string title;
    std::string filterName;
    std::string pattern;
    std::string folder;
};

// Shows the system's file chooser modally, of the kind that saves (a name typed in need not
// exist; no question about replacing). The confirmed path, or nothing when cancelled or failed.
std::optional<std::string> ChooseFile(const FileRequest& request);

// ---- Program, screen, loop ---------------------------------------------------------------------

// Starts a program as a new process and returns it (nothing started on failure, with why); no
// waiting. The program never outlives this one: it is ended by the system when this program
// ends, by whatever means (platform::ProgramTie::EndsWithStarter). Call it from the main thread.
platform::Process Shell(const std::string& path, std::string* why = nullptr);

// The command line after the program name (arguments joined by blanks).
const std::string& CommandLine();
void SetCommandLine(int argc, char** argv);

// The folder of the host program, without a trailing separator.
std::string ProgramFolder();

// The primary screen: size in pixels, twips per pixel.
int ScreenWidthPixels();
int ScreenHeightPixels();
double TwipsPerPixelX();
double TwipsPerPixelY();

// The pointer over all of the program's windows.
enum class MousePointer { Default, Hourglass };
void SetScreenMousePointer(MousePointer pointer);

// Whether any form of this program takes typed text (text boxes, the file chooser); yes unless
// told otherwise before the first form loads. Without typed text the toolkit can leave out what
// only typing needs, and the first form loads sooner.
void SetTypedText(bool used);
bool TypedText();

// The number of loaded forms.
int LoadedFormCount();

// Runs the event loop while any form is loaded.
void RunWhileLoaded();

// Handles the events that are pending, waiting up to `milliseconds` for one to arrive first.
void WaitEvents(int milliseconds);

// Runs `handler` once, from the event loop, for the first request to end this program that
// platform::CatchEndRequests (called first) has caught: the loop wakes for it as for any event,
// and a request that came before this call is served at the next wait. Nothing happens while
// the requests are not caught. A later call replaces a handler that has not run yet.
void OnEndRequest(std::function<void()> handler);

// Ends the program at once: loaded forms get no unload events.
[[noreturn]] void End(int exitCode = 0);

}  // namespace forms
