// The forms runtime's system-free part (see forms.h): the load and unload protocol of forms,
// the timers' one-tick-at-a-time rule, pictures and picture boxes, the command line and the
// screen through the platform layer. The backend supplies windows, controls and the loop.
#include "forms/forms.h"

#include <algorithm>
#include <cmath>

#include "platform/base.h"
#include "platform/window_system.h"

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

}  // namespace

// ---- Form ------------------------------------------------------------------------------------

Form::Form(int width, int height, std::string caption)
    : width_(std::max(width, 1)), height_(std::max(height, 1)), caption_(std::move(caption)) {}

Form::~Form() {
    for (Timer* t : timers_) t->owner_ = nullptr;
    // Destroyed without unloading (the program is going): drop the window quietly.
    if (Loaded()) DropWindow();
}

void Form::DropWindow() {
    auto& loaded = LoadedForms();
    loaded.erase(std::remove(loaded.begin(), loaded.end(), this), loaded.end());
    native_.reset();
}

bool Form::Load() {
    if (Loaded()) return true;
    native_ = CreateNative();
    if (!native_) return false;
    LoadedForms().push_back(this);
    CreateControls();
    Form_Load();
    return Loaded();
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
    return true;
}

// ---- Timer -----------------------------------------------------------------------------------

Timer::Timer(Form* owner) : owner_(owner) {
    if (owner_) owner_->timers_.push_back(this);
}

Timer::~Timer() {
    *alive_ = false;
    Disarm();
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
    Disarm();
    if (enabled_ && interval_ > 0 && !ticking_) Arm();
}

void Timer::Fire() {
    if (!enabled_ || interval_ <= 0 || ticking_) return;
    // The next countdown starts when this tick has finished, so ticks never pile up behind a
    // slow handler and a handler is never entered twice.
    ticking_ = true;
    const std::shared_ptr<bool> alive = alive_;
    const std::function<void()> handler = handler_;
    if (handler) handler();
    if (!*alive) return;  // the handler destroyed the timer (with its form)
    ticking_ = false;
    Rearm();
}

// ---- Pictures --------------------------------------------------------------------------------

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

bool CopyRect(const Picture& source, int sx, int sy, int w, int h, Picture& target, int dx,
              int dy) {
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
    w = std::min({w, source.width - sx, target.width - dx});
    h = std::min({h, source.height - sy, target.height - dy});
    if (w <= 0 || h <= 0) return false;
    for (int row = 0; row < h; ++row)
        std::copy_n(source.Row(sy + row) + sx * 3, static_cast<std::size_t>(w) * 3,
                    target.Row(dy + row) + dx * 3);
    return true;
}

Picture ImageData::ToPicture() const {
    Picture picture;
    if (Empty() || channels < 3 ||
        pixels.size() < static_cast<std::size_t>(width) * height * channels)
        return picture;
    picture.Reset(width, height);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i)
        std::copy_n(&pixels[i * channels], 3, &picture.rgb[i * 3]);
    return picture;
}

PictureBox::PictureBox(int x, int y, int width, int height) : bounds_{x, y, width, height} {
    image_.Reset(width, height);
}

void PictureBox::Cls() {
    image_.Reset(bounds_.width, bounds_.height, (back_ >> 16) & 0xFF, (back_ >> 8) & 0xFF,
                 back_ & 0xFF);
    Redraw();
}

void PictureBox::CopyFrom(const Picture& source, int sx, int sy, int w, int h, int dx, int dy) {
    if (CopyRect(source, sx, sy, w, h, image_, dx, dy)) Redraw();
}

void PictureBox::SetBounds(const Rect& bounds) {
    const bool sizeChanged = bounds.width != bounds_.width || bounds.height != bounds_.height;
    bounds_ = bounds;
    if (!sizeChanged) return;
    // The persistent image follows the box's size and keeps what fits.
    Picture old = std::move(image_);
    image_.Reset(bounds.width, bounds.height, (back_ >> 16) & 0xFF, (back_ >> 8) & 0xFF,
                 back_ & 0xFF);
    CopyRect(old, 0, 0, old.width, old.height, image_, 0, 0);
    Redraw();
}

// ---- Programs, screen --------------------------------------------------------------------------

platform::Process Shell(const std::string& path, std::string* why) {
    return platform::StartProgram(path, platform::ProgramTie::EndsWithStarter, why);
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

namespace {
bool typedText = true;
}  // namespace

void SetTypedText(bool used) {
    typedText = used;
}
bool TypedText() {
    return typedText;
}

int LoadedFormCount() {
    return static_cast<int>(LoadedForms().size());
}

}  // namespace forms
