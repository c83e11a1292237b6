// The forms runtime on FLTK 1.3 (see forms.h).
#include "host/forms.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/platform.h"

namespace forms {
namespace {

std::vector<Form*>& LoadedForms() {
    static std::vector<Form*> forms;
    return forms;
}

std::string& CommandLineText() {
    static std::string text;
    return text;
}

// FLTK gives a window no X window until it is shown, but a hidden form must still be found by
// its caption (the instance check looks for hidden windows too). An unmapped input-only window
// titled like the form stands in for it while it is hidden.
platform::NativeWindow CreateStandIn(const std::string& caption) {
    fl_open_display();
    if (!fl_display) return 0;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window w = XCreateWindow(fl_display, RootWindow(fl_display, fl_screen), 0, 0, 1, 1, 0, 0,
                                   InputOnly, CopyFromParent, CWOverrideRedirect, &attributes);
    if (!w) return 0;
    XStoreName(fl_display, w, caption.c_str());
    const Atom netWmName = XInternAtom(fl_display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(fl_display, "UTF8_STRING", False);
    XChangeProperty(fl_display, w, netWmName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(caption.data()),
                    static_cast<int>(caption.size()));
    XFlush(fl_display);
    return w;
}

// Fl::wait() runs due timeouts first and then sleeps until the next one or an event, so a loop
// whose condition a timer handler changes would sleep on. A byte written to a pipe that FLTK
// watches makes it return. A wake asked for inside a timeout callback may be consumed by a loop
// nested in that callback, so timers wake the loop again when their handler returns.
int wakePipe[2] = {-1, -1};
unsigned wakeRequests = 0;

void DrainWakes(int fd, void*) {
    char buffer[64];
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
}

void WriteWake() {
    if (wakePipe[1] < 0) {
        if (pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) return;
        Fl::add_fd(wakePipe[0], FL_READ, DrainWakes);
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = write(wakePipe[1], &byte, 1);
}

void WakeLoop() {
    ++wakeRequests;
    WriteWake();
}
// Longest sleep of the loops below: a safety net should a wake ever be missed.
constexpr double kLongestWait = 1.0;

void DestroyStandIn(platform::NativeWindow& w) {
    if (!w || !fl_display) return;
    XDestroyWindow(fl_display, w);
    XFlush(fl_display);
    w = 0;
}

}  // namespace

// ---- Form ------------------------------------------------------------------------------------

Form::Form(int width, int height, std::string caption)
    : width_(std::max(width, 1)), height_(std::max(height, 1)), caption_(std::move(caption)) {}

void Form::DropWindow() {
    auto& loaded = LoadedForms();
    loaded.erase(std::remove(loaded.begin(), loaded.end(), this), loaded.end());
    DestroyStandIn(standIn_);
    window_->hide();
    // The window may be deleted from inside one of its own callbacks: let FLTK defer it.
    Fl::delete_widget(window_);
    window_ = nullptr;
}

Form::~Form() {
    for (Timer* t : timers_) t->owner_ = nullptr;
    if (Loaded()) {
        // Destroyed without unloading (the program is going): drop the window quietly.
        DropWindow();
    }
}

Fl_Double_Window* Form::MakeWindow(int width, int height, const char* caption) {
    return new Fl_Double_Window(width, height, caption);
}

bool Form::Load() {
    if (Loaded()) return true;
    fl_open_display();
    Fl_Group* const previous = Fl_Group::current();
    window_ = MakeWindow(width_, height_, nullptr);
    window_->copy_label(caption_.c_str());
    window_->begin();
    CreateControls(*window_);
    window_->end();
    Fl_Group::current(previous);
    window_->callback(CloseCallback, this);
    LoadedForms().push_back(this);
    UpdateStandIn();
    Form_Load();
    return Loaded();
}

void Form::Show() {
    if (!Load()) return;
    window_->show();
    UpdateStandIn();
}

void Form::ShowModal() {
    if (!Load()) return;
    window_->set_modal();
    window_->show();
    UpdateStandIn();
    while (Loaded() && window_->shown()) Fl::wait(kLongestWait);
    if (Loaded()) window_->set_non_modal();
}

void Form::Hide() {
    if (!Loaded()) return;
    window_->hide();
    UpdateStandIn();
    WakeLoop();
}

bool Form::Visible() const {
    return Loaded() && window_->shown();
}

bool Form::Unload(UnloadMode mode) {
    if (!Loaded()) return true;
    if (unloading_) return false;  // Unload called again from inside an unload handler
    unloading_ = true;
    bool cancel = false;
    Form_QueryUnload(cancel, mode);
    if (!cancel && Loaded()) Form_Unload(cancel);
    unloading_ = false;
    if (cancel || !Loaded()) return !Loaded();
    for (Timer* t : timers_) t->SetEnabled(false);
    DropWindow();
    WakeLoop();
    return true;
}

platform::NativeWindow Form::WindowId() const {
    if (!Loaded()) return 0;
    if (window_->shown()) return fl_xid(window_);
    return standIn_;
}

void Form::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    if (!Loaded()) return;
    window_->copy_label(caption_.c_str());
    DestroyStandIn(standIn_);
    UpdateStandIn();
}

void Form::CloseCallback(Fl_Widget*, void* self) {
    // Escape and the window manager's close button both land here: closing means unloading.
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    static_cast<Form*>(self)->Unload(UnloadMode::ControlMenu);
}

void Form::UpdateStandIn() {
    const bool needed = Loaded() && !window_->shown();
    if (needed && !standIn_) standIn_ = CreateStandIn(caption_);
    if (!needed) DestroyStandIn(standIn_);
}

// ---- Timer -----------------------------------------------------------------------------------

Timer::Timer(Form* owner) : owner_(owner) {
    if (owner_) owner_->timers_.push_back(this);
}

Timer::~Timer() {
    *alive_ = false;
    Fl::remove_timeout(Tick, this);
    if (owner_) {
        auto& list = owner_->timers_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void Timer::SetInterval(int milliseconds) {
    interval_ = std::max(milliseconds, 0);
    Rearm();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Rearm();
}

void Timer::Rearm() {
    Fl::remove_timeout(Tick, this);
    if (enabled_ && interval_ > 0 && !ticking_) Fl::add_timeout(interval_ / 1000.0, Tick, this);
}

void Timer::Tick(void* self) {
    auto* timer = static_cast<Timer*>(self);
    if (!timer->enabled_ || timer->interval_ <= 0 || timer->ticking_) return;
    // The next countdown starts when this tick has finished, so ticks never pile up behind a
    // slow handler and a handler is never entered twice.
    timer->ticking_ = true;
    const std::shared_ptr<bool> alive = timer->alive_;
    const std::function<void()> handler = timer->handler_;
    const unsigned wakesBefore = wakeRequests;
    if (handler) handler();
    if (wakeRequests != wakesBefore) WriteWake();
    if (!*alive) return;  // the handler destroyed the timer (with its form)
    timer->ticking_ = false;
    timer->Rearm();
}

// ---- Picture and picture box -----------------------------------------------------------------

void Picture::Reset(int newWidth, int newHeight, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    width = std::max(newWidth, 0);
    height = std::max(newHeight, 0);
    rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    if (r || g || b) {
        for (std::size_t i = 0; i < rgb.size(); i += 3) {
            rgb[i] = r;
            rgb[i + 1] = g;
            rgb[i + 2] = b;
        }
    }
}

PictureBox::PictureBox(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {
    image_.Reset(w, h);
}

void PictureBox::SetBackColour(std::uint32_t rgb) {
    back_ = rgb & 0xFFFFFF;
}

void PictureBox::Cls() {
    image_.Reset(w(), h(), (back_ >> 16) & 0xFF, (back_ >> 8) & 0xFF, back_ & 0xFF);
    redraw();
}

void PictureBox::CopyFrom(const Picture& source, int sx, int sy, int w, int h, int dx, int dy) {
    // Clip against the source and the destination, moving both origins together.
    const auto clipOrigin = [](int& origin, int& other, int& extent) {
        if (origin >= 0) return;
        extent += origin;
        other -= origin;
        origin = 0;
    };
    clipOrigin(sx, dx, w);
    clipOrigin(sy, dy, h);
    clipOrigin(dx, sx, w);
    clipOrigin(dy, sy, h);
    w = std::min({w, source.width - sx, image_.width - dx});
    h = std::min({h, source.height - sy, image_.height - dy});
    if (w <= 0 || h <= 0) return;
    for (int row = 0; row < h; ++row)
        std::copy_n(source.Row(sy + row) + sx * 3, static_cast<std::size_t>(w) * 3,
                    image_.Row(dy + row) + dx * 3);
    redraw();
}

void PictureBox::resize(int x, int y, int w, int h) {
    const bool sizeChanged = w != this->w() || h != this->h();
    Fl_Widget::resize(x, y, w, h);
    if (!sizeChanged) return;
    // The persistent image follows the box's size and keeps what fits.
    Picture old = std::move(image_);
    image_.Reset(w, h, (back_ >> 16) & 0xFF, (back_ >> 8) & 0xFF, back_ & 0xFF);
    CopyFrom(old, 0, 0, old.width, old.height, 0, 0);
}

void PictureBox::draw() {
    if (image_.width > 0 && image_.height > 0)
        fl_draw_image(image_.rgb.data(), x(), y(), image_.width, image_.height, 3,
                      image_.width * 3);
}

// ---- Programs, screen, loop ------------------------------------------------------------------

platform::Process Shell(const std::string& path) {
    return platform::StartProgram(path);
}

const std::string& CommandLine() {
    return CommandLineText();
}

void SetCommandLine(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    CommandLineText() = text;
}

std::string ProgramFolder() {
    return platform::ProgramFolder();
}

int ScreenWidthPixels() {
    return platform::PrimaryScreenSize().width;
}
int ScreenHeightPixels() {
    return platform::PrimaryScreenSize().height;
}
double TwipsPerPixelX() {
    return platform::TwipsPerPixel();
}
double TwipsPerPixelY() {
    return platform::TwipsPerPixel();
}
int ScreenWidthTwips() {
    return static_cast<int>(std::lround(ScreenWidthPixels() * TwipsPerPixelX()));
}
int ScreenHeightTwips() {
    return static_cast<int>(std::lround(ScreenHeightPixels() * TwipsPerPixelY()));
}

void SetScreenMousePointer(MousePointer pointer) {
    const Fl_Cursor cursor =
        pointer == MousePointer::Hourglass ? FL_CURSOR_WAIT : FL_CURSOR_DEFAULT;
    for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) w->cursor(cursor);
    Fl::flush();
}

int LoadedFormCount() {
    return static_cast<int>(LoadedForms().size());
}

void RunWhileLoaded() {
    while (LoadedFormCount() > 0) Fl::wait(kLongestWait);
}

void End(int exitCode) {
    std::fflush(nullptr);
    if (fl_display) XFlush(fl_display);
    _exit(exitCode);
}

}  // namespace forms
