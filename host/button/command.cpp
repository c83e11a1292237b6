// Command, the host's custom push button: the shell around button::CommandCore on a paint
// surface of the forms runtime.
#include "host/button/command.h"

#include "host/button/looks.h"

namespace {

button::PointerPlace PlaceOf(forms::PointerPlace place) {
    switch (place) {
        case forms::PointerPlace::OverControl:
            return button::PointerPlace::OverWidget;
        case forms::PointerPlace::OverForm:
            return button::PointerPlace::OverForm;
        default:
            return button::PointerPlace::Elsewhere;
    }
}

}  // namespace

Command::Command(forms::Form& form, const forms::Rect& bounds, forms::Panel* in)
    : surface_(form.AddPaintSurface(bounds, in)), pollTimer_(&form) {
    // The caption label's place at design, until the first paint places it.
    captionRect_ = {0, 6, 109, 13};
    if (!surface_) return;
    forms::PaintSurface::Events events;
    events.pointerMoved = [this] { core_.PointerMoved(); };
    events.pressed = [this](int b) { core_.ButtonPressed(b); };
    // Click's handler may delete this button: nothing may follow it.
    events.released = [this](int b) { core_.ButtonReleased(b); };
    events.focusChanged = [this](bool gained) {
        if (gained)
            core_.FocusGained();
        else
            core_.FocusLost();
    };
    // A disabled button does not take the focus.
    events.acceptsFocus = [this] { return core_.EnabledField() != button::kFalse; };
    events.resized = [this] { core_.Resized(); };
    surface_->SetEvents(std::move(events));
    ShowFace();
}

Command::~Command() = default;

forms::Rect Command::Bounds() const {
    return surface_ ? surface_->Bounds() : forms::Rect{};
}

// ---- Drawing ----

void Command::PaintFace(button::Look look, bool topDark) {
    const forms::Rect r = Bounds();
    face_ = button::Image(r.width, r.height);
    button::PaintFace(face_, button::LookImage(look), topDark);
    look_ = look;
    captionRect_ = button::CaptionRect(r.width, r.height);
    ShowFace();
    ShowCaption();
}

void Command::ShowFace() {
    if (!surface_) return;
    if (!core_.Opaque()) return surface_->SetFace(nullptr);
    const forms::Rect r = Bounds();
    forms::Picture shown;
    if (face_.width == r.width && face_.height == r.height && !face_.rgb.empty()) {
        shown.width = face_.width;
        shown.height = face_.height;
        shown.rgb = face_.rgb;
    } else {  // not painted yet at this size: the background only
        const button::Rgb b = button::kBackground;
        shown.Reset(r.width, r.height, b.r, b.g, b.b);
    }
    surface_->SetFace(&shown);
}

void Command::ShowCaption() {
    if (!surface_) return;
    const auto& label = core_.Label();
    forms::CaptionText caption;
    if (label.font) {
        caption.text = label.caption;
        caption.font = *label.font;
    }
    // The label's colour is 0x00BBGGRR.
    caption.colour =
        ((label.colour & 0xFF) << 16) | (label.colour & 0xFF00) | ((label.colour >> 16) & 0xFF);
    caption.area = {captionRect_.x, captionRect_.y, captionRect_.w, captionRect_.h};
    caption.enabled = label.enabled;
    surface_->SetCaption(std::move(caption));
}

// ---- Events ----

void Command::RaiseClick() {
    if (onClick_) {
        auto handler = onClick_;  // the handler may replace itself or delete the button
        handler();
    }
}

void Command::NotifyChanged(const char* name) {
    if (container_) container_->PropertyChanged(name);
}

// ---- Pointer poll ----

void Command::StartPoll(int intervalMs) {
    pollTimer_.OnTimer([this] { PollPointer(); });
    pollTimer_.SetEnabled(true);
    pollTimer_.SetInterval(intervalMs);
}

void Command::PollPointer() {
    if (!surface_) return;
    const forms::PointerPlace place = surface_->WherePointer();
    // Nothing known about the pointer: leave the state alone.
    if (place == forms::PointerPlace::Unknown) return;
    core_.PollTick(PlaceOf(place));
}
