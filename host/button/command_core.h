// The push button's behaviour without a toolkit: its fields, its state machine, its properties
// with their side effects and their persistence. The widget shell feeds it events and carries out
// what it asks for through CommandHost (painting, Click, the poll timer, change notices).
#pragma once

#include <cstdint>
#include <string>

#include "forms/property_store.h"

namespace button {

// The six faces of the button; each has its own look image.
enum class Look : std::uint8_t { Normal, HighLight, HighLightSelect, Selected, Pressed, Disable };
inline constexpr int kLookCount = 6;
const char* LookName(Look look);

// ButtonState values. 0 means "not yet initialised".
enum : std::uint8_t {
    kStateNone = 0,
    kStateNormal = 1,
    kStateHighLight = 2,
    kStateSelected = 3,
    kStateHighLightSelect = 4
};

// Where the poll found the pointer: over the button's own area, over the form that holds it
// (but not over the button), or anywhere else.
enum class PointerPlace { OverWidget, OverForm, Elsewhere };

// Booleans kept in 16 bits: true is -1.
inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

inline constexpr int kLeftButton = 1;
inline constexpr int kPollIntervalMs = 100;

class CommandHost {
  public:
    virtual ~CommandHost() = default;
    // Repaint the whole face in `look` with the given gradient direction and place the caption.
    virtual void PaintFace(Look look, bool topDark) = 0;
    // The caption label's text, font, colour or enabled flag changed: show it again.
    virtual void LabelChanged() = 0;
    // The face became opaque or transparent.
    virtual void OpacityChanged() = 0;
    virtual void RaiseClick() = 0;
    virtual void StartPoll(int intervalMs) = 0;
    // Tell the container that a property changed.
    virtual void NotifyChanged(const char* name) = 0;
};

// The caption label laid over the face.
struct CaptionLabel {
    std::string caption = "Command";
    forms::FontRef font = std::make_shared<forms::FontSpec>();
    std::uint32_t colour = 0;  // 0x00BBGGRR
    bool enabled = true;
};

class CommandCore {
  public:
    explicit CommandCore(CommandHost& host) : host_(host) {}

    // ---- Properties, with the side effects callers rely on ----
    std::string Caption() const { return label_.caption; }
    void SetCaption(const std::string& caption);
    forms::FontRef Font() const { return label_.font; }
    void SetFont(forms::FontRef font);
    // The property reads of FontColour, Enabled and Visible repaint the face, as the button was
    // designed; their names say so. EnabledField() and Opaque() below read without effects.
    std::uint32_t GetAndRepaintFontColour();  // RefreshLook
    void SetFontColour(std::uint32_t colour);
    bool GetAndRepaintEnabled();  // first-run set-up, then ApplyEnabledLook
    void SetEnabled(bool enabled);
    std::uint8_t GetAndRepaintVisible();  // 0 or 255; RefreshLook when opaque
    void SetVisible(std::uint8_t visible);

    void Initialize();

    // ---- Events from the toolkit ----
    void PointerMoved();  // over the face or the caption
    void ButtonPressed(int button);
    void ButtonReleased(int button);
    void FocusGained();
    void FocusLost();
    void Resized() { ApplyEnabledLook(); }
    void PollTick(PointerPlace place);

    // ---- Persistence ----
    void ReadProperties(const forms::PropertyStore& store);
    void WriteProperties(forms::PropertyStore& store);

    // ---- Routines ----
    void ApplyEnabledLook();
    void RefreshLook();
    void PointerLeft();
    void PaintLook(Look look);

    // ---- Read-only views for the shell and for checks, without side effects ----
    std::int16_t EnabledField() const { return enabled_; }
    std::uint8_t ButtonState() const { return buttonState_; }
    std::uint8_t FirstRun() const { return firstRun_; }
    std::int16_t MouseHeld() const { return mouseHeld_; }
    std::int16_t TopDark() const { return topDark_; }
    bool Opaque() const { return opaque_; }
    const CaptionLabel& Label() const { return label_; }
    bool PollRunning() const { return pollRunning_; }

  private:
    bool IsEnabled() const { return enabled_ != kFalse; }

    CommandHost& host_;
    std::int16_t enabled_ = kFalse;
    std::uint8_t buttonState_ = kStateNone;
    std::uint8_t firstRun_ = 0;
    std::int16_t mouseHeld_ = kFalse;
    std::int16_t topDark_ = kFalse;
    bool opaque_ = true;
    bool pollRunning_ = false;
    CaptionLabel label_;
};

}  // namespace button
