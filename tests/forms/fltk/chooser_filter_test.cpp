// The FLTK file chooser's filter line, checked against FLTK's own pattern matching.
#include "forms/fltk/chooser_filter.h"

#include <FL/filename.H>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FltkChooserFilter, DesignedEntryMatchesEveryLetterCaseAndNothingElse) {
    const std::string line =
        forms::fltk::ChooserFilter({"t", "BGMﾌｧｲﾙ (MP3 WAV)", "*.mp3;*.wav", ""});
    const std::size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos);
    // FLTK reads the patterns from the first "(" of the line: the name keeps none.
    EXPECT_EQ(line.substr(0, tab), "BGMﾌｧｲﾙ （MP3 WAV）");
    const std::string pattern = line.substr(tab + 1);
    for (const char* name : {"song.mp3", "SONG.MP3", "a.Wav", "x.wAV", "my.song.mp3"})
        EXPECT_TRUE(fl_filename_match(name, pattern.c_str())) << name;
    for (const char* name : {"song.ogg", "song.mp3x", "mp3", "song.mp", "song.wave"})
        EXPECT_FALSE(fl_filename_match(name, pattern.c_str())) << name;
}

}  // namespace
