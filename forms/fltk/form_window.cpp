// Forms, timers and the event loop on FLTK 1.3 (see forms.h): the form's window, the stand-in X
// window of a hidden form, the loop's wake-up pipe and its watch on requests to end, the pointer
// and ending the program.
#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <utility>

#include "forms/fltk/fltk_form.h"
#include "platform/base.h"
#include "platform/fltk/toolkit.h"

namespace forms {
namespace fltk {

// A form's window: its background (the back colour and the rows over it) and its events.
class FormWindow : public Fl_Double_Window {
  public:
    FormWindow(Form::Native& native, int w, int h) : Fl_Double_Window(w, h), native_(&native) {}

    // The form lets go of its window, whose deletion FLTK defers.
    void Detach() { native_ = nullptr; }

    void SetRows(std::vector<std::uint32_t> rows) {
        rows_ = std::move(rows);
        redraw();
    }

    void show() override {
        // The client area gets its size when the window first shows.
        if (!sized_ && native_) native_->Resized();
        sized_ = true;
        Fl_Double_Window::show();
    }

    void resize(int x, int y, int w, int h) override {
        const bool newSize = w != this->w() || h != this->h();
        Fl_Double_Window::resize(x, y, w, h);
        if (newSize && native_) native_->Resized();
    }

  protected:
    void draw() override {
        if (rows_.empty()) return Fl_Double_Window::draw();
        // Only a full repaint lays down the background; a child that repaints alone draws over
        // what the back buffer already holds.
        if (damage() & ~FL_DAMAGE_CHILD) {
            fl_rectf(0, 0, w(), h(), color());
            for (std::size_t y = 0; y < rows_.size(); ++y) {
                fl_color(ToFl(rows_[y]));
                fl_line(0, static_cast<int>(y), w(), static_cast<int>(y));
            }
        }
        draw_children();
    }

