// Command, the host's own push button: an FLTK widget with a painted face, a caption, five
// properties kept in its container's property store, and a Click event. Its behaviour lives in
// button::CommandCore; this class only feeds it FLTK's events and shows what it paints.
#pragma once

#include <FL/Fl_Widget.H>

#include <cstdint>
#include <functional>
#include <string>

#include "host/button/command_core.h"
#include "host/button/paint.h"
#include "host/forms.h"
#include "host/property_store.h"

class Command : public Fl_Widget, private button::CommandHost {
  public:
    // Position and size in pixels, relative to the window as FLTK widgets are.
    Command(int x, int y, int w, int h);
    ~Command() override;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // ---- Properties (getters of FontColour, Enabled and Visible repaint the face) ----
    std::string Caption() const { return core_.Caption(); }
    void SetCaption(const std::string& caption) { core_.SetCaption(caption); }
    // The caption's font object itself: changes made through it show at the next paint.
    forms::FontRef Font() const { return core_.Font(); }
    void SetFont(forms::FontRef font) { core_.SetFont(std::move(font)); }
    std::uint32_t FontColour() { return core_.FontColour(); }  // 0x00BBGGRR
    void SetFontColour(std::uint32_t colour) { core_.SetFontColour(colour); }
    bool Enabled() { return core_.Enabled(); }
    void SetEnabled(bool enabled) { core_.SetEnabled(enabled); }
    std::uint8_t Visible() { return core_.Visible(); }  // 0 transparent face, 255 opaque
    void SetVisible(std::uint8_t visible) { core_.SetVisible(visible); }

    // Starts the button (state Normal) and its 100 ms pointer poll; the container calls it once
    // after the window holding the button has loaded.
    void Initialize() { core_.Initialize(); }

    // Called when the button is clicked. The handler may delete the button's window.
    void OnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

    // ---- Persistence through the container's property store ----
    void ReadProperties(const forms::PropertyStore& store) { core_.ReadProperties(store); }
    void WriteProperties(forms::PropertyStore& store) { core_.WriteProperties(store); }
    // Where property change notices go (none when null).
    void SetContainer(forms::PropertyStore* store) { container_ = store; }

    // Paints `look` now, whatever the state; for showing the looks side by side.
    void PaintLook(button::Look look) { core_.PaintLook(look); }

    // ---- For checks ----
    const button::CommandCore& State() const { return core_; }
    button::Look CurrentLook() const { return look_; }
    const button::Image& Face() const { return face_; }
    button::Rect CaptionRect() const { return captionRect_; }
    // One poll of the pointer, as the timer does it.
    void PollPointer();

  protected:
    void draw() override;
    int handle(int event) override;
    void resize(int x, int y, int w, int h) override;

  private:
    // button::CommandHost
    void PaintFace(button::Look look, bool topDark) override;
    void LabelChanged() override { Invalidate(); }
    void OpacityChanged() override;
    void RaiseClick() override;
    void StartPoll(int intervalMs) override;
    void NotifyChanged(const char* name) override;

    void Invalidate();
    void DrawCaption();

    button::CommandCore core_{*this};
    button::Image face_;
    button::Look look_ = button::Look::Normal;
    button::Rect captionRect_;
    std::function<void()> onClick_;
    forms::PropertyStore* container_ = nullptr;
    forms::Timer pollTimer_;  // the 100 ms pointer poll; it ends with the button
};
