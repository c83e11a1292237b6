// The host's forms runtime on FLTK 1.3: forms that are loaded hidden, shown modeless or modal
// and unloaded through their QueryUnload/Unload handlers; timers that tick through the event
// loop one at a time; picture boxes with a persistent image; saving a picture as a bitmap file;
// starting a program; the screen; ending the program; and the loop that runs while a form lives.
#pragma once

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Widget.H>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace forms {

class Timer;

// Why a form is being unloaded, as Form_QueryUnload is told.
enum class UnloadMode {
    ControlMenu = 0,  // the user closed the window
    Code = 1,         // Unload() called by the program
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
    // Runs Form_QueryUnload, then Form_Unload; either may cancel. Then destroys the window and
    // stops the form's timers. True when the form is no longer loaded.
    bool Unload(UnloadMode mode = UnloadMode::Code);

    bool Loaded() const { return window_ != nullptr; }
    bool Visible() const;
    // The FLTK window while loaded, else nullptr.
    Fl_Double_Window* Window() const { return window_; }
    // The X window that carries the caption: the FLTK window while shown, else the unmapped
    // stand-in that keeps a hidden form findable by its title. 0 when not loaded.
    platform::NativeWindow WindowId() const;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

  protected:
    // Builds the window. The default is a plain double-buffered window; forms that need their
    // own event handling return a subclass.
    virtual Fl_Double_Window* MakeWindow(int width, int height, const char* caption);
    // Adds the controls; called with the window as the current group.
    virtual void CreateControls(Fl_Double_Window& window) { (void)window; }
    virtual void Form_Load() {}
    virtual void Form_QueryUnload(bool& cancel, UnloadMode mode) {
        (void)cancel;
        (void)mode;
    }
    virtual void Form_Unload(bool& cancel) { (void)cancel; }

  private:
    friend class Timer;
    static void CloseCallback(Fl_Widget*, void* self);
    void UpdateStandIn();
    // Takes the form off the loaded list and destroys its window and stand-in.
    void DropWindow();

    int width_;
    int height_;
    std::string caption_;
    Fl_Double_Window* window_ = nullptr;
    platform::NativeWindow standIn_ = 0;
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

  private:
    friend class Form;
    static void Tick(void* self);
    void Rearm();

    Form* owner_;
    int interval_ = 0;
    bool enabled_ = false;
    bool ticking_ = false;
    std::function<void()> handler_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// A persistent picture: 24-bit RGB pixels, rows top to bottom, 3 bytes a pixel, no padding.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    // Resizes to width x height filled with one colour (r, g, b); negative sizes count as 0.
    void Reset(int newWidth, int newHeight, std::uint8_t r = 0, std::uint8_t g = 0,
               std::uint8_t b = 0);
    std::uint8_t* Row(int y) { return rgb.data() + static_cast<std::size_t>(y) * width * 3; }
    const std::uint8_t* Row(int y) const {
        return rgb.data() + static_cast<std::size_t>(y) * width * 3;
    }
};

// A picture box: a widget that shows its persistent image, which keeps the box's size and the
// background colour where nothing has been drawn. Drawing goes into Image(), then redraw().
class PictureBox : public Fl_Widget {
  public:
    PictureBox(int x, int y, int w, int h);
    Picture& Image() { return image_; }
    const Picture& Image() const { return image_; }
    // Background colour as 0xRRGGBB; Cls() clears the image to it.
    void SetBackColour(std::uint32_t rgb);
    void Cls();
    // Copies a rectangle of `source` to (dx, dy) of this box's image, clipped to both.
    void CopyFrom(const Picture& source, int sx, int sy, int w, int h, int dx, int dy);
    void resize(int x, int y, int w, int h) override;

  protected:
    void draw() override;

  private:
    Picture image_;
    std::uint32_t back_ = 0;
};

// Writes `picture` as a 24-bit bottom-up bitmap file at `path` (a host path, drive paths
// mapped), private to the user, replacing any earlier file through a rename so that a reader
// never sees half a file. Never writes through a symbolic link. False on failure.
bool SavePicture(const Picture& picture, const std::string& path);

// Starts a program as a new process and returns it (nothing started on failure); no waiting.
platform::Process Shell(const std::string& path);

// The command line after the program name (arguments joined by blanks).
const std::string& CommandLine();
void SetCommandLine(int argc, char** argv);

// The folder of the host program, without a trailing separator.
std::string ProgramFolder();

// The primary screen: size in pixels and twips, twips per pixel.
int ScreenWidthPixels();
int ScreenHeightPixels();
double TwipsPerPixelX();
double TwipsPerPixelY();
int ScreenWidthTwips();
int ScreenHeightTwips();

// The pointer over all of the program's windows.
enum class MousePointer { Default, Hourglass };
void SetScreenMousePointer(MousePointer pointer);

// The number of loaded forms.
int LoadedFormCount();

// Runs the event loop while any form is loaded.
void RunWhileLoaded();

// Ends the program at once: loaded forms get no unload events.
[[noreturn]] void End(int exitCode = 0);

}  // namespace forms