  private:
    Form::Native* native_;
    std::vector<std::uint32_t> rows_;
    bool sized_ = false;
};

}  // namespace fltk

namespace {

// FLTK gives a window no X window until it is shown, but a hidden form must still be found by
// its caption (the instance check looks for hidden windows too). An unmapped input-only window
// titled like the form stands in for it while it is hidden.
NativeWindow CreateStandIn(const std::string& caption) {
    platform::OpenToolkitDisplay(TypedText());
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

void DestroyStandIn(NativeWindow& w) {
    if (!w || !fl_display) return;
    XDestroyWindow(fl_display, w);
    XFlush(fl_display);
    w = 0;
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

void CloseCallback(Fl_Widget*, void* native) {
    // Escape and the window manager's close button both land here: closing means unloading.
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    static_cast<Form::Native*>(native)->CloseRequested();
}

// The handler for the first request to end the program, until it has run.
std::function<void()> endHandler;

void EndRequested(int fd, void*) {
    Fl::remove_fd(fd);
    const std::function<void()> handler = std::move(endHandler);
    endHandler = nullptr;
    if (handler) handler();
}

void TimerTick(void* timer) {
    const unsigned wakesBefore = wakeRequests;
    static_cast<Timer*>(timer)->Fire();
    if (wakeRequests != wakesBefore) WriteWake();
}

}  // namespace

// ---- Form ------------------------------------------------------------------------------------

void Form::Native::UpdateStandIn() {
    const bool needed = !window->shown();
    if (needed && !standIn) standIn = CreateStandIn(form->caption_);
    if (!needed) DestroyStandIn(standIn);
}

fltk::Placement Form::Native::PlaceIn(Panel* panel) const {
    if (!panel) return {window, 0, 0};
    auto* group = dynamic_cast<Fl_Group*>(panel);
    if (!group) return {window, 0, 0};
    return {group, group->x() + Panel::kBorder, group->y() + Panel::kBorder};
}

std::unique_ptr<Form::Native, Form::NativeDeleter> Form::CreateNative() {
    platform::OpenToolkitDisplay(TypedText());
    fltk::UseJapaneseDefaultFont();
    std::unique_ptr<Native, NativeDeleter> native(new Native);
    native->form = this;
    Fl_Group* const previous = Fl_Group::current();
    auto* window = new fltk::FormWindow(*native, width_, height_);
    window->end();
    Fl_Group::current(previous);
    native->window = window;
    window->copy_label(caption_.c_str());
    if (!style_.titleBar) window->border(0);
    if (style_.unmanaged) window->set_override();
    if (style_.fixedSize) window->size_range(width_, height_, width_, height_);
    if (style_.backColour) window->color(fltk::ToFl(*style_.backColour));
    native->icon = fltk::MakeImage(style_.icon);
    if (native->icon) window->icon(native->icon->image.get());
    window->callback(CloseCallback, native.get());
    native->UpdateStandIn();
    return native;
}

void Form::NativeDeleter::operator()(Native* native) const {
    DestroyStandIn(native->standIn);
    native->window->Detach();
    native->window->hide();
    // The window may be deleted from inside one of its own callbacks: let FLTK defer it.
    Fl::delete_widget(native->window);
    delete native;
    WakeLoop();
}

void Form::Show() {
    if (!Load()) return;
    native_->window->show();
    native_->UpdateStandIn();
}

void Form::ShowModal() {
    if (!Load()) return;
    native_->window->set_modal();
    native_->window->show();
    native_->UpdateStandIn();
    while (Loaded() && native_->window->shown()) Fl::wait(kLongestWait);
    if (Loaded()) native_->window->set_non_modal();
}

void Form::Hide() {
    if (!Loaded()) return;
    native_->window->hide();
    native_->UpdateStandIn();
    WakeLoop();
}

bool Form::Visible() const {
    return Loaded() && native_->window->shown();
}

NativeWindow Form::WindowId() const {
    if (!Loaded()) return 0;
    if (native_->window->shown()) return fl_xid(native_->window);
    return native_->standIn;
}

void Form::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    if (!Loaded()) return;
    native_->window->copy_label(caption_.c_str());
    DestroyStandIn(native_->standIn);
    native_->UpdateStandIn();
}

Rect Form::Bounds() const {
    if (!Loaded()) return {0, 0, width_, height_};
    const Fl_Window& w = *native_->window;
    return {w.x(), w.y(), w.w(), w.h()};
}

void Form::SetBounds(const Rect& bounds) {
    if (Loaded()) native_->window->resize(bounds.x, bounds.y, bounds.width, bounds.height);
}

void Form::Move(int x, int y) {
    if (Loaded()) native_->window->position(x, y);
}

std::uint32_t Form::BackColour() const {
    const Fl_Color colour = Loaded() ? native_->window->color() : FL_BACKGROUND_COLOR;
    std::uint8_t r = 0, g = 0, b = 0;
    Fl::get_color(colour, r, g, b);
    return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

void Form::SetBackgroundRows(std::vector<std::uint32_t> rows) {
    if (Loaded()) native_->window->SetRows(std::move(rows));
}

// ---- Timer -----------------------------------------------------------------------------------

void Timer::Arm() {
    Fl::add_timeout(interval_ / 1000.0, TimerTick, this);
}

void Timer::Disarm() {
    Fl::remove_timeout(TimerTick, this);
}

// ---- Pointer, loop, end ----------------------------------------------------------------------

void SetScreenMousePointer(MousePointer pointer) {
    const Fl_Cursor cursor =
        pointer == MousePointer::Hourglass ? FL_CURSOR_WAIT : FL_CURSOR_DEFAULT;
    for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) w->cursor(cursor);
    Fl::flush();
}

void RunWhileLoaded() {
    while (LoadedFormCount() > 0) Fl::wait(kLongestWait);
}

void WaitEvents(int milliseconds) {
    Fl::wait(std::max(milliseconds, 0) / 1000.0);
    Fl::flush();
}

void OnEndRequest(std::function<void()> handler) {
    const std::intptr_t fd = platform::EndRequestWaitable();
    if (fd < 0) return;
    endHandler = std::move(handler);
    // Watched beside the display connection; the descriptor stays readable once a request came.
    Fl::add_fd(static_cast<int>(fd), FL_READ, EndRequested);
}

void End(int exitCode) {
    std::fflush(nullptr);
    if (fl_display) XFlush(fl_display);
    _exit(exitCode);
}

}  // namespace forms
