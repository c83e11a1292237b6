// Tests of the settings dialog's logic without a display: the radio group and the controls
// that depend on it, the repeat combo box's texts, what the Settings button writes, the file
// chooser's request and result, the gradient, the tile walk and the placement.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/dialog/dialog_logic.h"
#include "host/zentrova_b.h"
#include "platform/base.h"

namespace Zentrova_P {
namespace {

using Writes = std::vector<std::pair<std::string, std::string>>;

class DialogLogic : public ::testing::Test {
  protected:
    void SetUp() override {
        Zentrova_B::BgmMode = 0;
        Zentrova_B::BgmRepeat = 0;
        Zentrova_B::BgmFile.clear();
        Zentrova_B::BgmFolder = "/opt/velmora";
        Zentrova_B::ZoomX = 0;
        Zentrova_B::ZoomY = 0;
    }

    // What the Settings button writes for the combo box text, as (key, value) pairs.
    static Writes Save(std::string_view comboText) {
        Writes writes;
        SaveSettings(comboText, [&](std::string_view key, const std::string& value) {
            writes.emplace_back(std::string(key), value);
        });
        return writes;
    }
};

TEST_F(DialogLogic, EachKindMarksItsOwnRadioAndEnablesItsOwnControl) {
    EXPECT_EQ(ControlsFor(0), (ControlState{{true, false, false}, false, false}));
    EXPECT_EQ(ControlsFor(1), (ControlState{{false, true, false}, true, false}));
    EXPECT_EQ(ControlsFor(2), (ControlState{{false, false, true}, false, true}));
    // A kind from a hand-edited file that the dialog does not know marks nothing.
    EXPECT_EQ(ControlsFor(-1), (ControlState{{false, false, false}, false, false}));
    EXPECT_EQ(ControlsFor(7), (ControlState{{false, false, false}, false, false}));
}

TEST_F(DialogLogic, SelectingAKindChangesTheSharedStateAtOnce) {
    Zentrova_B::BgmMode = 1;
    EXPECT_EQ(SelectKind(2), ControlsFor(2));
    EXPECT_EQ(Zentrova_B::BgmMode, 2);
    SelectKind(0);
    EXPECT_EQ(Zentrova_B::BgmMode, 0);
}

TEST_F(DialogLogic, RepeatListIsTheEmptyEntryThenOneToThirty) {
    const auto entries = RepeatEntries();
    ASSERT_EQ(entries.size(), 31u);
    EXPECT_EQ(entries[0], "");
    EXPECT_EQ(entries[1], "1");
    EXPECT_EQ(entries[12], "12");
    EXPECT_EQ(entries[30], "30");
    EXPECT_EQ(FormatHashes(0), "");
    EXPECT_EQ(FormatHashes(5), "5");
    EXPECT_EQ(FormatHashes(-3), "-3");
}

TEST_F(DialogLogic, ComboTextReadsAsNumberRoundedHalfToEven) {
    EXPECT_EQ(RepeatFromText("7"), 7);
    EXPECT_EQ(RepeatFromText(" 12 "), 12);
    EXPECT_EQ(RepeatFromText("2.5"), 2);
    EXPECT_EQ(RepeatFromText("3.5"), 4);
    EXPECT_EQ(RepeatFromText("-2.5"), -2);
    EXPECT_EQ(RepeatFromText("2.51"), 3);
    EXPECT_EQ(RepeatFromText(".5"), 0);
    EXPECT_EQ(RepeatFromText("1."), 1);
    EXPECT_EQ(RepeatFromText("+ 9"), 9);
    EXPECT_EQ(RepeatFromText("007"), 7);
}

TEST_F(DialogLogic, ComboTextThatIsNoNumberOrTooBigSavesZero) {
    const std::string nines(400, '9');  // must outlive the list that points into it
    for (const char* text : {"", "   ", "abc", "7a", "1.2.3", "-", ".", "1e3", "0x10", "1,5",
                             "32768", "-32769", "32767.5", "99999999999999999999", nines.c_str()})
        EXPECT_EQ(RepeatFromText(text), 0) << '"' << text << '"';
    EXPECT_EQ(RepeatFromText("32767"), 32767);
    EXPECT_EQ(RepeatFromText("-32768"), -32768);
    EXPECT_EQ(RepeatFromText("-32768.5"), -32768);  // the even neighbour still fits
}

TEST_F(DialogLogic, SettingsWritesKindRepeatAndFileInThatOrder) {
    Zentrova_B::BgmMode = 1;
    Zentrova_B::BgmFile = "/music/old song.mp3";
    EXPECT_EQ(Save("7"),
              (Writes{{"BGM区分", " 1"}, {"BGMﾘﾋﾟｰﾄ", " 7"}, {"BGMﾌｧｲﾙ", "/music/old song.mp3"}}));
    EXPECT_EQ(Zentrova_B::BgmRepeat, 7);
}

TEST_F(DialogLogic, SettingsWritesZeroesAsBlankAndDigit) {
    Zentrova_B::BgmRepeat = 9;  // the combo text decides, not the value it was loaded with
    EXPECT_EQ(Save(""), (Writes{{"BGM区分", " 0"}, {"BGMﾘﾋﾟｰﾄ", " 0"}, {"BGMﾌｧｲﾙ", ""}}));
    EXPECT_EQ(Zentrova_B::BgmRepeat, 0);
    EXPECT_EQ(Save("letters")[1].second, " 0");
    EXPECT_EQ(Save("-4")[1].second, "-4");
}

TEST_F(DialogLogic, FileKindWithoutAFileWritesAnEmptyFile) {
    SelectKind(2);
    EXPECT_EQ(Save(""), (Writes{{"BGM区分", " 2"}, {"BGMﾘﾋﾟｰﾄ", " 0"}, {"BGMﾌｧｲﾙ", ""}}));
}

TEST_F(DialogLogic, ChooserOpensInTheMusicFolderWithOneFilterEntry) {
    const auto request = MusicFileRequest();
    EXPECT_EQ(request.folder, "/opt/velmora");
    // The design's texts in the user's language (as they stand where no catalog serves).
    EXPECT_EQ(request.title, platform::Translate("ﾌｧｲﾙを開く"));
    EXPECT_EQ(request.filterName, platform::Translate("BGMﾌｧｲﾙ (MP3 WAV)"));
    EXPECT_EQ(request.pattern, "*.mp3;*.wav");
}

TEST_F(DialogLogic, ChosenFileBecomesTheMusicFileAndNextStartFolder) {
    Zentrova_B::BgmMode = 1;
    EXPECT_TRUE(AcceptChosenFile("/home/u/music/track 1.MP3"));
    EXPECT_EQ(Zentrova_B::BgmFile, "/home/u/music/track 1.MP3");
    EXPECT_EQ(Zentrova_B::BgmFolder, "/home/u/music");
    EXPECT_EQ(Zentrova_B::BgmMode, 1);  // the kind is the user's own choice

    // Cancelled, or longer than the chooser hands back: nothing changes.
    EXPECT_FALSE(AcceptChosenFile(""));
    EXPECT_FALSE(AcceptChosenFile("/" + std::string(kMaxChosenPath, 'a')));
    EXPECT_EQ(Zentrova_B::BgmFile, "/home/u/music/track 1.MP3");
    EXPECT_TRUE(AcceptChosenFile("/" + std::string(kMaxChosenPath - 1, 'a')));
}

TEST_F(DialogLogic, GradientRowsOfTheDialogClient) {
    EXPECT_EQ(GradientRow(0, 246), (Rgb{0, 0, 30}));
    EXPECT_EQ(GradientRow(40, 246), (Rgb{108, 108, 138}));
    EXPECT_EQ(GradientRow(123, 246), (Rgb{220, 220, 250}));
    EXPECT_EQ(GradientRow(245, 246), (Rgb{3, 3, 33}));
    EXPECT_EQ(GradientLastRow(246), 246);
    // A degenerate client never divides by zero into garbage colours.
    EXPECT_EQ(GradientRow(0, 0).b, 30);
}

TEST_F(DialogLogic, TilesCoverThePanelColumnByColumn) {
    const auto tiles = TileOrigins(465, 161, 556, 20);
    ASSERT_EQ(tiles.size(), 20u);  // two columns of ten, the second outside
    EXPECT_EQ(tiles[0], (Point{0, 0}));
    EXPECT_EQ(tiles[9], (Point{0, 180}));
    EXPECT_EQ(tiles[10], (Point{556, 0}));
    EXPECT_EQ(tiles[19], (Point{556, 180}));
    EXPECT_EQ(TileOrigins(469, 165, 556, 20).size(), 20u);
    EXPECT_EQ(TileOrigins(0, 0, 556, 20).size(), 4u);
    EXPECT_TRUE(TileOrigins(465, 161, 0, 20).empty());
}

TEST_F(DialogLogic, PlacementCentresAndStandsAtAThirdOfTheFreeHeight) {
    EXPECT_EQ(Placement(1024, 768, 496, 246, 15), (Point{264, 174}));
    EXPECT_EQ(Placement(1025, 769, 496, 246, 15), (Point{264, 174}));
    // A screen smaller than the dialog puts it above and left of the origin, as it must.
    EXPECT_EQ(Placement(400, 200, 496, 246, 15), (Point{-48, -15}));
    EXPECT_EQ(Placement(1024, 768, 496, 246, 0), (Point{264, 174}));
}

TEST_F(DialogLogic, ZoomPointKeepsOldCoordinateThatDoesNotFit) {
    RecordZoomPoint(Point{300, 200});
    EXPECT_EQ(Zentrova_B::ZoomX, 300);
    EXPECT_EQ(Zentrova_B::ZoomY, 200);
    RecordZoomPoint(Point{40000, 5});
    EXPECT_EQ(Zentrova_B::ZoomX, 300);
    EXPECT_EQ(Zentrova_B::ZoomY, 5);
    RecordZoomPoint(std::nullopt);
    EXPECT_EQ(Zentrova_B::ZoomX, 0);
    EXPECT_EQ(Zentrova_B::ZoomY, 0);
}

}  // namespace
}  // namespace Zentrova_P
