// The push button's state machine, properties and persistence.
#include "host/button/command_core.h"

#include <cstdint>
#include <string>

namespace button {

const char* LookName(Look look) {
    switch (look) {
        case Look::Normal:
            return "Normal";
        case Look::HighLight:
            return "HighLight";
        case Look::HighLightSelect:
            return "HighLightSelect";
        case Look::Selected:
            return "Selected";
        case Look::Pressed:
            return "Pressed";
        case Look::Disable:
            return "Disable";
    }
    return "?";
}

// ---- Properties ----

void CommandCore::SetCaption(const std::string& caption) {
    label_.caption = caption;
    host_.LabelChanged();
    host_.NotifyChanged("Caption");
}

void CommandCore::SetFont(forms::FontRef font) {
    if (font) {  // a missing font object is refused; the label keeps its font
        label_.font = std::move(font);
        host_.LabelChanged();
    }
    host_.NotifyChanged("Font");
}

std::uint32_t CommandCore::GetAndRepaintFontColour() {
    std::uint32_t colour = label_.colour;
    RefreshLook();
    return colour;
}

void CommandCore::SetFontColour(std::uint32_t colour) {
    label_.colour = colour;
    host_.LabelChanged();
    RefreshLook();
    host_.NotifyChanged("FontColour");
}

bool CommandCore::GetAndRepaintEnabled() {
    // A button that was never set up (created without stored properties) becomes enabled the
    // first time its container asks.
    if (firstRun_ == 0) {
        RefreshLook();
        firstRun_ = 1;
        enabled_ = kTrue;
    }
    bool enabled = IsEnabled();
    ApplyEnabledLook();
    return enabled;
}

void CommandCore::SetEnabled(bool enabled) {
    enabled_ = enabled ? kTrue : kFalse;
    host_.NotifyChanged("Enabled");
    ApplyEnabledLook();
}

std::uint8_t CommandCore::GetAndRepaintVisible() {
    if (!opaque_) return 0;
    RefreshLook();
    return 255;
}

void CommandCore::SetVisible(std::uint8_t visible) {
    if (visible == 0) {
        opaque_ = false;
        host_.OpacityChanged();
    } else {
        opaque_ = true;
        host_.OpacityChanged();
        RefreshLook();
    }
    host_.NotifyChanged("Visible");
}

void CommandCore::Initialize() {
    buttonState_ = kStateNormal;
    pollRunning_ = true;
    host_.StartPoll(kPollIntervalMs);
}

// ---- State machine ----

void CommandCore::PointerMoved() {
    if (!IsEnabled()) return;
    if (buttonState_ == kStateNormal) {
        buttonState_ = kStateHighLight;
        PaintLook(Look::HighLight);
    } else if (buttonState_ == kStateSelected && mouseHeld_ == kFalse) {
        buttonState_ = kStateHighLightSelect;
        PaintLook(Look::HighLightSelect);
    }
}

void CommandCore::ButtonPressed(int button) {
    if (!IsEnabled() || button != kLeftButton) return;
    PaintLook(Look::Pressed);
    mouseHeld_ = kTrue;
}

void CommandCore::ButtonReleased(int button) {
    if (!IsEnabled()) return;
    if (button == kLeftButton) {
        if (buttonState_ == kStateHighLight)
            PaintLook(Look::Normal);
        else if (buttonState_ == kStateHighLightSelect)
            PaintLook(Look::HighLightSelect);
        mouseHeld_ = kFalse;
    }
    // A release in the Selected state means the pointer was found off the button: no Click.
    if (buttonState_ != kStateSelected && IsEnabled()) host_.RaiseClick();
}

void CommandCore::FocusGained() {
    if (!IsEnabled()) return;
    if (buttonState_ == kStateHighLight) {
        buttonState_ = kStateHighLightSelect;
        PaintLook(Look::Pressed);
    } else {
        buttonState_ = kStateSelected;
        PaintLook(Look::Selected);
    }
}

void CommandCore::FocusLost() {
    if (!IsEnabled() || buttonState_ == kStateNormal) return;
    buttonState_ = kStateNormal;
    PaintLook(Look::Normal);
}

void CommandCore::PollTick(PointerPlace place) {
    if (place != PointerPlace::OverWidget) PointerLeft();
}

void CommandCore::PointerLeft() {
    if (!IsEnabled()) return;
    if (buttonState_ == kStateHighLight) {
        buttonState_ = kStateNormal;
        PaintLook(Look::Normal);
    } else if (buttonState_ == kStateHighLightSelect) {
        buttonState_ = kStateSelected;
        PaintLook(Look::Selected);
    }
}

// ---- Looks ----

void CommandCore::ApplyEnabledLook() {
    if (IsEnabled()) {
        PaintLook(Look::Normal);
        label_.enabled = true;
    } else {
        PaintLook(Look::Disable);
        label_.enabled = false;
    }
    host_.LabelChanged();
}

void CommandCore::RefreshLook() {
    if (!IsEnabled()) return;
    label_.enabled = true;
    if (firstRun_ == 0) label_.colour = 0;
    host_.LabelChanged();
    PaintLook(Look::Normal);
}

void CommandCore::PaintLook(Look look) {
    // The gradient runs light-on-top in states 1 and 3, tinted-on-top in state 2, and keeps the
    // previous direction otherwise (state 4, or 0 before Initialize).
    if (buttonState_ == kStateNormal || buttonState_ == kStateSelected)
        topDark_ = kFalse;
    else if (buttonState_ == kStateHighLight)
        topDark_ = kTrue;
    host_.PaintFace(look, topDark_ != kFalse);
}

// ---- Persistence ----

void CommandCore::ReadProperties(const forms::PropertyStore& store) {
    enabled_ =
        forms::TextToBool(store.ReadProperty("Enabled", "-1")).value_or(true) ? kTrue : kFalse;
    label_.caption = store.ReadProperty("Caption", "Command1");
    label_.font = store.ReadFont("Font", store.AmbientFont());
    firstRun_ = static_cast<std::uint8_t>(
        forms::TextToInteger(store.ReadProperty("FirstRun", "1"), 0, 255).value_or(1));
    label_.colour = static_cast<std::uint32_t>(
        forms::TextToInteger(store.ReadProperty("FontColour", "0"), INT32_MIN, UINT32_MAX)
            .value_or(0));
    opaque_ = forms::TextToInteger(store.ReadProperty("Visible", "1"), INT16_MIN, INT16_MAX)
                  .value_or(1) != 0;
    host_.LabelChanged();
    host_.OpacityChanged();
    RefreshLook();
}

void CommandCore::WriteProperties(forms::PropertyStore& store) {
    store.WriteProperty("Enabled", IsEnabled() ? "-1" : "0", "-1");
    store.WriteProperty("Caption", label_.caption, "Command");
    store.WriteProperty("FirstRun", std::to_string(firstRun_), "1");
    store.WriteFont("Font", *label_.font, store.AmbientFont());
    store.WriteProperty("FontColour", std::to_string(static_cast<std::int32_t>(label_.colour)),
                        "0");
    store.WriteProperty("Visible", opaque_ ? "1" : "0", "1");
    RefreshLook();
}

}  // namespace button
