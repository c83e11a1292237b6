// The push button's state machine, property side effects and persistence, driven without a
// display through a recording host.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/button/command_core.h"

namespace {

using button::CommandCore;
using button::Look;
using button::PointerPlace;

struct Recorder : button::CommandHost {
    std::vector<std::pair<Look, bool>> paints;  // look, topDark
    std::vector<std::string> notices;
    int clicks = 0;
    int pollMs = 0;

    void PaintFace(Look look, bool topDark) override { paints.emplace_back(look, topDark); }
    void LabelChanged() override {}
    void OpacityChanged() override {}
    void RaiseClick() override { ++clicks; }
    void StartPoll(int ms) override { pollMs = ms; }
    void NotifyChanged(const char* name) override { notices.emplace_back(name); }

    void Clear() {
        paints.clear();
        notices.clear();
        clicks = 0;
    }
    Look LastLook() const { return paints.back().first; }
    bool LastTopDark() const { return paints.back().second; }
};

class CommandCoreTest : public ::testing::Test {
  protected:
    // A button as a container leaves it: enabled by the first read of Enabled, then initialised.
    void Ready() {
        ASSERT_TRUE(core.GetAndRepaintEnabled());
        core.Initialize();
        host.Clear();
    }
    // Pointer over the button, which then takes the focus: state 4.
    void HoverAndFocus() {
        core.PointerMoved();
        core.FocusGained();
        host.Clear();
    }

