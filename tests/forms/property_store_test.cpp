// The forms runtime's property store: the default rule, fonts, notices, text form and the
// conversions the controls read their values with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/property_store.h"

namespace {

using forms::FontSpec;
using forms::PropertyStore;

TEST(PropertyStore, ValuesEqualToTheirDefaultAreNotWritten) {
    PropertyStore store;
    store.WriteProperty("Caption", "Command", "Command");
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_EQ(store.ReadProperty("Caption", "Command1"), "Command1");
    store.WriteProperty("Caption", "OK", "Command");
    EXPECT_EQ(store.ReadProperty("Caption", "Command1"), "OK");
    // Writing the default later drops the older value.
    store.WriteProperty("Caption", "Command", "Command");
    EXPECT_FALSE(store.Contains("Caption"));
    store.WriteProperty("Empty", "", "x");
    EXPECT_EQ(store.ReadProperty("Empty", "y"), "");
}

TEST(PropertyStore, FontsAreStoredAsTextAndReadAsNewObjects) {
    PropertyStore store;
    FontSpec font;
    font.face = "We;ird\\Face";
    font.size = 12.5;
    font.weight = 700;
    font.underline = true;
    font.charset = 0;
    store.WriteFont("Font", font, store.AmbientFont());
    auto back = store.ReadFont("Font", store.AmbientFont());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(*back, font);
    store.WriteFont("Font", store.AmbientFont(), store.AmbientFont());
    EXPECT_FALSE(store.Contains("Font"));
    EXPECT_EQ(*store.ReadFont("Font", font), font);

    for (const char* bad : {"", "a;1;400;0;0;0", "a;-3;400;0;0;0;0", "a;nan;400;0;0;0;0",
                            "a;9;400;0;0;0;999", "a\\", "a;9;x;0;0;0;0"})
        EXPECT_FALSE(FontSpec::Parse(bad)) << bad;
}

TEST(PropertyStore, NoticesAndAmbientFont) {
    PropertyStore store;
    store.PropertyChanged("Caption");  // no listener: nothing happens
    std::vector<std::string> names;
    store.SetChangeListener([&](const std::string& name) { names.push_back(name); });
    store.PropertyChanged("Caption");
    store.PropertyChanged("Visible");
    EXPECT_EQ(names, (std::vector<std::string>{"Caption", "Visible"}));
    FontSpec ambient;
    ambient.face = "Tahoma";
    store.SetAmbientFont(ambient);
    EXPECT_EQ(store.AmbientFont().face, "Tahoma");
}

TEST(PropertyStore, TextFormRoundTripsAndRefusesBadLines) {
    PropertyStore store;
    store.WriteProperty("Caption", "a=b\\c\nd", "");
    store.WriteProperty("odd=name", "1", "");
    store.WriteProperty("Nul", std::string("a\0b", 3), "");
    PropertyStore copy;
    ASSERT_TRUE(copy.Load(store.Save()));
    EXPECT_EQ(copy.ReadProperty("Caption", ""), "a=b\\c\nd");
    EXPECT_EQ(copy.ReadProperty("odd=name", ""), "1");
    EXPECT_EQ(copy.ReadProperty("Nul", ""), std::string("a\0b", 3));
    EXPECT_TRUE(copy.Load("\r\n\nA=1\r\n"));
    EXPECT_EQ(copy.ReadProperty("A", ""), "1");

    for (const char* bad : {"no separator", "=value", "A=dangling\\"})
        EXPECT_FALSE(copy.Load(bad)) << bad;
    EXPECT_EQ(copy.ReadProperty("A", ""), "1");  // a refused text changes nothing
}

TEST(Conversions, BooleansAndIntegers) {
    EXPECT_EQ(forms::TextToBool("-1"), true);
    EXPECT_EQ(forms::TextToBool(" True "), true);
    EXPECT_EQ(forms::TextToBool("false"), false);
    EXPECT_EQ(forms::TextToBool("0"), false);
    EXPECT_EQ(forms::TextToBool("7"), true);
    EXPECT_FALSE(forms::TextToBool("yes"));
    EXPECT_FALSE(forms::TextToBool(""));

    EXPECT_EQ(forms::TextToInteger("255", 0, 255), 255);
    EXPECT_FALSE(forms::TextToInteger("256", 0, 255));
    EXPECT_FALSE(forms::TextToInteger("-1", 0, 255));
    EXPECT_EQ(forms::TextToInteger("&H00C0FFEE&", INT32_MIN, UINT32_MAX), 0xC0FFEE);
    EXPECT_EQ(forms::TextToInteger("&HFFFFFFFF", INT32_MIN, UINT32_MAX), -1);  // a bit pattern
    EXPECT_FALSE(forms::TextToInteger("&H", INT32_MIN, UINT32_MAX));
    EXPECT_FALSE(forms::TextToInteger("&H-5", INT32_MIN, UINT32_MAX));
    EXPECT_FALSE(forms::TextToInteger("99999999999999999999999", INT64_MIN, INT64_MAX));
    EXPECT_FALSE(forms::TextToInteger("12 3", INT64_MIN, INT64_MAX));
}

}  // namespace
