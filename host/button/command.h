// Command, the host's own push button: a painted face, a caption, five properties kept in its
// container's property store, and a Click event. Its behaviour lives in button::CommandCore;
// this class shows what the core paints on a paint surface of the forms runtime and feeds the
// core the surface's events.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "forms/forms.h"
#include "forms/property_store.h"
#include "host/button/command_core.h"
#include "host/button/paint.h"

class Command : private button::CommandHost {
  public:
    // Creates the button on the loaded `form` at `bounds` (pixels of the form's client area, or
    // of the panel `in`). The button works while the form stays loaded; its pointer poll stops
    // when the form unloads.
    Command(forms::Form& form, const forms::Rect& bounds, forms::Panel* in = nullptr);
    ~Command() override;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // ---- Properties (getters of FontColour, Enabled and Visible repaint the face) ----
    std::string Caption() const { return core_.Caption(); }
    void SetCaption(const std::string& caption) { core_.SetCaption(caption); }
    // The caption's font object itself: changes made through it show at the next paint.
    forms::FontRef Font() const { return core_.Font(); }
    void SetFont(forms::FontRef font) { core_.SetFont(std::move(font)); }
    std::uint32_t FontColour() { return core_.GetAndRepaintFontColour(); }  // 0x00BBGGRR
    void SetFontColour(std::uint32_t colour) { core_.SetFontColour(colour); }
    bool Enabled() { return core_.GetAndRepaintEnabled(); }
    void SetEnabled(bool enabled) { core_.SetEnabled(enabled); }
    std::uint8_t Visible() {
        return core_.GetAndRepaintVisible();
    }  // 0 transparent face, 255 opaque
    void SetVisible(std::uint8_t visible) { core_.SetVisible(visible); }

    // Starts the button (state Normal) and its 100 ms pointer poll; the container calls it once
    // after the form holding the button has loaded.
    void Initialize() { core_.Initialize(); }

    // Called when the button is clicked. The handler may unload the button's form or delete
    // the button.
    void OnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

    // ---- Persistence through the container's property store ----
    void ReadProperties(const forms::PropertyStore& store) { core_.ReadProperties(store); }
    void WriteProperties(forms::PropertyStore& store) { core_.WriteProperties(store); }
    // Where property change notices go (none when null).
    void SetContainer(forms::PropertyStore* store) { container_ = store; }

    // Paints `look` now, whatever the state; for showing the looks side by side.
    void PaintLook(button::Look look) { core_.PaintLook(look); }

    // ---- For checks ----
    // Position and size in the container's client area; empty when the form has no surface.
    forms::Rect Bounds() const;
    const button::CommandCore& State() const { return core_; }
    button::Look CurrentLook() const { return look_; }
    const button::Image& Face() const { return face_; }
    button::Rect CaptionRect() const { return captionRect_; }
    // One poll of the pointer, as the timer does it.
    void PollPointer();

  private:
    // button::CommandHost
    void PaintFace(button::Look look, bool topDark) override;
    void LabelChanged() override { ShowCaption(); }
    void OpacityChanged() override { ShowFace(); }
    void RaiseClick() override;
    void StartPoll(int intervalMs) override;
    void NotifyChanged(const char* name) override;

    void ShowFace();
    void ShowCaption();

    button::CommandCore core_{*this};
    forms::PaintSurface* surface_;
    button::Image face_;
    button::Look look_ = button::Look::Normal;
    button::Rect captionRect_;
    std::function<void()> onClick_;
    forms::PropertyStore* container_ = nullptr;
    forms::Timer pollTimer_;  // the 100 ms pointer poll; it stops with the form
};