    Recorder host;
    CommandCore core{host};
};

TEST_F(CommandCoreTest, LeftClickRunsThroughItsLooksAndClicksOnce) {
    Ready();
    EXPECT_EQ(host.pollMs, 100);
    core.PointerMoved();
    EXPECT_EQ(core.ButtonState(), 2);
    EXPECT_EQ(host.LastLook(), Look::HighLight);
    EXPECT_TRUE(host.LastTopDark());
    core.PointerMoved();  // further moves repaint nothing
    EXPECT_EQ(host.paints.size(), 1u);

    core.FocusGained();  // the press gives the focus first
    EXPECT_EQ(core.ButtonState(), 4);
    EXPECT_EQ(host.LastLook(), Look::Pressed);
    core.ButtonPressed(1);
    EXPECT_EQ(host.LastLook(), Look::Pressed);
    EXPECT_EQ(core.MouseHeld(), button::kTrue);
    core.ButtonReleased(1);
    EXPECT_EQ(host.LastLook(), Look::HighLightSelect);
    EXPECT_EQ(core.MouseHeld(), button::kFalse);
    EXPECT_EQ(host.clicks, 1);
    // State 4 keeps the tinted top of the HighLight paint that led to it.
    for (const auto& [look, topDark] : host.paints) EXPECT_TRUE(topDark) << button::LookName(look);
}

TEST_F(CommandCoreTest, DragOffAndBackThenReleaseGivesNoClick) {
    Ready();
    HoverAndFocus();
    core.ButtonPressed(1);
    core.PollTick(PointerPlace::Elsewhere);
    EXPECT_EQ(core.ButtonState(), 3);
    EXPECT_EQ(host.LastLook(), Look::Selected);
    EXPECT_FALSE(host.LastTopDark());
    host.Clear();
    core.PointerMoved();  // back on, button still down: held in state 3
    EXPECT_EQ(core.ButtonState(), 3);
    core.ButtonReleased(1);
    EXPECT_EQ(host.clicks, 0);
    EXPECT_TRUE(host.paints.empty());
    core.PointerMoved();
    EXPECT_EQ(core.ButtonState(), 4);
    EXPECT_EQ(host.LastLook(), Look::HighLightSelect);
    EXPECT_FALSE(host.LastTopDark());  // came back from state 3: white top
}

TEST_F(CommandCoreTest, ReleaseBeforeThePollNoticesTheDragStillClicks) {
    Ready();
    HoverAndFocus();
    core.ButtonPressed(1);
    core.ButtonReleased(1);  // pointer already off, but no poll has run
    EXPECT_EQ(host.clicks, 1);
    core.PollTick(PointerPlace::OverForm);
    EXPECT_EQ(core.ButtonState(), 3);
    EXPECT_EQ(host.LastLook(), Look::Selected);
}

TEST_F(CommandCoreTest, RightButtonClicksWithoutRepaintingTheRelease) {
    Ready();
    core.PointerMoved();
    core.FocusGained();
    EXPECT_EQ(host.LastLook(), Look::Pressed);
    host.Clear();
    core.ButtonPressed(3);
    core.ButtonReleased(3);
    EXPECT_TRUE(host.paints.empty());
    EXPECT_EQ(host.clicks, 1);
    EXPECT_EQ(core.MouseHeld(), button::kFalse);
    core.PollTick(PointerPlace::OverWidget);  // Pressed stays while the pointer is over
    EXPECT_TRUE(host.paints.empty());
    core.PollTick(PointerPlace::Elsewhere);
    EXPECT_EQ(host.LastLook(), Look::Selected);
}

TEST_F(CommandCoreTest, LeftReleaseWithoutFocusPaintsNormalAndKeepsState2) {
    Ready();
    core.PointerMoved();
    core.ButtonPressed(1);
    core.ButtonReleased(1);
    EXPECT_EQ(core.ButtonState(), 2);
    EXPECT_EQ(host.LastLook(), Look::Normal);
    EXPECT_TRUE(host.LastTopDark());
    EXPECT_EQ(host.clicks, 1);
    host.Clear();
    core.PointerMoved();
    EXPECT_TRUE(host.paints.empty());  // HighLight only after leaving and coming back
    core.PollTick(PointerPlace::Elsewhere);
    EXPECT_EQ(core.ButtonState(), 1);
    core.PointerMoved();
    EXPECT_EQ(host.LastLook(), Look::HighLight);
}

TEST_F(CommandCoreTest, FocusChangesAndPointerElsewhere) {
    Ready();
    HoverAndFocus();
    core.FocusLost();  // while the pointer is over
    EXPECT_EQ(core.ButtonState(), 1);
    EXPECT_EQ(host.LastLook(), Look::Normal);
    EXPECT_FALSE(host.LastTopDark());
    core.PointerMoved();
    EXPECT_EQ(host.LastLook(), Look::HighLight);
    core.PollTick(PointerPlace::OverForm);
    host.Clear();
    core.FocusLost();  // already 1: nothing
    EXPECT_TRUE(host.paints.empty());

    core.FocusGained();  // tabbed to while the pointer is elsewhere
    EXPECT_EQ(core.ButtonState(), 3);
    EXPECT_EQ(host.LastLook(), Look::Selected);
    core.PollTick(PointerPlace::Elsewhere);
    EXPECT_EQ(core.ButtonState(), 3);
    EXPECT_EQ(host.paints.size(), 1u);
}

TEST_F(CommandCoreTest, DisabledButtonIgnoresEverything) {
    Ready();
    core.SetEnabled(false);  // left in state 1: drawn over a white top
    EXPECT_EQ(host.LastLook(), Look::Disable);
    EXPECT_FALSE(host.LastTopDark());
    core.SetEnabled(true);
    core.PointerMoved();
    host.Clear();
    core.SetEnabled(false);
    EXPECT_EQ(host.LastLook(), Look::Disable);
    EXPECT_FALSE(core.Label().enabled);
    EXPECT_EQ(core.ButtonState(), 2);
    EXPECT_EQ(host.notices, std::vector<std::string>{"Enabled"});
    host.Clear();
    core.PointerMoved();
    core.FocusGained();
    core.ButtonPressed(1);
    core.ButtonReleased(1);
    core.ButtonReleased(3);
    core.PollTick(PointerPlace::Elsewhere);
    core.FocusLost();
    EXPECT_TRUE(host.paints.empty());
    EXPECT_EQ(host.clicks, 0);
    EXPECT_EQ(core.ButtonState(), 2);
    EXPECT_EQ(core.MouseHeld(), button::kFalse);
    EXPECT_FALSE(core.GetAndRepaintEnabled());
    EXPECT_EQ(host.LastLook(), Look::Disable);  // the getter repaints, still disabled

    core.SetEnabled(true);
    EXPECT_EQ(host.LastLook(), Look::Normal);
    EXPECT_TRUE(core.Label().enabled);
    EXPECT_TRUE(host.LastTopDark());  // state 2 paints with the tinted top
}

TEST_F(CommandCoreTest, BeforeInitializeOnlyTheFocusCounts) {
    ASSERT_TRUE(core.GetAndRepaintEnabled());
    host.Clear();
    core.PointerMoved();
    core.PollTick(PointerPlace::Elsewhere);
    EXPECT_TRUE(host.paints.empty());
    EXPECT_EQ(core.ButtonState(), 0);
    EXPECT_EQ(host.pollMs, 0);
    core.FocusGained();
    EXPECT_EQ(core.ButtonState(), 3);
    EXPECT_EQ(host.LastLook(), Look::Selected);
}

TEST_F(CommandCoreTest, FirstReadOfEnabledSetsUpANewButton) {
    EXPECT_EQ(core.EnabledField(), 0);
    EXPECT_EQ(core.FirstRun(), 0);
    EXPECT_TRUE(core.GetAndRepaintEnabled());
    EXPECT_EQ(core.EnabledField(), button::kTrue);
    EXPECT_EQ(core.FirstRun(), 1);
    EXPECT_EQ(host.LastLook(), Look::Normal);  // RefreshLook did nothing, ApplyEnabledLook paints
    EXPECT_EQ(host.paints.size(), 1u);
}

TEST_F(CommandCoreTest, PropertyReadsRepaintNormalWhateverTheState) {
    Ready();
    HoverAndFocus();
    EXPECT_EQ(core.Caption(), "Command");
    EXPECT_NE(core.Font(), nullptr);
    EXPECT_TRUE(host.paints.empty());  // Caption and Font paint nothing
    core.GetAndRepaintFontColour();
    EXPECT_EQ(host.LastLook(), Look::Normal);
    EXPECT_TRUE(host.LastTopDark());  // state 4 keeps the direction
    core.GetAndRepaintVisible();
    core.GetAndRepaintEnabled();
    EXPECT_EQ(host.paints.size(), 3u);
    EXPECT_EQ(core.ButtonState(), 4);

    // The font object is shared, not copied.
    core.Font()->weight = 700;
    EXPECT_EQ(core.Label().font->weight, 700);
    EXPECT_TRUE(host.notices.empty());
}

TEST_F(CommandCoreTest, VisibleZeroLeavesTheCaptionAndComesBackOpaque) {
    Ready();
    core.SetVisible(0);
    EXPECT_FALSE(core.Opaque());
    EXPECT_TRUE(host.paints.empty());
    EXPECT_EQ(core.GetAndRepaintVisible(), 0);
    EXPECT_TRUE(host.paints.empty());
    core.SetVisible(7);
    EXPECT_TRUE(core.Opaque());
    EXPECT_EQ(host.LastLook(), Look::Normal);
    EXPECT_EQ(core.GetAndRepaintVisible(), 255);
    EXPECT_EQ(host.notices, (std::vector<std::string>{"Visible", "Visible"}));
}

TEST_F(CommandCoreTest, FontColourIsResetToBlackUntilTheButtonIsSetUp) {
    core.SetEnabled(true);  // enabled, but FirstRun still 0
    core.SetFontColour(0x0000FF);
    EXPECT_EQ(core.Label().colour, 0u);
    EXPECT_EQ(host.notices.back(), "FontColour");

    Recorder otherHost;
    CommandCore loaded(otherHost);
    loaded.ReadProperties(forms::PropertyStore{});  // FirstRun 1 by default
    loaded.SetFontColour(0x0000FF);
    EXPECT_EQ(loaded.GetAndRepaintFontColour(), 0x0000FFu);

    Recorder disabledHost;
    CommandCore disabled(disabledHost);  // Enabled false: RefreshLook does nothing at all
    disabled.SetFontColour(0x00FF00);
    EXPECT_EQ(disabled.Label().colour, 0x00FF00u);
    EXPECT_TRUE(disabledHost.paints.empty());
}

TEST_F(CommandCoreTest, CaptionCommandComesBackAsCommand1) {
    forms::PropertyStore store;
    core.SetCaption("Command");
    core.WriteProperties(store);
    EXPECT_FALSE(store.Contains("Caption"));
    Recorder otherHost;
    CommandCore loaded(otherHost);
    loaded.ReadProperties(store);
    EXPECT_EQ(loaded.Caption(), "Command1");

    core.SetCaption("設定");
    core.WriteProperties(store);
    loaded.ReadProperties(store);
    EXPECT_EQ(loaded.Caption(), "設定");
}

TEST_F(CommandCoreTest, PropertiesRoundTripAndDefaultsAreNotWritten) {
    forms::PropertyStore store;
    forms::FontSpec ambient;
    ambient.face = "Tahoma";
    ambient.size = 8;
    store.SetAmbientFont(ambient);

    core.ReadProperties(store);  // everything at its default
    EXPECT_TRUE(core.GetAndRepaintEnabled());
    EXPECT_EQ(*core.Font(), ambient);
    EXPECT_EQ(host.LastLook(), Look::Normal);  // loading ends with RefreshLook
    core.SetCaption("ｷｬﾝｾﾙ");
    core.WriteProperties(store);
    EXPECT_EQ(store.Count(), 1u);  // only the caption differs from its default

    auto font = std::make_shared<forms::FontSpec>();
    font->weight = 700;
    font->italic = true;
    core.SetFont(font);
    core.SetEnabled(false);
    core.SetVisible(0);
    core.SetFontColour(0x00123456);  // disabled: no refresh resets it
    core.WriteProperties(store);
    EXPECT_EQ(store.ReadProperty("Enabled", "?"), "0");
    EXPECT_EQ(store.ReadProperty("Visible", "?"), "0");
    EXPECT_FALSE(store.Contains("FirstRun"));

    Recorder otherHost;
    CommandCore loaded(otherHost);
    loaded.ReadProperties(store);
    EXPECT_EQ(loaded.EnabledField(), 0);
    EXPECT_EQ(loaded.Caption(), "ｷｬﾝｾﾙ");
    EXPECT_EQ(*loaded.Font(), *font);
    EXPECT_NE(loaded.Font(), font);  // a font object of its own
    EXPECT_EQ(loaded.Label().colour, 0x00123456u);
    EXPECT_FALSE(loaded.Opaque());
    EXPECT_TRUE(otherHost.paints.empty());  // disabled: the closing RefreshLook paints nothing
}

TEST_F(CommandCoreTest, UnreadableStoredValuesFallBackToTheirDefaults) {
    forms::PropertyStore store;
    ASSERT_TRUE(store.Load("Enabled=maybe\nFirstRun=300\nFontColour=12abc\nVisible=x\nFont=;;\n"));
    core.ReadProperties(store);
    EXPECT_EQ(core.EnabledField(), button::kTrue);
    EXPECT_EQ(core.FirstRun(), 1);
    EXPECT_EQ(core.Label().colour, 0u);
    EXPECT_TRUE(core.Opaque());
    EXPECT_EQ(*core.Font(), store.AmbientFont());

    ASSERT_TRUE(store.Load("Enabled=False\nFirstRun=0\nFontColour=&HFF&\nVisible=0\n"));
    core.ReadProperties(store);
    EXPECT_EQ(core.EnabledField(), 0);
    EXPECT_EQ(core.FirstRun(), 0);
    EXPECT_EQ(core.Label().colour, 0xFFu);
    EXPECT_FALSE(core.Opaque());
}

TEST_F(CommandCoreTest, SettersNotifyTheContainerByName) {
    core.SetCaption("x");
    core.SetFont(std::make_shared<forms::FontSpec>());
    core.SetFont(nullptr);  // refused, the label keeps its font
    core.SetFontColour(1);
    core.SetEnabled(true);
    core.SetVisible(255);
    EXPECT_NE(core.Font(), nullptr);
    EXPECT_EQ(host.notices, (std::vector<std::string>{"Caption", "Font", "Font", "FontColour",
                                                      "Enabled", "Visible"}));
}

}  // namespace
